#pragma once
// Helpers of the NMT, miscellaneous and LSS command tests: test-file text for the simulated
// encoder's identity, and short views of the protocol rows.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StationHarness.h"

// The node-parameter block of a test for the default simulated encoder (node 1, 500 kbit/s),
// then "[BEFEHLE]". The `first` lines come before the defaults, so their keys win.
inline std::string Header(const std::string& first = "") {
    return first +
           "Baudrate: 500 kBit\n"
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

// One instruction block; `answer` empty: no answer line.
inline std::string Step(const std::string& command, const std::string& answer = "") {
    std::string block = "[B]\n" + command + "\n";
    if (!answer.empty()) block += "[A]\n" + answer + "\n";
    return block;
}

// A protocol row in short: texts without the blanks the row adds at the end.
struct Row {
    std::string command, rt, id, value, dlc, data, ascii, status;
};

inline std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

inline Row ShortRow(const GridRow& r) {
    Row row{TrimRight(r[COL_COMMAND]), r[COL_RT], r[COL_ID], r[COL_VALUE], r[COL_DLC], "", r[COL_ASCII], r[COL_STATUS]};
    for (int k = 0; k < 8; ++k) {
        const std::string& cell = r[COL_DATA0 + k];
        if (cell.empty()) continue;
        if (!row.data.empty()) row.data += ' ';
        row.data += cell;
    }
    return row;
}

// The rows of the run without the closing "Test end" row.
inline std::vector<Row> StepRows(const StationHarness& h) {
    std::vector<Row> rows;
    for (const GridRow& r : h.Rows())
        if (r[COL_COMMAND] != "Test end") rows.push_back(ShortRow(r));
    return rows;
}

// Encoder options with the fault switches of `entry` ("guard.silent,lss.wrongid").
inline EncoderOptions WithFaults(const std::string& entry) {
    EncoderOptions o;
    std::string error;
    if (!ParseFaultSwitches(entry, o.faults, error)) ADD_FAILURE() << error;
    return o;
}

inline std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> b) { return b; }
