#include "TraceFiles.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cinttypes>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>

namespace {
constexpr uint64_t kUnixEpochInStationUs = 11644473600ull * 1000000ull;
constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::tm LocalTime(uint64_t unixUs) {
    const std::time_t t = static_cast<std::time_t>(unixUs / 1000000);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return tm;
}

// "Wed Dec 09 04:43:21.123 pm 2026", the date form of Vector's loggers.
std::string AscDate(uint64_t unixUs) {
    const std::tm tm = LocalTime(unixUs);
    const int hour12 = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s %s %02d %02d:%02d:%02d.%03u %s %d", kDays[tm.tm_wday], kMonths[tm.tm_mon], tm.tm_mday,
                  hour12, tm.tm_min, tm.tm_sec, static_cast<unsigned>(unixUs / 1000 % 1000), tm.tm_hour < 12 ? "am" : "pm",
                  tm.tm_year + 1900);
    return buf;
}

// Microseconds as "S.UUUUUU".
std::string Seconds(uint64_t us) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%" PRIu64 ".%06" PRIu64, us / 1000000, us % 1000000);
    return buf;
}

// Microseconds as milliseconds "M.UUU".
std::string Milliseconds(uint64_t us) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%" PRIu64 ".%03" PRIu64, us / 1000, us % 1000);
    return buf;
}

bool ParseU64(std::string_view s, uint64_t& v, int base = 10) {
    if (s.empty()) return false;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    return ec == std::errc() && end == s.data() + s.size();
}

// A decimal "W.FFF" in units of `unitUs` microseconds (seconds: 1000000, milliseconds: 1000)
// into microseconds; fraction digits below a microsecond are dropped.
bool ParseScaled(std::string_view s, uint64_t unitUs, uint64_t& us) {
    const size_t dot = s.find('.');
    uint64_t whole = 0;
    if (!ParseU64(s.substr(0, dot), whole)) return false;
    uint64_t frac = 0;
    if (dot != std::string_view::npos) {
        const std::string_view digits = s.substr(dot + 1);
        if (digits.empty()) return false;
        uint64_t scale = unitUs;
        for (char c : digits) {
            if (c < '0' || c > '9') return false;
            scale /= 10;
            frac += static_cast<uint64_t>(c - '0') * scale;
        }
    }
    us = whole * unitUs + frac;
    return true;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

bool ParseHexByte(const std::string& s, uint8_t& b) {
    uint64_t v = 0;
    if (s.size() > 2 || !ParseU64(s, v, 16)) return false;
    b = static_cast<uint8_t>(v);
    return true;
}

// "Wed Dec 09 04:43:21.123 pm 2026" or "Wed Dec 9 16:43:21 2026" (local time).
bool ParseAscDate(const std::vector<std::string>& w, size_t at, uint64_t& unixUs) {
    if (w.size() < at + 5) return false;
    std::tm tm{};
    const auto month = std::find(std::begin(kMonths), std::end(kMonths), w[at + 1]);
    if (month == std::end(kMonths)) return false;
    tm.tm_mon = static_cast<int>(month - std::begin(kMonths));
    uint64_t day = 0, year = 0;
    if (!ParseU64(w[at + 2], day)) return false;
    tm.tm_mday = static_cast<int>(day);
    unsigned h = 0, m = 0, s = 0, ms = 0;
    const std::string& clock = w[at + 3];
    const int n = std::sscanf(clock.c_str(), "%u:%u:%u.%u", &h, &m, &s, &ms);
    if (n < 3) return false;
    size_t next = at + 4;
    const std::string ampm = Lower(w[next]);
    if (ampm == "am" || ampm == "pm") {
        h = h % 12 + (ampm == "pm" ? 12 : 0);
        ++next;
    }
    if (next >= w.size() || !ParseU64(w[next], year)) return false;
    tm.tm_year = static_cast<int>(year) - 1900;
    tm.tm_hour = static_cast<int>(h);
    tm.tm_min = static_cast<int>(m);
    tm.tm_sec = static_cast<int>(s);
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t < 0) return false;
    unixUs = static_cast<uint64_t>(t) * 1000000 + (n == 4 ? ms * 1000ull : 0);
    return true;
}
}  // namespace

