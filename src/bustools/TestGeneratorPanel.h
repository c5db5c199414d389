#pragma once
// The test-generator panel of the bus test: reads and writes the generator node's send and
// receive tables and its operating mode by expedited SDO (requests 0x600 + node, answers
// 0x580 + node), and starts and stops it. Each transfer waits up to 1000 ms for its answer.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "Ports.h"

// Generator object dictionary.
inline constexpr uint16_t kTgNumSend = 0x3000;
inline constexpr uint16_t kTgSendFirst = 0x3001;  // .. 0x300A
inline constexpr uint16_t kTgNumReceive = 0x3010;
inline constexpr uint16_t kTgReceiveFirst = 0x3011;  // 0x3011, 0x3012
inline constexpr uint16_t kTgMode = 0x3018;
inline constexpr uint16_t kTgDelay = 0x301A;
inline constexpr uint16_t kTgCommand = 0x301B;
inline constexpr int kTgSendEntries = 10;
inline constexpr int kTgReceiveEntries = 2;
inline constexpr int kTgSubIndices = 13;
// Sub-index of a receive entry that, when it holds a number of at least 1, makes the entry's
// identifier travel in its bit-stuffed form.
inline constexpr int kTgStuffedFlagSub = 13;

// Number fields of the panel: hexadecimal when the text holds an "x" (either case; "0x" prefix
// allowed), else decimal; anything left over makes the field invalid.
std::optional<uint32_t> ReadTgNumber(const std::string& text);

// The 11 identifier bits from the most significant, with a complementary stuff bit after every
// five equal bits (the stuff bit starts no run), left-aligned in 16 bits.
uint16_t BitStuffedIdentifier(uint16_t id);

// The expedited SDO frames the panel sends.
std::array<uint8_t, 8> TgDownloadRequest(uint16_t index, uint8_t sub, uint32_t value, int size);
std::array<uint8_t, 8> TgUploadRequest(uint16_t index, uint8_t sub);

class TestGeneratorPanel {
public:
    static constexpr int kAnswerWaitMs = 1000;

    explicit TestGeneratorPanel(OperatorPort& op) : op_(op) {}

    // strgrMsgs: 14 columns x 11 rows (row 0 and column 0 are headings; entry k in row k,
    // sub-index n in column n); strgrMsgsIn: 14 x 3.
    using Grid = std::array<std::array<std::string, 14>, 11>;
    using GridIn = std::array<std::array<std::string, 14>, 3>;
    struct Controls {
        std::string nodeId;     // edNodeId
        std::string numMsg;     // edTGNumMsg
        std::string numMsgRec;  // edTGNumMsgRec
        std::string delay;      // edTGDelay
        int mode = -1;          // rgTGMode: 0 "Zyklisch", 1 "Trigger einzel", 2 "Trigger zyklisch"
        Grid msgs{};
        GridIn msgsIn{};
    } controls;

    bool btnUploadClick();
    bool updDownloadClick();
    bool btnTGStartClick() { return Command(1); }
    bool btnTGStopClick() { return Command(2); }

private:
    bool CheckNodeAndChannel();
    bool Command(uint32_t command);
    // Sends and waits for any frame on 0x580 + node; the answer's bytes, or nullopt.
    std::optional<std::array<uint8_t, 8>> Transfer(const std::array<uint8_t, 8>& request);
    bool Download(uint16_t index, uint8_t sub, uint32_t value, int size);
    enum class UploadResult { Value, NotUpload, Silent };
    UploadResult Upload(uint16_t index, uint8_t sub, bool matchIndex, uint32_t& value, int& size);
    bool UploadEntry(uint16_t index, std::array<std::string, 14>& row);
    bool DownloadEntry(uint16_t index, const std::array<std::string, 14>& row, bool receiveEntry);
    bool UploadSingle(uint16_t index, uint32_t& value);

    OperatorPort& op_;
    uint32_t node_ = 0;
};
