#pragma once
// The checks of the edit dialog's OK: each active field in order must hold a text, and a field
// that is not free text a number of up to 4 bytes (decimal, or hexadecimal with "0x" or a
// leading letter A to F). The first failing field keeps the dialog open.

#include <array>
#include <optional>
#include <string>

#include "Ports.h"

struct EditFieldRefusal {
    size_t field = 0;     // 0 ... 5
    std::string message;  // "No value was entered" or "No valid value was entered"
    std::string title;    // the field's caption
};

// The value of a number field, or nullopt when the text is not a whole number of up to 4 bytes
// (surrounding blanks allowed; "12abc" and "0x1FFFFFFFF" are refused).
std::optional<uint32_t> ReadEditNumber(const std::string& text);

// Checks `texts` (what the operator typed into fields 1 to 6) against `fields`. When every
// active field passes, the texts and numbers are stored in `fields` and nullopt is returned;
// otherwise `fields` is left as it was.
std::optional<EditFieldRefusal> AcceptEditFields(EditFieldSet& fields, const std::array<std::string, 6>& texts);