uint64_t UnixMicroseconds(uint64_t stationUs) {
    return stationUs > kUnixEpochInStationUs ? stationUs - kUnixEpochInStationUs : 0;
}

std::optional<TraceFileFormat> TraceFileFormatOf(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) return std::nullopt;
    const std::string ext = Lower(path.substr(dot));
    if (ext == ".log") return TraceFileFormat::CandumpLog;
    if (ext == ".trc") return TraceFileFormat::PeakTrc;
    if (ext == ".asc") return TraceFileFormat::VectorAsc;
    return std::nullopt;
}

const char* TraceFileDialogFilter() {
    return "Trace files (*.log *.trc *.asc)|*.log;*.trc;*.asc|candump log (*.log)|*.log|PEAK trace (*.trc)|*.trc|"
           "Vector ASCII (*.asc)|*.asc";
}

bool TraceFileWriter::Open(const std::string& path, TraceFileFormat format, uint64_t startUnixUs, std::string& error) {
    Close();
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        error = "Cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    format_ = format;
    written_ = 0;
    failed_ = false;
    startUs_ = startUnixUs;
    std::string header;
    if (format == TraceFileFormat::PeakTrc) {
        char start[64];
        std::snprintf(start, sizeof start, "%.10f", static_cast<double>(startUnixUs) / 86400e6 + 25569.0);
        header = std::string(";$FILEVERSION=2.1\r\n;$STARTTIME=") + start +
                 "\r\n;$COLUMNS=N,O,T,B,I,d,R,L,D\r\n;\r\n;   Recorded by Quarzel\r\n;   Start time: " +
                 AscDate(startUnixUs) +
                 "\r\n;\r\n;   Message   Time    Type    ID     Rx/Tx\r\n"
                 ";   Number    Offset  |  Bus  [hex]  |  Reserved\r\n"
                 ";   |         [ms]    |  |    |      |  |  Data Length Code\r\n"
                 ";   |         |       |  |    |      |  |  |    Data [hex] ...\r\n"
                 ";   |         |       |  |    |      |  |  |    |\r\n"
                 ";---+-- ------+------ +- +- --+----- +- +- +--- +- -- -- -- -- -- -- --\r\n";
    } else if (format == TraceFileFormat::VectorAsc) {
        // Offsets count from a whole millisecond, the resolution of the header's date.
        startUs_ = startUnixUs - startUnixUs % 1000;
        const std::string date = AscDate(startUs_);
        header = "date " + date + "\r\nbase hex  timestamps absolute\r\ninternal events logged\r\n// version 9.0.0\r\n" +
                 "Begin Triggerblock " + date + "\r\n   0.000000 Start of measurement\r\n";
    }
    if (!header.empty() && std::fwrite(header.data(), 1, header.size(), file_) != header.size()) failed_ = true;
    return true;
}

bool TraceFileWriter::Write(const TraceFileFrame& f) {
    if (!file_ || failed_) return false;
    static constexpr char kHex[] = "0123456789ABCDEF";
    const uint8_t len = std::min<uint8_t>(f.len, 8);
    char line[160];
    int n = 0;
    const uint64_t offset = f.unixUs > startUs_ ? f.unixUs - startUs_ : 0;
    switch (format_) {
        case TraceFileFormat::CandumpLog: {
            n = std::snprintf(line, sizeof line, "(%s) can0 %03X#", Seconds(f.unixUs).c_str(), f.id);
            if (f.rtr) {
                line[n++] = 'R';
                if (len > 0) line[n++] = static_cast<char>('0' + len);
            } else {
                for (int i = 0; i < len; ++i) {
                    line[n++] = kHex[f.data[i] >> 4];
                    line[n++] = kHex[f.data[i] & 0xF];
                }
            }
            n += std::snprintf(line + n, sizeof line - n, " %c\n", f.tx ? 'T' : 'R');
            break;
        }
        case TraceFileFormat::PeakTrc: {
            n = std::snprintf(line, sizeof line, "%7" PRIu64 " %13s %s  1     %04X %s -  %-4u", written_ + 1,
                              Milliseconds(offset).c_str(), f.rtr ? "RR" : "DT", f.id, f.tx ? "Tx" : "Rx", len);
            if (!f.rtr)
                for (int i = 0; i < len; ++i) n += std::snprintf(line + n, sizeof line - n, " %02X", f.data[i]);
            line[n++] = '\r';
            line[n++] = '\n';
            break;
        }
        case TraceFileFormat::VectorAsc: {
            n = std::snprintf(line, sizeof line, "%11s 1  %-15X %s   %s %X", Seconds(offset).c_str(), f.id,
                              f.tx ? "Tx" : "Rx", f.rtr ? "r" : "d", len);
            if (!f.rtr)
                for (int i = 0; i < len; ++i) n += std::snprintf(line + n, sizeof line - n, " %02X", f.data[i]);
            line[n++] = '\r';
            line[n++] = '\n';
            break;
        }
    }
    if (std::fwrite(line, 1, static_cast<size_t>(n), file_) != static_cast<size_t>(n)) {
        failed_ = true;
        return false;
    }
    ++written_;
    return true;
}

