#include "NmtSlave.h"

NmtCommand ParseNmtCommand(const BusFrame& f, uint8_t nodeId) {
    if (f.id != 0 || f.rtr || f.len < 2) return NmtCommand::None;
    if (f.data[1] != 0 && f.data[1] != nodeId) return NmtCommand::None;
    switch (f.data[0]) {
    case 0x01: return NmtCommand::Start;
    case 0x02: return NmtCommand::Stop;
    case 0x80: return NmtCommand::EnterPreOperational;
    case 0x81: return NmtCommand::ResetNode;
    case 0x82: return NmtCommand::ResetCommunication;
    default: return NmtCommand::None;
    }
}

void NmtSlave::Apply(NmtCommand command) {
    if (state_ == NmtState::Initialising) return;
    switch (command) {
    case NmtCommand::Start: state_ = NmtState::Operational; break;
    case NmtCommand::Stop: state_ = NmtState::Stopped; break;
    case NmtCommand::EnterPreOperational: state_ = NmtState::PreOperational; break;
    default: break;
    }
}

uint8_t NmtSlave::GuardAnswer() {
    const uint8_t b = static_cast<uint8_t>(static_cast<uint8_t>(state_) | (toggle_ ? 0x80 : 0x00));
    toggle_ = !toggle_;
    return b;
}
