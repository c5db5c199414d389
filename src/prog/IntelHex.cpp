#include "IntelHex.h"

#include <QLoggingCategory>
#include <algorithm>
#include <array>
#include <cstdio>

#include "ProgLog.h"

namespace {
constexpr std::array<int8_t, 256> MakeHexTable() {
    std::array<int8_t, 256> t{};
    for (auto& v : t) v = -1;
    for (int c = '0'; c <= '9'; ++c) t[c] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) t[c] = static_cast<int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) t[c] = static_cast<int8_t>(c - 'a' + 10);
    return t;
}
constexpr std::array<int8_t, 256> kHex = MakeHexTable();

// Two hex digits at `p`; -1 when either is not a hex digit.
inline int HexByte(const char* p) {
    const int hi = kHex[static_cast<unsigned char>(p[0])];
    const int lo = kHex[static_cast<unsigned char>(p[1])];
    return (hi < 0 || lo < 0) ? -1 : (hi << 4) | lo;
}

constexpr char kDigits[] = "0123456789ABCDEF";
void PutByte(std::string& s, uint8_t b) {
    s.push_back(kDigits[b >> 4]);
    s.push_back(kDigits[b & 15]);
}

std::string Format(const char* fmt, uint32_t value) {
    char buf[96];
    std::snprintf(buf, sizeof buf, fmt, value);
    return buf;
}

struct ParsedRecord {
    int count = 0;
    uint32_t address = 0;
    int type = 0;
    const char* data = nullptr;  // 2 × count hex digits
};

// Parses one record text (from its ":" up to the next record); false when it is malformed.
bool ParseRecord(std::string_view rec, ParsedRecord& out) {
    while (!rec.empty() && static_cast<unsigned char>(rec.back()) <= ' ') rec.remove_suffix(1);
    if (rec.size() < 11 || rec[0] != ':') return false;
    const char* p = rec.data() + 1;
    const int count = HexByte(p);
    if (count < 0 || rec.size() < 11 + 2 * static_cast<size_t>(count)) return false;
    const int ah = HexByte(p + 2), al = HexByte(p + 4), type = HexByte(p + 6);
    if (ah < 0 || al < 0 || type < 0) return false;
    unsigned sum = static_cast<unsigned>(count + ah + al + type);
    const char* d = p + 8;
    for (int i = 0; i < count; ++i) {
        const int b = HexByte(d + 2 * i);
        if (b < 0) return false;
        sum += static_cast<unsigned>(b);
    }
    const int checksum = HexByte(d + 2 * count);
    if (checksum < 0 || ((sum + static_cast<unsigned>(checksum)) & 0xFF) != 0) return false;
    out.count = count;
    out.address = static_cast<uint32_t>(ah << 8 | al);
    out.type = type;
    out.data = d;
    return true;
}
}  // namespace

void IntelHexFile::Trace(std::string line) {
    qCDebug(lcProg, "%s", line.c_str());
    trace_.push_back(std::move(line));
}

bool IntelHexFile::Read(std::string_view text) {
    records_.clear();
    bytes_.clear();
    trace_.clear();
    error_.clear();
    startLinear_ = 0;
    endSeen_ = false;
    cursorRecord_ = 0;
    cursorByte_ = 0;
    outAddress_ = 0;

    // The records start at the first character and at every further ":".
    const size_t recordCount = 1 + static_cast<size_t>(std::count(text.begin() + (text.empty() ? 0 : 1), text.end(), ':'));
    if (recordCount < 2) {
        error_ = "keine gültige Hex-Datei";
        return false;
    }
    bytes_.reserve(text.size() / 2);
    uint32_t extended = 0;
    size_t begin = 0;
    for (uint32_t number = 1; begin < text.size(); ++number) {
        size_t end = text.find(':', begin + 1);
        if (end == std::string_view::npos) end = text.size();
        ParsedRecord r;
        const bool valid = ParseRecord(text.substr(begin, end - begin), r);
        begin = end;
        if (!valid) {
            Trace(Format("IntelHex: Error, in line %d\n", number));
            continue;
        }
        if (endSeen_) Trace("IntelHex: Extra line after End of File Record\n");
        switch (r.type) {
            case 0x00: {
                if (r.count == 0) break;
                HexRecord rec{r.address + extended, static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(r.count)};
                for (int i = 0; i < r.count; ++i) bytes_.push_back(static_cast<uint8_t>(HexByte(r.data + 2 * i)));
                records_.push_back(rec);
                break;
            }
            case 0x01: endSeen_ = true; break;
            case 0x04:
                // Two data bytes are needed; a shorter record would read past its data.
                if (r.count < 2) {
                    Trace(Format("IntelHex: Error, in line %d\n", number));
                    break;
                }
                extended = static_cast<uint32_t>(HexByte(r.data)) << 24 | static_cast<uint32_t>(HexByte(r.data + 2)) << 16;
                Trace(Format("IntelHex: extended linear addressing, address = 0x%08x\n", extended));
                break;
            case 0x05:
                if (r.count < 4) {
                    Trace(Format("IntelHex: Error, in line %d\n", number));
                    break;
                }
                startLinear_ = 0;
                for (int i = 0; i < 4; ++i) startLinear_ = startLinear_ << 8 | static_cast<uint32_t>(HexByte(r.data + 2 * i));
                Trace(Format("IntelHex: start linear address, address = 0x%08x\n", startLinear_));
                break;
            default: Trace(Format("IntelHex: unsupported line type = %d\n", static_cast<uint32_t>(r.type))); break;
        }
    }
    Trace(Format("IntelHex: %d Zeilen eingelesen\n", static_cast<uint32_t>(records_.size())));
    std::stable_sort(records_.begin(), records_.end(),
                     [](const HexRecord& a, const HexRecord& b) { return a.address < b.address; });
    return true;
}

