#include "CanFrameTap.h"

#include <memory>
#include <mutex>
#include <vector>

#include "TimeSource.h"

namespace {
// A driver stamp older than this is taken for a stamp of another clock.
constexpr uint64_t kDriverStampWindowUs = 60'000'000;

struct Entry {
    int id;
    CanFrameObserver observer;
};
using List = std::vector<Entry>;

std::mutex g_mutex;
int g_nextId = 1;
// Replaced, never changed in place, so a notification runs on a stable copy without the lock.
std::shared_ptr<const List> g_list = std::make_shared<List>();
}  // namespace

int CanAddFrameObserver(CanFrameObserver observer) {
    std::lock_guard lock(g_mutex);
    auto next = std::make_shared<List>(*g_list);
    const int id = g_nextId++;
    next->push_back({id, std::move(observer)});
    g_list = std::move(next);
    return id;
}

void CanRemoveFrameObserver(int id) {
    std::lock_guard lock(g_mutex);
    auto next = std::make_shared<List>();
    for (const Entry& e : *g_list)
        if (e.id != id) next->push_back(e);
    g_list = std::move(next);
}

void CanNotifyFrameObservers(const tagOPEN_Message& msg) {
    std::shared_ptr<const List> list;
    {
        std::lock_guard lock(g_mutex);
        if (g_list->empty()) return;
        list = g_list;
    }
    const uint64_t now = CurrentTimeSource().NowUs();
    // A received frame keeps its reception time when the driver stamps it on the station's clock
    // (the virtual bus does); other drivers count from their own origin, so the read time serves.
    uint64_t at = now;
    if (msg.direction == CAN_DIR_RX && msg.timestamp <= now && now - msg.timestamp < kDriverStampWindowUs)
        at = msg.timestamp;
    for (const Entry& e : *list) e.observer(msg, at);
}
