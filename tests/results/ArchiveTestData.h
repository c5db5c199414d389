#pragma once
// Runs to store in the archive tests: every field set, rows with texts of the station's code page.

#include <string>

#include "RunRecord.h"

inline RunRecord SampleRun(const std::string& uuid, uint32_t serial, int64_t startedMs, size_t rows = 5,
                           const std::string& verdict = "passed", const std::string& testFile = "/line/a/encoder.tst") {
    RunRecord r;
    r.uuid = uuid;
    r.station = "line-3";
    r.programVersion = "2.45.0";
    r.interfaceType = "sim:encoder";
    r.simulated = true;
    r.testFile = testFile;
    r.testSha256 = std::string(64, 'a');
    r.serialNr = serial;
    r.vendorId = 0x3A2;
    r.prodCode = 0xFFFFFFFFu;  // the full unsigned range survives
    r.revNr = 0x10002;
    r.nodeId = 1;
    // baudrate left unknown: read back as unknown, not 0
    r.startedMs = startedMs;
    r.endedMs = startedMs + 1234;
    r.verdict = verdict;
    r.errorCount = verdict == "passed" ? 0 : 2;
    r.exitCode = verdict == "passed" ? 0 : 1;
    r.traceFile = "/logs/trace_1.csv";
    r.discardedRows = 7;
    for (size_t i = 0; i < rows; ++i) {
        GridRow row;
        row[COL_NO] = std::to_string(i);
        row[COL_TIME] = "00:00:0" + std::to_string(i % 10);
        // German umlauts and the euro sign in Windows-1252, a byte the code page leaves
        // undefined, a NUL, quotes and a separator-looking character.
        row[COL_COMMAND] = std::string("Pr\xFC" "fung \xE4\xF6\xFC\x80 \x81 'q' \"d\" ;") + std::string(1, '\0') + "#" +
                           std::to_string(i);
        row[COL_RT] = i % 2 ? "R" : "T";
        row[COL_ID] = "601";
        row[COL_DLC] = "8";
        for (int k = 0; k < 8; ++k) row[COL_DATA0 + k] = "0" + std::to_string(k);
        row[COL_ASCII] = "..\xB0..";
        row[COL_STATUS] = i == 2 ? "Err Ans" : "ok";
        row[COL_LINE] = std::to_string(20 + i);
        r.rows.push_back(row);
    }
    return r;
}
