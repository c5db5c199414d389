#include <gtest/gtest.h>

#include "ConverterDevice.h"
#include "ConverterFixture.h"
#include "ConverterOptions.h"
#include "PortSettings.h"

namespace {
std::string Req(uint8_t cmd, const std::string& rest) { return std::string(1, static_cast<char>(cmd)) + rest; }
}  // namespace

TEST(ConverterRequest, BytesAndValues) {
    EXPECT_EQ(EncodeConverterRequest(CMD_SUPPLY, {{2400, 1}}), "\x02\x19" "960\r\r");
    EXPECT_EQ(EncodeConverterRequest(CMD_ANALOG, {{1433, 2}}), "\x02\x1d" "0599\r\r");
    EXPECT_EQ(EncodeConverterRequest(CMD_RELAY, {{0, 1}, {1, 1}}), "\x02\x09" "00\r01\r\r");
    EXPECT_EQ(EncodeConverterRequest(CMD_OUTPUT, {{64, 0}, {1, 9}}), "\x02\xfc" "40\r01\r\r");  // 0, 9 count as 1
    EXPECT_EQ(EncodeConverterRequest(CMD_CURRENT, {}), "\x02\x1c\r");

    // 0 V is 2048; 1000 rpm clockwise is 3.0 V, 1433.6 truncated; -10 V is the last value.
    const std::pair<double, std::optional<uint32_t>> analog[] = {
        {0.0, 2048u}, {10.0, 0u}, {MotorVolts(1000, false), 1433u}, {MotorVolts(1000, true), 2662u},
        {-10.0, 4095u}, {MotorVolts(3333, false), 0u}, {MotorVolts(3334, false), std::nullopt},
        {MotorVolts(3334, true), std::nullopt}, {-10.001, std::nullopt}};
    for (const auto& [volts, value] : analog) EXPECT_EQ(AnalogValue(volts), value) << volts;

    EXPECT_TRUE(IsConfirmation("19\r", 0x19));
    EXPECT_FALSE(IsConfirmation("!19\r", 0x19));
    EXPECT_FALSE(IsConfirmation("1d\r", 0x19));
    EXPECT_EQ(AnswerNumber("0fa0\r", 4), 4000u);
    EXPECT_EQ(AnswerNumber("fa0\r", 4), std::nullopt);  // CR not at the fifth character
    EXPECT_EQ(AnswerNumber("0fz0\r", 4), std::nullopt);
}

TEST(ConverterRequest, PortSettingsForms) {
    const auto a = ParsePortSettings("baud=19200 parity=E data=7 stop=2");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->baud, 19200);
    EXPECT_EQ(a->parity, 'E');
    EXPECT_EQ(a->dataBits, 7);
    EXPECT_EQ(a->stopBits, 2);
    const auto b = ParsePortSettings("COM3: 9600,n,8,1");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->baud, 9600);
    EXPECT_EQ(b->parity, 'N');
    EXPECT_TRUE(ParsePortSettings(""));
    for (const char* bad : {"baud=fast", "9600,x,8,1", "9600,n,9,1", "speed=9600", "9600,n,8,3"})
        EXPECT_FALSE(ParsePortSettings(bad)) << bad;
}

TEST(ConverterDevice, AnswersAndSwitches) {
    ConverterDevice device;
    // A request may arrive in pieces; noise before the start byte is ignored.
    EXPECT_EQ(device.Receive("zz\x02\x19" "96"), "");
    EXPECT_EQ(device.Receive("0\r\r\x02\x1c\r\x02\x1e\r"), "19\r07d0\r02\r");  // 50 mA = 2000 units
    EXPECT_EQ(device.State().supplyCentivolts, 0x960u);
    EXPECT_EQ(device.Receive("\x02\x1d" "1000\r\r"), "!02\r");  // beyond 12 bits
    EXPECT_EQ(device.Receive("\x02\x77\r"), "!ff\r");
    EXPECT_EQ(device.Receive("\x02\x09" "00\r\r"), "!fd\r");
    device.Switches().errorCode = 0x31;
    EXPECT_EQ(device.Receive("\x02\x09" "00\r01\r\r"), "!31\r");
    device.Switches().overcurrent = true;
    EXPECT_EQ(device.Receive("\x02\x1c\r"), "ea60\r");
    device.Switches().muteCommand = 0x1c;
    EXPECT_EQ(device.Receive("\x02\x1c\r"), "");
    device.Switches().flood = true;
    EXPECT_EQ(device.Receive("\x02\x1e\r").size(), ConverterDevice::kFloodBytes);

    ConverterProgramOptions options;
    std::string error;
    ASSERT_TRUE(ParseConverterArgs({"--type", "3", "--error-code", "2a", "--mute-command", "1D", "--current-ma", "80",
                                    "--overcurrent", "--link", "/tmp/x"},
                                   options, error))
        << error;
    EXPECT_EQ(options.switches.type, 3);
    EXPECT_EQ(options.switches.errorCode, 0x2a);
    EXPECT_EQ(options.switches.muteCommand, 0x1d);
    EXPECT_EQ(options.switches.currentMa, 80);
    EXPECT_TRUE(options.switches.overcurrent);
    for (std::vector<std::string> bad : {std::vector<std::string>{"--type"}, {"--type", "x"}, {"--error-code", "100"},
                                         {"--rpm", "5"}, {"--current-ma", "-1"}})
        EXPECT_FALSE(ParseConverterArgs(bad, options, error)) << bad[0];
}

