#include "TestFileLoader.h"

#include <QDir>
#include <QFileInfo>

#include "Configuration.h"
#include "FileText.h"
#include "LogFiles.h"
#include "NamedValueList.h"
#include "Numbers.h"
#include "Ports.h"
#include "ScriptLog.h"
#include "StationView.h"
#include "StringHelpers.h"
#include "TextEncoding.h"
#include "TextLines.h"

namespace {
constexpr const char* kLoadTitle = "Loading test file";
constexpr const char* kMemoryTitle = "Loading memory file";
constexpr size_t kMaxTestFileBytes = 64u << 20;
constexpr size_t kMaxMemoryFileBytes = 16u << 20;
constexpr size_t kMaxNoticeBytes = 1u << 20;

struct NodeKey {
    const char* key;
    const char* variable;  // nullptr: "Memory_dat: "
    bool required;
};

constexpr NodeKey kNodeKeys[] = {
    {"Baudrate: ", "Baudr", true},       {"Knotenadresse: ", "NodeId", true},
    {"VendorID: ", "VendorId", true},    {"Produktcode: ", "ProdCode", true},
    {"Revisionsnummer: ", "RevNr", true}, {"Seriennummer: ", "SerialNr", true},
    {"EmergencyID: ", "EMCId", true},    {"GuardingId: ", "GuardId", true},
    {"PDO1_ID: ", "Pdo1Id", true},       {"PDO2_ID: ", "Pdo2Id", true},
    {"SyncId: ", "SyncId", true},        {"Timer: ", "Timer", true},
    {"SRDO1_ID: ", "Srdo1Id", false},    {"SRDO2_ID: ", "Srdo2Id", false},
    {"Memory_dat: ", nullptr, false},
};

ContinuityBlockReader& ContinuityReader() {
    static ContinuityBlockReader reader;
    return reader;
}

QString ToQ(const std::string& s) { return QString::fromLocal8Bit(NativePath(s).c_str()); }

// The folder part of a path, up to and including its last separator ("" without one).
std::string FolderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

void Show(bool showErrors, const std::string& text, const char* title) {
    if (showErrors) CurrentOperator().ShowMessage(text, title);
}

void ShowNotice(const std::string& testPath) {
    std::string text;
    const std::string notice = NoticeFilePath(testPath);
    const FileReadResult r = ReadFileBytes(notice, text, kMaxNoticeBytes);
    if (r == FileReadResult::TooLarge) qCWarning(lcScript, "notice file %s is too large to show", notice.c_str());
    if (r != FileReadResult::Ok || text.empty()) return;
    CurrentOperator().ShowNotice("WICHTIGE MITTEILUNG", Windows1252ToUtf8(text));
}
}  // namespace

void SetContinuityBlockReader(ContinuityBlockReader reader) { ContinuityReader() = std::move(reader); }

std::string NoticeFilePath(const std::string& testPath) {
    const std::string folder = FolderOf(testPath);
    std::string name = testPath.substr(folder.size());
    const size_t dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    return folder + name + ".txt";
}

bool ReadMemoryFile(const std::string& path, std::vector<std::string>& lines, bool showErrors) {
    std::string text;
    const FileReadResult r = ReadFileBytes(path, text, kMaxMemoryFileBytes);
    if (r == FileReadResult::NotFound) {
        Show(showErrors,
             "File not found: " + path + "\nWorking directory: " + QDir::currentPath().toLocal8Bit().toStdString(),
             kMemoryTitle);
        return false;
    }
    if (r != FileReadResult::Ok) {
        Show(showErrors, "Error reading memory file\nMemory structure could not be created", kMemoryTitle);
        return false;
    }
    lines = SplitLines(text);
    return true;
}

bool ReadNodeParameters(const std::vector<std::string>& lines, const std::string& folder, LoadedTest& test,
                        bool showErrors) {
    bool ok = true;
    for (const NodeKey& k : kNodeKeys) {
        std::string text;
        if (!FindKeyValue(lines, k.key, text)) {
            if (k.required) ok = false;
            continue;
        }
        if (!k.variable) {
            if (!ReadMemoryFile(folder + text, test.memoryLines, showErrors)) ok = false;
            continue;
        }
        uint32_t value = 0;
        if (!ParseNumber(text, value, 4)) {
            ok = false;
            continue;
        }
        const std::string variable = k.variable;
        if (variable == "Baudr") {
            const int index = BitRateToIndex(static_cast<int32_t>(value));
            if (index < 0) return false;  // a rate outside the table ends the block at once
            value = static_cast<uint32_t>(index);
        } else if (variable == "SerialNr" && value == 0) {
            continue;
        }
        ScriptVariables().Set(variable, value);
    }
    return ok;
}

