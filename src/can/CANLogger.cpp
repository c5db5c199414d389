#include "CANLogger.h"

#include "AtomicFile.h"

namespace {
constexpr char kHex[] = "0123456789ABCDEF";
constexpr char kHeader[] =
    "\"Timestamp\";\"Id\";\"DLC\";\"Remoteframe\";\"Data 0\";\"Data 1\";\"Data 2\";\"Data 3\";"
    "\"Data 4\";\"Data 5\";\"Data 6\";\"Data 7\"\n";

// Appends the CSV line of one frame to `out` without any formatting library call: the trace
// writer must keep up with a million lines a second.
void AppendCsvLine(std::string& out, uint64_t timestamp, uint32_t id, uint32_t dlc, bool rtr,
                   const uint8_t* data) {
    char buf[128];
    size_t n = 0;
    buf[n++] = '"';
    char digits[20];
    for (int i = 19; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + timestamp % 10);
        timestamp /= 10;
    }
    for (char d : digits) buf[n++] = d;
    buf[n++] = '"';
    buf[n++] = ';';
    buf[n++] = '"';
    // "%03X": at least three digits, more when the identifier needs them.
    char idDigits[8];
    int idLen = 0;
    uint32_t v = id;
    do {
        idDigits[idLen++] = kHex[v & 0xF];
        v >>= 4;
    } while (v);
    for (int i = idLen; i < 3; ++i) buf[n++] = '0';
    while (idLen) buf[n++] = idDigits[--idLen];
    buf[n++] = '"';
    buf[n++] = ';';
    buf[n++] = '"';
    // "%01X"
    char dDigits[8];
    int dLen = 0;
    v = dlc;
    do {
        dDigits[dLen++] = kHex[v & 0xF];
        v >>= 4;
    } while (v);
    while (dLen) buf[n++] = dDigits[--dLen];
    buf[n++] = '"';
    buf[n++] = ';';
    const char* flag = rtr ? "\"true\";" : "\"false\";";
    for (const char* p = flag; *p; ++p) buf[n++] = *p;
    const uint32_t count = dlc > 8 ? 8 : dlc;
    for (uint32_t i = 0; i < count; ++i) {
        buf[n++] = '"';
        buf[n++] = kHex[data[i] >> 4];
        buf[n++] = kHex[data[i] & 0xF];
        buf[n++] = '"';
        buf[n++] = ';';
    }
    buf[n++] = '\n';
    out.append(buf, n);
}
}  // namespace

void CANLogger::Add(const tagOPEN_Message& msg) {
    std::lock_guard lock(mutex_);
    if (!enabled_) return;
    if (entries_.size() >= capacity_) {
        ++dropped_;
        return;
    }
    Entry e{};
    e.timestamp = msg.timestamp;
    e.id = msg.id;
    e.data = msg.data;
    e.dlc = static_cast<uint8_t>(msg.dlc > 8 ? 8 : msg.dlc);
    e.flags = static_cast<uint8_t>((msg.rtr ? 1 : 0) | ((msg.direction & 3) << 1));
    entries_.push_back(e);
}

void CANLogger::Enable() {
    std::lock_guard lock(mutex_);
    enabled_ = true;
}

void CANLogger::Disable() {
    std::lock_guard lock(mutex_);
    enabled_ = false;
}

void CANLogger::Clear() {
    std::lock_guard lock(mutex_);
    std::vector<Entry>().swap(entries_);
    dropped_ = 0;
}

bool CANLogger::IsEnabled() const {
    std::lock_guard lock(mutex_);
    return enabled_;
}

size_t CANLogger::Size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

uint64_t CANLogger::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

size_t CANLogger::MemoryBytes() const {
    std::lock_guard lock(mutex_);
    return entries_.capacity() * sizeof(Entry);
}

tagOPEN_Message CANLogger::At(size_t index) const {
    std::lock_guard lock(mutex_);
    tagOPEN_Message m;
    if (index >= entries_.size()) return m;
    const Entry& e = entries_[index];
    m.timestamp = e.timestamp;
    m.id = e.id;
    m.data = e.data;
    m.dlc = e.dlc;
    m.rtr = e.flags & 1;
    m.direction = static_cast<uint8_t>((e.flags >> 1) & 3);
    return m;
}

bool CANLogger::WriteCsv(const std::string& path, const std::string& comment) const {
    AtomicFile file(path);
    if (!file.Open()) return false;
    std::string chunk;
    chunk.reserve(1 << 20);
    chunk.append(kHeader);
    if (!comment.empty()) {
        chunk.append(comment);
        chunk.push_back('\n');
    }
    std::lock_guard lock(mutex_);
    for (const Entry& e : entries_) {
        AppendCsvLine(chunk, e.timestamp, e.id, e.dlc, e.flags & 1, e.data.data());
        if (chunk.size() > (1 << 20) - 128) {
            if (!file.Write(chunk)) return false;
            chunk.clear();
        }
    }
    if (dropped_ > 0) {
        chunk.push_back('"');
        chunk.append(std::to_string(dropped_));
        chunk.append(" frames not kept: trace memory full\"\n");
    }
    if (!file.Write(chunk)) return false;
    return file.Commit();
}

void FormatCsvLine(std::string& text, const tagOPEN_Message& msg, size_t maxLength) {
    text.clear();
    AppendCsvLine(text, msg.timestamp, msg.id, msg.dlc, msg.rtr, msg.data.data());
    if (text.size() > maxLength) text.resize(maxLength);
}
