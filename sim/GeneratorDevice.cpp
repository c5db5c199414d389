#include "GeneratorDevice.h"

#include <charconv>

#include "EncoderOptions.h"

namespace {
constexpr uint16_t kNumSend = 0x3000, kSendFirst = 0x3001, kNumReceive = 0x3010, kReceiveFirst = 0x3011;
constexpr uint16_t kMode = 0x3018, kPause = 0x301A, kCommand = 0x301B;
constexpr int kSendEntries = 10, kReceiveEntries = 2;

void AddEntry(ObjectDictionary& od, uint16_t index, uint8_t sub, OdType type, uint32_t flags = 0) {
    OdEntry e;
    e.index = index;
    e.sub = sub;
    e.type = type;
    e.access = OdAccess::ReadWrite;
    e.flags = flags;
    e.value.assign(OdTypeSize(type), '\0');
    e.builtin = e.value;
    od.Add(std::move(e));
}

void AddMessageEntry(ObjectDictionary& od, uint16_t index) {
    OdEntry count;
    count.index = index;
    count.sub = 0;
    count.type = OdType::U8;
    count.access = OdAccess::Const;
    count.value = std::string(1, '\x0D');
    count.builtin = count.value;
    od.Add(std::move(count));
    for (uint8_t sub = 1; sub <= 13; ++sub) AddEntry(od, index, sub, (sub == 1 || sub == 12) ? OdType::U16 : OdType::U8);
}
}  // namespace

bool ParseGeneratorOptions(std::string_view text, GeneratorOptions& options, std::string& error) {
    if (text.substr(0, 9) == "generator") text.remove_prefix(9);
    if (!text.empty() && text.front() == '?') text.remove_prefix(1);
    GeneratorOptions result = options;
    const bool ok = ForEachOptionPair(
        text,
        [&](std::string_view key, std::string_view value) {
            int n = 0;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
            const bool number = ec == std::errc() && end == value.data() + value.size();
            if (key == "node") {
                if (!number || n < 1 || n > 127) {
                    error = "generator option node=" + std::string(value) + ": 1..127 expected";
                    return false;
                }
                result.nodeId = static_cast<uint8_t>(n);
                return true;
            }
            if (key == "kbit") {
                static constexpr int kRates[] = {1000, 800, 500, 250, 125, 100, 50, 20, 10};
                bool known = false;
                for (int r : kRates) known = known || (number && r == n);
                if (!known) {
                    error = "generator option kbit=" + std::string(value) + ": a CANopen bit rate expected";
                    return false;
                }
                result.kbit = n;
                return true;
            }
            error = "unknown generator option \"" + std::string(key) + "\" (node, kbit)";
            return false;
        },
        error);
    if (!ok) return false;
    options = result;
    return true;
}

uint16_t UnstuffIdentifier(uint16_t stuffed) {
    uint32_t id = 0;
    int bits = 0;
    int run = 0;
    int last = -1;
    for (int i = 15; i >= 0 && bits < 11; --i) {
        const int bit = (stuffed >> i) & 1;
        id = (id << 1) | static_cast<uint32_t>(bit);
        ++bits;
        run = bit == last ? run + 1 : 1;
        last = bit;
        if (run == 5 && bits < 11) {
            --i;  // the stuff bit that follows
            run = 0;
        }
    }
    return static_cast<uint16_t>(id & 0x7FF);
}

GeneratorDevice::GeneratorDevice(GeneratorOptions options) : options_(options) {
    AddEntry(od_, kNumSend, 0, OdType::U8);
    for (int k = 0; k < kSendEntries; ++k) AddMessageEntry(od_, static_cast<uint16_t>(kSendFirst + k));
    AddEntry(od_, kNumReceive, 0, OdType::U8);
    for (int k = 0; k < kReceiveEntries; ++k) AddMessageEntry(od_, static_cast<uint16_t>(kReceiveFirst + k));
    AddEntry(od_, kMode, 0, OdType::U8);
    od_.SetU32(kMode, 0, 1);
    AddEntry(od_, kPause, 0, OdType::U16);
    AddEntry(od_, kCommand, 0, OdType::U8, kOdCommand);
    od_.SetWriteHook([](const OdEntry& e, const std::string& bytes) -> uint32_t {
        const uint32_t v = bytes.empty() ? 0 : static_cast<uint8_t>(bytes[0]);
        if (e.index == kNumSend && v > kSendEntries) return 0x06090030;  // value range exceeded
        if (e.index == kNumReceive && v > kReceiveEntries) return 0x06090030;
        if (e.index == kMode && v != 1 && v != 2 && v != 4) return 0x06090030;
        if (e.index == kCommand && v != 1 && v != 2) return 0x06090030;
        if (e.sub == 2 && e.index >= kSendFirst && v > 8) return 0x06090030;
        return 0;
    });
}

void GeneratorDevice::PowerOn(uint64_t nowUs, std::vector<BusFrame>& out) {
    nowUs_ = nowUs;
    BusFrame boot;
    boot.id = 0x700u + options_.nodeId;
    boot.len = 1;
    out.push_back(boot);
}

