#pragma once
// The packets of quarzel-sim's bus socket (Unix domain, SOCK_SEQPACKET), portable part.
// A frame is one 16-byte packet laid out as Linux's struct can_frame in host byte order:
// can_id (32 bit: identifier, 0x40000000 for a remote frame), len, three pad bytes, data[8].
// Any other packet beginning with "QZ " is a control message in text:
//   "QZ BITRATE <kbit/s>"  the client takes part at this bit rate only (0: every rate)
//   "QZ NAME <text>"       the name the server shows for the client in its log
// Other packets are ignored. See docs/virtual-bus.md.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "BusFrame.h"

constexpr size_t kSimBusFrameBytes = 16;
constexpr uint32_t kSimBusRtrFlag = 0x40000000u;
constexpr uint32_t kSimBusErrFlag = 0x20000000u;
constexpr uint32_t kSimBusEffFlag = 0x80000000u;
constexpr size_t kSimBusMaxNameLength = 40;

std::array<uint8_t, kSimBusFrameBytes> EncodeSimBusFrame(const BusFrame& frame);

struct SimBusPacket {
    enum class Kind { Frame, BitRate, Name, Invalid };
    Kind kind = Kind::Invalid;
    BusFrame frame;    // Frame
    int kbit = 0;      // BitRate
    std::string text;  // Name: the name; Invalid: why
};

SimBusPacket DecodeSimBusPacket(std::span<const uint8_t> packet);

std::string SimBusBitRateMessage(int kbit);
std::string SimBusNameMessage(const std::string& name);

// "$XDG_RUNTIME_DIR/quarzel-sim.sock", or in the temporary folder with the user's name.
std::string DefaultSimBusSocketPath();

// A frame for logs: "601 8  40 18 10 04 00 00 00 00", "701 R0" for a remote frame.
std::string FormatFrameForLog(const BusFrame& frame);
