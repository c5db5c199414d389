#pragma once
// quarzel-results: look-ups in the result archive. The command line is parsed and run here so
// tests can run it in process; QuarzelResultsMain only wires it to the console.

#include <ostream>
#include <string>
#include <vector>

// Runs one command line (without the program name); returns the exit code: 0 done, 1 nothing
// found, 2 bad options or an unreachable database.
int RunResultsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
std::string ResultsHelpText();

// "2026-12-09", "2026-12-09 14:30", "2026-12-09T14:30:15" (local time, or UTC with a final
// "Z"). A date alone used as the end of a range means the end of that day.
bool ParseArchiveTime(const std::string& text, bool endOfRange, int64_t& ms);
// Local time "yyyy-MM-dd HH:mm:ss".
std::string FormatArchiveTime(int64_t ms);
