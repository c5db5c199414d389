#pragma once
// The link to the test-bench converter over a serial port ("LG_NQ_Konv"): open with the port and
// settings from quarzel.ini, initialise with the type check, the converter commands, close.
// Every operation returns a ConverterCode and leaves its text in ErrorText().

#include <memory>
#include <string>
#include <string_view>

#include "ConverterRequest.h"

class QSerialPort;

class ConverterLink {
public:
    // How long an answer may take. A request returns as soon as its answer is complete (ends
    // with CR), so these bound only the wait for a converter that is late or silent. The
    // converter answers within 75 ms (150 ms for a measurement); the bounds leave room for a
    // USB adapter's latency and a busy machine.
    struct Timing {
        int answerMs = 500;
        int measurementMs = 1000;
    };

    ConverterLink();
    ~ConverterLink();
    ConverterLink(const ConverterLink&) = delete;
    ConverterLink& operator=(const ConverterLink&) = delete;

    void SetTiming(Timing timing) { timing_ = timing; }

    // Closes any previous link, reads "[ComPortKonverter]" and "[ComInitKonverter]" from the
    // configuration text and opens that port with those settings.
    uint32_t Open(std::string_view configurationText);
    // Opens the link, then reads the converter type: ready when it answers with `expectedType`
    // (1: any type).
    uint32_t Initialise(int expectedType, std::string_view configurationText);
    void Close();

    bool IsOpen() const { return open_; }
    bool IsReady() const { return ready_; }
    const std::string& ErrorText() const { return errorText_; }

    uint32_t SetSupplyVoltage(double volts);
    // -10 .. +10 V; anything outside is refused and nothing is sent.
    uint32_t SetAnalogOutput(double volts);
    uint32_t SetMotorSpeed(double rpm, bool counterClockwise);
    uint32_t SwitchRelay(int relay, bool on);
    uint32_t SwitchOutput(int output, bool on);
    uint32_t ReadCurrent(double& amps);
    uint32_t ReadType(int& type);

private:
    uint32_t Fail(uint32_t code, std::string text);
    uint32_t Succeed();
    // Checks the link, writes the request and collects the answer.
    uint32_t Exchange(const std::string& request, bool measurement, std::string& answer, bool needReady = true);
    uint32_t Setting(uint8_t command, std::initializer_list<ConverterParam> params, const std::string& unconfirmed);
    uint32_t QueryType(int& type, bool needReady);

    std::unique_ptr<QSerialPort> port_;
    Timing timing_;
    bool open_ = false;
    bool ready_ = false;
    std::string errorText_;
};
