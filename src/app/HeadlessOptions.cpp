#include "HeadlessOptions.h"

#include "Numbers.h"

namespace {
// "--name=value" or "--name value".
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value,
               std::string& error) {
    const std::string& a = args[i];
    if (a.size() > name.size() && a.compare(0, name.size(), name) == 0 && a[name.size()] == '=') {
        value = a.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

bool Is(const std::string& arg, const std::string& name) {
    return arg == name || (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0);
}
}  // namespace

bool ParseHeadlessOptions(const std::vector<std::string>& args, HeadlessOptions& options, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string value;
        if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--save-ini") {
            options.saveIni = true;
        } else if (a == "--quiet" || a == "-q") {
            options.quiet = true;
        } else if (Is(a, "--ini")) {
            if (!TakeValue(args, i, "--ini", options.iniPath, error)) return false;
        } else if (Is(a, "--csv")) {
            if (!TakeValue(args, i, "--csv", options.csvPath, error)) return false;
        } else if (Is(a, "--junit")) {
            if (!TakeValue(args, i, "--junit", options.junitPath, error)) return false;
        } else if (Is(a, "--answer")) {
            if (!TakeValue(args, i, "--answer", value, error)) return false;
            const size_t eq = value.find('=');
            if (eq == std::string::npos || eq == 0) {
                error = "--answer needs NAME=VALUE, not \"" + value + "\"";
                return false;
            }
            options.answers[value.substr(0, eq)] = value.substr(eq + 1);
        } else if (Is(a, "--timeout")) {
            if (!TakeValue(args, i, "--timeout", value, error)) return false;
            int32_t seconds = 0;
            if (!ReadInteger(value, seconds) || seconds < 0) {
                error = "--timeout needs a number of seconds, not \"" + value + "\"";
                return false;
            }
            options.timeoutSeconds = seconds;
        } else if (Is(a, "--compare-eds")) {
            if (!TakeValue(args, i, "--compare-eds", options.compareEds, error)) return false;
        } else if (Is(a, "--node") || Is(a, "--kbit")) {
            const std::string name = a.rfind("--node", 0) == 0 ? "--node" : "--kbit";
            if (!TakeValue(args, i, name, value, error)) return false;
            int32_t number = 0;
            const bool node = name == "--node";
            if (!ReadInteger(value, number) || (node ? number < 1 || number > 127 : BitRateToIndex(number) < 0)) {
                error = name + (node ? " needs a node id 1..127" : " needs a bit rate of the table (1000 ... 10)") +
                        ", not \"" + value + "\"";
                return false;
            }
            (node ? options.node : options.kbit) = number;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else if (options.testFile.empty()) {
            options.testFile = a;
        } else {
            error = "only one test file can be run, got \"" + options.testFile + "\" and \"" + a + "\"";
            return false;
        }
    }
    if (!options.help && options.testFile.empty() && options.compareEds.empty()) {
        error = "no test file given";
        return false;
    }
    return true;
}

std::string HeadlessHelpText() {
    return R"(Usage: quarzel-run [options] TESTFILE
       quarzel-run [options] --compare-eds FILE

Runs a Quarzel test file without a window: reads quarzel.ini, opens the configured
CAN interface, loads TESTFILE and runs it with the station's runner and commands.
Each protocol row is printed as it is written, then a verdict line.

Options:
  --ini FILE            configuration file (default: quarzel.ini in the current folder)
  --csv FILE            write the protocol grid as CSV (quoted cells, ";" separated,
                        the title row first)
  --junit FILE          write a JUnit XML report: one test case per transmit row
  --answer NAME=VALUE   answer an operator question: NAME is the value asked for
                        (for example "Serial number") or the title of a yes/no
                        question; may be given several times. Questions without
                        an answer are refused and named on stderr.
  --timeout SECONDS     stop the run after SECONDS (the verdict is then "stopped")
  --save-ini            write quarzel.ini back at the end, as the desktop station
                        does (history, working folder, last serial number)
  -q, --quiet           print only the verdict line
  --compare-eds FILE    compare the device with the EDS (or DCF) FILE instead of
                        running a test file: every entry is read, read-only entries
                        are written back with their own value; each difference is
                        printed (value differs, object missing, access refused,
                        read-only object writable). Exit 0 when equal.
  --node N              the node --compare-eds talks to (default 1)
  --kbit K              its bit rate in kbit/s (default 500)
  -h, --help            this text

Exit codes:
  0    the test ran to its end without errors
  1    the test counted errors, or did not run to its end (time limit, a step
       that ended the run)
  2    the test could not run: bad options, configuration, test file or CAN channel
  N    the exit code a test sets with "B:BEF_Beenden" (0 to 255; other values give 255)

Messages and notices go to stderr; rows and the verdict go to stdout.
)";
}
