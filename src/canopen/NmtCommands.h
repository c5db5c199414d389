#pragma once
// The NMT family: the node control commands ("NMT_Start", "NMT_PreOp", "NMT_Stop",
// "NMT_Reset", "NMT_Reset_Com") and node guarding ("NMT_Guard").

#include <array>
#include <cstdint>

#include "TestInstruction.h"

struct NmtCommandEntry {
    const char* name;
    uint8_t specifier;  // NMT command specifier, byte 0 of the frame on identifier 0x000
};

inline constexpr std::array<NmtCommandEntry, 5> kNmtCommands{{
    {"NMT_Start", 0x01},
    {"NMT_Stop", 0x02},
    {"NMT_Reset", 0x81},
    {"NMT_Reset_Com", 0x82},
    {"NMT_PreOp", 0x80},
}};

// Sends the node control frame (parameter 1: node id; empty: 0 = all nodes); the next tick
// judges the answer.
bool CmdNmtNodeControl(TestInstruction& instruction, uint8_t specifier);
// Sends the guarding remote frame (parameter 1: guard COB-ID; empty: variable GuardId); the
// next tick judges the node state.
bool CmdNmtGuard(TestInstruction& instruction);
