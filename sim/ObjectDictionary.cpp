#include "ObjectDictionary.h"

#include "SdoAbortCodes.h"
#include "SimBytes.h"

size_t OdTypeSize(OdType type) {
    switch (type) {
    case OdType::U8: return 1;
    case OdType::U16:
    case OdType::I16: return 2;
    case OdType::U32:
    case OdType::I32: return 4;
    case OdType::Text: return 0;
    }
    return 0;
}

namespace {
int64_t NumericValue(OdType type, const std::string& bytes) {
    const uint64_t raw = FromLeBytes(bytes);
    switch (type) {
    case OdType::I16: return static_cast<int16_t>(raw);
    case OdType::I32: return static_cast<int32_t>(raw);
    default: return static_cast<int64_t>(raw);
    }
}
}  // namespace

void ObjectDictionary::Add(OdEntry entry) {
    if (entry.type != OdType::Text) entry.value.resize(OdTypeSize(entry.type), '\0');
    entry.builtin = entry.value;
    const auto key = std::make_pair(entry.index, entry.sub);
    entries_[key] = std::move(entry);
}

OdEntry* ObjectDictionary::Find(uint16_t index, uint8_t sub) {
    auto it = entries_.find({index, sub});
    return it == entries_.end() ? nullptr : &it->second;
}

const OdEntry* ObjectDictionary::Find(uint16_t index, uint8_t sub) const {
    auto it = entries_.find({index, sub});
    return it == entries_.end() ? nullptr : &it->second;
}

bool ObjectDictionary::HasIndex(uint16_t index) const {
    auto it = entries_.lower_bound({index, 0});
    return it != entries_.end() && it->first.first == index;
}

uint32_t ObjectDictionary::Locate(uint16_t index, uint8_t sub) const {
    if (Find(index, sub)) return kSdoOk;
    return HasIndex(index) ? kSdoNoSubIndex : kSdoNoObject;
}

uint32_t ObjectDictionary::Upload(uint16_t index, uint8_t sub, std::string& bytes) const {
    if (const uint32_t code = Locate(index, sub)) return code;
    const OdEntry& e = *Find(index, sub);
    if (e.access == OdAccess::WriteOnly) return kSdoWriteOnly;
    bytes = e.value;
    return kSdoOk;
}

uint32_t ObjectDictionary::CheckDownload(uint16_t index, uint8_t sub, bool sizeKnown, size_t size) const {
    if (const uint32_t code = Locate(index, sub)) return code;
    const OdEntry& e = *Find(index, sub);
    if (e.access == OdAccess::Const || e.access == OdAccess::ReadOnly) return kSdoReadOnly;
    if (sizeKnown && size > Capacity(index, sub)) return kSdoLengthTooHigh;
    return kSdoOk;
}

size_t ObjectDictionary::Capacity(uint16_t index, uint8_t sub) const {
    const OdEntry* e = Find(index, sub);
    if (!e) return 0;
    return e->type == OdType::Text ? e->maxLength : OdTypeSize(e->type);
}

uint32_t ObjectDictionary::Download(uint16_t index, uint8_t sub, std::string bytes, bool sizeKnown) {
    if (const uint32_t code = CheckDownload(index, sub, false, 0)) return code;
    OdEntry& e = *Find(index, sub);
    if (e.type == OdType::Text) {
        if (bytes.size() > e.maxLength) return kSdoLengthTooHigh;
    } else {
        const size_t need = OdTypeSize(e.type);
        if (sizeKnown && bytes.size() > need) return kSdoLengthTooHigh;
        if (sizeKnown && bytes.size() < need) return kSdoLengthTooLow;
        bytes.resize(need, '\0');
        const int64_t v = NumericValue(e.type, bytes);
        if (v > e.max) return kSdoValueTooHigh;
        if (v < e.min) return kSdoValueTooLow;
    }
    if (hook_) {
        if (const uint32_t code = hook_(e, bytes)) return code;
    }
    // The hook may have changed the dictionary; look the entry up again.
    OdEntry* target = Find(index, sub);
    if (target && !(target->flags & kOdCommand)) target->value = std::move(bytes);
    return kSdoOk;
}

uint32_t ObjectDictionary::GetU32(uint16_t index, uint8_t sub) const {
    const OdEntry* e = Find(index, sub);
    return e ? static_cast<uint32_t>(FromLeBytes(e->value)) : 0;
}

int64_t ObjectDictionary::GetSigned(uint16_t index, uint8_t sub) const {
    const OdEntry* e = Find(index, sub);
    return e ? NumericValue(e->type, e->value) : 0;
}

void ObjectDictionary::SetU32(uint16_t index, uint8_t sub, uint32_t value) {
    OdEntry* e = Find(index, sub);
    if (!e || e->type == OdType::Text) return;
    e->value = LeBytes(value, OdTypeSize(e->type));
}

void ObjectDictionary::SetBytes(uint16_t index, uint8_t sub, std::string bytes) {
    OdEntry* e = Find(index, sub);
    if (!e) return;
    if (e->type == OdType::Text) {
        if (bytes.size() > e->maxLength) bytes.resize(e->maxLength);
    } else {
        bytes.resize(OdTypeSize(e->type), '\0');
    }
    e->value = std::move(bytes);
}

std::string ObjectDictionary::GetBytes(uint16_t index, uint8_t sub) const {
    const OdEntry* e = Find(index, sub);
    return e ? e->value : std::string();
}
