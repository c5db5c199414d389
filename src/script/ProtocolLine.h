#pragma once
// The texts of one protocol row, filled by the commands and written by the runner, and the
// status codes a row can carry.

#include <array>
#include <cstdint>
#include <string>

#include "HrTime.h"

// Status codes of a protocol row ("Status" column).
enum : uint32_t {
    STATUS_OK = 0,
    STATUS_ERR_SYN = 0x1000,
    STATUS_SDO_ERROR = 0x2000,
    STATUS_ERR_ANS = 0x3000,
    STATUS_LSS_ERROR = 0x4000,
    STATUS_ERR_NMT = 0x5000,
};

// Capacities of the row texts (characters; longer texts are cut when the row is written).
inline constexpr size_t kCommandTextChars = 79;
inline constexpr size_t kExtraTextChars = 19;
inline constexpr size_t kColumnTextChars = 19;  // idText, valueText
inline constexpr size_t kDlcTextChars = 9;
inline constexpr size_t kDataTextChars = 9;
inline constexpr size_t kAsciiTextChars = 79;

struct ProtocolLine {
    std::string commandText;  // command name, then remarks such as "   !falsche Daten"
    std::string extraText1;
    std::string extraText2;
    std::string idText;     // "%03x"
    std::string valueText;  // shown when valueShown
    std::string dlcText;    // "%x"; empty: no data cell is written
    std::array<std::string, 8> dataText;  // "%02x"
    bool transmit = true;  // "T" (sent) or "R" (received)
    bool valueShown = false;
    uint32_t status = STATUS_OK;
    std::string asciiText;
    std::string errorText;  // remark about the last failure; not shown in the row
    HrTime rowTime;
};

// The "Status" column text of a code; empty for a code that is not a status (cell unchanged).
const char* StatusText(uint32_t status);
// True for the five codes counted as errors.
bool IsErrorStatus(uint32_t status);

// Fills idText ("%03x"), dlcText ("%x") and the eight data texts ("%02x"); byte 0 is the lowest
// byte of `dataLow`, byte 4 the lowest byte of `dataHigh`.
void FormatMessageColumns(ProtocolLine& line, uint32_t id, uint32_t length, uint32_t dataLow,
                          uint32_t dataHigh);
// The same from a frame.
void FormatMessageColumns(ProtocolLine& line, uint32_t id, uint32_t length,
                          const std::array<uint8_t, 8>& data);
// Empties idText, dlcText and valueText (with dlcText empty no data cell is written).
void ClearProtocolLine(ProtocolLine& line);
// Elapsed time from `start` to `now` as "%02d:%02d:%03d" (minutes not wrapped into hours).
std::string FormatElapsed(const HrTime& start, const HrTime& now);
