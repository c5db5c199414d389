#include "TestGeneratorPanel.h"

#include <cstdio>

#include "CanChannel.h"
#include "Numbers.h"

namespace {
constexpr const char* kNotResponding = "Test generator not responding";

std::string Hex(const char* format, uint32_t value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

bool IsX(const std::string& cell) {
    const size_t b = cell.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    const size_t e = cell.find_last_not_of(' ');
    return b == e && (cell[b] == 'x' || cell[b] == 'X');
}

int EntrySize(int sub) { return (sub == 1 || sub == 12) ? 2 : 1; }
}  // namespace

std::optional<uint32_t> ReadTgNumber(const std::string& text) {
    int32_t value = 0;
    if (!ReadInteger(text, value)) return std::nullopt;
    return static_cast<uint32_t>(value);
}

uint16_t BitStuffedIdentifier(uint16_t id) {
    uint32_t out = 0;
    int stuffBits = 0;
    int run = 0;
    int last = -1;
    for (int i = 10; i >= 0; --i) {
        const int bit = (id >> i) & 1;
        out = (out << 1) | static_cast<uint32_t>(bit);
        run = bit == last ? run + 1 : 1;
        last = bit;
        if (run == 5) {
            out = (out << 1) | static_cast<uint32_t>(!bit);
            ++stuffBits;
            run = 0;
        }
    }
    return static_cast<uint16_t>(out << (5 - stuffBits));
}

std::array<uint8_t, 8> TgDownloadRequest(uint16_t index, uint8_t sub, uint32_t value, int size) {
    std::array<uint8_t, 8> d{};
    d[0] = static_cast<uint8_t>(0x23 | ((4 - size) * 4));
    d[1] = static_cast<uint8_t>(index);
    d[2] = static_cast<uint8_t>(index >> 8);
    d[3] = sub;
    for (int i = 0; i < size; ++i) d[4 + i] = static_cast<uint8_t>(value >> (8 * i));
    return d;
}

std::array<uint8_t, 8> TgUploadRequest(uint16_t index, uint8_t sub) {
    std::array<uint8_t, 8> d{};
    d[0] = 0x40;
    d[1] = static_cast<uint8_t>(index);
    d[2] = static_cast<uint8_t>(index >> 8);
    d[3] = sub;
    return d;
}

bool TestGeneratorPanel::CheckNodeAndChannel() {
    const auto node = ReadTgNumber(controls.nodeId);
    // CANopen node ids are 1..127; others would address no SDO channel of a node.
    if (!node || *node < 1 || *node > 127) {
        op_.ShowMessage("Please enter a valid Node-ID", "Bustest");
        return false;
    }
    if (!CanActive) {
        op_.ShowMessage("CAN channel is not open", "Bustest");
        return false;
    }
    node_ = *node;
    return true;
}

std::optional<std::array<uint8_t, 8>> TestGeneratorPanel::Transfer(const std::array<uint8_t, 8>& request) {
    tagOPEN_Message msg;
    msg.id = 0x600 + node_;
    msg.dlc = 8;
    msg.data = request;
    CanWrite(&msg);
    tagOPEN_Message answer;
    if (CanWaitForId(kAnswerWaitMs, static_cast<int32_t>(0x580 + node_), &answer) != CAN_RESULT_ONE)
        return std::nullopt;
    return answer.data;
}

bool TestGeneratorPanel::Download(uint16_t index, uint8_t sub, uint32_t value, int size) {
    return Transfer(TgDownloadRequest(index, sub, value, size)).has_value();
}

TestGeneratorPanel::UploadResult TestGeneratorPanel::Upload(uint16_t index, uint8_t sub, bool matchIndex,
                                                            uint32_t& value, int& size) {
    const auto a = Transfer(TgUploadRequest(index, sub));
    if (!a) return UploadResult::Silent;
    const auto& d = *a;
    if ((d[0] & 0xF0) != 0x40) return UploadResult::NotUpload;
    if (matchIndex && (d[1] != static_cast<uint8_t>(index) || d[2] != static_cast<uint8_t>(index >> 8) || d[3] != sub))
        return UploadResult::NotUpload;
    size = 4 - ((d[0] & 0x0C) >> 2);
    value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | d[4 + i];
    return UploadResult::Value;
}

bool TestGeneratorPanel::UploadEntry(uint16_t index, std::array<std::string, 14>& row) {
    for (int sub = 1; sub <= kTgSubIndices; ++sub) {
        uint32_t value = 0;
        int size = 0;
        switch (Upload(index, static_cast<uint8_t>(sub), false, value, size)) {
            case UploadResult::Silent:
                op_.ShowMessage(kNotResponding, "Timeout");
                return false;
            case UploadResult::NotUpload:
                op_.ShowMessage("SDO Upload error", "Test generator");
                break;
            case UploadResult::Value:
                if (sub == 3)
                    row[sub].assign(value == 1 ? 1 : 0, 'x');
                else if (size == 1)
                    row[sub] = Hex("0x%02X", value);
                else if (size == 2)
                    row[sub] = Hex("0x%04X", value);
                break;
        }
    }
    return true;
}

bool TestGeneratorPanel::UploadSingle(uint16_t index, uint32_t& value) {
    int size = 0;
    if (Upload(index, 0, true, value, size) == UploadResult::Value) return true;
    op_.ShowMessage("SDO Upload error", "Test generator");
    return false;
}

bool TestGeneratorPanel::btnUploadClick() {
    if (!CheckNodeAndChannel()) return false;
    for (int k = 0; k < kTgSendEntries; ++k)
        if (!UploadEntry(static_cast<uint16_t>(kTgSendFirst + k), controls.msgs[k + 1])) return false;
    for (int k = 0; k < kTgReceiveEntries; ++k)
        if (!UploadEntry(static_cast<uint16_t>(kTgReceiveFirst + k), controls.msgsIn[k + 1])) return false;
    uint32_t v = 0;
    if (!UploadSingle(kTgNumSend, v)) return false;
    controls.numMsg = Hex("0x%02X", v);
    if (!UploadSingle(kTgNumReceive, v)) return false;
    controls.numMsgRec = Hex("0x%02X", v);
    if (!UploadSingle(kTgDelay, v)) return false;
    controls.delay = Hex("0x%04X", v);
    if (!UploadSingle(kTgMode, v)) return false;
    controls.mode = v == 1 ? 0 : v == 2 ? 1 : v == 4 ? 2 : -1;
    return true;
}

bool TestGeneratorPanel::DownloadEntry(uint16_t index, const std::array<std::string, 14>& row, bool receiveEntry) {
    const auto flag = ReadTgNumber(row[kTgStuffedFlagSub]);
    const bool stuffed = receiveEntry && flag && static_cast<int32_t>(*flag) >= 1;
    for (int sub = 1; sub <= kTgSubIndices; ++sub) {
        uint32_t value = sub == 3 ? (IsX(row[sub]) ? 1 : 0) : ReadTgNumber(row[sub]).value_or(0);
        if (sub == 1 && stuffed) value = BitStuffedIdentifier(static_cast<uint16_t>(value & 0x7FF));
        if (!Download(index, static_cast<uint8_t>(sub), value, EntrySize(sub))) {
            op_.ShowMessage(kNotResponding, "Timeout");
            return false;
        }
    }
    return true;
}

bool TestGeneratorPanel::updDownloadClick() {
    if (!CheckNodeAndChannel()) return false;
    for (int k = 0; k < kTgSendEntries; ++k)
        if (!DownloadEntry(static_cast<uint16_t>(kTgSendFirst + k), controls.msgs[k + 1], false)) return false;
    for (int k = 0; k < kTgReceiveEntries; ++k)
        if (!DownloadEntry(static_cast<uint16_t>(kTgReceiveFirst + k), controls.msgsIn[k + 1], true)) return false;
    const struct {
        const std::string& text;
        uint16_t index;
        int size;
    } singles[] = {{controls.numMsg, kTgNumSend, 1}, {controls.numMsgRec, kTgNumReceive, 1}, {controls.delay, kTgDelay, 2}};
    for (const auto& s : singles) {
        const auto v = ReadTgNumber(s.text);
        if (!v) continue;
        if (!Download(s.index, 0, *v, s.size)) {
            op_.ShowMessage(kNotResponding, "Timeout");
            return false;
        }
    }
    static constexpr uint32_t kModes[] = {1, 2, 4};
    if (controls.mode < 0 || controls.mode > 2) {
        op_.ShowMessage("Error operating mode", "Bus test");
        return false;
    }
    if (!Download(kTgMode, 0, kModes[controls.mode], 1)) {
        op_.ShowMessage(kNotResponding, "Bus test");
        return false;
    }
    return true;
}

bool TestGeneratorPanel::Command(uint32_t command) {
    if (!CheckNodeAndChannel()) return false;
    if (!Download(kTgCommand, 0, command, 1)) {
        op_.ShowMessage(kNotResponding, "Timeout");
        return false;
    }
    return true;
}
