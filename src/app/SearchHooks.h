#pragma once
// Connects "BEF_SearchBaud" and "BEF_SearchNode" to the station's search. Both programs call
// it at start-up with the search they own, and again with null before that search goes away.

#include "BefSearchHook.h"
#include "SearchBaudNode.h"

// `before` runs ahead of each start (the desktop shows its status label there).
inline void InstallSearchHooks(BaudNodeSearch* search, std::function<void(BaudNodeSearch::Kind)> before = {}) {
    BefSearchHooks& hooks = CurrentBefSearchHooks();
    SetCurrentSearch(search);
    if (!search) {
        hooks = {};
        return;
    }
    hooks.baudRate.start = [search, before] {
        if (before) before(BaudNodeSearch::Kind::BitRate);
        search->StartBaudSearch();
        return true;
    };
    hooks.baudRate.running = [search] { return search->BaudSearchActive(); };
    hooks.baudRate.found = [search] { return search->Found() == 1; };
    hooks.node.start = [search, before] {
        if (before) before(BaudNodeSearch::Kind::Node);
        search->StartNodeSearch();
        return true;
    };
    hooks.node.running = [search] { return search->NodeSearchActive(); };
    hooks.node.found = [search] { return search->Found() == 1; };
}