int IntelHexFile::EmitNextRecord(EmittedHexRecord& out, int maxBytes) {
    if (maxBytes <= 0) {
        cursorRecord_ = 0;
        cursorByte_ = 0;
        outAddress_ = records_.empty() ? 0 : records_.front().address;
        return HEX_EMIT_RESET;
    }
    out.address = outAddress_;
    out.bytes.clear();
    while (static_cast<int>(out.bytes.size()) < maxBytes && cursorRecord_ < records_.size()) {
        const HexRecord& r = records_[cursorRecord_];
        if (cursorByte_ < r.count) {
            out.bytes.push_back(bytes_[r.offset + cursorByte_++]);
            ++outAddress_;
            continue;
        }
        // Record used up: on to the next one.
        if (++cursorRecord_ >= records_.size()) break;
        cursorByte_ = 0;
        const uint32_t next = records_[cursorRecord_].address;
        if (next == outAddress_) continue;
        // A gap: fill it with 0xFF while it fits into this output record; an overlap or a gap
        // that does not fit starts the next output record at the next record's address.
        if (next > outAddress_ && next - outAddress_ <= static_cast<uint32_t>(maxBytes) - out.bytes.size()) {
            while (outAddress_ < next) {
                out.bytes.push_back(0xFF);
                ++outAddress_;
            }
            continue;
        }
        if (next > outAddress_) {
            while (static_cast<int>(out.bytes.size()) < maxBytes) {
                out.bytes.push_back(0xFF);
                ++outAddress_;
            }
        }
        outAddress_ = next;
        break;
    }
    out.text = ":xx";
    PutByte(out.text, static_cast<uint8_t>(out.address >> 8));
    PutByte(out.text, static_cast<uint8_t>(out.address));
    out.text += "00";
    for (uint8_t b : out.bytes) PutByte(out.text, b);
    std::string counted = ":";
    PutByte(counted, static_cast<uint8_t>(out.bytes.size()));
    out.text.replace(0, 3, counted);
    AppendHexChecksum(out.text);
    return static_cast<int>(out.bytes.size()) == maxBytes ? HEX_EMIT_FULL : HEX_EMIT_END;
}

uint8_t AppendHexChecksum(std::string& record) {
    unsigned sum = 0;
    for (size_t i = 1; i + 1 < record.size(); i += 2) {
        const int b = HexByte(record.data() + i);
        if (b >= 0) sum += static_cast<unsigned>(b);
    }
    const uint8_t checksum = static_cast<uint8_t>(0x100 - (sum & 0xFF));
    PutByte(record, checksum);
    for (char& c : record) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return checksum;
}

bool BuildHexImage(IntelHexFile& file, HexImage& image, bool& empty) {
    image = HexImage{};
    empty = file.Records().empty();
    if (empty) return false;
    const uint32_t start = file.Records().front().address;
    uint64_t span = 0;
    for (const HexRecord& r : file.Records()) span = std::max<uint64_t>(span, uint64_t{r.address} + r.count - start);
    if (span > kMaxHexImageBytes) return false;
    image.start = start;
    image.bytes.assign(span, 0xFF);
    EmittedHexRecord rec;
    file.EmitNextRecord(rec, 0);
    for (;;) {
        const int result = file.EmitNextRecord(rec, 8);
        for (size_t i = 0; i < rec.bytes.size(); ++i) {
            const uint64_t at = uint64_t{rec.address} + i - start;
            if (at < image.bytes.size()) image.bytes[at] = rec.bytes[i];
        }
        if (result != HEX_EMIT_FULL || rec.bytes.empty()) break;
    }
    // Padding after the last record belongs to no record: the image ends with the last byte.
    return true;
}

std::string WriteIntelHex(const HexImage& image, int perLine) {
    std::string text;
    uint32_t upper = 0;
    for (size_t i = 0; i < image.bytes.size();) {
        const uint32_t address = image.start + static_cast<uint32_t>(i);
        if ((address >> 16) != upper || i == 0) {
            upper = address >> 16;
            std::string line = ":02000004";
            PutByte(line, static_cast<uint8_t>(upper >> 8));
            PutByte(line, static_cast<uint8_t>(upper));
            AppendHexChecksum(line);
            text += line + "\r\n";
        }
        size_t n = std::min<size_t>(static_cast<size_t>(perLine), image.bytes.size() - i);
        n = std::min<size_t>(n, 0x10000 - (address & 0xFFFF));
        std::string line = ":";
        PutByte(line, static_cast<uint8_t>(n));
        PutByte(line, static_cast<uint8_t>(address >> 8));
        PutByte(line, static_cast<uint8_t>(address));
        line += "00";
        for (size_t k = 0; k < n; ++k) PutByte(line, image.bytes[i + k]);
        AppendHexChecksum(line);
        text += line + "\r\n";
        i += n;
    }
    text += ":00000001FF\r\n";
    return text;
}
