// The encoder's object dictionary behaviour: checks and effects of writes, the values that
// follow the shaft, the layers of built-in, production and stored values, "store" and
// "restore defaults", and the production-parameter write.

#include <cstdio>

#include "CanSettings.h"
#include "EncoderDevice.h"
#include "EncoderObjects.h"
#include "SdoAbortCodes.h"
#include "SimBytes.h"

namespace {
std::string Key(const char* layer, uint16_t index, uint8_t sub) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s.%04x.%02x", layer, index, sub);
    return buf;
}

bool InGroup(const OdEntry& e, uint16_t first, uint16_t last) { return e.index >= first && e.index <= last; }

// Production values of entries that have no object of their own.
constexpr uint16_t kPresetIndex = 0x6509;
}  // namespace

bool EncoderDevice::StoringDisabled() const { return od_.GetU32(0x2000, 0) != 0; }

bool EncoderDevice::Commit(const std::map<std::string, std::string>& values) {
    std::string error;
    if (store_.Commit(values, error)) return true;
    storeError_ = error;
    return false;
}

uint32_t EncoderDevice::ResolveNodeRelative(uint32_t value) const {
    if (nodeId_ < 1 || nodeId_ > 127 || (value & 0x7F) != 0) return value;
    return value + nodeId_;
}

void EncoderDevice::SetPendingNodeId(uint8_t node) {
    pendingNodeId_ = node;
    od_.SetU32(0x2004, 0, node);
}

void EncoderDevice::SetPendingBitRate(int kbit) {
    if (CanBitRateToIndex(kbit) < 0) return;
    pendingKbit_ = kbit;
    od_.SetU32(0x2005, 0, static_cast<uint32_t>(CanBitRateToIndex(kbit)));
}

void EncoderDevice::LoadParameters(uint16_t first, uint16_t last) {
    for (auto& [key, e] : od_.Entries()) {
        // The operating time runs on; PowerOn reads its production value.
        // COB-IDs that follow the node id are resolved with every load.
        if (!(InGroup(e, first, last) || (e.flags & kOdNodeRelative)) || e.index == 0x6508) continue;
        std::string value = e.builtin;
        std::string bytes;
        if (auto v = store_.Get(Key("factory", e.index, e.sub)); v && BytesFromHex(*v, bytes)) value = bytes;
        if (e.Storable())
            if (auto v = store_.Get(Key("stored", e.index, e.sub)); v && BytesFromHex(*v, bytes)) value = bytes;
        od_.SetBytes(e.index, e.sub, value);
        if (e.flags & kOdNodeRelative) od_.SetU32(e.index, e.sub, ResolveNodeRelative(od_.GetU32(e.index, e.sub)));
    }
    od_.SetU32(0x2004, 0, pendingNodeId_);
    od_.SetU32(0x2005, 0, static_cast<uint32_t>(std::max(0, CanBitRateToIndex(pendingKbit_))));
    od_.SetU32(0x6200, 0, od_.GetU32(0x1800, 5));
    od_.SetU32(0x650B, 0, od_.GetU32(0x1018, 4));
    if (last >= 0x6000) {
        ApplyShaftScale();
        shaft_.SetOffset(od_.GetU32(kPresetIndex, 0));
    }
    RefreshDynamicObjects();
}

void EncoderDevice::ApplyShaftScale() {
    const uint32_t op = od_.GetU32(0x6000, 0);
    const bool scaling = op & 0x0004;
    const uint64_t physical = static_cast<uint64_t>(od_.GetU32(0x6501, 0)) * od_.GetU32(0x6502, 0);
    const uint32_t perRev = scaling ? od_.GetU32(0x6001, 0) : od_.GetU32(0x6501, 0);
    uint64_t range = scaling ? od_.GetU32(0x6002, 0) : physical;
    if (range > 0xFFFFFFFFull) range = 0xFFFFFFFFull;
    shaft_.SetScale(perRev == 0 ? 1 : perRev, range == 0 ? 1 : range, nowUs_);
    shaft_.SetSpeed(options_.milliRpm, options_.forward != static_cast<bool>(op & 0x0001), nowUs_);
    od_.SetU32(0x6500, 0, op);
    od_.SetU32(0x650A, 3, static_cast<uint32_t>(shaft_.Range() - 1));
    tpdo1_.lastEventStep = tpdo2_.lastEventStep = shaft_.Steps(nowUs_);
}

