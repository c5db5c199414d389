#pragma once
// One command of a test file, and the test that is loaded.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Longest text of an instruction field and of a file line (longer ones are cut).
inline constexpr size_t kMaxFieldChars = 255;

struct TestInstruction {
    uint32_t lineNumber = 0;  // 0-based index of the command line (= 1-based line of its "[B]")
    std::string command;      // "B:NMT_Start"
    std::string param1;       // each 'tag:value'
    std::string param2;
    std::string param3;
    std::string param4;
    std::string expectedId;  // expected identifier expression, or "None"
    std::string expectedLen;
    std::string expectedData;

    friend bool operator==(const TestInstruction&, const TestInstruction&) = default;
};

// The one loaded test of the process.
struct LoadedTest {
    std::vector<std::string> lines;         // the file's lines (later lookups search them)
    std::vector<TestInstruction> instructions;
    std::string path;                       // full path of the test file
    std::vector<std::string> memoryLines;   // lines of the file named by "Memory_dat: ", if any
    bool testLoaded = false;
};

LoadedTest& CurrentTest();
// Releases the instruction array and the line arrays; the test is no longer loaded.
void FreeTestFile();
