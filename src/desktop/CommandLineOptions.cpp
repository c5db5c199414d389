#include "CommandLineOptions.h"

#include "StringHelpers.h"

namespace {
std::vector<std::string> SplitAtBlanks(const std::string& text) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(' ', start);
        const size_t stop = end == std::string::npos ? text.size() : end;
        if (stop > start) pieces.push_back(text.substr(start, stop - start));
        start = stop + 1;
    }
    return pieces;
}
}  // namespace

DesktopOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    DesktopOptions options;
    for (const std::string& argument : arguments) {
        for (const std::string& piece : SplitAtBlanks(argument)) {
            const size_t eq = piece.find('=');
            if (eq == std::string::npos || eq == 0) continue;
            const std::string name = UpperCase(piece.substr(0, eq));
            const std::string value = piece.substr(eq + 1);
            const std::string upper = UpperCase(value);
            if (name == "TESTFILE") {
                options.testFile = value;
                options.automaticMode = upper.find(".TST") != std::string::npos;
                options.calibrationFile.reset();
                if (!options.automaticMode) options.calibrationFile = value;
            } else if (name == "MINIMIZED") {
                options.minimized = upper.find("TRUE") != std::string::npos;
            } else if (name == "HWID") {
                options.hwid = value;
            } else if (name == "HWCHAN") {
                options.hwchan = value;
            } else if (name == "SERIALNBR") {
                options.serialNumber = value;
            }
        }
    }
    return options;
}
