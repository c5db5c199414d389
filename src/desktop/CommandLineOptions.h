#pragma once
// The desktop station's command line: pieces of the form name=value (testfile, minimized, hwid,
// hwchan, serialnbr); everything else, the program path included, is ignored.

#include <optional>
#include <string>
#include <vector>

struct DesktopOptions {
    // testfile=: a value containing ".tst" selects the automatic mode; any other value names a
    // calibration file.
    std::optional<std::string> testFile;
    bool automaticMode = false;
    std::optional<std::string> calibrationFile;
    // minimized=: "true" anywhere in the value starts minimized, anything else normal.
    std::optional<bool> minimized;
    std::optional<std::string> hwid;
    std::optional<std::string> hwchan;
    std::optional<std::string> serialNumber;
};

// Splits every argument at blanks and reads the name=value pieces. Names are compared without
// regard to case, and so are the words looked for in values (".tst", "true"); values keep their
// case, because file names on Linux depend on it. A later option of the same name wins.
DesktopOptions ParseCommandLine(const std::vector<std::string>& arguments);
