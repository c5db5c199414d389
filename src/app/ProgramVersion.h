#pragma once
// The station's program version: shown in the About box and the caption, compared with
// "[SW_VERSION]", and recorded with every archived run.

inline constexpr const char* kProgramVersion = "2.45.0";
