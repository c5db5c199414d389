#pragma once
// The command line of quarzel-sim.

#include <string>
#include <vector>

#include "EncoderOptions.h"

struct SimProgramOptions {
    std::string socketPath;  // empty: the default path
    bool help = false;
    bool verbose = false;
    bool noDevice = false;
    bool busTiming = false;
    uint64_t busDelayUs = 0;
    uint32_t busLossEvery = 0;
    EncoderOptions encoder;  // the first device, from the flat options
    bool storeGiven = false;
    std::vector<EncoderOptions> moreDevices;  // --device OPTIONS
    std::vector<bool> moreStoreGiven;
};

// Reads the arguments (without the program name); false with `error` set on a bad one.
bool ParseSimProgramArgs(const std::vector<std::string>& args, SimProgramOptions& options, std::string& error);

// The devices to run, each with its parameter file: a device without store= keeps its file
// in `dataDir` as "encoder<k>-<serial>.params" (k counts from 1).
std::vector<EncoderOptions> SimProgramDevices(const SimProgramOptions& options, const std::string& dataDir);

std::string SimProgramUsage();
