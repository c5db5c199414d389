#include "FaultSwitches.h"

#include <charconv>

namespace {
constexpr std::array<const char*, kSimServiceCount> kServiceNames = {"boot", "heartbeat", "guard", "emcy",
                                                                     "sdo",  "lss",       "pdo",   "wprog"};

// The byte a "wrong data" fault changes, per service.
constexpr std::array<uint8_t, kSimServiceCount> kPayloadByte = {0, 0, 0, 0, 4, 1, 0, 1};

std::vector<std::string_view> Split(std::string_view text, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

template <typename T>
bool Number(std::string_view text, T& out, int base = 10) {
    if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseOne(std::string_view sw, FaultSwitches& f, std::string& error) {
    const auto args = Split(sw, ':');
    const std::string_view head = args[0];
    const size_t dot = head.find('.');
    if (dot == std::string_view::npos) {
        error = "fault switch \"" + std::string(sw) + "\": expected SERVICE.KIND";
        return false;
    }
    const std::string_view service = head.substr(0, dot);
    const std::string_view kind = head.substr(dot + 1);
    auto argCount = [&](size_t n) {
        if (args.size() == n + 1) return true;
        error = "fault switch \"" + std::string(sw) + "\": expected " + std::to_string(n) + " argument(s)";
        return false;
    };
    auto bad = [&] {
        error = "fault switch \"" + std::string(sw) + "\": bad argument";
        return false;
    };

    if (service == "shaft") {
        ShaftFault s;
        if (kind == "skip" || kind == "repeat") {
            if (!argCount(1)) return false;
            if (!Number(args[1], s.every) || s.every == 0) return bad();
            s.kind = kind == "skip" ? ShaftFault::Kind::Skip : ShaftFault::Kind::Repeat;
        } else if (kind == "jump") {
            if (!argCount(2)) return false;
            if (!Number(args[1], s.every) || !Number(args[2], s.jump)) return bad();
            s.kind = ShaftFault::Kind::Jump;
        } else {
            error = "fault switch \"" + std::string(sw) + "\": the shaft knows skip, repeat and jump";
            return false;
        }
        f.shaft = s;
        return true;
    }
    if (service == "store" && kind == "fail") {
        if (!argCount(0)) return false;
        f.storeFails = true;
        return true;
    }
    if (service == "sdo" && kind == "toggle") {
        if (!argCount(0)) return false;
        f.sdoWrongToggle = true;
        return true;
    }
    if (service == "sdo" && kind == "abort") {
        if (!argCount(3)) return false;
        ObjectAbortFault a;
        if (!Number(args[1], a.index, 16) || !Number(args[2], a.sub, 16) || !Number(args[3], a.code, 16)) return bad();
        f.objectAborts.push_back(a);
        return true;
    }
    size_t si = 0;
    while (si < kSimServiceCount && service != kServiceNames[si]) ++si;
    if (si == kSimServiceCount) {
        error = "fault switch \"" + std::string(sw) + "\": unknown service \"" + std::string(service) + "\"";
        return false;
    }
    ServiceFault& sf = f.service[si];
    if (kind == "silent") {
        if (!argCount(0)) return false;
        sf.silent = true;
    } else if (kind == "late") {
        if (!argCount(1)) return false;
        if (!Number(args[1], sf.lateMs) || sf.lateMs > 600000) return bad();
    } else if (kind == "wrongid") {
        if (!argCount(0)) return false;
        sf.wrongId = true;
    } else if (kind == "wrongdata") {
        if (!argCount(0)) return false;
        sf.wrongData = true;
    } else if (kind == "wronglen") {
        if (!argCount(1)) return false;
        if (!Number(args[1], sf.wrongLength) || sf.wrongLength < 0 || sf.wrongLength > 8) return bad();
    } else if (kind == "drop") {
        if (!argCount(1)) return false;
        if (!Number(args[1], sf.dropEvery) || sf.dropEvery == 0) return bad();
    } else {
        error = "fault switch \"" + std::string(sw) + "\": unknown kind \"" + std::string(kind) + "\"";
        return false;
    }
    return true;
}
}  // namespace

const char* SimServiceName(SimService service) { return kServiceNames[static_cast<size_t>(service)]; }

uint32_t FaultSwitches::AbortFor(uint16_t index, uint8_t sub) const {
    for (const auto& a : objectAborts)
        if (a.index == index && a.sub == sub) return a.code;
    return 0;
}

bool ParseFaultSwitches(std::string_view text, FaultSwitches& faults, std::string& error) {
    FaultSwitches result = faults;
    for (std::string_view sw : Split(text, ',')) {
        while (!sw.empty() && sw.front() == ' ') sw.remove_prefix(1);
        while (!sw.empty() && sw.back() == ' ') sw.remove_suffix(1);
        if (sw.empty()) continue;
        if (!ParseOne(sw, result, error)) return false;
    }
    faults = std::move(result);
    return true;
}

std::optional<BusFrame> FaultFilter::Apply(SimService service, BusFrame frame, const FaultSwitches& faults,
                                           uint32_t& delayMs) {
    const size_t si = static_cast<size_t>(service);
    const ServiceFault& f = faults.service[si];
    delayMs = f.lateMs;
    if (f.silent) return std::nullopt;
    ++counters_[si];
    if (f.dropEvery > 0 && counters_[si] % f.dropEvery == 0) return std::nullopt;
    if (f.wrongId) frame.id = (frame.id + 1) & 0x7FF;
    if (f.wrongData) frame.data[kPayloadByte[si]] ^= 0x01;
    if (f.wrongLength >= 0) frame.len = static_cast<uint8_t>(f.wrongLength);
    return frame;
}
