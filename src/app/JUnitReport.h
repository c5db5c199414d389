#pragma once
// A JUnit XML report of a protocol for CI systems: one test case per transmit row; the receive
// rows that follow a transmit row belong to its case; a case fails when any of its rows has an
// error status, and the failure carries the status and the command text of each such row.

#include <string>

#include "LogFiles.h"

// `table`: row 0 the titles, then the protocol rows (see ProtocolGridTable). `suite` names the
// test suite (the test file). Writes `path` atomically; false on failure.
bool WriteJUnitReport(const std::string& path, const std::string& suite, const TableSource& table);
// The report's text.
std::string BuildJUnitReport(const std::string& suite, const TableSource& table);
