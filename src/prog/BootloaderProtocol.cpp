#include "BootloaderProtocol.h"

namespace {
constexpr ControllerType kControllers[] = {
    {1, {0x58, 0xD7, 0xF7, 0xFF}, 0x8000, "T89C51CC01"},
    {2, {0x58, 0xD7, 0xBB, 0xFF}, 0x4000, "T89C51CC02"},
    {3, {0x4C, 0x03, 0x81, 0x00}, 0x20000, "LM3S5632"},
    {3, {0x4C, 0x03, 0x96, 0x00}, 0x20000, "LM3S5732"},
    {3, {0x4C, 0x05, 0xA1, 0x01}, 0x40000, "TM4C123GH6PM"},
    {3, {0x14, 0x64, 0x03, 0x10}, 0x80000, "STM32F103/*G4"},
    {3, {0x22, 0x64, 0x03, 0x10}, 0x60000, "STM32F30X"},
    {4, {0xA1, 0x1C, 0x02, 0x01}, 0x10000, "C8051F50X"},
    {0, {0, 0, 0, 0}, 0, ""},
};
}  // namespace

std::vector<uint8_t> BootloaderRange(uint32_t start, uint32_t length) {
    const uint32_t end = start + (length > 0 ? length - 1 : 0);
    std::vector<uint8_t> r{static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start)};
    if (end >= 0x10000) r.push_back(static_cast<uint8_t>(end >> 16));
    r.push_back(static_cast<uint8_t>(end >> 8));
    r.push_back(static_cast<uint8_t>(end));
    return r;
}

std::span<const ControllerType> ControllerTable() { return kControllers; }

const ControllerType& FindController(const std::array<uint8_t, 4>& signature) {
    for (const ControllerType& c : kControllers)
        if (c.kind == 0 || c.signature == signature) return c;
    return kControllers[std::size(kControllers) - 1];
}
