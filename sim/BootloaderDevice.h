#pragma once
// A controller in its CAN bootloader, as the station's bootloader client meets it: commands on
// CRIS × 16 + 0..5 (select node, program start, program data, display and blank check, write
// byte and erase, read byte), a flash of the controller kind's size, the EEPROM, the signature
// and configuration bytes. Frames in, frames out; no bus and no clock.
//
// Options ("bootloader?key=value&..."):
//   cris=N          0..127 (default 0)
//   kind=K          controller kind 1..4, the first row of that kind (default 1)
//   model=NAME      a row by name (T89C51CC01, T89C51CC02, LM3S5632, LM3S5732, TM4C123GH6PM,
//                   STM32F103, STM32F30X, C8051F50X, unknown)
//   blank=on|off    flash blank (all 0xFF, default) or holding an old program
//   version=N       bootloader version byte (default 0x12)
//   badverify=N     the first N read-backs deliver one wrong byte
//   silent=on       answers nothing
//   open=on         the connection is already open (a first select node closes it)
//   kbit=N          bit rate (default 500)

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "BusFrame.h"

struct SimBootloaderOptions {
    int cris = 0;
    std::string model = "T89C51CC01";
    bool blank = true;
    uint8_t version = 0x12;
    int badVerify = 0;
    bool silent = false;
    bool open = false;
    int kbit = 500;
};

// Reads "bootloader?key=value&..." (the "bootloader?" prefix is optional).
bool ParseBootloaderOptions(std::string_view text, SimBootloaderOptions& options, std::string& error);
const char* BootloaderOptionsHelp();

class BootloaderDevice {
public:
    explicit BootloaderDevice(const SimBootloaderOptions& options);

    void HandleFrame(const BusFrame& in, std::vector<BusFrame>& out);

    int BitRateKbit() const { return options_.kbit; }
    const std::vector<uint8_t>& Flash() const { return flash_; }
    const std::vector<uint8_t>& Eeprom() const { return eeprom_; }
    uint8_t ConfigByte(uint16_t address) const;
    bool Open() const { return open_; }
    int Erases() const { return erases_; }
    int Verifications() const { return reads_; }
    const std::string& Model() const { return options_.model; }

private:
    enum class Writing { None, Flash, Eeprom };
    void Answer(std::vector<BusFrame>& out, uint32_t command, std::initializer_list<uint8_t> data);
    bool DecodeRange(const BusFrame& in, size_t first, uint32_t& start, uint32_t& end) const;

    SimBootloaderOptions options_;
    std::vector<uint8_t> flash_;
    std::vector<uint8_t> eeprom_;
    std::map<uint16_t, uint8_t> config_;
    bool open_ = false;
    Writing writing_ = Writing::None;
    uint32_t writeAt_ = 0;
    uint32_t writeEnd_ = 0;
    int erases_ = 0;
    int reads_ = 0;
    int badLeft_ = 0;
};
