#pragma once
// The station's name and version as the operator sees them.

#include <string>

#include "ProgramVersion.h"

inline constexpr const char* kProductName = "Quarzel";
// The manual the Help menu shows (docs/ of the source tree, or beside the program).
inline constexpr const char* kManualFileName = "desktop.md";

// The main window's caption: "Quarzel Version 2.45.0 for <[CAN_TREIBER_TYP]>".
std::string StationCaption(const std::string& treiberTyp);
// The question asked when "[SW_VERSION]" differs from the program version.
std::string VersionMismatchQuestion();
