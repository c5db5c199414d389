#include "ResultsCommand.h"

#include <QDateTime>
#include <QFileInfo>
#include <cstdio>
#include <map>
#include <set>

#include "JUnitReport.h"
#include "ResultDatabase.h"
#include "ResultStore.h"
#include "RowText.h"
#include "RunTable.h"
#include "StationArchive.h"

namespace {
constexpr int kOk = 0, kNothing = 1, kError = 2;

struct Options {
    std::string command;
    std::vector<std::string> operands;
    std::string db, ini = "quarzel.ini";
    bool local = false;
    RunFilter filter;
    std::string csv, junit;
};

const std::set<std::string>& Commands() {
    static const std::set<std::string> c = {"list", "show", "export", "yield", "forward", "help"};
    return c;
}

bool ParseNumber(const std::string& text, long long max, long long& value) {
    if (text.empty() || text.size() > 19) return false;
    int base = 10;
    std::string digits = text;
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) base = 16, digits = digits.substr(2);
    if (digits.empty()) return false;
    char* end = nullptr;
    value = std::strtoll(digits.c_str(), &end, base);
    return *end == '\0' && value >= 0 && value <= max;
}

bool Parse(const std::vector<std::string>& args, Options& o, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.command = "help";
        } else if (a == "--db") {
            if (!value(o.db)) return false;
        } else if (a == "--ini") {
            if (!value(o.ini)) return false;
        } else if (a == "--local") {
            o.local = true;
        } else if (a == "--serial") {
            long long n = 0;
            if (!value(v)) return false;
            if (!ParseNumber(v, 0xFFFFFFFFll, n)) {
                error = "--serial \"" + v + "\" is not a serial number";
                return false;
            }
            o.filter.serialNr = static_cast<uint32_t>(n);
        } else if (a == "--test") {
            if (!value(o.filter.testFile)) return false;
        } else if (a == "--from" || a == "--to") {
            int64_t ms = 0;
            if (!value(v)) return false;
            if (!ParseArchiveTime(v, a == "--to", ms)) {
                error = a + " \"" + v + "\" is not a time (YYYY-MM-DD, YYYY-MM-DD HH:MM[:SS])";
                return false;
            }
            (a == "--from" ? o.filter.fromMs : o.filter.toMs) = ms;
        } else if (a == "--limit") {
            long long n = 0;
            if (!value(v)) return false;
            if (!ParseNumber(v, 1 << 30, n)) {
                error = "--limit \"" + v + "\" is not a count";
                return false;
            }
            o.filter.limit = static_cast<int>(n);
        } else if (a == "--csv") {
            if (!value(o.csv)) return false;
        } else if (a == "--junit") {
            if (!value(o.junit)) return false;
        } else if (a.rfind("--", 0) == 0) {
            error = "unknown option " + a;
            return false;
        } else if (o.command.empty()) {
            if (!Commands().count(a)) {
                error = "unknown command \"" + a + "\"";
                return false;
            }
            o.command = a;
        } else {
            o.operands.push_back(a);
        }
    }
    if (o.command.empty()) {
        error = "no command given";
        return false;
    }
    return true;
}

std::string Number(const std::optional<uint32_t>& v) { return v ? std::to_string(*v) : "-"; }

std::string VerdictText(const RunRecord& r) { return r.verdict + (r.simulated ? " (simulated)" : ""); }

