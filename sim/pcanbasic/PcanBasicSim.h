#pragma once
// The stand-in PCAN-Basic library: a shared library that exports the eight CAN_* calls with the
// PCAN-Basic ABI (types in src/can/PcanBasicAbi.h) over a small bus of its own, so the
// station's PCAN adapter can be run and tested through the real dynamic-loading path without
// hardware.
//
// Model
// - A set of channels, each a library handle with a device number, a hardware name and a
//   channel version text. Defaults after loading or PcanSim_Reset: handle 0x51 with device
//   number 1 and handle 0x52 with device number 2, both "PCAN-USB". The environment variable
//   QUARZEL_PCANSIM_CHANNELS replaces the defaults: "0x51=26:PCAN-USB,0x52=27" (handle =
//   device number [: hardware name]).
// - A frame written on a channel reaches every other initialised channel opened with the same
//   bit-timing code, and the transmit hook (if set). Each channel's receive queue holds at
//   most 32767 frames; further frames are dropped and the queue reports an overrun (0x40) in
//   CAN_GetStatus.
// - Call rules: CAN_GetStatus on a channel that is not initialised returns 0x4000000;
//   CAN_Initialize on an unknown or unplugged channel returns 0x1400, on an initialised one
//   0x8000000; CAN_GetValue of the device number, hardware name and channel version needs an
//   initialised channel; the API version (parameter 5) needs none. A channel unplugged while
//   initialised answers 0x1400 to reads, writes and status until it is uninitialised.
// - Time stamps come from the library's own steady clock, or from the clock hook.
//
// Control functions: exported next to the CAN_* calls; a program resolves them by name after
// loading the library (see PcanSimLibrary.h for a typed wrapper). They exist only in this
// stand-in, never in the vendor's library.
//
// Build variants: PCANBasicSim (complete) and PCANBasicSimNoReset (lacks "CAN_Reset", for the
// adapter's incomplete-library path).

#include <cstdint>

#include "PcanBasicAbi.h"

#if defined(_WIN32)
#define PCANSIM_EXPORT extern "C" __declspec(dllexport)
#else
#define PCANSIM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Status values of the stand-in beyond those the station distinguishes.
enum : TPCANStatus {
    PCANSIM_ERROR_ILLPARAMTYPE = 0x04000,
    PCANSIM_ERROR_ILLPARAMVAL = 0x08000,
};

// Failure switches for PcanSim_SetFailure. `value` is the status the call returns instead of
// doing its work (0 switches the failure off); `count` limits it to that many calls (0: until
// switched off).
enum PcanSimFailure : uint32_t {
    PCANSIM_FAIL_NODRIVER = 1,    // every CAN_* call returns 0x200 (value: non-zero = on)
    PCANSIM_FAIL_INITIALIZE = 2,  // CAN_Initialize returns value (e.g. 0x1400)
    PCANSIM_FAIL_WRITE = 3,       // CAN_Write returns value (0x80 full queue, 0x10 bus off, ...)
    PCANSIM_FAIL_READ = 4,        // CAN_Read returns value
    PCANSIM_FAIL_GETVALUE = 5,    // CAN_GetValue returns value
    PCANSIM_FAIL_GETSTATUS = 6,   // CAN_GetStatus returns value
};

// Call counters and state of one channel (PcanSim_GetChannelState).
struct PcanSimChannelState {
    uint32_t known;  // 1 when the handle is configured
    uint32_t present;
    uint32_t initialised;
    uint32_t lastInitCode;  // bit-timing code of the last CAN_Initialize
    uint32_t initializeCalls;
    uint32_t uninitializeCalls;
    uint32_t getStatusCalls;
    uint32_t writeCalls;
    uint32_t readCalls;
    uint32_t getValueCalls;
    uint32_t framesWritten;  // accepted by CAN_Write
    uint32_t framesQueued;   // waiting in the receive queue
};

// Hooks. The transmit hook gets every frame a channel writes, with the channel's bit-timing
// code; it runs on the writer's thread without the library's lock held, so it may call
// PcanSim_Deliver. The clock hook returns microseconds.
using PcanSimTxHook = void (*)(void* context, TPCANHandle handle, uint16_t bitTimingCode, const TPCANMsg* msg);
using PcanSimClockHook = uint64_t (*)(void* context);

// Restores the default channels, clears every failure, hook, queue and counter, and marks all
// channels uninitialised.
PCANSIM_EXPORT void PcanSim_Reset();
// Removes every channel.
PCANSIM_EXPORT void PcanSim_ClearChannels();
// Adds or replaces a channel (present, not initialised). Texts are cut to 255 characters.
PCANSIM_EXPORT void PcanSim_AddChannel(TPCANHandle handle, uint32_t deviceNumber, const char* hardwareName,
                                       const char* channelVersion);
// Plugs a channel in or out.
PCANSIM_EXPORT void PcanSim_SetPresent(TPCANHandle handle, int present);
PCANSIM_EXPORT void PcanSim_SetFailure(uint32_t failure, TPCANStatus value, uint32_t count);
PCANSIM_EXPORT void PcanSim_SetApiVersion(const char* text);
// Puts a frame into a channel's receive queue as if it had arrived; `timestamp` may be null
// (then the clock gives the time). A status frame has MSGTYPE 0x80.
PCANSIM_EXPORT TPCANStatus PcanSim_InjectFrame(TPCANHandle handle, const TPCANMsg* msg, const TPCANTimestamp* timestamp);
// Puts a status frame with the status word in data bytes 0..3 (big-endian) into the queue.
PCANSIM_EXPORT TPCANStatus PcanSim_InjectStatus(TPCANHandle handle, uint32_t statusWord);
// Delivers a frame from outside to every initialised channel opened with `bitTimingCode`
// (0: every initialised channel), stamped `timeUs`.
PCANSIM_EXPORT void PcanSim_Deliver(uint16_t bitTimingCode, const TPCANMsg* msg, uint64_t timeUs);
PCANSIM_EXPORT void PcanSim_SetTxHook(PcanSimTxHook hook, void* context);
PCANSIM_EXPORT void PcanSim_SetClockHook(PcanSimClockHook hook, void* context);
// Fills `out` (size `size` bytes, at most sizeof(PcanSimChannelState)); false for an unknown handle.
PCANSIM_EXPORT int PcanSim_GetChannelState(TPCANHandle handle, PcanSimChannelState* out, uint32_t size);
