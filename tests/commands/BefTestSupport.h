#pragma once
// Helpers of the BEF command tests: test-file text for the default simulated encoder (node 1,
// 500 kbit/s) and short views of the protocol rows.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StationHarness.h"

// Node-parameter block and "[BEFEHLE]"; the first "[B]" is on line kFirstStepLine, and every
// step written by Step() without an answer takes two lines.
inline std::string BefHeader() {
    return "Baudrate: 500 kBit\n"
           "Knotenadresse: 1\n"
           "VendorID: 0x000003A2\n"
           "Produktcode: 0x5813\n"
           "Revisionsnummer: 0x00010002\n"
           "Seriennummer: 0x12345678\n"
           "EmergencyID: 0x81\n"
           "GuardingId: 0x701\n"
           "PDO1_ID: 0x181\n"
           "PDO2_ID: 0x281\n"
           "SyncId: 0x80\n"
           "Timer: 10\n"
           "\n[BEFEHLE]\n";
}
inline constexpr int kFirstStepLine = 15;

inline std::string Step(const std::string& command, const std::string& answer = "") {
    std::string block = "[B]\n" + command + "\n";
    if (!answer.empty()) block += "[A]\n" + answer + "\n";
    return block;
}

struct BefRow {
    std::string command, rt, value, status;
};

inline std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The rows of the run without the closing "Test end" row.
inline std::vector<BefRow> StepRows(const StationHarness& h) {
    std::vector<BefRow> rows;
    for (const GridRow& r : h.Rows())
        if (r[COL_COMMAND] != "Test end")
            rows.push_back({TrimRight(r[COL_COMMAND]), r[COL_RT], r[COL_VALUE], r[COL_STATUS]});
    return rows;
}

inline std::vector<std::string> StepCommands(const StationHarness& h) {
    std::vector<std::string> out;
    for (const auto& r : StepRows(h)) out.push_back(r.command);
    return out;
}
