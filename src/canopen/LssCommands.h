#pragma once
// The LSS master commands: configuration and inquiry services, the global switches, and the
// selective switch and identify-remote-slave sequences with their verifying variants.

#include <array>
#include <cstdint>

#include "TestInstruction.h"

struct LssServiceEntry {
    const char* name;
    uint8_t request;
    uint8_t answer;
    bool answerCarriesData;  // bytes 1 to 4 of the answer hold a value
};

inline constexpr std::array<LssServiceEntry, 9> kLssServices{{
    {"LSS_Conf_NodId", 0x11, 0x11, true},
    {"LSS_Conf_Timing", 0x13, 0x13, true},
    {"LSS_Store_Config", 0x17, 0x17, false},
    {"LSS_Query_NodeId", 0x5E, 0x5E, true},
    {"LSS_Query_VendorId", 0x5A, 0x5A, true},
    {"LSS_Query_ProdCode", 0x5B, 0x5B, true},
    {"LSS_Query_RevNr", 0x5C, 0x5C, true},
    {"LSS_Query_SerialNr", 0x5D, 0x5D, true},
    {"LSS_Ident_NotConf_Slave", 0x4C, 0x50, false},
}};

// One request (parameter 1: its value; empty: 0), the answer judged on the next tick.
bool CmdLssService(TestInstruction& instruction, const LssServiceEntry& service);
bool CmdLssSwitchGlobalOperate(TestInstruction& instruction);
bool CmdLssSwitchGlobalConfig(TestInstruction& instruction);
// One frame per tick; `verify` first runs a round for each identity value made wrong.
bool CmdLssSwitchSelect(TestInstruction& instruction, bool verify);
bool CmdLssIdentRemoteSlave(TestInstruction& instruction, bool verify);

void ResetLssSequences();