bool TraceFileWriter::Close() {
    if (!file_) return !failed_;
    if (format_ == TraceFileFormat::VectorAsc) {
        static constexpr char kEnd[] = "End TriggerBlock\r\n";
        if (std::fwrite(kEnd, 1, sizeof kEnd - 1, file_) != sizeof kEnd - 1) failed_ = true;
    }
    if (std::fflush(file_) != 0) failed_ = true;
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    return !failed_;
}

namespace {
bool ParseCandumpLine(const std::vector<std::string>& w, TraceFileFrame& f) {
    if (w.size() < 3 || w[0].size() < 3 || w[0].front() != '(' || w[0].back() != ')') return false;
    if (!ParseScaled(std::string_view(w[0]).substr(1, w[0].size() - 2), 1000000, f.unixUs)) return false;
    const std::string& frame = w[2];
    const size_t hash = frame.find('#');
    uint64_t id = 0;
    if (hash == std::string::npos || !ParseU64(std::string_view(frame).substr(0, hash), id, 16) || id > 0x1FFFFFFF)
        return false;
    f.id = static_cast<uint32_t>(id);
    const std::string data = frame.substr(hash + 1);
    if (!data.empty() && (data[0] == 'R' || data[0] == 'r')) {
        f.rtr = true;
        uint64_t len = 0;
        if (data.size() > 1 && (!ParseU64(std::string_view(data).substr(1), len) || len > 8)) return false;
        f.len = static_cast<uint8_t>(len);
    } else {
        if (data.size() % 2 != 0 || data.size() > 16) return false;
        f.len = static_cast<uint8_t>(data.size() / 2);
        for (size_t i = 0; i < f.len; ++i)
            if (!ParseHexByte(data.substr(2 * i, 2), f.data[i])) return false;
    }
    f.tx = w.size() > 3 && (w[3] == "T" || w[3] == "t");
    return true;
}

struct TrcColumns {
    std::map<char, size_t> at{{'N', 0}, {'O', 1}, {'T', 2}, {'B', 3}, {'I', 4}, {'d', 5}, {'R', 6}, {'L', 7}, {'D', 8}};
    uint64_t startUs = 0;
};

// One message line; true with `skip` set for a line of another type (bus events, errors).
bool ParseTrcLine(const std::vector<std::string>& w, const TrcColumns& c, TraceFileFrame& f, bool& skip) {
    auto col = [&](char k) -> const std::string* {
        auto it = c.at.find(k);
        return it != c.at.end() && it->second < w.size() ? &w[it->second] : nullptr;
    };
    const std::string* type = col('T');
    const std::string* offset = col('O');
    const std::string* id = col('I');
    const std::string* dlc = col('L') ? col('L') : col('l');
    if (!type || !offset || !id || !dlc) return false;
    skip = *type != "DT" && *type != "RR";
    if (skip) return true;
    uint64_t us = 0, v = 0, len = 0;
    if (!ParseScaled(*offset, 1000, us) || !ParseU64(*id, v, 16) || !ParseU64(*dlc, len) || len > 8) return false;
    f.unixUs = c.startUs + us;
    f.id = static_cast<uint32_t>(v);
    f.rtr = *type == "RR";
    f.len = static_cast<uint8_t>(len);
    const std::string* dir = col('d');
    f.tx = dir && *dir == "Tx";
    if (!f.rtr) {
        const auto data = c.at.find('D');
        if (data == c.at.end() || data->second + len > w.size()) return false;
        for (size_t i = 0; i < len; ++i)
            if (!ParseHexByte(w[data->second + i], f.data[i])) return false;
    }
    return true;
}

// "<time> <channel> <id> <Rx|Tx> d <dlc> <bytes>" or "... r [dlc]"; other events are skipped.
bool ParseAscLine(const std::vector<std::string>& w, uint64_t startUs, TraceFileFrame& f, bool& skip) {
    skip = true;
    if (w.size() < 5 || (w[3] != "Rx" && w[3] != "Tx")) return true;
    uint64_t channel = 0;
    if (!ParseU64(w[1], channel)) return true;
    skip = false;
    uint64_t us = 0, id = 0, len = 0;
    std::string idText = w[2];
    if (!idText.empty() && (idText.back() == 'x' || idText.back() == 'X')) idText.pop_back();
    if (!ParseScaled(w[0], 1000000, us) || !ParseU64(idText, id, 16)) return false;
    f.unixUs = startUs + us;
    f.id = static_cast<uint32_t>(id);
    f.tx = w[3] == "Tx";
    const std::string kind = Lower(w[4]);
    if (kind == "r") {
        f.rtr = true;
        if (w.size() > 5 && (!ParseU64(w[5], len, 16) || len > 8)) return false;
        f.len = static_cast<uint8_t>(len);
        return true;
    }
    if (kind != "d" || w.size() < 6 || !ParseU64(w[5], len, 16) || len > 8 || w.size() < 6 + len) return false;
    f.len = static_cast<uint8_t>(len);
    for (size_t i = 0; i < len; ++i)
        if (!ParseHexByte(w[6 + i], f.data[i])) return false;
    return true;
}
}  // namespace

