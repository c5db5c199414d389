#pragma once
// "[CAN_TREIBER_TYP]" virtual: a channel on the process's own virtual bus, for runs without any
// hardware or simulated device. Registered after the driver and simulator kinds, so a kind of
// theirs that also accepts the value takes precedence.

void RegisterVirtualBusKind();
