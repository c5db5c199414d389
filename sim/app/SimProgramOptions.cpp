#include "SimProgramOptions.h"

#include <charconv>
#include <cstdio>

#include "SimBusProtocol.h"

namespace {
bool Number(const std::string& text, uint64_t& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}
}  // namespace

std::string SimProgramUsage() {
    return std::string(
               "Usage: quarzel-sim [OPTIONS]\n"
               "\n"
               "Runs simulated CANopen devices on a virtual CAN bus that other programs join through a\n"
               "Unix-domain socket: quarzel and quarzel-run with [CAN_TREIBER_TYP] simbus:PATH, any other\n"
               "tool with the packet format of docs/virtual-bus.md (16-byte struct can_frame records).\n"
               "By default one simulated encoder (CiA 301 / 305 / 406) runs at node 1, 500 kbit/s.\n"
               "\n"
               "Bus:\n"
               "  --socket PATH     the socket to serve (default: ") +
           DefaultSimBusSocketPath() + ")\n"
           "  --no-device       the bus alone, for external devices and tools\n"
           "  --bus-timing      hold each frame for its time on the wire at its bit rate\n"
           "  --bus-delay US    delay every frame by US microseconds\n"
           "  --bus-loss N      lose every N-th frame\n"
           "  -v, --verbose     log every frame on the bus\n"
           "  -h, --help        show this text\n"
           "\n"
           "The first encoder (--KEY VALUE or --KEY=VALUE):\n" +
           EncoderOptionsHelp() +
           "  --fault may be given several times. Without --store the parameters are kept in\n"
           "  ~/.local/share/quarzel-sim/encoder1-<serial>.params.\n"
           "\n"
           "More encoders:\n"
           "  --device encoder?KEY=VALUE&KEY=VALUE   adds one, with the keys above (e.g. node=2)\n"
           "\n"
           "Fault switches (SERVICE: boot heartbeat guard emcy sdo lss pdo wprog):\n"
           "  SERVICE.silent  SERVICE.late:MS  SERVICE.wrongid  SERVICE.wrongdata  SERVICE.wronglen:N\n"
           "  SERVICE.drop:N  sdo.toggle  sdo.abort:INDEX:SUB:CODE (hex)  store.fail\n"
           "  shaft.skip:N  shaft.repeat:N  shaft.jump:N:STEPS\n"
           "\n"
           "Examples:\n"
           "  quarzel-sim --verbose\n"
           "  quarzel-sim --node 5 --kbit 250 --rpm 30 --fault sdo.late:300,guard.silent\n"
           "  quarzel-sim --socket /tmp/bench.sock --no-device\n"
           "\n"
           "Stops on Ctrl+C (SIGINT) or SIGTERM and removes its socket.\n";
}

bool ParseSimProgramArgs(const std::vector<std::string>& args, SimProgramOptions& o, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg == "-h" || arg == "--help") {
            o.help = true;
            continue;
        }
        if (arg == "-v" || arg == "--verbose") {
            o.verbose = true;
            continue;
        }
        if (arg == "--no-device") {
            o.noDevice = true;
            continue;
        }
        if (arg == "--bus-timing") {
            o.busTiming = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            error = "unexpected argument \"" + arg + "\"";
            return false;
        }
        std::string key = arg.substr(2);
        std::string value;
        const size_t eq = key.find('=');
        if (eq != std::string::npos) {
            value = key.substr(eq + 1);
            key = key.substr(0, eq);
        } else {
            if (key != "socket" && key != "bus-delay" && key != "bus-loss" && key != "device" &&
                !IsEncoderOptionKey(key)) {
                error = "unknown option --" + key;
                return false;
            }
            if (i + 1 >= args.size()) {
                error = "option --" + key + " needs a value";
                return false;
            }
            value = args[++i];
        }
        uint64_t n = 0;
        if (key == "socket") {
            o.socketPath = value;
        } else if (key == "bus-delay") {
            if (!Number(value, n) || n > 10000000) {
                error = "--bus-delay: microseconds 0..10000000 expected";
                return false;
            }
            o.busDelayUs = n;
        } else if (key == "bus-loss") {
            if (!Number(value, n) || n > 1000000) {
                error = "--bus-loss: a count 0..1000000 expected";
                return false;
            }
            o.busLossEvery = static_cast<uint32_t>(n);
        } else if (key == "device") {
            EncoderOptions e;
            if (!ParseEncoderOptions(value, e, error)) return false;
            o.moreDevices.push_back(e);
            o.moreStoreGiven.push_back(value.find("store=") != std::string::npos);
        } else {
            if (!ApplyEncoderOption(o.encoder, key, value, error)) return false;
            if (key == "store") o.storeGiven = true;
        }
    }
    return true;
}

std::vector<EncoderOptions> SimProgramDevices(const SimProgramOptions& o, const std::string& dataDir) {
    std::vector<EncoderOptions> devices;
    std::vector<bool> given;
    if (!o.noDevice) {
        devices.push_back(o.encoder);
        given.push_back(o.storeGiven);
    }
    for (size_t i = 0; i < o.moreDevices.size(); ++i) {
        devices.push_back(o.moreDevices[i]);
        given.push_back(o.moreStoreGiven[i]);
    }
    for (size_t k = 0; k < devices.size(); ++k) {
        if (given[k]) continue;
        char name[64];
        std::snprintf(name, sizeof name, "/encoder%zu-%08x.params", k + 1, devices[k].serial);
        devices[k].storePath = dataDir + name;
    }
    return devices;
}