std::optional<std::vector<TestInstruction>> BuildInstructions(const std::vector<std::string>& lines) {
    size_t i = 0;
    while (i < lines.size() && lines[i] != "[BEFEHLE]") ++i;
    if (i == lines.size()) return std::nullopt;
    std::vector<TestInstruction> out;
    const size_t n = lines.size();
    for (++i; i < n;) {
        if (lines[i] != "[B]") {
            ++i;
            continue;
        }
        TestInstruction ins;
        ins.lineNumber = static_cast<uint32_t>(i + 1);
        if (i + 1 < n) {
            const std::string& cmd = lines[i + 1];
            ins.command = GetField(cmd, ',', 0);
            ins.param1 = GetField(cmd, ',', 1);
            ins.param2 = GetField(cmd, ',', 2);
            ins.param3 = GetField(cmd, ',', 3);
            ins.param4 = GetField(cmd, ',', 4);
        }
        i += 2;
        if (i < n && lines[i].compare(0, 3, "[A]") == 0) {
            if (i + 1 < n) {
                const std::string& answer = lines[i + 1];
                ins.expectedId = GetField(answer, ',', 0);
                ins.expectedLen = GetField(answer, ',', 1);
                ins.expectedData = GetField(answer, ',', 2);
            }
            i += 2;
        }
        out.push_back(std::move(ins));
    }
    return out;
}

bool ParseTestFile(std::string_view bytes, const std::string& path, LoadedTest& test, std::string& error,
                   bool showErrors) {
    test = LoadedTest{};
    test.path = path;
    test.lines = SplitLines(bytes);
    if (!ReadNodeParameters(test.lines, FolderOf(path), test, showErrors)) {
        error = "Error reading test file\nHeader could not be read";
        return false;
    }
    if (ContinuityReader()) ContinuityReader()(test.lines);
    auto instructions = BuildInstructions(test.lines);
    if (!instructions) {
        error = "Error reading test file\nInstruction array could not be created";
        return false;
    }
    test.instructions = std::move(*instructions);
    return true;
}

bool LoadTestFile(const std::string& path, bool showErrors) {
    FreeTestFile();
    std::string bytes;
    const FileReadResult r = ReadFileBytes(path, bytes, kMaxTestFileBytes);
    if (r == FileReadResult::NotFound) {
        Show(showErrors, "File not found.\n" + path, kLoadTitle);
        return false;
    }
    if (r != FileReadResult::Ok || bytes.empty()) {
        Show(showErrors, "Error reading test file\nError reading test file", kLoadTitle);
        return false;
    }
    LoadedTest test;
    std::string error;
    if (!ParseTestFile(bytes, path, test, error, showErrors)) {
        Show(showErrors, error, kLoadTitle);
        return false;
    }
    test.testLoaded = true;
    CurrentTest() = std::move(test);
    return true;
}

bool OpenTestFile(const std::string& pathIn, bool showErrors) {
    if (pathIn.empty()) return false;
    const QFileInfo info(ToQ(pathIn));
    const std::string path = info.absoluteFilePath().toLocal8Bit().toStdString();
    const std::string folder = info.absolutePath().toLocal8Bit().toStdString();
    QDir::setCurrent(info.absolutePath());
    Configuration& config = AppConfiguration();
    config.SetValue("[ARBEITSVERZEICHNIS]", folder);
    FreeTestFile();
    ShowNotice(path);
    StationView& view = CurrentStationView();
    if (!LoadTestFile(path, showErrors)) {
        view.ShowStatusBar("no test file loaded");
        return false;
    }
    view.RefreshNodePanel();
    view.ShowRunStatus("ready", StatusColor::Green);
    view.ShowStatusBar(path);
    FileHistory history = config.History(HistoryList::TestFiles);
    AddToHistory(history, path, true);
    config.SetHistory(HistoryList::TestFiles, history);
    view.ShowTestHistory(history);
    return true;
}

std::string ChooseTestFile() {
    const std::string pattern = AppConfiguration().Value("[EXTENSION_TESTDATEI]");
    auto chosen = CurrentOperator().ChooseOpenFile("", "Test file  (" + pattern + ")|" + pattern,
                                                   AppConfiguration().Value("[ARBEITSVERZEICHNIS]"));
    return chosen ? CutText(*chosen, 260) : std::string();
}
