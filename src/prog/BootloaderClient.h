#pragma once
// The commands of the CAN bootloader protocol on the station's channel, each sending its frame
// and judging the answer awaited on the same identifier. Safe on a worker thread: it uses the
// channel only through its locked free functions.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "BootloaderProtocol.h"

// Answer time-outs (ms).
inline constexpr int kSelectWaitMs = 200;
inline constexpr int kSelectSecondWaitMs = 100;
inline constexpr int kProgStartWaitMs = 5000;
inline constexpr int kProgDataWaitMs = 2000;
inline constexpr int kDisplayWaitMs = 200;
inline constexpr int kBlankCheckWaitMs = 1000;
inline constexpr int kWriteWaitMs = 1000;
inline constexpr int kEraseWaitMs = 5000;
inline constexpr int kReadWaitMs = 1000;
inline constexpr int kSettleMs = 100;

enum class VerifyOutcome { Ok, Mismatch, Failed };

class BootloaderClient {
public:
    // Called with the number of bytes sent or compared so far.
    using Progress = std::function<void(uint32_t done)>;

    explicit BootloaderClient(uint8_t cris) : cris_(cris) {}
    uint8_t Cris() const { return cris_; }

    // Select node: opens (`open`) or closes the connection. An answer with the other state is
    // followed by one more request. `version` receives the bootloader version of the answer.
    bool SelectNode(bool open, uint8_t* version = nullptr);
    bool ReadByte(uint16_t address, uint8_t& value);
    // Writes a configuration byte, then lets the controller settle.
    bool WriteByte(uint16_t address, uint8_t value);
    bool Erase(uint8_t eraseByte);
    // 1: the range is blank (answer without data), 0: not blank (`firstUsed` set); nullopt: no
    // valid answer.
    std::optional<int> BlankCheck(uint32_t start, uint32_t length, uint32_t* firstUsed = nullptr);
    // Programs `bytes` at `start` of memory `memory` in frames of 8 bytes.
    bool Program(uint8_t memory, uint32_t start, std::span<const uint8_t> bytes, const Progress& progress);
    // Reads the range back and compares it with `bytes`.
    VerifyOutcome Verify(uint32_t start, std::span<const uint8_t> bytes, const Progress& progress);
    // Reads `length` bytes of memory `displayKind` (BL_DISPLAY_FLASH or BL_DISPLAY_EEPROM).
    bool Read(uint8_t displayKind, uint32_t start, uint32_t length, std::vector<uint8_t>& out, const Progress& progress);
    // Reads and drops display answers until `quietMs` pass without one.
    void DrainDisplay(int quietMs);

private:
    bool Send(uint32_t command, std::span<const uint8_t> data);
    bool Await(uint32_t command, int waitMs, uint8_t& len, std::array<uint8_t, 8>& data);

    uint8_t cris_;
};

// Progress in percent of `done` bytes of `length` (0..100; a one-byte image is at 100).
int ProgressPercent(uint32_t done, uint32_t length);
// Lets another thread run (between data frames).
void BootloaderYield();
void BootloaderPause(int ms);
