#include "VirtualTimeSource.h"

#include <cstdint>

VirtualTimeSource::VirtualTimeSource(uint64_t startUs) : nowUs_(startUs) {}

TimeSource::EventId VirtualTimeSource::ScheduleAt(uint64_t atUs, Callback fn) {
    const EventId id = nextId_++;
    // An event in the past runs at the next advance, never before "now".
    events_.emplace(atUs < nowUs_ ? nowUs_ : atUs, std::make_pair(id, std::move(fn)));
    return id;
}

void VirtualTimeSource::Cancel(EventId id) {
    for (auto it = events_.begin(); it != events_.end(); ++it) {
        if (it->second.first == id) {
            events_.erase(it);
            return;
        }
    }
}

uint64_t VirtualTimeSource::NextEventUs() const {
    return events_.empty() ? UINT64_MAX : events_.begin()->first;
}

bool VirtualTimeSource::RunNextEventUpTo(uint64_t limitUs) {
    if (events_.empty() || events_.begin()->first > limitUs) return false;
    auto first = events_.begin();
    nowUs_ = first->first;
    Callback fn = std::move(first->second.second);
    events_.erase(first);
    fn();
    return true;
}

void VirtualTimeSource::AdvanceTo(uint64_t targetUs) {
    while (RunNextEventUpTo(targetUs)) {
    }
    if (targetUs > nowUs_) nowUs_ = targetUs;
}

bool VirtualTimeSource::RunUntil(const std::function<bool()>& done, uint64_t limitUs) {
    while (!done()) {
        if (!RunNextEventUpTo(limitUs)) {
            if (limitUs > nowUs_) nowUs_ = limitUs;
            return done();
        }
    }
    return true;
}

bool VirtualTimeSource::WaitUntil(Waiter& w, uint64_t deadlineUs, const std::function<bool()>& ready) {
    auto check = [&] {
        std::lock_guard lock(w.mutex);
        return ready();
    };
    while (!check()) {
        if (!RunNextEventUpTo(deadlineUs)) {
            if (deadlineUs > nowUs_) nowUs_ = deadlineUs;
            return check();
        }
    }
    return true;
}
