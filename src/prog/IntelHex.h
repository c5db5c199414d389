#pragma once
// Intel HEX files: the reader turns the text of a firmware file (record types 00, 01, 04, 05)
// into data records sorted by address; the emitter walks those records again as Intel HEX
// record texts of a chosen byte count, filling gaps inside an output record with 0xFF.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One data record (type 00) with its absolute address (record address + extended linear
// address). Records keep every data byte of their line (a line carries up to 255).
struct HexRecord {
    uint32_t address = 0;
    uint32_t offset = 0;  // first byte in IntelHexFile::Bytes()
    uint32_t count = 0;
};

// One output record of the emitter: its text and, for the image, its full address and bytes.
struct EmittedHexRecord {
    std::string text;
    uint32_t address = 0;
    std::vector<uint8_t> bytes;
};

enum : int { HEX_EMIT_RESET = 0, HEX_EMIT_FULL = 1, HEX_EMIT_END = 2 };

class IntelHexFile {
public:
    // Reads `text`; replaces the records of the previous read. False when the text holds fewer
    // than two records (`Error()` then holds the message); malformed records are skipped with a
    // trace line.
    bool Read(std::string_view text);

    const std::vector<HexRecord>& Records() const { return records_; }
    std::span<const uint8_t> Data(const HexRecord& r) const { return {bytes_.data() + r.offset, r.count}; }
    uint32_t StartLinearAddress() const { return startLinear_; }
    bool EndRecordSeen() const { return endSeen_; }
    const std::string& Error() const { return error_; }
    // The trace lines of the last read, in order (also sent to the debug log).
    const std::vector<std::string>& TraceLines() const { return trace_; }

    // The emitter: `maxBytes` 0 puts the cursor on the first record and returns HEX_EMIT_RESET;
    // otherwise the next output record of up to `maxBytes` bytes goes to `out` and the result
    // is HEX_EMIT_FULL when it holds `maxBytes` bytes, HEX_EMIT_END when fewer (end of data).
    int EmitNextRecord(EmittedHexRecord& out, int maxBytes);

private:
    void Trace(std::string line);

    std::vector<HexRecord> records_;
    std::vector<uint8_t> bytes_;
    uint32_t startLinear_ = 0;
    bool endSeen_ = false;
    std::string error_;
    std::vector<std::string> trace_;
    // emitter cursor
    size_t cursorRecord_ = 0;
    uint32_t cursorByte_ = 0;
    uint32_t outAddress_ = 0;
};

// Adds the two-digit checksum to `record` (":" + count, address, type, data; no checksum yet)
// and upper-cases it; returns the checksum.
uint8_t AppendHexChecksum(std::string& record);

// An image of the records' bytes: every byte at its address minus the first record's address,
// gaps filled with 0xFF.
struct HexImage {
    uint32_t start = 0;
    std::vector<uint8_t> bytes;
};
inline constexpr uint32_t kMaxHexImageBytes = 16u * 1024u * 1024u;
// Builds the image by emitting the records 8 bytes at a time. False when there are no data
// bytes (`empty` set) or the image would span more than kMaxHexImageBytes.
bool BuildHexImage(IntelHexFile& file, HexImage& image, bool& empty);

// Writes `image` as Intel HEX text (type 04 records where the upper address changes, `perLine`
// data bytes a line, CR LF line ends, end record).
std::string WriteIntelHex(const HexImage& image, int perLine = 16);
