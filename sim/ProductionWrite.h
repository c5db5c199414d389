#pragma once
// The production-parameter write on 0x7E5: byte 0 = 0x8C, byte 1 = parameter code, bytes 2..5
// = 32-bit value (least significant first), bytes 6..7 = 0x57 0x54. The device acknowledges on
// 0x7E4 with 0x8C and an error byte (0 = done) followed by six zero bytes.
// String parameters (code 0x80) arrive one character per frame: value = character << 24 |
// address; the regions below say which address belongs to which text, and the character 0
// ends the text.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "BusFrame.h"

constexpr uint32_t kProductionRequestId = 0x7E5;
constexpr uint32_t kProductionAnswerId = 0x7E4;
constexpr uint8_t kProductionCommand = 0x8C;
constexpr uint8_t kProductionStringCode = 0x80;

enum ProductionError : uint8_t {
    kProductionOk = 0,
    kProductionUnknownParameter = 1,
    kProductionValueRange = 2,
    kProductionBadAddress = 3,
    kProductionStoreFailed = 4,
};

struct ProductionRequest {
    uint8_t parameter = 0;
    uint32_t value = 0;
};

// The request in a frame, or nullopt when the frame is not a well-formed production write.
std::optional<ProductionRequest> ParseProductionWrite(const BusFrame& frame);
BusFrame ProductionAck(uint8_t error);

struct ProductionStringRegion {
    const char* name;
    uint16_t base;
    uint16_t capacity;  // characters before the terminating zero
    uint16_t object;    // the object dictionary index the text is written to
};

inline constexpr std::array<ProductionStringRegion, 3> kProductionStringRegions{{
    {"DeviceName", 0x0100, 63, 0x1008},
    {"HardwareVersion", 0x0140, 63, 0x1009},
    {"SoftwareVersion", 0x0180, 63, 0x100A},
}};

// Collects the characters of string parameters.
class ProductionStrings {
public:
    struct Completed {
        uint16_t object = 0;
        std::string text;
    };
    // Takes one character frame's value. Sets `completed` when the terminating zero arrives.
    ProductionError Feed(uint32_t value, std::optional<Completed>& completed);

private:
    std::array<std::string, kProductionStringRegions.size()> buffers_;
};
