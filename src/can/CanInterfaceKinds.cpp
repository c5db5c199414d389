#include "CanInterfaceKinds.h"

#include <mutex>

namespace {
std::mutex g_mutex;
std::vector<CanInterfaceKind>& Kinds() {
    static std::vector<CanInterfaceKind> kinds;
    return kinds;
}
}  // namespace

void RegisterCanInterfaceKind(CanInterfaceKind kind) {
    std::lock_guard lock(g_mutex);
    for (auto& k : Kinds()) {
        if (k.name == kind.name) {
            k = std::move(kind);
            return;
        }
    }
    Kinds().push_back(std::move(kind));
}

const std::vector<CanInterfaceKind>& CanInterfaceKinds() { return Kinds(); }

const CanInterfaceKind* FindCanInterfaceKind(const std::string& treiberTyp) {
    std::lock_guard lock(g_mutex);
    for (const auto& k : Kinds())
        if (k.matches && k.matches(treiberTyp)) return &k;
    return nullptr;
}
