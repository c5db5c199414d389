#pragma once
// One entry of the object table read from an EDS or DCF file: a simple variable, the header of
// an array or record, or one sub-entry of it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint32_t kHeaderSubindex = 0xFFFF;
inline constexpr size_t kEntryNameChars = 255;
inline constexpr size_t kEntryAccessChars = 6;
inline constexpr size_t kEntryValueTextChars = 79;

// What the last read of an entry gave.
enum class EntryReadState : uint8_t {
    NotRead,
    Read,       // value (expedited) or value text (segmented) from the device
    Aborted,    // the device answered with an abort; abortCode holds its code
    ReadError,  // an answer of another kind, a toggle error or a wrong length
};

struct ObjectEntry {
    uint32_t index = 0;
    uint32_t subindex = 0;  // kHeaderSubindex for the header entry, 0 for a simple variable
    // The DataType number when loaded; the byte length of the value after each read.
    int32_t length = 0;
    bool header = false;
    std::string name;        // ParameterName, blanks dropped, at most 255 characters (as UTF-8)
    std::string accessType;  // AccessType ("ro", "rw", "const", ...), at most 6 characters
    uint32_t value = 0;      // last value read or written
    std::string valueText;   // text of a segmented read, or an error marker; at most 79 bytes

    // Kept beside the table for the comparison with a device (not shown in the grid).
    uint16_t dataType = 0;      // DataType as loaded (length is overwritten by reads)
    std::string defaultValue;   // ParameterValue of a DCF, else DefaultValue, as written; "" when none
    int sourceLine = 0;         // 1-based line of the entry's section
    EntryReadState readState = EntryReadState::NotRead;
    uint32_t abortCode = 0;
};

// The byte size of a CiA 301 data type number (BOOLEAN 1 ... UNSIGNED32 4, REAL64 8, UNSIGNED24
// 3 ...); 0 for types without a fixed size (strings, domains) and unknown numbers.
int DataTypeSize(uint16_t dataType);
// The byte length used to judge whether an entry can be read or written alone: the length of
// the last read once there was one, else the size of its data type, else the length field.
int EntryByteLength(const ObjectEntry& entry);

using ObjectTable = std::vector<ObjectEntry>;
