#pragma once
// quarzel-run --compare-eds: the EDS comparison without a window. The station must be prepared
// (configuration read, CAN interface created); the node and bit rate are set here.

#include <ostream>
#include <string>

#include "EdsComparison.h"

// Loads the EDS, opens the channel at `kbit` to node `node`, runs the comparison on the event
// loop and prints the report. Exit code: 0 equal, 1 differences or an incomplete comparison,
// 2 when the EDS or the channel cannot be used.
int RunEdsComparisonHeadless(const std::string& edsPath, int node, int kbit, std::ostream& out, std::ostream& err);

// The report: a title line, each difference on a line of its own, and the verdict line
// ("Verdict: equal", "Verdict: 3 differences", "Verdict: no response at 1018sub4").
void PrintEdsComparison(const EdsComparison& comparison, const std::string& edsPath, std::ostream& out);
