#pragma once
// A protocol row as one line of aligned text (quarzel-run's output).

#include <string>

#include "ProtocolGrid.h"

// The 18 cells padded to fixed widths, separated by blanks, trailing blanks removed; texts are
// converted from the station's 8-bit code page to UTF-8. A cell longer than its width is kept
// whole (that line is then out of alignment).
std::string FormatRowText(const GridRow& row);
