#pragma once
// The parameter memory map ("Memory.dat"): which parameters the device keeps where in its
// controller's FLASH and EEPROM, in four areas (FLASH communication, FLASH sensor, EEPROM
// communication, EEPROM sensor). Addresses follow from each area's start and the sizes of the
// parameters before.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr size_t kMemoryAreaCount = 4;
inline constexpr size_t kMaxAreaParameters = 40;  // an area with 40 or more lines fails
inline constexpr size_t kMemoryNameChars = 44;

enum class MemoryAreaKind { FlashCommunication = 0, FlashSensor = 1, EepromCommunication = 2, EepromSensor = 3 };

struct MemoryParameter {
    uint32_t address = 0;
    std::string name;  // at most 44 characters
    int32_t size = 0;  // 4 long, 3 data, 2 int, 1 char; 0 when the line names no such type
    int line = 0;      // 1-based line in the file
};

struct MemoryArea {
    uint32_t start = 0;
    std::vector<MemoryParameter> parameters;
    uint32_t totalSize = 0;      // sum of the sizes
    uint32_t end = 0;            // start + total size - 1
    uint32_t blocks = 0;         // 8-byte blocks: total size / 8
    uint32_t blocksRounded = 0;  // total size x 0.125, rounded
};

struct MemoryMap {
    std::array<MemoryArea, kMemoryAreaCount> areas;
    MemoryArea& Area(MemoryAreaKind kind) { return areas[static_cast<size_t>(kind)]; }
    const MemoryArea& Area(MemoryAreaKind kind) const { return areas[static_cast<size_t>(kind)]; }
};

struct MemoryMapProblem {
    int line = 0;  // 1-based; 0 for the file as a whole
    std::string text;
};

struct MemoryMapResult {
    bool ok = false;
    MemoryMap map;
    MemoryMapProblem error;                 // why the load failed
    std::vector<MemoryMapProblem> warnings;  // parameter lines without a known type
};

// Reads the memory map from the lines of a file (SplitLines).
MemoryMapResult ReadMemoryMap(const std::vector<std::string>& lines);
// Reads the file at `path` and its memory map.
MemoryMapResult LoadMemoryMapFile(const std::string& path);

// The size a parameter type gives: "long" 4, "data" 3, "int" 2, "char" 1, else 0.
int32_t MemoryTypeSize(const std::string& type);
// Splits a parameter line: fields separated by ",", blanks outside double quotes dropped, a
// double quote toggles quoting (and is dropped), ";" ends the line, at most 256 characters read.
std::vector<std::string> MemoryLineFields(const std::string& line);

// "FLASH communication" ... for messages and the display.
const char* MemoryAreaTitle(MemoryAreaKind kind);