bool ReadTraceFile(const std::string& path, std::vector<TraceFileFrame>& frames, std::string& error, size_t limit,
                   uint64_t* more) {
    const auto format = TraceFileFormatOf(path);
    if (!format) {
        error = "Unknown trace file type (.log, .trc or .asc expected): " + path;
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "Cannot open " + path;
        return false;
    }
    frames.clear();
    if (more) *more = 0;
    TrcColumns trc;
    uint64_t ascStartUs = 0;
    std::string line;
    for (size_t number = 1; std::getline(in, line); ++number) {
        if (line.size() > 4096) line.resize(4096);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        const std::vector<std::string> w = Words(line);
        if (w.empty()) continue;
        TraceFileFrame f;
        bool ok = true;
        bool skip = false;
        switch (*format) {
            case TraceFileFormat::CandumpLog:
                ok = ParseCandumpLine(w, f);
                break;
            case TraceFileFormat::PeakTrc:
                if (line[0] == ';') {
                    if (line.rfind(";$STARTTIME=", 0) == 0) {
                        const double days = std::strtod(line.c_str() + 12, nullptr);
                        trc.startUs = days > 25569.0 ? static_cast<uint64_t>((days - 25569.0) * 86400e6 + 0.5) : 0;
                    } else if (line.rfind(";$COLUMNS=", 0) == 0) {
                        trc.at.clear();
                        size_t k = 0;
                        for (char ch : line.substr(10))
                            if (std::isalpha(static_cast<unsigned char>(ch))) trc.at[ch] = k++;
                    }
                    skip = true;
                } else {
                    ok = ParseTrcLine(w, trc, f, skip);
                }
                break;
            case TraceFileFormat::VectorAsc:
                if (Lower(w[0]) == "begin" && w.size() > 2 && Lower(w[1]) == "triggerblock") {
                    if (!ParseAscDate(w, 2, ascStartUs)) ascStartUs = 0;
                    skip = true;
                } else {
                    ok = ParseAscLine(w, ascStartUs, f, skip);
                }
                break;
        }
        if (!ok) {
            error = path + ", line " + std::to_string(number) + ": not a frame of this format";
            return false;
        }
        if (skip) continue;
        if (frames.size() < limit)
            frames.push_back(f);
        else if (more)
            ++*more;
    }
    return true;
}