void EncoderDevice::RefreshDynamicObjects() {
    od_.SetU32(0x6004, 0, shaft_.Position(nowUs_));
    od_.SetU32(0x6030, 1, static_cast<uint16_t>(shaft_.SpeedRpm()));
    od_.SetU32(0x6509, 0, shaft_.Offset());
    const uint64_t tenthsOfHour = (nowUs_ - powerOnUs_) / 360000000ull;
    od_.SetU32(0x6508, 0, static_cast<uint32_t>(operatingTimeBase_ + tenthsOfHour));
}

uint32_t EncoderDevice::ValidateWrite(const OdEntry& e, const std::string& bytes) {
    const uint32_t v = static_cast<uint32_t>(FromLeBytes(bytes));
    switch (e.index) {
    case 0x1010:
        if (v != kSaveSignature) return kSdoCannotStore;
        return StoreGroup(e.sub);
    case 0x1011:
        if (v != kLoadSignature) return kSdoCannotStore;
        return RestoreGroup(e.sub);
    case 0x1800:
    case 0x1801:
        if (e.sub == 2 && v > 240 && v < 252) return kSdoValueRange;
        return kSdoOk;
    case 0x2004:
        return (v >= 128 && v < 255) ? kSdoValueRange : kSdoOk;
    case 0x2010:
        shaft_.Preset(0, nowUs_);
        return kSdoOk;
    case 0x6001:
        if (v == 0) return kSdoValueTooLow;
        return v > od_.GetU32(0x6501, 0) ? kSdoValueTooHigh : kSdoOk;
    case 0x6002:
        if (v == 0) return kSdoValueTooLow;
        return static_cast<uint64_t>(v) > static_cast<uint64_t>(od_.GetU32(0x6501, 0)) * od_.GetU32(0x6502, 0)
                   ? kSdoValueTooHigh
                   : kSdoOk;
    case 0x6003:
        return v >= shaft_.Range() ? kSdoValueRange : kSdoOk;
    default:
        return kSdoOk;
    }
}

void EncoderDevice::AfterWrite(uint16_t index, uint8_t sub) {
    switch (index) {
    case 0x1017: RestartHeartbeat(); break;
    case 0x1800:
        if (sub == 5) od_.SetU32(0x6200, 0, od_.GetU32(0x1800, 5));
        RestartPdoTimers();
        break;
    case 0x6200:
        od_.SetU32(0x1800, 5, od_.GetU32(0x6200, 0));
        RestartPdoTimers();
        break;
    case 0x1801: RestartPdoTimers(); break;
    case 0x6000:
    case 0x6001:
    case 0x6002:
    case 0x6501:
    case 0x6502: ApplyShaftScale(); break;
    case 0x6003: shaft_.Preset(od_.GetU32(0x6003, 0), nowUs_); break;
    case 0x2004: SetPendingNodeId(static_cast<uint8_t>(od_.GetU32(0x2004, 0))); break;
    case 0x2005: SetPendingBitRate(CanIndexToBitRate(od_.GetU32(0x2005, 0))); break;
    default: break;
    }
    RefreshDynamicObjects();
}