std::string Pad(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

void PrintList(const std::vector<RunSummary>& runs, std::ostream& out) {
    out << Pad("Started", 21) << Pad("Run", 38) << Pad("Serial", 12) << Pad("Verdict", 22) << Pad("Errors", 8)
        << Pad("Rows", 7) << Pad("Station", 16) << "Test file\n";
    for (const auto& s : runs) {
        const RunRecord& r = s.run;
        out << Pad(FormatArchiveTime(r.startedMs), 21) << Pad(r.uuid, 38) << Pad(Number(r.serialNr), 12)
            << Pad(VerdictText(r), 22) << Pad(std::to_string(r.errorCount), 8) << Pad(std::to_string(s.rowCount), 7)
            << Pad(r.station, 16) << r.testFile << "\n";
    }
}

void PrintRun(const RunRecord& r, std::ostream& out) {
    auto hex = [](const std::optional<uint32_t>& v) {
        if (!v) return std::string("-");
        char text[32];
        std::snprintf(text, sizeof text, "%u (0x%X)", *v, *v);
        return std::string(text);
    };
    out << "Run:             " << r.uuid << "\n"
        << "Station:         " << r.station << "\n"
        << "Program version: " << r.programVersion << "\n"
        << "Interface:       " << r.interfaceType << (r.simulated ? " (simulated device)" : "") << "\n"
        << "Test file:       " << r.testFile << "\n"
        << "SHA-256:         " << r.testSha256 << "\n"
        << "SerialNr:        " << hex(r.serialNr) << "\n"
        << "VendorId:        " << hex(r.vendorId) << "\n"
        << "ProdCode:        " << hex(r.prodCode) << "\n"
        << "RevNr:           " << hex(r.revNr) << "\n"
        << "NodeId:          " << Number(r.nodeId) << "\n"
        << "Baudr:           " << Number(r.baudrate) << "\n"
        << "Started:         " << FormatArchiveTime(r.startedMs) << "\n"
        << "Ended:           " << FormatArchiveTime(r.endedMs) << "\n"
        << "Verdict:         " << VerdictText(r) << ", " << r.errorCount << (r.errorCount == 1 ? " error" : " errors")
        << ", exit code " << r.exitCode << "\n";
    if (!r.traceFile.empty()) out << "Trace file:      " << r.traceFile << "\n";
    if (r.discardedRows > 0) out << "Rows not kept:   " << r.discardedRows << " (the first rows of the run)\n";
    out << FormatRowText(GridTitles()) << "\n";
    for (const auto& row : r.rows) out << FormatRowText(row) << "\n";
}

void PrintYield(const std::vector<YieldRow>& rows, std::ostream& out) {
    out << Pad("Day", 12) << Pad("Runs", 7) << Pad("Passed", 8) << Pad("Yield", 9) << Pad("Simulated", 11)
        << "Test file\n";
    for (const auto& y : rows) {
        char percent[16];
        std::snprintf(percent, sizeof percent, "%.1f%%", y.runs ? 100.0 * y.passed / y.runs : 0.0);
        out << Pad(y.day, 12) << Pad(std::to_string(y.runs), 7) << Pad(std::to_string(y.passed), 8)
            << Pad(percent, 9) << Pad(std::to_string(y.simulated), 11) << y.testFile << "\n";
    }
}
}  // namespace

bool ParseArchiveTime(const std::string& text, bool endOfRange, int64_t& ms) {
    QString t = QString::fromStdString(text).trimmed();
    const bool utc = t.endsWith('Z');
    if (utc) t.chop(1);
    t.replace('T', ' ');
    QDateTime when;
    bool dateOnly = false;
    for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
        const QDateTime parsed = QDateTime::fromString(t, format);
        if (parsed.isValid()) {
            when = parsed;
            dateOnly = std::string(format) == "yyyy-MM-dd";
            break;
        }
    }
    if (!when.isValid()) return false;
    if (utc) when = QDateTime(when.date(), when.time(), Qt::UTC);
    if (dateOnly && endOfRange) when = when.addDays(1);
    ms = when.toMSecsSinceEpoch();
    return true;
}

std::string FormatArchiveTime(int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
}

std::string ResultsHelpText() {
    return "Usage: quarzel-results [--ini FILE | --db DATABASE] [--local] COMMAND [options]\n"
           "Looks up the runs the station archived.\n"
           "\n"
           "Commands:\n"
           "  list [--serial N] [--test FILE] [--from TIME] [--to TIME] [--limit N]\n"
           "                       runs, newest first (default limit 100; 0: all)\n"
           "  show RUN             a run's details and protocol rows (RUN: its UUID or a unique start)\n"
           "  export RUN [--csv FILE] [--junit FILE]\n"
           "                       a run's rows as CSV (';') and/or a JUnit report\n"
           "  yield [--test FILE] [--from TIME] [--to TIME]\n"
           "                       runs, passed runs and yield per test file and day\n"
           "  forward              sends the runs this station still holds for its [RESULT_DB] server\n"
           "\n"
           "Where the runs are:\n"
           "  --ini FILE           the station's configuration (default quarzel.ini): its [RESULT_DB]\n"
           "                       server, or else quarzel-results.sqlite in its [LOG_DIR]\n"
           "  --local              the station's own SQLite database even when [RESULT_DB] names a server\n"
           "  --db DATABASE        an SQLite file or a PostgreSQL connection (\"host=... dbname=...\",\n"
           "                       \"postgresql://user@host:port/db\")\n"
           "TIME: YYYY-MM-DD or YYYY-MM-DD HH:MM[:SS], local time (a final Z: UTC); --to is exclusive, a\n"
           "date alone as --to includes that day. FILE for --test: a full path or a file name.\n"
           "Exit codes: 0 done, 1 nothing found, 2 bad options or the database could not be used.\n";
}

int RunResultsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    std::string error;
    if (!Parse(args, o, error)) {
        err << "quarzel-results: " << error << "\nTry quarzel-results --help\n";
        return kError;
    }
    if (o.command == "help") {
        out << ResultsHelpText();
        return kOk;
    }
    const size_t wanted = (o.command == "show" || o.command == "export") ? 1 : 0;
    if (o.operands.size() != wanted) {
        err << "quarzel-results: " << o.command << (wanted ? " needs one run UUID" : " takes no operands") << "\n";
        return kError;
    }
    if (o.command == "export" && o.csv.empty() && o.junit.empty()) {
        err << "quarzel-results: export needs --csv FILE and/or --junit FILE\n";
        return kError;
    }

    std::string target = o.db;
    ArchiveTarget station;
    if (target.empty()) {
        Configuration config;
        if (!ReadConfiguration(o.ini, config)) {
            err << "quarzel-results: the configuration \"" << o.ini << "\" could not be read (use --db)\n";
            return kError;
        }
        station = ArchiveTargetFor(config);
        if (!station.problem.empty()) err << "quarzel-results: " << station.problem << "\n";
        target = (o.local || station.server.empty()) ? station.localPath : station.server;
        if (o.command == "forward") {
            if (station.server.empty()) {
                err << "quarzel-results: [RESULT_DB] names no server to send runs to\n";
                return kError;
            }
            const ForwardResult r = ForwardQueuedRuns(station.localPath, station.server, 10);
            out << r.sent << (r.sent == 1 ? " run" : " runs") << " sent, " << r.left << " left\n";
            if (!r.ok) err << "quarzel-results: " << r.error << "\n";
            return r.ok ? kOk : kError;
        }
        if (!LooksLikePostgres(target) && !QFileInfo::exists(QString::fromLocal8Bit(target.c_str()))) {
            err << "quarzel-results: no runs archived yet (" << target << " does not exist)\n";
            return kNothing;
        }
    } else if (o.command == "forward") {
        err << "quarzel-results: forward works on a station's configuration (--ini), not --db\n";
        return kError;
    }

    ResultDatabase db;
    if (!db.Open(target, 10, error)) {
        err << "quarzel-results: " << error << "\n";
        return kError;
    }
    ResultStore store(db);
    if (!store.Prepare(error)) {
        err << "quarzel-results: " << error << "\n";
        return kError;
    }

    if (o.command == "list") {
        const auto runs = store.List(o.filter, error);
        if (!error.empty()) {
            err << "quarzel-results: " << error << "\n";
            return kError;
        }
        if (runs.empty()) {
            err << "quarzel-results: no runs match\n";
            return kNothing;
        }
        PrintList(runs, out);
        return kOk;
    }
    if (o.command == "yield") {
        const auto rows = store.Yield(o.filter, error);
        if (!error.empty()) {
            err << "quarzel-results: " << error << "\n";
            return kError;
        }
        if (rows.empty()) {
            err << "quarzel-results: no runs match\n";
            return kNothing;
        }
        PrintYield(rows, out);
        return kOk;
    }
    const auto run = store.Load(o.operands[0], error);
    if (!run) {
        err << "quarzel-results: " << error << "\n";
        return kNothing;
    }
    if (o.command == "show") {
        PrintRun(*run, out);
        return kOk;
    }
    const RunTable table(*run);
    int code = kOk;
    if (!o.csv.empty() && !WriteGridCsv(o.csv, ';', table)) {
        err << "quarzel-results: the CSV file \"" << o.csv << "\" could not be written\n";
        code = kError;
    }
    const std::string suite = QFileInfo(QString::fromLocal8Bit(run->testFile.c_str())).completeBaseName().toStdString();
    if (!o.junit.empty() && !WriteJUnitReport(o.junit, suite, table)) {
        err << "quarzel-results: the JUnit file \"" << o.junit << "\" could not be written\n";
        code = kError;
    }
    return code;
}
