#include "EdsComparison.h"

#include <cstdio>

#include "CanChannel.h"
#include "EdsReader.h"
#include "SdoRequest.h"
#include "TimeSource.h"

namespace {
constexpr uint32_t kAbortNoObject = 0x06020000;
constexpr uint32_t kAbortNoSubindex = 0x06090011;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool ReadOnly(const ObjectEntry& e) {
    const std::string a = Lower(e.accessType);
    return a == "ro" || a == "const";
}

bool IsText(uint16_t dataType) { return dataType == 0x09 || dataType == 0x0A || dataType == 0x0B; }

std::string Hex(uint32_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

uint32_t Mask(int length) { return length >= 4 || length <= 0 ? 0xFFFFFFFFu : (1u << (8 * length)) - 1; }

// A text default as written: surrounding double quotes are not part of it.
std::string DefaultText(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

EdsDifference Difference(EdsDifferenceKind kind, const ObjectEntry& e, std::string expected, std::string actual) {
    return {kind, e.index, e.subindex, e.name, std::move(expected), std::move(actual)};
}

std::string AbortText(uint32_t code) { return "abort " + Hex(code, 8); }
}  // namespace

const char* EdsDifferenceName(EdsDifferenceKind kind) {
    switch (kind) {
        case EdsDifferenceKind::ValueDiffers: return "value differs";
        case EdsDifferenceKind::ObjectMissing: return "object missing";
        case EdsDifferenceKind::AccessRefused: return "access refused";
        case EdsDifferenceKind::ReadOnlyWritable: return "read-only object writable";
    }
    return "";
}

std::string EdsDifferenceText(const EdsDifference& d) {
    char place[32];
    std::snprintf(place, sizeof place, "%04Xsub%X", d.index, d.subindex);
    std::string text = std::string(place) + "  " + d.name + "  " + EdsDifferenceName(d.kind);
    if (!d.expected.empty() || !d.actual.empty()) text += ": EDS " + d.expected + ", device " + d.actual;
    return text;
}

std::vector<EdsDifference> CompareWithEds(const ObjectTable& table, uint32_t nodeId) {
    std::vector<EdsDifference> out;
    for (const ObjectEntry& e : table) {
        if (e.header || Lower(e.accessType) == "wo") continue;
        switch (e.readState) {
            case EntryReadState::NotRead: continue;
            case EntryReadState::Aborted:
                if (e.abortCode == kAbortNoObject || e.abortCode == kAbortNoSubindex)
                    out.push_back(Difference(EdsDifferenceKind::ObjectMissing, e, e.accessType, AbortText(e.abortCode)));
                else
                    out.push_back(Difference(EdsDifferenceKind::AccessRefused, e, e.accessType, AbortText(e.abortCode)));
                continue;
            case EntryReadState::ReadError:
                out.push_back(Difference(EdsDifferenceKind::AccessRefused, e, e.accessType, e.valueText));
                continue;
            case EntryReadState::Read: break;
        }
        if (e.defaultValue.empty()) continue;
        if (IsText(e.dataType)) {
            const std::string expected = DefaultText(e.defaultValue).substr(0, kEntryValueTextChars);
            if (expected != e.valueText)
                out.push_back(Difference(EdsDifferenceKind::ValueDiffers, e, "\"" + expected + "\"", "\"" + e.valueText + "\""));
            continue;
        }
        uint32_t expected = 0;
        if (!EvaluateEdsInteger(e.defaultValue, nodeId, expected)) continue;
        const uint32_t mask = Mask(e.length);
        if ((expected & mask) != (e.value & mask)) {
            const int digits = e.length > 0 && e.length <= 4 ? e.length * 2 : 8;
            out.push_back(Difference(EdsDifferenceKind::ValueDiffers, e, Hex(expected & mask, digits), Hex(e.value, digits)));
        }
    }
    return out;
}

EdsComparison::EdsComparison() : timer_(CreateTimer()) { timer_->SetHandler([this] { Tick(); }); }

EdsComparison::~EdsComparison() { timer_->Stop(); }

bool EdsComparison::Start(ObjectTable table) {
    Cancel();
    if (!CanActive && !CanOpen()) return false;
    table_ = std::move(table);
    differences_.clear();
    writable_.clear();
    noResponse_ = cancelled_ = false;
    check_ = checksDone_ = checksTotal_ = 0;
    for (const ObjectEntry& e : table_)
        if (!e.header && ReadOnly(e)) ++checksTotal_;
    phase_ = Phase::Upload;
    upload_.Begin();
    timer_->Start(IntervalFromVariable("Timer", kDefaultTimerMs));
    return true;
}

void EdsComparison::Cancel() {
    if (!Running()) return;
    upload_.Cancel();
    cancelled_ = true;
    Finish();
}

size_t EdsComparison::Progress() const { return upload_.Judged() + checksDone_; }
size_t EdsComparison::ProgressTotal() const { return upload_.Total() + checksTotal_; }

std::string EdsComparison::StoppedAt() const {
    const size_t at = phase_ == Phase::WriteCheck || (noResponse_ && !upload_.NoResponse()) ? check_ : upload_.Current();
    if (at >= table_.size()) return std::string();
    char text[24];
    std::snprintf(text, sizeof text, "%04Xsub%X", table_[at].index, table_[at].subindex);
    return text;
}

void EdsComparison::Tick() {
    if (phase_ == Phase::Upload) {
        upload_.Tick();
        if (!upload_.Running()) {
            if (upload_.NoResponse()) {
                noResponse_ = true;
                Finish();
                return;
            }
            phase_ = Phase::WriteCheck;
            check_ = 0;
            NextWriteCheck();
        }
    } else if (phase_ == Phase::WriteCheck) {
        JudgeWriteCheck();
    }
    if (listener_) listener_();
}

// Writes the next read-only entry that was read back with its own value.
void EdsComparison::NextWriteCheck() {
    while (check_ < table_.size()) {
        const ObjectEntry& e = table_[check_];
        if (!e.header && ReadOnly(e)) {
            if (e.readState == EntryReadState::Read && e.length >= 1 && e.length <= 4) {
                tagOPEN_Message stale;
                CanRead(&stale);
                tagOPEN_Message m = SdoExpeditedDownloadFrame(static_cast<uint16_t>(e.index),
                                                              static_cast<uint8_t>(e.subindex), e.value, e.length);
                CanWrite(&m);
                waiting_ = true;
                deadlineUs_ = CurrentTimeSource().NowUs() + ObjectUpload::kAnswerMs * 1000ull;
                return;
            }
            ++checksDone_;
        }
        ++check_;
    }
    differences_ = CompareWithEds(table_, ObjectNodeId());
    for (size_t i : writable_)
        differences_.push_back(Difference(EdsDifferenceKind::ReadOnlyWritable, table_[i], table_[i].accessType, "written"));
    Finish();
}

void EdsComparison::JudgeWriteCheck() {
    if (!waiting_) return;
    const ObjectEntry& e = table_[check_];
    tagOPEN_Message answer;
    while (CanWaitForId(0, static_cast<int32_t>(SdoAnswerId()), &answer) != CAN_RESULT_NONE) {
        if (answer.rtr || answer.dlc < 8) continue;
        if (!AnswerIsAbout(answer, static_cast<uint16_t>(e.index), static_cast<uint8_t>(e.subindex))) continue;
        if ((answer.data[0] & 0xE3) == 0x60) writable_.push_back(check_);
        waiting_ = false;
        ++checksDone_;
        ++check_;
        NextWriteCheck();
        return;
    }
    if (CurrentTimeSource().NowUs() >= deadlineUs_) {
        waiting_ = false;
        noResponse_ = true;
        Finish();
    }
}

void EdsComparison::Finish() {
    timer_->Stop();
    waiting_ = false;
    if (noResponse_ || cancelled_) differences_ = CompareWithEds(table_, ObjectNodeId());
    phase_ = Phase::Done;
    if (listener_) listener_();
}