uint32_t EncoderDevice::StoreGroup(uint8_t sub) {
    uint16_t first = 0, last = 0;
    if (!StorageGroupRange(sub, first, last)) return kSdoNoSubIndex;
    if (StoringDisabled()) return kSdoCannotStoreLocal;
    if (options_.faults.storeFails) return kSdoCannotStore;
    RefreshDynamicObjects();
    auto values = store_.Values();
    for (const auto& [key, e] : od_.Entries()) {
        if (!InGroup(e, first, last) || !e.Storable()) continue;
        std::string bytes = e.value;
        if ((e.flags & kOdNodeRelative) && nodeId_ >= 1 && nodeId_ <= 127) {
            const uint32_t v = od_.GetU32(e.index, e.sub);
            if ((v & 0x7F) == nodeId_) bytes = LeBytes(v - nodeId_, bytes.size());
        }
        values[Key("stored", e.index, e.sub)] = HexFromBytes(bytes);
    }
    if (first <= 0x2000 && last >= 0x2FFF) {
        values["node"] = std::to_string(pendingNodeId_);
        values["kbit"] = std::to_string(pendingKbit_);
    }
    return Commit(values) ? kSdoOk : kSdoCannotStore;
}

uint32_t EncoderDevice::RestoreGroup(uint8_t sub) {
    uint16_t first = 0, last = 0;
    if (!StorageGroupRange(sub, first, last)) return kSdoNoSubIndex;
    if (options_.faults.storeFails) return kSdoCannotStore;
    auto values = store_.Values();
    for (const auto& [key, e] : od_.Entries())
        if (InGroup(e, first, last)) values.erase(Key("stored", e.index, e.sub));
    return Commit(values) ? kSdoOk : kSdoCannotStore;
}

uint8_t EncoderDevice::StoreLssConfiguration() {
    if (StoringDisabled() || options_.faults.storeFails) return 2;
    auto values = store_.Values();
    values["node"] = std::to_string(pendingNodeId_);
    values["kbit"] = std::to_string(pendingKbit_);
    return Commit(values) ? 0 : 2;
}

uint8_t EncoderDevice::SetProductionObject(uint16_t index, uint8_t sub, uint32_t value) {
    const OdEntry* e = od_.Find(index, sub);
    if (!e || e->type == OdType::Text) return kProductionUnknownParameter;
    const size_t size = OdTypeSize(e->type);
    if (size < 4 && value >= (1u << (8 * size))) return kProductionValueRange;
    const std::string bytes = LeBytes(value, size);
    const int64_t signedValue = e->type == OdType::I16   ? static_cast<int16_t>(value)
                                : e->type == OdType::I32 ? static_cast<int32_t>(value)
                                                         : static_cast<int64_t>(value);
    if (signedValue < e->min || signedValue > e->max) return kProductionValueRange;
    if (ValidateWrite(*e, bytes) != kSdoOk) return kProductionValueRange;
    if (options_.faults.storeFails) return kProductionStoreFailed;
    auto values = store_.Values();
    values[Key("factory", index, sub)] = HexFromBytes(bytes);
    if (index == 0x1018 && sub == 4) values[Key("factory", 0x650B, 0)] = HexFromBytes(bytes);
    if (index == 0x6200) values[Key("factory", 0x1800, 5)] = HexFromBytes(bytes);
    if (!Commit(values)) return kProductionStoreFailed;
    od_.SetBytes(index, sub, bytes);
    if (e->flags & kOdNodeRelative) od_.SetU32(index, sub, ResolveNodeRelative(value));
    if (index == 0x1018 && sub == 4) od_.SetU32(0x650B, 0, value);
    AfterWrite(index, sub);
    return kProductionOk;
}

