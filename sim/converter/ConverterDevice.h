#pragma once
// The simulated test-bench converter: takes the request bytes the station writes to the serial
// port and gives the answer bytes back. Requests are byte 0x02, a command byte, then each
// parameter in hexadecimal followed by CR, and a final CR. The answers are documented in
// docs/bench-converter.md.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ConverterSwitches {
    int type = 2;                          // reported converter type (command 0x1E)
    bool silent = false;                   // answers nothing at all
    std::optional<uint8_t> muteCommand{};  // answers nothing to this command only
    std::optional<uint8_t> errorCode{};    // answers every setting with "!" and this code
    double currentMa = 50.0;               // current drawn while the supply is on
    bool overcurrent = false;              // draws kOvercurrentMa instead
    bool flood = false;                    // answers with more than the station's buffer holds
    static constexpr double kOvercurrentMa = 1500.0;
};

// What the converter has been told so far.
struct ConverterState {
    uint32_t supplyCentivolts = 0;
    uint32_t dac = 2048;  // 0 V
    std::map<uint32_t, uint32_t> relays;
    std::map<uint32_t, uint32_t> outputs;
};

class ConverterDevice {
public:
    explicit ConverterDevice(ConverterSwitches switches = {}) : switches_(switches) {}

    // Feeds received bytes; returns the answer to every request they complete (empty when
    // none is complete yet or the converter stays silent). `log` receives one line per request.
    std::string Receive(std::string_view bytes, std::vector<std::string>* log = nullptr);

    ConverterSwitches& Switches() { return switches_; }
    const ConverterState& State() const { return state_; }
    // Every complete request as received, from its command byte up to and including its final CR.
    const std::vector<std::string>& Requests() const { return requests_; }

    static constexpr size_t kFloodBytes = 5000;

private:
    std::string Answer(uint8_t command, const std::vector<uint64_t>& params, std::string& logLine);

    ConverterSwitches switches_;
    ConverterState state_;
    std::string pending_;
    std::vector<std::string> requests_;
};
