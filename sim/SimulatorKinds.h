#pragma once
// The "[CAN_TREIBER_TYP]" forms of the simulator:
//   sim                         a simulated encoder inside this process, on a bus of its own
//   sim:encoder?KEY=VALUE&...   the same with encoder options (see EncoderOptions.h) and
//                               timing=on (hold frames for their time on the wire),
//                               bus=default (share the process-wide virtual bus)
//   simbus:PATH                 join a running quarzel-sim at its socket PATH (Linux)
//   simbus                      the same at the default socket path

#include <memory>
#include <string>

#include "EncoderOptions.h"

class AbstractCanInterface;

struct SimTreiberTyp {
    EncoderOptions encoder;
    bool busTiming = false;
    bool defaultBus = false;
};

bool IsSimTreiberTyp(const std::string& value);
bool IsSimBusTreiberTyp(const std::string& value);
// Reads a "sim..." value; false with `error` set when it is malformed.
bool ParseSimTreiberTyp(const std::string& value, SimTreiberTyp& out, std::string& error);

// A station interface on a virtual bus with a simulated encoder attached; null and `error`
// set when the value is malformed.
std::shared_ptr<AbstractCanInterface> CreateSimulatorInterface(const std::string& value, std::string& error);

// Registers "sim" and "simbus" with the interface kinds; the programs call it at start.
void RegisterSimulatorCanInterfaceKinds();
