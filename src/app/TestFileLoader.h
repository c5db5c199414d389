#pragma once
// Loading a test file: its node parameters into script variables, its instruction blocks into
// the instruction array of the loaded test, the memory file it names, the notice shown before.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "TestInstruction.h"

// The entry of the file menu, the history entries and the automatic mode: changes to the
// file's folder (the next file dialog opens there), shows the notice text, loads the file and
// on success updates the status label, status bar and test-file history.
bool OpenTestFile(const std::string& path, bool showErrors);
// Reads and parses one file into the loaded test (the previous one is released first).
// Messages ("Loading test file") only when `showErrors`.
bool LoadTestFile(const std::string& path, bool showErrors);
// Parses the bytes of a test file read from `path` into `test`; reads the memory file it names.
// On failure returns the message text (without title) in `error`.
bool ParseTestFile(std::string_view bytes, const std::string& path, LoadedTest& test, std::string& error,
                   bool showErrors);
// The node parameter block: sets the script variables; false when a required key is missing or
// not a number, or the bit rate is not in the table. `folder` ends with a separator (or is empty).
bool ReadNodeParameters(const std::vector<std::string>& lines, const std::string& folder, LoadedTest& test,
                        bool showErrors);
// The instruction blocks behind the first "[BEFEHLE]" line; nullopt without that line.
std::optional<std::vector<TestInstruction>> BuildInstructions(const std::vector<std::string>& lines);
// Reads the memory description file named by "Memory_dat: " into `lines`.
bool ReadMemoryFile(const std::string& path, std::vector<std::string>& lines, bool showErrors);
// The notice file shown before a test file: same folder, the name up to its first "." + ".txt".
std::string NoticeFilePath(const std::string& testPath);
// The open-file dialog for test files; empty when cancelled.
std::string ChooseTestFile();

// The reader of the continuity-test block ("[KONTUP]"), installed by the continuity test. It gets
// the file's lines and never fails a load.
using ContinuityBlockReader = std::function<void(const std::vector<std::string>&)>;
void SetContinuityBlockReader(ContinuityBlockReader reader);
