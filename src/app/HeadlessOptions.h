#pragma once
// The command line of quarzel-run.

#include <map>
#include <string>
#include <vector>

struct HeadlessOptions {
    std::string testFile;
    std::string iniPath = "quarzel.ini";
    std::string csvPath;
    std::string junitPath;
    std::map<std::string, std::string> answers;
    int timeoutSeconds = 0;  // 0: no limit
    bool saveIni = false;
    bool quiet = false;  // no protocol rows, only the verdict
    bool help = false;
    // --compare-eds FILE: compare the device with an EDS instead of running a test file.
    std::string compareEds;
    int node = 1;    // --node: the node compared
    int kbit = 500;  // --kbit: its bit rate
};

// Parses the arguments (without the program name). False with a message in `error`.
bool ParseHeadlessOptions(const std::vector<std::string>& args, HeadlessOptions& options, std::string& error);
std::string HeadlessHelpText();

// Exit codes.
enum : int {
    EXIT_PASSED = 0,
    EXIT_FAILED = 1,       // errors counted, or the run did not complete
    EXIT_CANNOT_RUN = 2,   // options, configuration, test file or CAN channel
};
