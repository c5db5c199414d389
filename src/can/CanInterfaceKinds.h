#pragma once
// Which interface a "[CAN_TREIBER_TYP]" value makes. Each driver family registers the forms it
// understands; the first registered kind whose matcher accepts the value creates the
// interface. Kinds register at program start (the drivers, the simulator), so the channel layer
// needs no knowledge of them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CanInterface.h"

struct CanInterfaceKind {
    std::string name;  // "pcan", "socketcan", "virtual", "sim", ...
    // True when this kind handles the configured value.
    std::function<bool(const std::string& treiberTyp)> matches;
    // Creates the interface; on failure returns null and sets `error` to a text for the user.
    std::function<std::shared_ptr<AbstractCanInterface>(const std::string& treiberTyp, std::string& error)> create;
    // Lists the channels this kind offers for the Hardware menu (may be empty).
    std::function<std::vector<CanChannelInfo>()> listChannels;
};

void RegisterCanInterfaceKind(CanInterfaceKind kind);
const std::vector<CanInterfaceKind>& CanInterfaceKinds();
// The kind that handles `treiberTyp`, or null.
const CanInterfaceKind* FindCanInterfaceKind(const std::string& treiberTyp);
