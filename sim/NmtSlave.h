#pragma once
// NMT slave (CiA 301): the state machine, the commands on COB-ID 0, the error-control byte of
// boot-up, heartbeat and node guarding.

#include <cstdint>

#include "BusFrame.h"

enum class NmtState : uint8_t { Initialising = 0x00, Stopped = 0x04, Operational = 0x05, PreOperational = 0x7F };

enum class NmtCommand : uint8_t { None, Start, Stop, EnterPreOperational, ResetNode, ResetCommunication };

// The command an NMT frame gives the node `nodeId` (None for frames to other nodes, frames on
// other identifiers, remote frames and frames shorter than two bytes).
NmtCommand ParseNmtCommand(const BusFrame& frame, uint8_t nodeId);

class NmtSlave {
public:
    NmtState State() const { return state_; }
    void SetState(NmtState s) { state_ = s; }
    // Applies a state command (start, stop, pre-operational) from the states that accept it.
    void Apply(NmtCommand command);
    // The answer byte to a guarding request: state plus the toggle bit, which then alternates.
    uint8_t GuardAnswer();
    // Reset communication starts the toggle bit at 0 again.
    void ResetToggle() { toggle_ = false; }

private:
    NmtState state_ = NmtState::Initialising;
    bool toggle_ = false;
};
