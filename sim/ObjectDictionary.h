#pragma once
// The object dictionary of a simulated CANopen device: typed entries with access rights,
// limits and flags, and the checks of CiA 301 for reading and writing them over SDO.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

enum class OdType : uint8_t { U8, U16, U32, I16, I32, Text };
enum class OdAccess : uint8_t { Const, ReadOnly, ReadWrite, WriteOnly };

enum OdFlags : uint32_t {
    kOdCommand = 1u << 0,       // a write triggers an action; the value read stays as it is
    kOdNodeRelative = 1u << 1,  // a COB-ID: a default whose low 7 bits are zero gets the node id added
    kOdNoStore = 1u << 2,       // never part of "store parameters"
    kOdMappable = 1u << 3,      // may be mapped into a TPDO
    kOdPersistent = 1u << 4,    // read-only over SDO, yet part of "store parameters"
};

struct OdEntry {
    uint16_t index = 0;
    uint8_t sub = 0;
    OdType type = OdType::U32;
    OdAccess access = OdAccess::ReadOnly;
    uint32_t flags = 0;
    std::string value;         // little-endian bytes; the text itself for Text
    std::string builtin;       // the value this device was built with
    size_t maxLength = 0;      // Text: capacity in bytes
    int64_t min = INT64_MIN;   // numeric limits (checked on SDO writes)
    int64_t max = INT64_MAX;
    std::string name;

    bool Storable() const {
        if (flags & kOdPersistent) return true;
        return access == OdAccess::ReadWrite && !(flags & (kOdCommand | kOdNoStore));
    }
};

// Bytes of a numeric type; 0 for Text.
size_t OdTypeSize(OdType type);

class ObjectDictionary {
public:
    // Checks a value before it is taken and acts on it: 0 accepts, else an SDO abort code.
    using WriteHook = std::function<uint32_t(const OdEntry& entry, const std::string& bytes)>;

    void Add(OdEntry entry);
    OdEntry* Find(uint16_t index, uint8_t sub);
    const OdEntry* Find(uint16_t index, uint8_t sub) const;
    bool HasIndex(uint16_t index) const;

    // 0 when the entry exists, else the abort code for a missing object or sub-index.
    uint32_t Locate(uint16_t index, uint8_t sub) const;

    // SDO upload: the entry's bytes, or an abort code.
    uint32_t Upload(uint16_t index, uint8_t sub, std::string& bytes) const;
    // Checks before a download: existence, access and (when known) the announced size.
    uint32_t CheckDownload(uint16_t index, uint8_t sub, bool sizeKnown, size_t size) const;
    // SDO download. Without a known size a numeric value takes the bytes it needs.
    uint32_t Download(uint16_t index, uint8_t sub, std::string bytes, bool sizeKnown);

    // The largest value an entry may take in bytes (the download buffer limit).
    size_t Capacity(uint16_t index, uint8_t sub) const;

    // Device-side access without checks.
    uint32_t GetU32(uint16_t index, uint8_t sub) const;
    int64_t GetSigned(uint16_t index, uint8_t sub) const;
    void SetU32(uint16_t index, uint8_t sub, uint32_t value);
    void SetBytes(uint16_t index, uint8_t sub, std::string bytes);
    std::string GetBytes(uint16_t index, uint8_t sub) const;

    void SetWriteHook(WriteHook hook) { hook_ = std::move(hook); }

    std::map<std::pair<uint16_t, uint8_t>, OdEntry>& Entries() { return entries_; }
    const std::map<std::pair<uint16_t, uint8_t>, OdEntry>& Entries() const { return entries_; }

private:
    std::map<std::pair<uint16_t, uint8_t>, OdEntry> entries_;
    WriteHook hook_;
};