using ConverterLinkTest = ConverterFixture;

TEST_F(ConverterLinkTest, OpenFailuresAndChecks) {
    // Every request checks the link first.
    EXPECT_EQ(link.SetSupplyVoltage(5), CONV_NOT_OPEN);
    EXPECT_EQ(link.ErrorText(), "Schnittstelle ist nicht offen");

    EXPECT_EQ(link.Open("[ComPortKonverter]\r\n/dev/x\r\n"), CONV_INI_KEY);
    EXPECT_EQ(link.ErrorText(), "Eintrag in Ini-Datei nicht gefunden\n  --- [ComInitKonverter]  ---");
    EXPECT_EQ(link.Open(ConverterIni("/dev/quarzel-no-such-port")), CONV_PORT_MISSING);
    EXPECT_EQ(link.ErrorText(), "gelesener COM-Port IIC Bus:\r- /dev/quarzel-no-such-port -\r ist nicht vorhanden!");
    EXPECT_EQ(link.Open(ConverterIni(sim.DevicePath(), "baud=fast")), CONV_NOT_OPEN);
    EXPECT_EQ(link.ErrorText(), "Schnittstelle konnte nicht geöffnet werden");
    EXPECT_FALSE(link.IsOpen());

    ASSERT_EQ(link.Open(Ini()), CONV_OK);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(link.SwitchRelay(0, true), CONV_NOT_READY);
    EXPECT_EQ(link.ErrorText(), "Konverter nicht bereit");
    EXPECT_TRUE(sim.Requests().empty());
    link.Close();
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(ConverterLinkTest, TypeCheckAndCommands) {
    // A type-3 converter: refused when type 2 is expected, accepted for 3 and for "any".
    Reconfigure({.type = 3});
    EXPECT_EQ(link.Initialise(2, Ini()), CONV_WRONG_TYPE);
    EXPECT_EQ(link.ErrorText(), "falscher Konvertertyp");
    EXPECT_FALSE(link.IsReady());
    link.Close();
    ASSERT_EQ(link.Initialise(3, Ini()), CONV_OK);
    EXPECT_TRUE(link.IsReady());
    ASSERT_EQ(link.Initialise(1, Ini()), CONV_OK);

    EXPECT_EQ(link.SetSupplyVoltage(24.0), CONV_OK);
    EXPECT_EQ(link.SetMotorSpeed(1000, false), CONV_OK);
    EXPECT_EQ(link.SwitchRelay(0, true), CONV_OK);
    EXPECT_EQ(link.SwitchOutput(64, false), CONV_OK);
    double amps = 0;
    EXPECT_EQ(link.ReadCurrent(amps), CONV_OK);
    EXPECT_DOUBLE_EQ(amps, 0.05);
    int type = 0;
    EXPECT_EQ(link.ReadType(type), CONV_OK);
    EXPECT_EQ(type, 3);
    // A speed beyond 10 V is refused before anything is sent.
    EXPECT_EQ(link.SetMotorSpeed(3500, true), CONV_OUT_OF_RANGE);
    EXPECT_EQ(link.SetSupplyVoltage(-1), CONV_OUT_OF_RANGE);
    const std::vector<std::string> sent = {Req(0x1e, "\r"), Req(0x1e, "\r"),     Req(0x1e, "\r"),
                                           Req(0x19, "960\r\r"), Req(0x1d, "0599\r\r"), Req(0x09, "00\r01\r\r"),
                                           Req(0xfc, "40\r00\r\r"), Req(0x1c, "\r"),     Req(0x1e, "\r")};
    EXPECT_EQ(sim.Requests(), sent);
    EXPECT_EQ(sim.State().dac, 1433u);
}

TEST_F(ConverterLinkTest, ConverterFaults) {
    ASSERT_EQ(link.Initialise(2, Ini()), CONV_OK);
    struct Case {
        ConverterSwitches switches;
        uint32_t code;
        std::string text;
    };
    const Case cases[] = {
        {{.errorCode = 0x31}, CONV_BAD_ANSWER, "UB-Einstellung nicht bestätigt"},
        {{.muteCommand = 0x19}, CONV_NO_ANSWER, "keine Antwort vom Konverter"},
        {{.flood = true}, CONV_BAD_ANSWER, "Empfangene Daten übersteigen die Pufferlänge"},
        {{}, CONV_OK, ""},  // and the link is usable again after each fault
    };
    for (const Case& c : cases) {
        Reconfigure(c.switches);
        link.SetTiming(c.code == CONV_NO_ANSWER ? kSilent : kAnswering);
        EXPECT_EQ(link.SetSupplyVoltage(12.5), c.code) << c.text;
        EXPECT_EQ(link.ErrorText(), c.text);
    }
    Reconfigure({.errorCode = 0x31});
    EXPECT_EQ(link.SwitchRelay(3, false), CONV_BAD_ANSWER);
    EXPECT_EQ(link.ErrorText(), "Relais 3 Zustand 0\n nicht geschaltet!\r");
    EXPECT_EQ(link.SetAnalogOutput(1.0), CONV_BAD_ANSWER);
    EXPECT_EQ(link.ErrorText(), "Analog Spannungseinstellung nicht bestätigt");

    // Silent from the start: no answer to the type request, so not ready.
    link.Close();
    Reconfigure({.silent = true});
    link.SetTiming(kSilent);
    EXPECT_EQ(link.Initialise(2, Ini()), CONV_NO_ANSWER);
    EXPECT_FALSE(link.IsReady());
}
