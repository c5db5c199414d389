#pragma once
// The parameters of the production write: name and parameter code, searched in order.

#include <array>
#include <cstdint>
#include <string_view>

struct WProgParameter {
    const char* name;
    uint8_t code;
};

// The first three rows are texts, written one character per frame.
inline constexpr size_t kWProgStringRows = 3;

inline constexpr std::array<WProgParameter, 34> kWProgParameters{{
    {"DeviceName", 0x80},      {"HardwareVersion", 0x80},    {"SoftwareVersion", 0x80},
    {"Baudr", 0x09},           {"NodeId", 0x08},             {"Pdo1Id", 0x01},
    {"Pdo2Id", 0x02},          {"EMCId", 0x03},              {"GuardId", 0x05},
    {"SyncId", 0x04},          {"SerialNr", 0x7C},           {"TransTypPdo1", 0x0A},
    {"TransTypPdo2", 0x0B},    {"InhibitPdo1", 0x0C},        {"InhibitPdo1", 0x0C},
    {"InhibitEmcy", 0x12},     {"CyclicTimer", 0x0E},        {"GuardTimer", 0x0F},
    {"LifeTimFactor", 0x10},   {"Preset", 0x20},             {"NullP", 0x21},
    {"OpByte", 0x22},          {"StpOp", 0x23},              {"MaxStp", 0x7D},
    {"DisableEEPROM", 0x7E},   {"MagNumb", 0x7F},            {"DeviceTyp", 0x77},
    {"ProductCode", 0x78},     {"Revisionsnummer", 0x79},    {"OperatingTime", 0x7A},
    {"ManufacturerOffset", 0x7B}, {"StpGen", 0x14},          {"Revol", 0x76},
    {"Variante", 0x16},
}};

// Index of the first row named `name`, or -1.
int FindWProgParameter(std::string_view name);
