#include "ProductionWrite.h"

#include "SimBytes.h"

std::optional<ProductionRequest> ParseProductionWrite(const BusFrame& f) {
    if (f.id != kProductionRequestId || f.rtr || f.len != 8) return std::nullopt;
    if (f.data[0] != kProductionCommand || f.data[6] != 0x57 || f.data[7] != 0x54) return std::nullopt;
    ProductionRequest r;
    r.parameter = f.data[1];
    r.value = GetLe32(f.data, 2);
    return r;
}

BusFrame ProductionAck(uint8_t error) {
    BusFrame f;
    f.id = kProductionAnswerId;
    f.len = 8;
    f.data[0] = kProductionCommand;
    f.data[1] = error;
    return f;
}

ProductionError ProductionStrings::Feed(uint32_t value, std::optional<Completed>& completed) {
    const uint32_t address = value & 0x00FFFFFFu;
    const char ch = static_cast<char>(value >> 24);
    for (size_t i = 0; i < kProductionStringRegions.size(); ++i) {
        const auto& region = kProductionStringRegions[i];
        if (address < region.base || address > static_cast<uint32_t>(region.base) + region.capacity) continue;
        const size_t at = address - region.base;
        std::string& buffer = buffers_[i];
        if (at == 0) buffer.clear();
        if (ch == '\0') {
            buffer.resize(at, ' ');
            completed = Completed{region.object, buffer};
            buffer.clear();
            return kProductionOk;
        }
        if (at == region.capacity) return kProductionBadAddress;  // no room left but for the zero
        if (buffer.size() <= at) buffer.resize(at + 1, ' ');
        buffer[at] = ch;
        return kProductionOk;
    }
    return kProductionBadAddress;
}
