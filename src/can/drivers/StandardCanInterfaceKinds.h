#pragma once
// The interface kinds this station brings, chosen by "[CAN_TREIBER_TYP]":
// - "pcan": a PCAN-Basic library file ("PCANBasic.dll", "/usr/lib/libpcanbasic.so", any name
//   ending in .dll/.so/.dylib, containing ".so." or "pcanbasic", or holding a path);
// - "qtcanbus": a Qt SerialBus plugin, "<plugin>" or "<plugin>:<interface>" ("socketcan:can0",
//   "virtualcan:can0", "tinycan:channel0", ...);
// - "virtual": the station's in-process virtual bus.
// See docs/can-interfaces.md.

#include <string>

// Registers all three (again: replaces them), Qt SerialBus first. Call once at program start.
void RegisterStandardCanInterfaceKinds();
void RegisterPcanInterfaceKind();
void RegisterVirtualInterfaceKind();
// Does nothing when the program is built without Qt SerialBus.
void RegisterQtCanBusInterfaceKind();

// Whether "[CAN_TREIBER_TYP]" names a library file (the PCAN-Basic path).
bool IsPcanLibraryName(const std::string& treiberTyp);
// The library the PCAN listing uses: "[CAN_TREIBER_TYP]" when it names a library file,
// otherwise the vendor's usual file name on this system.
std::string PcanLibraryForListing(const std::string& treiberTyp);
