#pragma once
// The calibration file: lines of a key and a value; for each key the first line containing it
// counts, and its value is the rest of that line.

#include <optional>
#include <string>
#include <string_view>

struct CalibrationSettings {
    std::optional<int> motorRpm;          // "Motor_speed_[RPM]: "
    std::optional<double> supplyVolts;    // "Supply voltage: "
    std::optional<double> supplyCurrent;  // "Supply current: " (the limit in mA)
    std::string encoderType;              // "Gebertyp: "
    std::string coverSheet;               // "Deckblatt: "
    std::string remarks;                  // "Bemerkungen: "
    std::string controllerProgramFile;    // "Controller_ProgramFile: "
    std::string testfileTesting;          // "Testfile_Testing: "
    std::string testfileDelivery;         // "Testfile_Delivery: "
    std::string testfileParametertest;    // "Testfile_Parametertest: "
    std::string testfileExtra;            // "Testfile_Extra: "
    std::string edsFile;                  // "EDS_File: "
};

CalibrationSettings ParseCalibrationText(std::string_view text);
// nullopt when the file cannot be read.
std::optional<CalibrationSettings> ReadCalibrationFile(const std::string& path);
