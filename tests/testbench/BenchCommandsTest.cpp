// The bench commands of a test file driving the simulated converter end to end.

#include <gtest/gtest.h>

#include "BefTestSupport.h"
#include "BenchDisplay.h"
#include "ProtocolLine.h"
#include "StringHelpers.h"
#include "ConverterFixture.h"
#include "TestBench.h"

namespace {
class RecordingDisplay final : public BenchDisplay {
public:
    RecordingDisplay() { SetBenchDisplay(this); }
    ~RecordingDisplay() override { SetBenchDisplay(nullptr); }
    void ShowSupplyCurrent(const std::string& milliAmps, StatusColor color) override {
        shown.push_back(milliAmps + (color == StatusColor::Green ? " green" : " red"));
    }
    void ResetSupplyCurrent() override { shown.push_back("reset"); }
    std::vector<std::string> shown;
};

class BenchCommands : public ConverterFixture {
protected:
    void SetUp() override {
        ConverterFixture::SetUp();
        ASSERT_EQ(link.Initialise(2, Ini()), CONV_OK);
        bench.SetActive(true);
        SetBenchConverter(&bench);
    }
    void TearDown() override { SetBenchConverter(nullptr); }

    TestBench bench{link};
    RecordingDisplay display;
};
}  // namespace

TEST_F(BenchCommands, SupplyMotorAndRelaysThroughTheConverter) {
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_Ub,U:24.0,I:100") + Step("B:BEF_Drehzahl,Speed:1000,Dir:CW") +
                       Step("B:BEF_Drehzahl,Speed:500,Dir:CCW") + Step("B:BEF_Motor,Mode:Auto") +
                       Step("B:BEF_Motor,Mode:Man") + Step("B:BEF_Motor,Mode:Stop") + Step("B:BEF_Ub,U:0,I:0")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0].command, "BEF_Ub    Voltage: 24.0 V Current: 100.0 mA");
    EXPECT_EQ(rows[0].value, "50.0 mA");
    for (const auto& r : rows) EXPECT_EQ(r.status, "ok") << r.command;
    EXPECT_EQ(h.ErrorCount(), 0);
    EXPECT_TRUE(h.Operator().Messages().empty());
    const std::vector<std::string> shown = {"50.0 green", "reset"};
    EXPECT_EQ(display.shown, shown);

    // The type request of the initialisation, then every step's requests in order.
    const std::vector<std::string> sent = {
        "\x19" "960\r\r", "\x1c\r",                                          // supply on, current
        "\x1d" "0599\r\r", "\x1d" "0933\r\r",                                // 1000 CW, 500 CCW
        "\xfc" "40\r01\r\r", "\x09" "00\r01\r\r", "\xfc" "40\r01\r\r",      // Auto
        "\x09" "00\r00\r\r",                                                 // Man
        "\xfc" "40\r01\r\r", "\x09" "00\r01\r\r", "\xfc" "40\r00\r\r",      // Stop
        "\x19" "00\r\r"};                                                    // supply off
    EXPECT_EQ(RequestsFrom(1), sent);
}

TEST_F(BenchCommands, ConverterFailuresAreShownAndCounted) {
    StationHarness h;
    struct Case {
        std::string step;
        ConverterSwitches switches;
        std::string command;  // the row
        std::string message;  // title: text
    };
    const Case cases[] = {
        {"B:BEF_Ub,U:24.0,I:100", {.overcurrent = true},
         "BEF_Ub    Voltage: 24.0 V Current: 100.0 mA    !!! WARNING !! Supply current outside limits",
         "VERSORGUNGSSPANNUNG EINSTELLEN:  !! WARNING !! \n Supply current outside limits"},
        // Just above the limit (a reading in A compared with the limit in mA would pass anything).
        {"B:BEF_Ub,U:5,I:100", {.currentMa = 101},
         "BEF_Ub    Voltage: 5.0 V Current: 100.0 mA    !!! WARNING !! Supply current outside limits",
         "VERSORGUNGSSPANNUNG EINSTELLEN:  !! WARNING !! \n Supply current outside limits"},
        {"B:BEF_Ub,U:12,I:100", {.errorCode = 0x31}, "BEF_Ub    Voltage: 12.0 V Current: 100.0 mA    !UB-Einstellung nicht bestätigt",
         "VERSORGUNGSSPANNUNG EINSTELLEN: UB-Einstellung nicht bestätigt"},
        {"B:BEF_Drehzahl,Speed:1000,Dir:CW", {.errorCode = 0x31},
         "BEF_Drehzahl    Speed: 1000.0 RPM    !Analog Spannungseinstellung nicht bestätigt",
         "MOTORDREHZAHL EINSTELLEN: Analog Spannungseinstellung nicht bestätigt"},
        {"B:BEF_Drehzahl,Speed:4000,Dir:CCW", {},
         "BEF_Drehzahl    Speed: 4000.0 RPM    !Analogspannung -12.00 V ausserhalb von -10 V ... +10 V",
         "MOTORDREHZAHL EINSTELLEN: Analogspannung -12.00 V ausserhalb von -10 V ... +10 V"},
        {"B:BEF_Motor,Mode:Stop", {.muteCommand = 0x09}, "BEF_Motor  Stop    !keine Antwort vom Konverter",
         "MOTORDREHZAHL EINSTELLEN: keine Antwort vom Konverter"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        Reconfigure(c.switches);
        link.SetTiming(c.switches.muteCommand ? kSilent : kAnswering);
        h.Operator().calls.clear();
        ASSERT_TRUE(h.Load(BefHeader() + Step(c.step)));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].command, TrimRight(CutText(c.command, kCommandTextChars)));  // the row's width
        EXPECT_EQ(rows[0].status, "Err Ans");
        EXPECT_EQ(h.ErrorCount(), 1);
        EXPECT_EQ(h.Operator().Messages(), std::vector<std::string>{c.message});
    }
    // The refused speed never reached the converter.
    for (const std::string& r : sim.Requests()) EXPECT_NE(r.substr(0, 1), "\x1d" "0") << "sent " << r;
}
