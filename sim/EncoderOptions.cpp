#include "EncoderOptions.h"

#include <charconv>
#include <cmath>

#include "CanSettings.h"

namespace {
bool Unsigned(std::string_view text, uint64_t& out) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

bool Decimal(std::string_view text, double& out) {
    const std::string s(text);
    if (s.empty()) return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(out);
}

bool InRange(std::string_view text, uint64_t min, uint64_t max, uint64_t& out) {
    return Unsigned(text, out) && out >= min && out <= max;
}
}  // namespace

bool IsEncoderOptionKey(std::string_view key) {
    for (const char* k : {"node", "kbit", "bitrate", "vendor", "product", "revision", "serial", "name", "rpm", "dir",
                          "resolution", "revolutions", "emcy", "boot", "store", "fault"})
        if (key == k) return true;
    return false;
}

const char* EncoderOptionsHelp() {
    return "  node=N          node id 1..127, or 255 for a device without node id (LSS only); default 1\n"
           "  kbit=K          bit rate in kbit/s: 1000 800 500 250 125 100 50 20 10; default 500\n"
           "  vendor=V        vendor id (0x1018 sub 1)\n"
           "  product=P       product code (0x1018 sub 2)\n"
           "  revision=R      revision number (0x1018 sub 3)\n"
           "  serial=S        serial number (0x1018 sub 4, 0x650B); default 0x12345678\n"
           "  name=TEXT       device name (0x1008)\n"
           "  rpm=X           shaft speed in revolutions per minute (0..6000, fractions allowed); default 0\n"
           "  dir=cw|ccw      shaft direction: cw counts up, ccw counts down; default cw\n"
           "  resolution=N    physical steps per revolution (0x6501); default 8192\n"
           "  revolutions=N   distinguishable revolutions (0x6502); default 4096\n"
           "  emcy=CODE       send an emergency frame with this error code after every boot-up\n"
           "  boot=MS         time from power-on or reset to the boot-up frame; default 0\n"
           "  store=PATH      the file that keeps stored parameters (none: memory only)\n"
           "  fault=SWITCHES  fault switches, comma-separated (see the simulator guide)\n";
}

bool ApplyEncoderOption(EncoderOptions& o, std::string_view key, std::string_view value, std::string& error) {
    uint64_t n = 0;
    auto bad = [&](const char* what) {
        error = "option " + std::string(key) + "=" + std::string(value) + ": " + what;
        return false;
    };
    if (key == "node") {
        if (!Unsigned(value, n) || !((n >= 1 && n <= 127) || n == 255)) return bad("node id 1..127 or 255 expected");
        o.nodeId = static_cast<uint8_t>(n);
    } else if (key == "kbit" || key == "bitrate") {
        if (!Unsigned(value, n) || CanBitRateToIndex(static_cast<int64_t>(n)) < 0)
            return bad("bit rate 1000, 800, 500, 250, 125, 100, 50, 20 or 10 expected");
        o.kbit = static_cast<int>(n);
    } else if (key == "vendor" || key == "product" || key == "revision" || key == "serial") {
        if (!InRange(value, 0, 0xFFFFFFFFu, n)) return bad("32-bit number expected");
        uint32_t& target = key == "vendor" ? o.vendorId
                           : key == "product" ? o.productCode
                           : key == "revision" ? o.revision
                                               : o.serial;
        target = static_cast<uint32_t>(n);
    } else if (key == "name") {
        if (value.size() > 64) return bad("at most 64 characters");
        o.deviceName = std::string(value);
    } else if (key == "rpm") {
        double rpm = 0;
        if (!Decimal(value, rpm) || rpm < 0 || rpm > 6000) return bad("speed 0..6000 expected");
        o.milliRpm = static_cast<uint64_t>(std::llround(rpm * 1000.0));
    } else if (key == "dir") {
        if (value == "cw") o.forward = true;
        else if (value == "ccw") o.forward = false;
        else return bad("cw or ccw expected");
    } else if (key == "resolution") {
        if (!InRange(value, 1, 1u << 24, n)) return bad("1..16777216 expected");
        o.resolution = static_cast<uint32_t>(n);
    } else if (key == "revolutions") {
        if (!InRange(value, 1, 65535, n)) return bad("1..65535 expected");
        o.revolutions = static_cast<uint32_t>(n);
    } else if (key == "emcy") {
        if (!InRange(value, 0, 0xFFFF, n)) return bad("16-bit error code expected");
        o.emcyAtBoot = static_cast<uint16_t>(n);
    } else if (key == "boot") {
        if (!InRange(value, 0, 60000, n)) return bad("0..60000 ms expected");
        o.bootDelayMs = static_cast<uint32_t>(n);
    } else if (key == "store") {
        o.storePath = value == "none" ? std::string() : std::string(value);
    } else if (key == "fault") {
        return ParseFaultSwitches(value, o.faults, error);
    } else {
        error = "unknown option \"" + std::string(key) + "\"";
        return false;
    }
    return true;
}

bool ForEachOptionPair(std::string_view text,
                       const std::function<bool(std::string_view key, std::string_view value)>& fn,
                       std::string& error) {
    while (!text.empty()) {
        const size_t amp = text.find('&');
        const std::string_view pair = text.substr(0, amp);
        text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        if (pair.empty()) continue;
        const size_t eq = pair.find('=');
        if (eq == std::string_view::npos) {
            error = "option \"" + std::string(pair) + "\": expected key=value";
            return false;
        }
        if (!fn(pair.substr(0, eq), pair.substr(eq + 1))) return false;
    }
    return true;
}

bool ParseEncoderOptions(std::string_view text, EncoderOptions& options, std::string& error) {
    if (text.substr(0, 7) == "encoder") text.remove_prefix(7);
    if (!text.empty() && text.front() == '?') text.remove_prefix(1);
    EncoderOptions result = options;
    const bool ok = ForEachOptionPair(
        text, [&](std::string_view key, std::string_view value) { return ApplyEncoderOption(result, key, value, error); },
        error);
    if (!ok) return false;
    options = std::move(result);
    return true;
}