uint8_t EncoderDevice::ApplyProduction(const ProductionRequest& r) {
    const uint32_t v = r.value;
    switch (r.parameter) {
    case 0x01: return SetProductionObject(0x1800, 1, v);  // Pdo1Id
    case 0x02: return SetProductionObject(0x1801, 1, v);  // Pdo2Id
    case 0x03: return SetProductionObject(0x1014, 0, v);  // EMCId
    case 0x04: return SetProductionObject(0x1005, 0, v);  // SyncId
    case 0x05: return SetProductionObject(0x2003, 0, v);  // GuardId
    case 0x08: {                                          // NodeId, in force after the next reset
        if (v < 1 || v > 127) return kProductionValueRange;
        if (options_.faults.storeFails) return kProductionStoreFailed;
        auto values = store_.Values();
        values["node"] = std::to_string(v);
        if (!Commit(values)) return kProductionStoreFailed;
        SetPendingNodeId(static_cast<uint8_t>(v));
        return kProductionOk;
    }
    case 0x09: {  // Baudr (table index), in force after the next reset node
        const int kbit = CanIndexToBitRate(v);
        if (kbit < 0) return kProductionValueRange;
        if (options_.faults.storeFails) return kProductionStoreFailed;
        auto values = store_.Values();
        values["kbit"] = std::to_string(kbit);
        if (!Commit(values)) return kProductionStoreFailed;
        SetPendingBitRate(kbit);
        return kProductionOk;
    }
    case 0x0A: return SetProductionObject(0x1800, 2, v);  // TransTypPdo1
    case 0x0B: return SetProductionObject(0x1801, 2, v);  // TransTypPdo2
    case 0x0C: return SetProductionObject(0x1800, 3, v);  // InhibitPdo1
    case 0x0E: return SetProductionObject(0x6200, 0, v);  // CyclicTimer
    case 0x0F: return SetProductionObject(0x100C, 0, v);  // GuardTimer
    case 0x10: return SetProductionObject(0x100D, 0, v);  // LifeTimFactor
    case 0x12: return SetProductionObject(0x1015, 0, v);  // InhibitEmcy
    case 0x14: return SetProductionObject(0x6501, 0, v);  // StpGen
    case 0x16: return SetProductionObject(0x2002, 0, v);  // Variante
    case 0x20:                                            // Preset
    case 0x21: {                                          // NullP (zero point offset)
        if (v >= shaft_.Range()) return kProductionValueRange;
        if (r.parameter == 0x20) shaft_.Preset(v, nowUs_);
        else shaft_.SetOffset(v);
        return SetProductionObject(kPresetIndex, 0, shaft_.Offset());
    }
    case 0x22: return SetProductionObject(0x6000, 0, v);  // OpByte
    case 0x23: return SetProductionObject(0x6001, 0, v);  // StpOp
    case 0x76: return SetProductionObject(0x6502, 0, v);  // Revol
    case 0x77: return SetProductionObject(0x1000, 0, v);  // DeviceTyp
    case 0x78: return SetProductionObject(0x1018, 2, v);  // ProductCode
    case 0x79: return SetProductionObject(0x1018, 3, v);  // Revisionsnummer
    case 0x7A: {                                          // OperatingTime
        const uint8_t e = SetProductionObject(0x6508, 0, v);
        if (e == kProductionOk) {
            operatingTimeBase_ = v;
            powerOnUs_ = nowUs_;
            RefreshDynamicObjects();
        }
        return e;
    }
    case 0x7B: return SetProductionObject(0x650A, 1, v);  // ManufacturerOffset
    case 0x7C: return SetProductionObject(0x1018, 4, v);  // SerialNr
    case 0x7D: return SetProductionObject(0x6002, 0, v);  // MaxStp
    case 0x7E: return SetProductionObject(0x2000, 0, v);  // DisableEEPROM
    case 0x7F: return SetProductionObject(0x2001, 0, v);  // MagNumb
    case kProductionStringCode: {
        std::optional<ProductionStrings::Completed> done;
        const ProductionError e = productionStrings_.Feed(v, done);
        if (e != kProductionOk || !done) return e;
        if (options_.faults.storeFails) return kProductionStoreFailed;
        auto values = store_.Values();
        values[Key("factory", done->object, 0)] = HexFromBytes(done->text);
        if (!Commit(values)) return kProductionStoreFailed;
        od_.SetBytes(done->object, 0, done->text);
        return kProductionOk;
    }
    default: return kProductionUnknownParameter;
    }
}
