#include "SdoSteps.h"

#include "NamedValueList.h"
#include "SdoRequest.h"

namespace {
tagOPEN_Message Frame(uint32_t id, uint8_t dlc) {
    tagOPEN_Message m;
    m.id = id;
    m.dlc = dlc;
    m.data = {0, 0, 0, 0, 0, 0, 0, 0};
    return m;
}

tagOPEN_Message SdoFrame(uint8_t command, uint16_t index, uint8_t sub) {
    tagOPEN_Message m = Frame(SdoRequestId(), 8);
    m.data[0] = command;
    m.data[1] = static_cast<uint8_t>(index & 0xFF);
    m.data[2] = static_cast<uint8_t>(index >> 8);
    m.data[3] = sub;
    return m;
}

void PutDword(tagOPEN_Message& m, uint32_t value) {
    for (int i = 0; i < 4; ++i) m.data[4 + i] = static_cast<uint8_t>(value >> (8 * i));
}
}  // namespace

uint8_t ObjectNodeId() {
    uint32_t node = 0;
    ScriptVariables().Lookup("NodeId", node);
    return static_cast<uint8_t>(node & 0x7F);
}

tagOPEN_Message SdoUploadRequestFrame(uint16_t index, uint8_t subindex) { return SdoFrame(0x40, index, subindex); }

tagOPEN_Message SdoExpeditedDownloadFrame(uint16_t index, uint8_t subindex, uint32_t value, int length) {
    tagOPEN_Message m = SdoFrame(static_cast<uint8_t>(((4 - length) * 4) | 0x23), index, subindex);
    for (int i = 0; i < length && i < 4; ++i) m.data[4 + i] = static_cast<uint8_t>(value >> (8 * i));
    return m;
}

tagOPEN_Message SdoAbortFrame(uint16_t index, uint8_t subindex, uint32_t code) {
    tagOPEN_Message m = SdoFrame(0x80, index, subindex);
    PutDword(m, code);
    return m;
}

tagOPEN_Message NmtPreOperationalFrame() {
    tagOPEN_Message m = Frame(0, 2);
    m.data[0] = 0x80;
    m.data[1] = ObjectNodeId();
    return m;
}

bool AnswerIsAbout(const tagOPEN_Message& a, uint16_t index, uint8_t subindex) {
    return a.data[1] == (index & 0xFF) && a.data[2] == (index >> 8) && a.data[3] == subindex;
}

int ExpeditedLength(uint8_t byte0) { return (byte0 & 0x01) ? 4 - ((byte0 >> 2) & 0x03) : 4; }

uint32_t ExpeditedValue(const tagOPEN_Message& a) {
    const int n = ExpeditedLength(a.data[0]);
    uint32_t value = 0;
    for (int i = 0; i < n; ++i) value |= static_cast<uint32_t>(a.data[4 + i]) << (8 * i);
    return value;
}

uint32_t AnswerDword(const tagOPEN_Message& a) {
    return static_cast<uint32_t>(a.data[4]) | static_cast<uint32_t>(a.data[5]) << 8 |
           static_cast<uint32_t>(a.data[6]) << 16 | static_cast<uint32_t>(a.data[7]) << 24;
}

int IntervalFromVariable(const char* name, int fallback) {
    uint32_t value = 0;
    if (ScriptVariables().Lookup(name, value) && static_cast<int32_t>(value) >= 1 &&
        static_cast<int32_t>(value) <= 60'000)
        return static_cast<int>(value);
    return fallback;
}

tagOPEN_Message SegmentedRead::Request() const {
    tagOPEN_Message m = SdoFrame(toggle_ ? 0x70 : 0x60, 0, 0);
    return m;
}

tagOPEN_Message SegmentedRead::Begin(const tagOPEN_Message& initiate) {
    active_ = true;
    toggle_ = false;
    announced_ = AnswerDword(initiate);
    received_ = 0;
    text_.clear();
    index_ = static_cast<uint16_t>(initiate.data[1] | (initiate.data[2] << 8));
    sub_ = initiate.data[3];
    return Request();
}

SegmentedRead::Step SegmentedRead::Take(const tagOPEN_Message& segment, tagOPEN_Message& next) {
    const uint8_t b0 = segment.data[0];
    if (((b0 & 0x10) != 0) != toggle_) {
        active_ = false;
        return Step::ToggleError;
    }
    const uint32_t n = 7u - ((b0 >> 1) & 0x07u);
    for (uint32_t i = 0; i < n; ++i)
        if (text_.size() < kept_) text_.push_back(static_cast<char>(segment.data[1 + i]));
    received_ += n;
    if (received_ > kMaxBytes || (announced_ > 0 && received_ > announced_)) {
        active_ = false;
        return Step::TooLong;
    }
    if (b0 & 0x01) {
        active_ = false;
        return Step::Done;
    }
    toggle_ = !toggle_;
    next = Request();
    return Step::More;
}
