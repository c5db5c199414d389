#include "BootloaderClient.h"

#include <algorithm>
#include <thread>

#include "CanChannel.h"
#include "TimeSource.h"

int ProgressPercent(uint32_t done, uint32_t length) {
    if (length <= 1) return done > 0 || length == 0 ? 100 : 0;
    return static_cast<int>(std::min<uint64_t>(100, uint64_t{done} * 100u / (length - 1)));
}

void BootloaderYield() {
    if (!CurrentTimeSource().IsVirtual()) std::this_thread::yield();
}

void BootloaderPause(int ms) { CurrentTimeSource().SleepUntil(DeadlineAfterMs(ms)); }

bool BootloaderClient::Send(uint32_t command, std::span<const uint8_t> data) {
    tagOPEN_Message msg;
    msg.id = BootloaderId(cris_, command);
    msg.dlc = static_cast<uint32_t>(std::min<size_t>(data.size(), 8));
    std::copy_n(data.begin(), msg.dlc, msg.data.begin());
    return CanWrite(&msg);
}

bool BootloaderClient::Await(uint32_t command, int waitMs, uint8_t& len, std::array<uint8_t, 8>& data) {
    tagOPEN_Message msg;
    const uint32_t result = CanWaitForId(waitMs, static_cast<int32_t>(BootloaderId(cris_, command)), &msg);
    if (result != CAN_RESULT_ONE && result != CAN_RESULT_SEVERAL) return false;
    len = static_cast<uint8_t>(std::min<uint32_t>(msg.dlc, 8));
    data = msg.data;
    return true;
}

bool BootloaderClient::SelectNode(bool open, uint8_t* version) {
    const uint8_t request[] = {0xFF};
    const uint8_t wanted = open ? 1 : 0;
    uint8_t len = 0;
    std::array<uint8_t, 8> d{};
    if (!Send(BL_SELECT_NODE, request) || !Await(BL_SELECT_NODE, kSelectWaitMs, len, d) || len != 2) return false;
    if (d[1] != wanted) {
        // The node was in the other state: the request toggles it once more.
        if (!Send(BL_SELECT_NODE, request) || !Await(BL_SELECT_NODE, kSelectSecondWaitMs, len, d) || len != 2 ||
            d[1] != wanted)
            return false;
    }
    if (version) *version = d[0];
    return true;
}

bool BootloaderClient::ReadByte(uint16_t address, uint8_t& value) {
    const uint8_t request[] = {static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    uint8_t len = 0;
    std::array<uint8_t, 8> d{};
    if (!Send(BL_READ, request) || !Await(BL_READ, kReadWaitMs, len, d) || len != 1) return false;
    value = d[0];
    return true;
}

bool BootloaderClient::WriteByte(uint16_t address, uint8_t value) {
    const uint8_t request[] = {static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), value};
    uint8_t len = 0;
    std::array<uint8_t, 8> d{};
    if (!Send(BL_WRITE, request) || !Await(BL_WRITE, kWriteWaitMs, len, d) || len != 1 || d[0] != 0) return false;
    BootloaderPause(kSettleMs);
    return true;
}

bool BootloaderClient::Erase(uint8_t eraseByte) {
    const uint8_t request[] = {0x00, eraseByte};
    uint8_t len = 0;
    std::array<uint8_t, 8> d{};
    if (!Send(BL_WRITE, request) || !Await(BL_WRITE, kEraseWaitMs, len, d) || len != 1 || d[0] != 0) return false;
    BootloaderPause(kSettleMs);
    return true;
}

std::optional<int> BootloaderClient::BlankCheck(uint32_t start, uint32_t length, uint32_t* firstUsed) {
    std::vector<uint8_t> request{BL_DISPLAY_BLANK_CHECK};
    const auto range = BootloaderRange(start, length);
    request.insert(request.end(), range.begin(), range.end());
    uint8_t len = 0;
    std::array<uint8_t, 8> d{};
    if (!Send(BL_DISPLAY, request) || !Await(BL_DISPLAY, kBlankCheckWaitMs, len, d)) return std::nullopt;
    if (len == 0) return 1;
    if (len != 2) return std::nullopt;
    if (firstUsed) *firstUsed = uint32_t{d[0]} << 8 | d[1];
    return 0;
}

bool BootloaderClient::Program(uint8_t memory, uint32_t start, std::span<const uint8_t> bytes,
                               const Progress& progress) {
    std::vector<uint8_t> request{memory};
    const auto range = BootloaderRange(start, static_cast<uint32_t>(bytes.size()));
    request.insert(request.end(), range.begin(), range.end());
    uint8_t len = 0;
    std::array<uint8_t, 8> d{};
    if (!Send(BL_PROG_START, request) || !Await(BL_PROG_START, kProgStartWaitMs, len, d) || len != 0) return false;
    size_t sent = 0;
    while (sent < bytes.size()) {
        const size_t n = std::min<size_t>(8, bytes.size() - sent);
        if (!Send(BL_PROG_DATA, bytes.subspan(sent, n))) return false;
        sent += n;
        if (progress) progress(static_cast<uint32_t>(sent));
        BootloaderYield();
        if (!Await(BL_PROG_DATA, kProgDataWaitMs, len, d) || len != 1) return false;
        if (sent < bytes.size()) {
            if (d[0] != 0x00 && d[0] != 0x02) return false;
        } else {
            if (d[0] != 0x00) return false;
            BootloaderPause(kSettleMs);
        }
    }
    return true;
}

bool BootloaderClient::Read(uint8_t displayKind, uint32_t start, uint32_t length, std::vector<uint8_t>& out,
                            const Progress& progress) {
    out.clear();
    std::vector<uint8_t> request{displayKind};
    const auto range = BootloaderRange(start, length);
    request.insert(request.end(), range.begin(), range.end());
    if (!Send(BL_DISPLAY, request)) return false;
    uint8_t len = 0;
    std::array<uint8_t, 8> d{};
    while (out.size() < length && Await(BL_DISPLAY, kDisplayWaitMs, len, d)) {
        if (len == 0) return false;
        out.insert(out.end(), d.begin(), d.begin() + std::min<size_t>(len, length - out.size()));
        if (progress) progress(static_cast<uint32_t>(out.size()));
    }
    return out.size() == length;
}

VerifyOutcome BootloaderClient::Verify(uint32_t start, std::span<const uint8_t> bytes, const Progress& progress) {
    std::vector<uint8_t> request{BL_DISPLAY_FLASH};
    const auto range = BootloaderRange(start, static_cast<uint32_t>(bytes.size()));
    request.insert(request.end(), range.begin(), range.end());
    if (!Send(BL_DISPLAY, request)) return VerifyOutcome::Failed;
    size_t compared = 0;
    bool mismatch = false;
    uint8_t len = 0;
    std::array<uint8_t, 8> d{};
    while (Await(BL_DISPLAY, kDisplayWaitMs, len, d)) {
        if (len == 0) return VerifyOutcome::Failed;
        for (uint8_t i = 0; i < len; ++i, ++compared)
            if (compared >= bytes.size() || d[i] != bytes[compared]) mismatch = true;
        if (progress) progress(static_cast<uint32_t>(std::min(compared, bytes.size())));
    }
    if (mismatch || compared != bytes.size()) return VerifyOutcome::Mismatch;
    return VerifyOutcome::Ok;
}

void BootloaderClient::DrainDisplay(int quietMs) {
    uint8_t len = 0;
    std::array<uint8_t, 8> d{};
    while (Await(BL_DISPLAY, quietMs, len, d)) {
    }
}
