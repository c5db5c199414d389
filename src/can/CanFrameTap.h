#pragma once
// Observers of every frame that passes the channel: each frame written, and each frame read by
// whoever reads it (runner, tool window, worker thread). Trace views and recordings watch the
// bus through it without taking frames away from the reader that waits for them. Observers
// are called on the thread that moves the frame, with the interface's lock held: keep them
// short and never call the channel from them.

#include <cstdint>
#include <functional>

#include "CanMessage.h"

// `msg.direction` tells sent (CAN_DIR_TX) from read (CAN_DIR_RX); `timeUs` is the time source's
// time (microseconds since 1601) when the frame was received or sent.
using CanFrameObserver = std::function<void(const tagOPEN_Message& msg, uint64_t timeUs)>;

// Adds an observer; returns its id for removal.
int CanAddFrameObserver(CanFrameObserver observer);
void CanRemoveFrameObserver(int id);
// Hands a frame to every observer (called by the interfaces).
void CanNotifyFrameObservers(const tagOPEN_Message& msg);
