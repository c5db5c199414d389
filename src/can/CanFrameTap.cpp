#include "CanFrameTap.h"

#include <memory>
#include <mutex>
#include <shared_mutex>
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

// Notifications hold it shared while they call the observers, so once an observer is removed
// no call to it is still running (its owner may go right away).
std::shared_mutex g_mutex;
int g_nextId = 1;
List g_list;
}  // namespace

int CanAddFrameObserver(CanFrameObserver observer) {
    std::unique_lock lock(g_mutex);
    const int id = g_nextId++;
    g_list.push_back({id, std::move(observer)});
    return id;
}

void CanRemoveFrameObserver(int id) {
    std::unique_lock lock(g_mutex);
    std::erase_if(g_list, [id](const Entry& e) { return e.id == id; });
}

void CanNotifyFrameObservers(const tagOPEN_Message& msg) {
    std::shared_lock lock(g_mutex);
    if (g_list.empty()) return;
    const uint64_t now = CurrentTimeSource().NowUs();
    // A received frame keeps its reception time when the driver stamps it on the station's clock
    // (the virtual bus does); other drivers count from their own origin, so the read time serves.
    uint64_t at = now;
    if (msg.direction == CAN_DIR_RX && msg.timestamp <= now && now - msg.timestamp < kDriverStampWindowUs)
        at = msg.timestamp;
    for (const Entry& e : g_list) e.observer(msg, at);
}
