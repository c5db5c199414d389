#pragma once
// Names the CANopen service of a frame from its identifier and data (predefined connection
// set of CiA 301, LSS of CiA 305): NMT, Sync, EMCY, TPDO/RPDO n, SDO request/answer with
// command, index and sub-index, heartbeat/boot-up with the state, guarding, LSS. Frames outside
// the set give an empty text. Used by the trace window and quarzel-run's verbose output.

#include <cstdint>
#include <string>

#include "CanMessage.h"

std::string DecodeCanopenFrame(uint32_t id, bool remote, uint32_t dlc, const uint8_t* data);
inline std::string DecodeCanopenFrame(const tagOPEN_Message& msg) {
    return DecodeCanopenFrame(msg.id, msg.rtr, msg.dlc, msg.data.data());
}
