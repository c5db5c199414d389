#pragma once
// The bit-rate and node searches as "BEF_SearchBaud" and "BEF_SearchNode" use them: the search
// code installs a starter and two probes for each at start-up. A search without an installed
// hook cannot start, which the commands report as "not found".

#include <functional>

struct BefSearch {
    // Starts the search; false when it could not start.
    std::function<bool()> start;
    // True while the search's timer is still running.
    std::function<bool()> running;
    // True when the search found the bit rate / the node.
    std::function<bool()> found;

    bool Installed() const { return start && running && found; }
};

struct BefSearchHooks {
    BefSearch baudRate;  // "BEF_SearchBaud"
    BefSearch node;      // "BEF_SearchNode"
};

// The process-wide hooks; empty until the search code installs them.
BefSearchHooks& CurrentBefSearchHooks();
