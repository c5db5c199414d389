#pragma once
// The frame edit fields the bus tools share (identifier, length, eight data bytes, all
// hexadecimal), their checks, and their form in quarzel.ini ("ten comma-separated fields").

#include <array>
#include <optional>
#include <string>

#include "CanMessage.h"

struct FrameFieldTexts {
    std::string id;
    std::string dlc;
    std::array<std::string, 8> bytes;
};

// Builds a frame from the fields: identifier below 0x800 ("wrong Identifier"), length 0..8
// ("wrong Data Length Code"), each byte below the length ("wrong Byte n"; only the low 8 bits
// count, a byte at or above the length may be anything). Returns the error text, or nullopt
// with `msg` filled (remote flag untouched).
std::optional<std::string> BuildFrameFromFields(const FrameFieldTexts& fields, tagOPEN_Message& msg);

// The expected answer of the bus test: identifier, length, and a compare flag per byte (set
// for a filled field). A filled field must be hexadecimal and below the length.
struct ExpectedFrame {
    uint32_t id = 0;
    uint32_t dlc = 0;
    bool remote = false;
    std::array<uint8_t, 8> data{};
    std::array<bool, 8> compare{};

    bool Matches(const tagOPEN_Message& msg) const;
};
std::optional<std::string> BuildExpectedFromFields(const FrameFieldTexts& fields, bool remote, ExpectedFrame& out);

// A hexadecimal field: at least one hex digit and nothing else (blanks around allowed).
bool ParseHexField(const std::string& text, uint32_t& value);
// A decimal field (times in ms): a number and nothing else (blanks around allowed).
bool ParseDecimalField(const std::string& text, int64_t& value);

// "%2s,%2s,..." of the ten fields (a field longer than two characters is kept whole).
std::string FieldsToConfig(const FrameFieldTexts& fields);
// The ten fields of a configuration value (blanks dropped; missing fields empty).
FrameFieldTexts FieldsFromConfig(const std::string& value);

inline const char* YesNo(bool on) { return on ? "ja" : "nein"; }
