#pragma once
// The command line of quarzel-sim-converter.

#include <string>
#include <vector>

#include "ConverterDevice.h"

struct ConverterProgramOptions {
    ConverterSwitches switches;
    std::string linkPath;  // a symbolic link to the terminal, for a fixed name in quarzel.ini
    bool help = false;
};

// Reads the arguments (without the program name); false with `error` set on a bad one.
bool ParseConverterArgs(const std::vector<std::string>& args, ConverterProgramOptions& options, std::string& error);
std::string ConverterUsage();
