#pragma once
// The request header every SDO request starts from (the SDO commands and the BEF commands that
// read the device over SDO), and the COB-IDs of the default SDO channel of the node under test.

#include <cstdint>

#include "CanMessage.h"
#include "ProtocolLine.h"
#include "TestInstruction.h"

// Client to server: 0x600 + the script variable NodeId.
uint32_t SdoRequestId();
// Server to client: 0x580 + NodeId.
uint32_t SdoAnswerId();

// Fills `msg` from `instruction`: COB-ID 0x600 + NodeId, DLC 8, a data frame, byte 0 the
// specifier of the command name (the text behind "B:"), bytes 1-2 the index (parameter 1
// "Index:" hexadecimal, or "&" and a variable name or number), byte 3 the subindex (parameter 2
// "Sub:" hexadecimal, at most 0xFF); bytes 4-7 are left as they are. `line` gets the command name
// as row text and the index and subindex texts in its extra text fields. A failure puts its
// remark into the row text, sets "Err Syn" and returns false; `msg` must not be sent then.
bool BuildSdoRequestHeader(const TestInstruction& instruction, tagOPEN_Message& msg, ProtocolLine& line);
