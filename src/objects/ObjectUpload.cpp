#include "ObjectUpload.h"

#include <cstdio>

#include "CanChannel.h"
#include "SdoRequest.h"
#include "TimeSource.h"

namespace {
constexpr uint32_t kAbortToggle = 0x05030000;
constexpr uint32_t kAbortTooLong = 0x06070012;
constexpr uint32_t kAbortGeneral = 0x08000000;

void Send(tagOPEN_Message m) { CanWrite(&m); }
}  // namespace

size_t ObjectUpload::Total() const {
    size_t n = 0;
    for (const ObjectEntry& e : table_)
        if (!e.header) ++n;
    return n;
}

std::string ObjectUpload::StatusText() const {
    if (current_ >= table_.size()) return std::string();
    char text[16];
    std::snprintf(text, sizeof text, "%04X", table_[current_].index);
    return text;
}

size_t ObjectUpload::NextEntry(size_t from) const {
    while (from < table_.size() && table_[from].header) ++from;
    return from;
}

void ObjectUpload::Begin() {
    tagOPEN_Message stale;
    CanRead(&stale);
    state_ = Start;
    current_ = 0;
    judged_ = 0;
    finished_ = noResponse_ = cancelled_ = false;
    segments_.End();
}

void ObjectUpload::Cancel() {
    if (state_ == Idle) return;
    if (segments_.Active() && current_ < table_.size())
        Send(SdoAbortFrame(static_cast<uint16_t>(table_[current_].index),
                           static_cast<uint8_t>(table_[current_].subindex), kAbortGeneral));
    segments_.End();
    state_ = Idle;
    cancelled_ = true;
}

void ObjectUpload::Request() {
    const ObjectEntry& e = table_[current_];
    Send(SdoUploadRequestFrame(static_cast<uint16_t>(e.index), static_cast<uint8_t>(e.subindex)));
    deadlineUs_ = CurrentTimeSource().NowUs() + kAnswerMs * 1000ull;
    state_ = Waiting;
}

void ObjectUpload::Tick() {
    switch (state_) {
        case Idle: return;
        case Start:
            Send(NmtPreOperationalFrame());
            state_ = First;
            return;
        case First:
            current_ = NextEntry(0);
            if (current_ >= table_.size()) {
                state_ = Done;
                return;
            }
            Request();
            return;
        case Waiting: {
            // One answer per tick, so progress shows and a cancel takes effect between steps.
            tagOPEN_Message answer;
            while (CanWaitForId(0, static_cast<int32_t>(SdoAnswerId()), &answer) != CAN_RESULT_NONE) {
                if (answer.rtr || answer.dlc < 8) continue;
                const uint64_t deadline = deadlineUs_;
                const size_t entry = current_;
                Judge(answer);
                // A late answer about another object was skipped: look at the next frame.
                if (state_ != Waiting || entry != current_ || deadline != deadlineUs_) return;
            }
            if (state_ == Waiting && CurrentTimeSource().NowUs() >= deadlineUs_) {
                segments_.End();
                state_ = Idle;
                noResponse_ = true;
            }
            return;
        }
        case Done:
            state_ = Idle;
            finished_ = true;
            return;
    }
}

void ObjectUpload::Mark(EntryReadState state, const char* text) {
    ObjectEntry& e = table_[current_];
    e.readState = state;
    if (text) e.valueText = text;
}

void ObjectUpload::Judge(const tagOPEN_Message& answer) {
    ObjectEntry& e = table_[current_];
    const uint16_t index = static_cast<uint16_t>(e.index);
    const uint8_t sub = static_cast<uint8_t>(e.subindex);
    const uint8_t command = answer.data[0] & 0xE3;
    // Initiate and abort answers name their object; one about another object is a late answer
    // to an earlier request.
    if (command >= 0x40 && !AnswerIsAbout(answer, index, sub)) return;
    switch (command) {
        case 0x42:
        case 0x43:
            e.length = ExpeditedLength(answer.data[0]);
            e.value = ExpeditedValue(answer);
            e.valueText.clear();
            Mark(EntryReadState::Read, nullptr);
            Next();
            return;
        case 0x40:
        case 0x41: {
            const tagOPEN_Message first = segments_.Begin(answer);
            zeroAnnounced_ = segments_.Announced() == 0;
            if (zeroAnnounced_) e.valueText = kWrongDataLength;
            Send(first);
            deadlineUs_ = CurrentTimeSource().NowUs() + kAnswerMs * 1000ull;
            return;
        }
        case 0x00:
        case 0x01:
        case 0x02:
        case 0x03: {
            if (!segments_.Active()) break;
            tagOPEN_Message next;
            switch (segments_.Take(answer, next)) {
                case SegmentedRead::Step::More:
                    Send(next);
                    deadlineUs_ = CurrentTimeSource().NowUs() + kAnswerMs * 1000ull;
                    return;
                case SegmentedRead::Step::Done:
                    e.value = 0;
                    e.length = static_cast<int32_t>(segments_.Announced());
                    // The mark of a transfer that announced no size stays.
                    if (!zeroAnnounced_) e.valueText = segments_.Text();
                    Mark(EntryReadState::Read, nullptr);
                    Next();
                    return;
                case SegmentedRead::Step::ToggleError:
                    Send(SdoAbortFrame(index, sub, kAbortToggle));
                    Mark(EntryReadState::ReadError, kToggleError);
                    Next();
                    return;
                case SegmentedRead::Step::TooLong:
                    Send(SdoAbortFrame(index, sub, kAbortTooLong));
                    Mark(EntryReadState::ReadError, kWrongDataLength);
                    Next();
                    return;
            }
            return;
        }
        case 0x80:
            e.abortCode = AnswerDword(answer);
            Mark(EntryReadState::Aborted, kReadError);
            Next();
            return;
        default: break;
    }
    segments_.End();
    Mark(EntryReadState::ReadError, kReadError);
    Next();
}

void ObjectUpload::Next() {
    segments_.End();
    ++judged_;
    current_ = NextEntry(current_ + 1);
    if (current_ >= table_.size()) {
        state_ = Done;
        return;
    }
    Request();
}
