#include "ConverterOptions.h"

#include <charconv>

namespace {
template <typename T>
bool Number(const std::string& text, int base, T& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}
}  // namespace

bool ParseConverterArgs(const std::vector<std::string>& args, ConverterProgramOptions& options, std::string& error) {
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        auto value = [&](std::string& out) {
            if (k + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++k];
            return true;
        };
        std::string v;
        unsigned code = 0;
        if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--silent") {
            options.switches.silent = true;
        } else if (a == "--overcurrent") {
            options.switches.overcurrent = true;
        } else if (a == "--flood") {
            options.switches.flood = true;
        } else if (a == "--type") {
            if (!value(v)) return false;
            if (!Number(v, 10, options.switches.type) || options.switches.type < 0 || options.switches.type > 255) {
                error = "--type needs a number 0 .. 255, not '" + v + "'";
                return false;
            }
        } else if (a == "--error-code" || a == "--mute-command") {
            if (!value(v)) return false;
            if (!Number(v, 16, code) || code > 0xFF) {
                error = a + " needs a hexadecimal byte, not '" + v + "'";
                return false;
            }
            (a == "--error-code" ? options.switches.errorCode : options.switches.muteCommand) =
                static_cast<uint8_t>(code);
        } else if (a == "--current-ma") {
            if (!value(v)) return false;
            if (!Number(v, 10, code) || code > 1600) {
                error = "--current-ma needs a whole number of mA up to 1600, not '" + v + "'";
                return false;
            }
            options.switches.currentMa = code;
        } else if (a == "--link") {
            if (!value(options.linkPath)) return false;
        } else {
            error = "unknown option '" + a + "'";
            return false;
        }
    }
    return true;
}

std::string ConverterUsage() {
    return "quarzel-sim-converter [options]\n"
           "  A simulated test-bench converter on a pseudo-terminal. Prints the terminal's device\n"
           "  path; put it into quarzel.ini under [ComPortKonverter]. Stop with Ctrl+C.\n"
           "  --type N            converter type reported (default 2)\n"
           "  --silent            answer nothing (the station reports no answer)\n"
           "  --mute-command HH   answer nothing to command HH only (for example 1d)\n"
           "  --error-code HH     refuse every setting with error code HH\n"
           "  --current-ma N      current drawn while the supply is on (default 50)\n"
           "  --overcurrent       draw 1500 mA while the supply is on\n"
           "  --flood             answer with 5000 bytes (more than the station's buffer)\n"
           "  --link PATH         also make PATH a symbolic link to the terminal\n";
}
