#include <gtest/gtest.h>

#include "BootloaderFixture.h"
#include "SimulatorKinds.h"

namespace {
struct RunResult {
    BootloaderStatus status;
    std::vector<std::string> texts;
};

RunResult Program(const HexImage& image, int cris, BootloaderOptions options = {}, bool verifyOnly = false) {
    AtmelBootloader boot;
    EXPECT_TRUE(boot.SetCris(cris));
    boot.SetOptions(options);
    boot.SetImage(image);
    EXPECT_TRUE(verifyOnly ? boot.StartVerify() : boot.StartProgram());
    EXPECT_FALSE(boot.Busy());
    return {boot.Status(), boot.TextLog()};
}

bool Saw(const RunResult& run, const std::string& text) {
    return std::find(run.texts.begin(), run.texts.end(), text) != run.texts.end();
}
}  // namespace

using Bootloader = BootloaderFixture;

TEST(BootloaderProtocol, RangeFormsAndControllerLookup) {
    EXPECT_EQ(BootloaderRange(0x0100, 0x10), (std::vector<uint8_t>{0x01, 0x00, 0x01, 0x0F}));
    EXPECT_EQ(BootloaderRange(0x0000, 0x10000), (std::vector<uint8_t>{0x00, 0x00, 0xFF, 0xFF}));
    EXPECT_EQ(BootloaderRange(0x0000, 0x10001), (std::vector<uint8_t>{0x00, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(BootloaderRange(0x8000, 0x20000), (std::vector<uint8_t>{0x80, 0x00, 0x02, 0x7F, 0xFF}));
    EXPECT_STREQ(FindController({0x22, 0x64, 0x03, 0x10}).name, "STM32F30X");
    EXPECT_EQ(FindController({0x22, 0x64, 0x03, 0x11}).kind, 0);
    EXPECT_EQ(ProgressPercent(0, 1), 0);
    EXPECT_EQ(ProgressPercent(1, 1), 100);
    EXPECT_EQ(ProgressPercent(50, 101), 50);
    EXPECT_EQ(ProgressPercent(101, 101), 100);
    EXPECT_EQ(EraseByteOfChoice(0), 0xFF);
    EXPECT_EQ(EraseByteOfChoice(3), 0x40);
}

// Kind 1 with CRIS 0: blank check, erase, blank check, program, verify, boot configuration.
TEST_F(Bootloader, ProgramsVerifiesAndConfiguresAKind1Controller) {
    Attach("bootloader?cris=0&kind=1");
    const HexImage image = RandomImage(0x0000, 0x1234);
    const RunResult run = Program(image, 0);
    EXPECT_EQ(run.status.text, "Programming OK");
    EXPECT_EQ(run.status.code, BOOT_STATUS_BUSY_OR_OK);
    EXPECT_TRUE(run.status.succeeded);
    EXPECT_EQ(run.status.progress, 100);
    EXPECT_EQ(run.status.controller, "T89C51CC01");
    EXPECT_EQ(Flash(0, image.bytes.size()), image.bytes);
    const std::vector<std::string> expected = {"Connecting",        "Read manufacturer", "Reading family",
                                               "Reading Product Id", "Reading revision",  "Read bootloader version",
                                               "Reading hardware byte", "Blank Check",    "Erasing component",
                                               "Blank Check",        "Programming",       "Verify",
                                               "Verification OK",    "Schreibe SBV",      "Schreibe BSB",
                                               "Schreibe BLJB",      "Programming OK"};
    EXPECT_EQ(run.texts, expected);
    EXPECT_EQ(Config(0x101), 0xFF);
    EXPECT_EQ(Config(0x100), 0x00);
    EXPECT_EQ(Config(0x200), 0x80 | 0x40);
    // Frames: one select to open and one to close, data frames of 8 bytes, the last shorter.
    EXPECT_EQ(Sent(0x000).size(), 2u);
    const auto data = Sent(0x002);
    ASSERT_EQ(data.size(), (0x1234 + 7) / 8u);
    EXPECT_EQ(data.back().len, 0x1234 % 8);
    const auto start = Sent(0x001);
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(start[0].len, 5);
    EXPECT_EQ(std::vector<uint8_t>(start[0].data.begin(), start[0].data.begin() + 5),
              (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x12, 0x33}));
}

TEST_F(Bootloader, Kind2WritesItsConfigurationBytes) {
    Attach("bootloader?cris=0&kind=2");
    const RunResult run = Program(RandomImage(0, 0x100), 0);
    EXPECT_EQ(run.status.text, "Programming OK");
    EXPECT_TRUE(Saw(run, "Lesen P4_CF"));
    EXPECT_EQ(Config(0x102), 0xFF);
    EXPECT_EQ(Config(0x103), 0xFB);
    EXPECT_EQ(Config(0x104), 0xFF);
    EXPECT_EQ(Config(0x100), 0x00);
    EXPECT_EQ(Config(0x200), 0x80);  // no BLJB for kind 2
}

TEST_F(Bootloader, ImageOfExactlyTheFlashSizeIsAcceptedOneByteMoreIsNot) {
    Attach("bootloader?cris=0&kind=2");  // 0x4000 bytes
    RunResult run = Program(RandomImage(0, 0x4000), 0);
    EXPECT_EQ(run.status.text, "Programming OK");
    run = Program(RandomImage(0, 0x4001), 0);
    EXPECT_EQ(run.status.text, "Hex file is too large!!!");
    EXPECT_EQ(run.status.code, BOOT_STATUS_ERROR);
    EXPECT_FALSE(run.status.succeeded);
    EXPECT_FALSE(device == nullptr);
    bool open = true;
    device->Inspect([&](const BootloaderDevice& d) { open = d.Open(); });
    EXPECT_FALSE(open);  // closed again
}

TEST_F(Bootloader, SelectAnsweredWithTheOtherStateIsSentOnceMore) {
    Attach("bootloader?cris=3&kind=1&open=on");
    const RunResult run = Program(RandomImage(0, 64), 3);
    EXPECT_EQ(run.status.text, "Verification OK");  // CRIS not 0: no boot configuration
    EXPECT_TRUE(run.status.succeeded);
    const auto selects = Sent(3 * 16);
    ASSERT_EQ(selects.size(), 3u);  // open (answered "closed"), open again, close
    EXPECT_FALSE(Saw(run, "Blank Check"));
    EXPECT_EQ(Config(0x100), 0xFF);  // untouched
}

TEST_F(Bootloader, VerificationFailureLeadsToEraseBlankCheckAndARetry) {
    Attach("bootloader?cris=0&kind=1&badverify=1");
    const HexImage image = RandomImage(0, 200);
    const RunResult run = Program(image, 0);
    EXPECT_EQ(run.status.text, "Programming OK");
    const std::vector<std::string> tail(run.texts.begin() + 10, run.texts.begin() + 19);
    const std::vector<std::string> expected = {"Programming",       "Verify",      "Verification error",
                                               "Erasing component", "Blank Check", "Programming, retry: 1",
                                               "Verify",            "Verification OK", "Schreibe SBV"};
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(Flash(0, 200), image.bytes);
    EXPECT_EQ(Sent(0x001).size(), 2u);
}

TEST_F(Bootloader, AtMostTenRetries) {
    Attach("bootloader?cris=0&kind=1&badverify=100");
    const RunResult run = Program(RandomImage(0, 16), 0);
    EXPECT_EQ(run.status.text, "Verification error");
    EXPECT_EQ(run.status.code, BOOT_STATUS_ERROR);
    EXPECT_TRUE(Saw(run, "Programming, retry: 10"));
    EXPECT_FALSE(Saw(run, "Programming, retry: 11"));
    EXPECT_EQ(Sent(0x001).size(), 11u);
    EXPECT_EQ(Config(0x100), 0xFF);  // no boot configuration after a failed verification
}

TEST_F(Bootloader, FailuresEndWithAClearStatus) {
    struct Case {
        const char* device;
        int cris;
        BootloaderOptions options;
        const char* text;
        size_t selects;
    };
    BootloaderOptions chooseRow;
    chooseRow.controllerRow = 99;
    BootloaderOptions noSkip;
    const Case cases[] = {
        {"bootloader?silent=on", 0, noSkip, "Connection cannot be established", 6},
        {"bootloader?model=unknown", 0, noSkip, "Unknown controller", 2},
        {"bootloader?kind=1", 0, chooseRow, "Internal error!!!", 2},
        {"bootloader?kind=1&blank=off", 0, noSkip, "Component not empty", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device);
        frames.clear();
        Attach(c.device);
        const RunResult run = Program(RandomImage(0, 32), c.cris, c.options);
        EXPECT_EQ(run.status.text, c.text);
        EXPECT_EQ(run.status.code, BOOT_STATUS_ERROR);
        EXPECT_EQ(Sent(0x000).size(), c.selects);
        EXPECT_TRUE(Sent(0x002).empty());
    }
    // Without a channel nothing is sent.
    frames.clear();
    CanClose();
    const RunResult run = Program(RandomImage(0, 32), 0);
    EXPECT_EQ(run.status.text, "CAN initialization failed");
    EXPECT_TRUE(frames.empty());
}

TEST_F(Bootloader, EraseFirstProgramsAProgrammedController) {
    Attach("bootloader?cris=0&kind=1&blank=off");
    BootloaderOptions options;
    options.eraseFirst = true;
    options.eraseByte = EraseByteOfChoice(1);  // block 0
    const HexImage image = RandomImage(0, 0x100, 3);
    const RunResult run = Program(image, 0, options);
    EXPECT_EQ(run.status.text, "Programming OK");
    EXPECT_EQ(Flash(0, 0x100), image.bytes);
    const auto erase = Sent(0x004);
    ASSERT_FALSE(erase.empty());
    EXPECT_EQ(erase[0].len, 2);
    EXPECT_EQ(erase[0].data[1], 0x00);
    EXPECT_EQ(Flash(0x2000, 1)[0], static_cast<uint8_t>(0x2000 * 7 + 3));  // block 1 kept
}

TEST_F(Bootloader, RangeBeyond64KUsesTheSixByteForm) {
    Attach("bootloader?cris=0&model=STM32F30X");
    const HexImage image = RandomImage(0x0000, 0x10010);
    const RunResult run = Program(image, 0);
    EXPECT_EQ(run.status.text, "Programming OK");
    const auto start = Sent(0x001);
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(start[0].len, 6);
    EXPECT_EQ(std::vector<uint8_t>(start[0].data.begin(), start[0].data.begin() + 6),
              (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x01, 0x00, 0x0F}));
    EXPECT_EQ(Flash(0, image.bytes.size()), image.bytes);
}

TEST_F(Bootloader, VerifyAloneNeverErasesOrPrograms) {
    Attach("bootloader?cris=0&kind=1&blank=off");
    const RunResult run = Program(RandomImage(0, 64), 0, {}, true);
    EXPECT_EQ(run.status.text, "Verification error");
    EXPECT_EQ(run.status.code, BOOT_STATUS_ERROR);
    EXPECT_TRUE(Sent(0x004).empty());
    EXPECT_TRUE(Sent(0x001).empty());
}

TEST_F(Bootloader, ReadsAndClearsMemoryAreas) {
    Attach("bootloader?cris=0&kind=1&blank=off");
    AtmelBootloader boot;
    ASSERT_TRUE(boot.StartReadMemory(BL_MEM_FLASH, 0x10, 20));
    EXPECT_EQ(boot.Status().text, "done");
    EXPECT_EQ(boot.MemoryRead(), Flash(0x10, 20));
    ASSERT_TRUE(boot.StartClearMemory(BL_MEM_EEPROM, 0x40, 12));
    EXPECT_EQ(boot.Status().text, "done");
    ASSERT_TRUE(boot.StartReadMemory(BL_MEM_EEPROM, 0x40, 12));
    EXPECT_EQ(boot.MemoryRead(), std::vector<uint8_t>(12, 0xFF));
    EXPECT_EQ(boot.BootloaderVersion(), 0x12);
    device.reset();
    ASSERT_TRUE(boot.StartReadMemory(BL_MEM_FLASH, 0, 8));
    EXPECT_EQ(boot.Status().text, "Connection cannot be established");
    EXPECT_EQ(boot.Status().code, BOOT_STATUS_ERROR);
}

TEST(BootloaderThread, ProgramsOnItsOwnThreadWhileTheCallerGoesOn) {
    // Real time: the client runs on its worker thread; the simulated controller answers at once.
    DefaultCanSettings().SetVariable("Baudr", 2);
    QTemporaryDir dir;
    DefaultCanSettings().SetConfig("[LOG_DIR]", dir.path().toStdString());
    auto bus = VirtualBus::Create();
    auto iface = std::make_shared<VirtualCanInterface>(bus, "station");
    CanSetInterface(iface);
    ASSERT_TRUE(CanOpen());
    SimBootloaderOptions options;
    SimBootloader device(bus, options);
    {
        AtmelBootloader boot;
        boot.SetImage(BootloaderFixture::RandomImage(0, 0x800));
        ASSERT_TRUE(boot.StartProgram());
        EXPECT_FALSE(boot.StartProgram());  // one run at a time
        // The caller's thread can use the channel meanwhile.
        tagOPEN_Message msg;
        msg.id = 0x7FF;
        EXPECT_TRUE(CanWrite(&msg));
        boot.WaitIdle();
        EXPECT_EQ(boot.Status().text, "Programming OK");
        ASSERT_TRUE(boot.StartVerify());
        boot.WaitIdle();
        EXPECT_EQ(boot.Status().text, "Verification OK");
        ASSERT_TRUE(boot.StartProgram());  // destroyed while running: the run ends first
    }
    CanClose();
    CanSetInterface(nullptr);
}

TEST(SimBootloaderOptions, FormsAndRefusals) {
    SimTreiberTyp typ;
    std::string error;
    ASSERT_TRUE(ParseSimTreiberTyp("sim:bootloader?cris=1&kind=3&blank=off&badverify=2", typ, error)) << error;
    ASSERT_TRUE(typ.bootloader.has_value());
    EXPECT_EQ(typ.bootloader->cris, 1);
    EXPECT_EQ(typ.bootloader->model, "LM3S5632");
    EXPECT_FALSE(typ.bootloader->blank);
    EXPECT_EQ(typ.bootloader->badVerify, 2);
    SimBootloaderOptions o;
    EXPECT_TRUE(ParseBootloaderOptions("model=stm32f103&version=0x21", o, error));
    EXPECT_EQ(o.model, "STM32F103");
    EXPECT_EQ(o.version, 0x21);
    for (const char* bad : {"cris=128", "kind=5", "kind=0", "model=Z80", "blank=maybe", "kbit=5", "speed=1", "cris"}) {
        error.clear();
        EXPECT_FALSE(ParseBootloaderOptions(bad, o, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}