BusFrame GeneratorDevice::Entry(uint16_t index) const {
    BusFrame f;
    f.id = od_.GetU32(index, 1) & 0x7FF;
    f.len = static_cast<uint8_t>(std::min<uint32_t>(od_.GetU32(index, 2), 8));
    f.rtr = od_.GetU32(index, 3) == 1;
    for (int i = 0; i < 8; ++i) f.data[i] = static_cast<uint8_t>(od_.GetU32(index, static_cast<uint8_t>(4 + i)));
    if (f.rtr) f.data = {};
    return f;
}

bool GeneratorDevice::MatchesReceiveEntry(const BusFrame& frame) const {
    const uint32_t count = std::min<uint32_t>(od_.GetU32(kNumReceive, 0), kReceiveEntries);
    for (uint32_t k = 0; k < count; ++k) {
        const uint16_t index = static_cast<uint16_t>(kReceiveFirst + k);
        uint32_t id = od_.GetU32(index, 1);
        if (od_.GetU32(index, 13) >= 1) id = UnstuffIdentifier(static_cast<uint16_t>(id));
        if ((id & 0x7FF) == frame.id && (od_.GetU32(index, 3) == 1) == frame.rtr) return true;
    }
    return false;
}

void GeneratorDevice::StartSending(uint64_t nowUs, bool cyclic) {
    if (od_.GetU32(kNumSend, 0) == 0) return;
    if (sending_ && cyclic_) return;
    sending_ = true;
    cyclic_ = cyclic;
    nextEntry_ = 0;
    nextDueUs_ = nowUs;
}

void GeneratorDevice::Stop() {
    running_ = false;
    sending_ = false;
    nextDueUs_ = kNever;
}

void GeneratorDevice::HandleFrame(const BusFrame& frame, uint64_t nowUs, std::vector<BusFrame>& out) {
    nowUs_ = nowUs;
    if (frame.statusWord != 0) return;
    if (frame.id == 0 && !frame.rtr && frame.len >= 2 && (frame.data[1] == 0 || frame.data[1] == options_.nodeId)) {
        if (frame.data[0] == 0x81 || frame.data[0] == 0x82) {
            Stop();
            sdo_.Reset();
            PowerOn(nowUs, out);
        }
        return;
    }
    if (frame.id == 0x600u + options_.nodeId) {
        if (auto answer = sdo_.Handle(frame, *this, 0x580u + options_.nodeId)) out.push_back(*answer);
        if (nextDueUs_ <= nowUs) OnTime(nowUs, out);
        return;
    }
    if (!running_) return;
    const uint32_t mode = od_.GetU32(kMode, 0);
    if ((mode == 2 || mode == 4) && MatchesReceiveEntry(frame)) {
        StartSending(nowUs, mode == 4);
        OnTime(nowUs, out);
    }
}

void GeneratorDevice::OnTime(uint64_t nowUs, std::vector<BusFrame>& out) {
    nowUs_ = nowUs;
    if (!sending_ || nowUs < nextDueUs_) return;
    const int count = static_cast<int>(std::min<uint32_t>(od_.GetU32(kNumSend, 0), kSendEntries));
    if (count == 0) {
        sending_ = false;
        nextDueUs_ = kNever;
        return;
    }
    const BusFrame f = Entry(static_cast<uint16_t>(kSendFirst + nextEntry_));
    out.push_back(f);
    ++sent_;
    const uint32_t pauseMs = od_.GetU32(kPause, 0);
    // Without a pause the next frame follows once this one has left the wire.
    const uint64_t wireUs = (static_cast<uint64_t>(CanFrameBitLength(f)) * 1000 + options_.kbit - 1) / options_.kbit;
    nextDueUs_ = nowUs + (pauseMs > 0 ? pauseMs * 1000ull : wireUs);
    if (++nextEntry_ >= count) {
        nextEntry_ = 0;
        if (!cyclic_) {
            sending_ = false;
            nextDueUs_ = kNever;
        }
    }
}

uint32_t GeneratorDevice::UploadObject(uint16_t index, uint8_t sub, std::string& bytes) {
    return od_.Upload(index, sub, bytes);
}

uint32_t GeneratorDevice::BeginDownload(uint16_t index, uint8_t sub, bool sizeKnown, size_t size, size_t& capacity) {
    capacity = od_.Capacity(index, sub);
    return od_.CheckDownload(index, sub, sizeKnown, size);
}

uint32_t GeneratorDevice::DownloadObject(uint16_t index, uint8_t sub, const std::string& bytes, bool sizeKnown) {
    const uint32_t code = od_.Download(index, sub, bytes, sizeKnown);
    if (code != 0 || index != kCommand) return code;
    const uint8_t command = bytes.empty() ? 0 : static_cast<uint8_t>(bytes[0]);
    if (command == 2) {
        Stop();
        return 0;
    }
    running_ = true;
    if (od_.GetU32(kMode, 0) == 1) StartSending(nowUs_, true);
    return 0;
}
