#pragma once
// The converter port's settings string from quarzel.ini ("[ComInitKonverter]"), in either form
// "baud=9600 parity=N data=8 stop=1" or "9600,N,8,1". Empty: 9600 baud, 8 data bits, no parity,
// one stop bit.

#include <optional>
#include <string_view>

struct PortSettings {
    int baud = 9600;
    char parity = 'N';  // N, E, O, M, S
    int dataBits = 8;   // 5 .. 8
    int stopBits = 1;   // 1 or 2 (15 stands for 1.5)
};

// nullopt for a string with an unknown word or an impossible value.
std::optional<PortSettings> ParsePortSettings(std::string_view text);
