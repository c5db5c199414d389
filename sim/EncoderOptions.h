#pragma once
// The settings of one simulated encoder and their text form, shared by the in-process
// interface kind ("sim:encoder?node=5&kbit=250") and the quarzel-sim command line
// ("--node 5 --kbit 250").

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "FaultSwitches.h"

struct EncoderOptions {
    uint8_t nodeId = 1;  // 1..127, or 255: not configured (LSS only)
    int kbit = 500;
    uint32_t vendorId = 0x000003A2;
    uint32_t productCode = 0x00005813;
    uint32_t revision = 0x00010002;
    uint32_t serial = 0x12345678;
    std::string deviceName = "QZ Multiturn Encoder 5813";
    std::string hardwareVersion = "HW 1.2";
    std::string softwareVersion = "SW 2.05";
    uint64_t milliRpm = 0;  // shaft speed
    bool forward = true;    // counting direction of the shaft
    uint32_t resolution = 8192;   // physical steps per revolution
    uint32_t revolutions = 4096;  // distinguishable revolutions
    uint16_t emcyAtBoot = 0;      // error code of an emergency sent after boot-up; 0: none
    uint32_t bootDelayMs = 0;     // from power-on or reset to the boot-up frame
    std::string storePath;        // the parameter file; empty: memory only
    FaultSwitches faults;
};

// True for the keys ApplyEncoderOption knows.
bool IsEncoderOptionKey(std::string_view key);

// Sets one option by its key; false with `error` set for an unknown key or a bad value.
bool ApplyEncoderOption(EncoderOptions& options, std::string_view key, std::string_view value, std::string& error);

// Calls `fn` for each "key=value" of an "&"-separated list; stops at the first false (or at a
// pair without "=", setting `error`).
bool ForEachOptionPair(std::string_view text,
                       const std::function<bool(std::string_view key, std::string_view value)>& fn,
                       std::string& error);

// Reads "encoder?key=value&key=value" (the "encoder?" prefix is optional; an empty text keeps
// the defaults).
bool ParseEncoderOptions(std::string_view text, EncoderOptions& options, std::string& error);

// One line per option key: "key=VALUE  what it sets".
const char* EncoderOptionsHelp();
