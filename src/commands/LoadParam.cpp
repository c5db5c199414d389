#include "LoadParam.h"

#include <cstdio>

#include "CanChannel.h"
#include "NamedValueList.h"
#include "SdoRequest.h"
#include "TimeSource.h"

namespace {
constexpr uint32_t kCobIdMask = 0x7FF;

std::string Hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

int AnswerTimeMs() {
    uint32_t timer = 0;
    if (ScriptVariables().Lookup("Timer", timer) && static_cast<int32_t>(timer) >= 1 &&
        static_cast<int32_t>(timer) <= 60'000)
        return static_cast<int>(timer);
    return ParameterLoad::kDefaultAnswerMs;
}

uint16_t AnswerIndex(const tagOPEN_Message& m) { return static_cast<uint16_t>(m.data[1] | (m.data[2] << 8)); }

uint32_t AnswerValue(const tagOPEN_Message& m) {
    // Expedited with the size indicated: only the bytes the device filled count.
    const uint32_t n = (m.data[0] & 0x01) ? 4u - ((m.data[0] >> 2) & 0x03) : 4u;
    uint32_t value = 0;
    for (uint32_t i = 0; i < n; ++i) value |= static_cast<uint32_t>(m.data[4 + i]) << (8 * i);
    return value;
}
}  // namespace

const std::vector<LoadParamEntry>& LoadParamEntries() {
    static const std::vector<LoadParamEntry> entries = {
        {"Pdo1Id", {{0x1800, 1}}, true},
        {"Pdo2Id", {{0x1801, 1}}, true},
        {"EMCId", {{0x1014, 0}}, true},
        {"GuardId", {{0x100E, 0}, {0x2003, 0}}, true},
        {"SyncId", {{0x1005, 0}}, true},
        {"VendorId", {{0x1018, 1}}, false},
        {"ProdCode", {{0x1018, 2}}, false},
        {"RevNr", {{0x1018, 3}}, false},
        {"SerialNr", {{0x1018, 4}, {0x650B, 0}}, false},
        {"TotalSteps", {{0x6002, 0}}, false},
        {"Srdo1Id", {{0x1301, 5}}, true},
        {"Srdo2Id", {{0x1301, 6}}, true},
    };
    return entries;
}

std::string LoadParamResultText(const LoadParamResult& r) {
    std::string text = r.variable;
    text.resize(std::max<size_t>(text.size(), 12), ' ');
    switch (r.state) {
        case LoadParamState::Pending: return text + "...";
        case LoadParamState::NotFound: return text + "not found";
        case LoadParamState::Loaded: break;
    }
    return text + Hex(r.value, 1) + "  (" + Hex(r.object.index, 4) + " sub " + std::to_string(r.object.sub) +
           ")  loaded";
}

ParameterLoad::ParameterLoad() = default;
ParameterLoad::~ParameterLoad() = default;

void ParameterLoad::Start() {
    results_.clear();
    for (const auto& entry : LoadParamEntries()) {
        LoadParamResult r;
        r.variable = entry.variable;
        r.object = entry.objects.front();
        results_.push_back(r);
    }
    item_ = 0;
    object_ = 0;
    waiting_ = false;
    // Frames from before the load cannot be answers to it.
    tagOPEN_Message stale;
    CanRead(&stale);
    if (!timer_) {
        timer_ = CreateTimer();
        timer_->SetHandler([this] { timLoadParamTimer(); });
    }
    timer_->Start(kIntervalMs);
    Notify();
}

void ParameterLoad::Stop() {
    if (timer_) timer_->Stop();
    waiting_ = false;
}

bool ParameterLoad::IsRunning() const { return timer_ && timer_->IsActive(); }

void ParameterLoad::timLoadParamTimer() {
    if (item_ >= results_.size()) {
        Stop();
        Notify();
        return;
    }
    if (waiting_)
        Judge();
    else
        SendRequest();
}

void ParameterLoad::SendRequest() {
    const SdoObjectRef object = LoadParamEntries()[item_].objects[object_];
    tagOPEN_Message request;
    request.id = SdoRequestId();
    request.dlc = 8;
    request.data = {0x40, static_cast<uint8_t>(object.index & 0xFF), static_cast<uint8_t>(object.index >> 8),
                    object.sub, 0, 0, 0, 0};
    if (!CanWrite(&request)) {
        NextObject();
        return;
    }
    waiting_ = true;
    deadlineUs_ = CurrentTimeSource().NowUs() + static_cast<uint64_t>(AnswerTimeMs()) * 1000u;
}

void ParameterLoad::Judge() {
    const SdoObjectRef object = LoadParamEntries()[item_].objects[object_];
    tagOPEN_Message answer;
    while (CanWaitForId(0, static_cast<int32_t>(SdoAnswerId()), &answer) != CAN_RESULT_NONE) {
        if (answer.dlc < 8 || answer.rtr) continue;
        // Answers about another object are late answers to an earlier request.
        if (AnswerIndex(answer) != object.index || answer.data[3] != object.sub) continue;
        switch (answer.data[0] & 0xE3) {
            case 0x43:
            case 0x42: {
                const uint32_t value = AnswerValue(answer);
                results_[item_].object = object;
                Finish(LoadParamState::Loaded, LoadParamEntries()[item_].cobId ? value & kCobIdMask : value);
                return;
            }
            case 0x40:
            case 0x41: {
                // A segmented answer is no number: end the transfer and count it as not there.
                tagOPEN_Message abort;
                abort.id = SdoRequestId();
                abort.dlc = 8;
                abort.data = {0x80, answer.data[1], answer.data[2], answer.data[3], 0, 0, 0, 0x08};
                CanWrite(&abort);
                NextObject();
                return;
            }
            case 0x80: NextObject(); return;
            default: break;
        }
    }
    if (CurrentTimeSource().NowUs() >= deadlineUs_) NextObject();
}

void ParameterLoad::NextObject() {
    waiting_ = false;
    if (++object_ < LoadParamEntries()[item_].objects.size()) return;
    Finish(LoadParamState::NotFound, 0);
}

void ParameterLoad::Finish(LoadParamState state, uint32_t value) {
    LoadParamResult& r = results_[item_];
    r.state = state;
    r.value = value;
    if (state == LoadParamState::Loaded) ScriptVariables().Set(r.variable, value);
    waiting_ = false;
    object_ = 0;
    ++item_;
    if (item_ >= results_.size()) Stop();
    Notify();
}

void ParameterLoad::Notify() {
    if (listener_) listener_();
}

ParameterLoad& CurrentParameterLoad() {
    static ParameterLoad load;
    return load;
}
