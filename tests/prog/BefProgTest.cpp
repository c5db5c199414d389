// "BEF_Prog_AtBl" end to end: a test file programs the simulated controller through the
// programming logic; the flash is then compared with the HEX file's image byte for byte.

#include <gtest/gtest.h>

#include <QDir>
#include <random>

#include "BefTestSupport.h"
#include "ProgrammingControl.h"
#include "SimBootloader.h"

namespace {
class RecordingView final : public ProgrammingView {
public:
    void ShowWindow() override { events.push_back("show"); }
    void HideWindow() override { events.push_back("hide"); }
    void StatusChanged(const BootloaderStatus& s) override { last = s; }
    std::vector<std::string> events;
    BootloaderStatus last;
};

struct ProgStation {
    explicit ProgStation(const std::string& deviceOptions) {
        SimBootloaderOptions o;
        std::string error;
        EXPECT_TRUE(ParseBootloaderOptions(deviceOptions, o, error)) << error;
        device = std::make_unique<SimBootloader>(h.Bus().shared_from_this(), o);
        control.SetView(&view);
        SetBefProgrammer(&control);
        // As on opening a test file: its folder is the current folder, so its HEX paths are relative.
        previous = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(h.Folder()));
    }
    ~ProgStation() {
        QDir::setCurrent(previous);
        SetBefProgrammer(nullptr);
    }
    std::vector<uint8_t> Flash(size_t from, size_t n) {
        std::vector<uint8_t> out;
        device->Inspect([&](const BootloaderDevice& d) { out.assign(d.Flash().begin() + from, d.Flash().begin() + from + n); });
        return out;
    }
    StationHarness h;
    std::unique_ptr<SimBootloader> device;
    RecordingView view;
    ProgrammingControl control;
    QString previous;
};

HexImage Image(uint32_t start, size_t n) {
    std::mt19937 rng(11);
    HexImage image{start, std::vector<uint8_t>(n)};
    for (auto& b : image.bytes) b = static_cast<uint8_t>(rng());
    return image;
}
}  // namespace

TEST(BefProgAtBl, ProgramsTheSimulatedControllerFromATestFile) {
    ProgStation s("bootloader?cris=0&kind=1&blank=off");
    const HexImage image = Image(0x0000, 0x1F00);
    s.h.WriteFile("fw.hex", WriteIntelHex(image, 16));
    const std::string file = "fw.hex";
    ASSERT_TRUE(s.h.Load(BefHeader() + Step("B:BEF_Prog_AtBl,CRIS:0,File:" + file + ",Blank:yes,Erase:BL0") +
                         Step("B:Marke,Name:after")));
    ASSERT_TRUE(s.h.Run());
    const auto rows = StepRows(s.h);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].command, "BEF_Prog_AtBl,  CRIS:0,  File:" + file + ",  Blank:yes,  Erase:BL0");
    EXPECT_EQ(rows[0].status, "ok");
    EXPECT_EQ(rows[1].command.rfind("Marke", 0), 0u);
    EXPECT_EQ(s.h.ErrorCount(), 0);
    EXPECT_EQ(s.Flash(0, image.bytes.size()), image.bytes);
    EXPECT_EQ(s.view.last.text, "Programming OK");
    EXPECT_EQ(s.view.events, (std::vector<std::string>{"show", "hide"}));
    const ProgrammingSettings& set = s.control.Settings();
    EXPECT_TRUE(set.blankCheck);
    EXPECT_TRUE(set.eraseDevice);
    EXPECT_EQ(set.eraseChoice, 1);
    EXPECT_EQ(s.control.History()[0], file);
}

TEST(BefProgAtBl, AFailedRunEndsTheTestWithTimeout) {
    struct Case {
        const char* name;
        const char* device;
        const char* cris;
        const char* file;
        const char* status;
    };
    const Case cases[] = {
        {"missing file", "bootloader?kind=1", "0", "none.hex", "Cannot read "},
        {"invalid CRIS", "bootloader?kind=1", "128", "fw.hex", "Ungltige CRIS Id"},
        {"silent controller", "bootloader?silent=on", "0", "fw.hex", "Connection cannot be established"},
        {"image too large", "bootloader?kind=2", "0", "big.hex", "Hex file is too large!!!"},
        {"empty file", "bootloader?kind=1", "0", "empty.hex", "No hex file loaded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgStation s(c.device);
        s.h.WriteFile("fw.hex", WriteIntelHex(Image(0, 64)));
        s.h.WriteFile("big.hex", WriteIntelHex(Image(0, 0x4001)));
        s.h.WriteFile("empty.hex", ":020000040000FA\r\n:00000001FF\r\n");
        const std::string step = std::string("B:BEF_Prog_AtBl,CRIS:") + c.cris + ",File:" + c.file +
                                 ",Blank:No";
        ASSERT_TRUE(s.h.Load(BefHeader() + Step(step) + Step("B:Marke,Name:never")));
        ASSERT_TRUE(s.h.Run());
        EXPECT_EQ(s.h.EndReason(), RunEnd::Abandoned);
        const auto rows = StepRows(s.h);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1].command.substr(rows[1].command.size() - 7), "Timeout");
        EXPECT_EQ(rows[1].status, "Err Ans");
        EXPECT_EQ(s.view.last.text.rfind(c.status, 0), 0u) << s.view.last.text;
        EXPECT_EQ(s.view.last.code, BOOT_STATUS_ERROR);
    }
}

TEST(BefProgAtBl, WithoutAProgrammerTheStepFails) {
    StationHarness h;
    ASSERT_TRUE(h.Load(BefHeader() + Step("B:BEF_Prog_AtBl,CRIS:0,File:fw.hex,Blank:Yes")));
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(h.EndReason(), RunEnd::Abandoned);
    EXPECT_EQ(StepRows(h).back().status, "Err Ans");
}
