#pragma once
// The CAN bootloader protocol as the client speaks it: command identifiers (CRIS × 16 + offset),
// the address range of a command, the configuration byte addresses and the controller table.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

enum : uint32_t {
    BL_SELECT_NODE = 0,
    BL_PROG_START = 1,
    BL_PROG_DATA = 2,
    BL_DISPLAY = 3,  // display (read back) and blank check
    BL_WRITE = 4,    // write byte and erase
    BL_READ = 5,
};

// Memory selector of program start and display: flash, or the EEPROM (data) memory.
enum : uint8_t { BL_MEM_FLASH = 0x00, BL_MEM_EEPROM = 0x01 };
// First byte of a display command.
enum : uint8_t { BL_DISPLAY_FLASH = 0x00, BL_DISPLAY_BLANK_CHECK = 0x01, BL_DISPLAY_EEPROM = 0x02 };

// Configuration addresses of read byte and write byte.
enum : uint16_t {
    BL_ADDR_VERSION = 0x000,
    BL_ADDR_BSB = 0x100,
    BL_ADDR_SBV = 0x101,
    BL_ADDR_P1_CF = 0x102,
    BL_ADDR_P3_CF = 0x103,
    BL_ADDR_P4_CF = 0x104,
    BL_ADDR_MANUFACTURER = 0x130,
    BL_ADDR_FAMILY = 0x131,
    BL_ADDR_PRODUCT = 0x160,
    BL_ADDR_REVISION = 0x161,
    BL_ADDR_HARDWARE = 0x200,
};

inline uint32_t BootloaderId(uint8_t cris, uint32_t command) { return uint32_t{cris} * 16u + command; }

// The range bytes after the command byte for `start` .. `start + length - 1`: start high,
// start low, end high, end low; an end of 0x10000 or more adds its bits 16-23 before end high.
std::vector<uint8_t> BootloaderRange(uint32_t start, uint32_t length);

struct ControllerType {
    int kind = 0;  // 0 ends the table
    std::array<uint8_t, 4> signature{};  // manufacturer, family, product id, revision
    uint32_t flashSize = 0;
    const char* name = "";
};

// The known controllers, ended by a row of kind 0.
std::span<const ControllerType> ControllerTable();
// The row with `signature`, or the closing row (kind 0) when none matches.
const ControllerType& FindController(const std::array<uint8_t, 4>& signature);
