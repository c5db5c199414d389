#pragma once
// The SDO names the station shows and checks: command specifiers of the requests it builds,
// the names of the answers it receives, and the abort codes with their names.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

struct SdoAbortEntry {
    uint32_t code;
    const char* name;  // used in "Error:" expectations and appended to the row text
    const char* description;
};

// Byte 0 of a request named `name` ("SDO_UpInit" 0x40 ...); nullopt for an unknown name.
std::optional<uint8_t> SdoSpecifierOf(std::string_view name);

// The answer's name by byte 0 masked with 0xE3 ("SDO_UpExp_Length_Res" ...); nullptr when the
// value names no answer.
const char* SdoAnswerName(uint8_t maskedByte0);

// Every abort code the station knows, in table order.
std::span<const SdoAbortEntry> SdoAbortCodes();
// The entry of `code`; nullptr for a code the table does not hold.
const SdoAbortEntry* FindSdoAbortCode(uint32_t code);
