#pragma once
// The converter's serial protocol without the port: request bytes, answer checks, error codes
// and texts. The answer layouts are documented in docs/bench-converter.md.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// Results of the converter operations; the text goes into the link's error buffer.
enum ConverterCode : uint32_t {
    CONV_OK = 0x0000,
    CONV_NOT_READY = 0x0200,      // "Konverter nicht bereit"
    CONV_WRONG_TYPE = 0x0300,     // "falscher Konvertertyp"
    CONV_NO_ANSWER = 0x0400,      // "keine Antwort vom Konverter"
    CONV_BAD_ANSWER = 0x0500,     // a setting not confirmed, an unreadable or oversized answer
    CONV_PORT_MISSING = 0x0600,   // the configured port is not on this system
    CONV_NOT_OPEN = 0x0700,       // "Schnittstelle ist nicht offen" / could not be opened
    CONV_OUT_OF_RANGE = 0x0800,   // a value the converter cannot represent; nothing is sent
    CONV_INI_KEY = 0x0900,        // a converter key is missing in quarzel.ini
};

enum ConverterCommand : uint8_t {
    CMD_SUPPLY = 0x19,
    CMD_ANALOG = 0x1D,
    CMD_RELAY = 0x09,
    CMD_OUTPUT = 0xFC,
    CMD_CURRENT = 0x1C,
    CMD_TYPE = 0x1E,
};

struct ConverterParam {
    uint64_t value = 0;
    int bytes = 1;  // 1 .. 8; anything else counts as 1
};

// 0x02, the command byte, each parameter in lower-case hexadecimal with at least two digits per
// byte followed by CR, and a final CR.
std::string EncodeConverterRequest(uint8_t command, std::initializer_list<ConverterParam> params);

// The confirmation of a setting: the command byte in two hexadecimal digits, then CR.
bool IsConfirmation(std::string_view answer, uint8_t command);
// The leading hexadecimal number of an answer whose CR stands at `crAt` (0-based); nullopt when
// the answer has another layout.
std::optional<uint32_t> AnswerNumber(std::string_view answer, size_t crAt);

// The 12-bit analog value of an output voltage (0 V is 2048); nullopt outside -10 .. +10 V.
std::optional<uint32_t> AnalogValue(double volts);
// The output voltage for a motor speed: 3 mV per rpm, negative counter-clockwise.
double MotorVolts(double rpm, bool counterClockwise);

inline constexpr double kAmpsPerCurrentUnit = 0.000025;
inline constexpr size_t kConverterBufferBytes = 4096;
