#pragma once
// The parameter memory (the logic of the window `TformCanParMem`): the memory map of the
// device's parameters in FLASH and EEPROM and, once read from the controller, their values.
// Reading and clearing the memory go through the controller's bootloader; they are operations
// that the programming part installs (RegisterParameterMemoryOperations); without them the
// window shows the map only.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "MemoryMap.h"
#include "Ports.h"

class ParameterMemory;

// Read or clear one area over the bootloader. A read hands the bytes to SetAreaBytes.
using ParameterMemoryOperation = std::function<void(ParameterMemory& memory, MemoryAreaKind area)>;
void RegisterParameterMemoryOperations(ParameterMemoryOperation read, ParameterMemoryOperation clear);

// One row of an area's table: "Address" ("0x%04x"), "Name", "Value dec", "Value hex".
using ParameterMemoryRow = std::array<std::string, 4>;

class ParameterMemory {
public:
    explicit ParameterMemory(OperatorPort& op);

    // Loads the map from the file the caller names; when that cannot be read or parsed, from
    // the default file with "User-defined Memory.dat could not be loaded.\nUsing default
    // Memory.dat." (caption "Load Memory.dat"). False when neither loads (the reason is shown).
    bool Load(const std::string& userPath);
    // The same from lines already read (the memory file a test file names).
    bool LoadLines(const std::vector<std::string>& lines);
    // Loads the default file ("Memory.dat" in the working folder).
    bool LoadDefault();
    void SetDefaultPath(std::string path) { defaultPath_ = std::move(path); }

    bool Loaded() const { return loaded_; }
    const MemoryMap& Map() const { return map_; }
    std::vector<ParameterMemoryRow> Rows(MemoryAreaKind area) const;
    // "Start 0x0100  End 0x0106  Size 7  Blocks 0".
    std::string Summary(MemoryAreaKind area) const;

    // The bytes of an area from its start address on (a read over the bootloader); values of
    // parameters beyond the bytes given stay empty. Little-endian, as the controller keeps them.
    void SetAreaBytes(MemoryAreaKind area, std::vector<uint8_t> bytes);
    void ForgetValues();

    bool CanRead() const;
    bool CanClear() const;
    void Read(MemoryAreaKind area);
    void Clear(MemoryAreaKind area);

    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    bool Take(const MemoryMapResult& result);
    bool Fallback();
    void Notify();

    OperatorPort& op_;
    std::string defaultPath_ = "Memory.dat";
    MemoryMap map_;
    bool loaded_ = false;
    std::array<std::vector<uint8_t>, kMemoryAreaCount> bytes_;
    std::function<void()> listener_;
};
