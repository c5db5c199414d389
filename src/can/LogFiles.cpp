#include "LogFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#include "AtomicFile.h"
#include "Ports.h"
#include "TimeSource.h"

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

QString ToQ(const std::string& s) { return QString::fromLocal8Bit(s.c_str()); }

#if defined(_WIN32)
constexpr char kNativeSeparator = '\\';
#else
constexpr char kNativeSeparator = '/';
#endif

std::string StripTrailingSeparators(std::string path) {
    // Keep a lone root separator.
    while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
    return path;
}
}  // namespace

std::string NativePath(std::string path) {
    for (char& c : path)
        if (IsSeparator(c)) c = kNativeSeparator;
    return path;
}

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    return QFileInfo::exists(ToQ(NativePath(path)));
}

bool ForceDirectories(const std::string& pathIn) {
    if (pathIn.empty()) return false;
    const std::string path = StripTrailingSeparators(pathIn);
    if (FileExists(path)) return QFileInfo(ToQ(NativePath(path))).isDir();
    const size_t cut = path.find_last_of("\\/");
    // A path without any separator is a folder in the current one: no parent to make first.
    if (cut != std::string::npos && cut > 0) {
        const std::string parent = path.substr(0, cut);
        // "C:" is a drive, not a folder to create.
        if (!(parent.size() == 2 && parent[1] == ':') && !ForceDirectories(parent)) return false;
    }
    return QDir().mkdir(ToQ(NativePath(path))) || QFileInfo(ToQ(NativePath(path))).isDir();
}

std::string ComputerName() {
    std::string name = QSysInfo::machineHostName().toStdString();
    if (name.size() > 255) name.resize(255);
    return name;
}

bool BuildLogFileName(std::string& out, const std::string& directory, const std::string& extension) {
    const std::string computer = ComputerName();
    if (computer.empty()) return false;
    constexpr int64_t kEpoch1601To1970Ms = 11644473600ll * 1000;
    const int64_t msSince1970 =
        static_cast<int64_t>(CurrentTimeSource().NowUs() / 1000) - kEpoch1601To1970Ms;
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(msSince1970).toLocalTime();
    const QDate d = now.date();
    const QTime t = now.time();
    const std::string dir = StripTrailingSeparators(directory);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "_%4d-%02d-%02d_%02d-%02d-%02d_", d.year(), d.month(), d.day(),
                  t.hour(), t.minute(), t.second());
    for (uint64_t n = 0;; ++n) {
        if (!ForceDirectories(dir)) return false;
        std::string candidate = dir;
        candidate.push_back(kNativeSeparator);
        candidate += computer + stamp + std::to_string(n) + extension;
        candidate = NativePath(candidate);
        if (!FileExists(candidate)) {
            out = candidate;
            return true;
        }
    }
}

bool WriteGridCsv(const std::string& path, char separator, const TableSource& table) {
    AtomicFile file(NativePath(path));
    if (!file.Open()) return false;
    std::string line;
    for (size_t r = 0; r < table.RowCount(); ++r) {
        line.clear();
        for (size_t c = 0; c < table.ColumnCount(); ++c) {
            line.push_back('"');
            line += table.Cell(r, c);
            line.push_back('"');
            line.push_back(separator);
        }
        line.push_back('\n');
        if (!file.Write(line)) return false;
    }
    return file.Commit();
}

bool ExportGridCsv(char separator, const TableSource& table) {
    auto path = CurrentOperator().ChooseSaveFile("", "CSV Datei|*.csv", "");
    if (!path || path->empty()) return false;
    return WriteGridCsv(*path, separator, table);
}
