#include <gtest/gtest.h>

#include "NmtLssFixture.h"

namespace {
size_t CountId(const std::vector<SeenFrame>& frames, uint32_t id) {
    size_t n = 0;
    for (const auto& f : frames) n += f.id == id ? 1 : 0;
    return n;
}
}  // namespace

TEST(SyncCommand, SilenceBetweenFramesIsRightAndOnlyTheLastIsJudged) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:Sync,Anzahl:3") + Step("B:Sync,Anzahl:3", "None")));
    ASSERT_TRUE(h.Run());
    EXPECT_EQ(CountId(h.StationFrames(), 0x80), 6u);
    for (const auto& f : h.StationFrames()) {
        EXPECT_FALSE(f.rtr);
        EXPECT_EQ(f.len, 0u);
    }
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 12u);
    for (size_t i = 0; i < 6; i += 2) {
        EXPECT_EQ(rows[i].command, "Sync");
        EXPECT_EQ(rows[i].rt, "T");
        EXPECT_EQ(rows[i].id, "080");
        EXPECT_EQ(rows[i + 1].command, "Sync_Res   !no response");
        EXPECT_EQ(rows[i + 1].rt, "R");
    }
    EXPECT_EQ(rows[1].status, "ok");
    EXPECT_EQ(rows[3].status, "ok");
    // Pre-operational: no PDO follows the Sync, and an answer was expected.
    EXPECT_EQ(rows[5].status, "Err Ans");
    EXPECT_EQ(rows[11].status, "ok");
    EXPECT_EQ(h.ErrorCount(), 1);
}

TEST(SyncCommand, CountLimits) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:Sync,Anzahl:241") + Step("B:Sync,Anzahl:0") + Step("B:Sync,Anzahl:x") +
                       Step("B:Sync,Anzahl:240", "None") + Step("B:Sync,Anzahl:", "None")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].command, "Sync !wrong parameters");
        EXPECT_EQ(rows[i].status, "Err Syn");
    }
    EXPECT_EQ(CountId(h.StationFrames(), 0x80), 241u);
    ASSERT_EQ(rows.size(), 3u + 480u + 2u);
    EXPECT_EQ(h.ErrorCount(), 3);
}

TEST(SyncCommand, OperationalDeviceAnswersWithItsSynchronousPdo) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Start,N:1") + Step("B:Sync", "Id:0x281,DLC:6") +
                       Step("B:Sync,Anzahl:2", "Id:0x281,DLC:,D:") + Step("B:Sync", "None")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[3].command, "Sync_Res");
    EXPECT_EQ(rows[3].id, "281");
    EXPECT_EQ(rows[3].dlc, "6");
    EXPECT_EQ(rows[3].status, "ok");
    // A PDO after the first of two Syncs comes too early.
    EXPECT_EQ(rows[5].command, "Sync_Res   !unexpected response");
    EXPECT_EQ(rows[5].status, "Err Ans");
    EXPECT_EQ(rows[7].command, "Sync_Res   !unexpected response");
    EXPECT_EQ(rows[7].status, "Err Ans");
    EXPECT_EQ(h.ErrorCount(), 2);
}

TEST(PdoCommands, RemoteRequestsAlwaysHaveLengthZero) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Start,N:1") + Step("B:Gen,Id:0x123,DLC:8,D:0x11223344", "None") +
                       Step("B:PDO1", "Id:0x181,DLC:4") + Step("B:Gen,Id:0x123,DLC:8,D:1", "None") +
                       Step("B:PDO2", "Id:0x281,DLC:6")));
    ASSERT_TRUE(h.Run());
    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f[2].id, 0x181u);
    EXPECT_TRUE(f[2].rtr);
    EXPECT_EQ(f[2].len, 0u);
    EXPECT_EQ(f[4].id, 0x281u);
    EXPECT_TRUE(f[4].rtr);
    EXPECT_EQ(f[4].len, 0u);
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[4].command, "PDO1");
    EXPECT_EQ(rows[4].value, "--Remote--");
    EXPECT_EQ(rows[4].dlc, "0");
    EXPECT_EQ(rows[5].command, "PDO1_Res");
    EXPECT_EQ(rows[5].id, "181");
    EXPECT_EQ(rows[5].status, "ok");
    EXPECT_EQ(rows[9].command, "PDO2_Res");
    EXPECT_EQ(rows[9].status, "ok");
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(PdoCommands, PlusVariantsAddTheNodeId) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header("PDO1_ID: 0x180\nPDO2_ID: 0x280\n") + Step("B:NMT_Start,N:1") +
                       Step("B:PDO1+", "Id:0x181,DLC:,D:") + Step("B:PDO2+", "Id:0x281,DLC:,D:") + Step("B:PDO1", "Id:0x181,DLC:,D:")));
    ASSERT_TRUE(h.Run());
    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[1].id, 0x181u);
    EXPECT_EQ(f[2].id, 0x281u);
    EXPECT_EQ(f[3].id, 0x180u);
    const auto rows = StepRows(h);
    EXPECT_EQ(rows[3].command, "PDO1+_Res");
    EXPECT_EQ(rows[3].status, "ok");
    EXPECT_EQ(rows[5].status, "ok");
    // Nobody sends on 0x180.
    EXPECT_EQ(rows[7].command, "PDO1_Res !no response");
    EXPECT_EQ(rows[7].status, "Err Ans");
}

TEST(PdoCommands, FaultyOrMissingAnswers) {
    {
        // Pre-operational devices send no PDO.
        StationHarness h;
        ASSERT_TRUE(h.Load(Header() + Step("B:PDO1", "Id:0x181,DLC:,D:") + Step("B:PDO1") + Step("B:PDO1", "None")));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        EXPECT_EQ(rows[1].command, "PDO1_Res !no response");
        EXPECT_EQ(rows[1].status, "Err Ans");
        EXPECT_EQ(rows[3].status, "ok");
        EXPECT_EQ(rows[5].status, "ok");
    }
    {
        StationHarness h(WithFaults("pdo.wrongid"));
        ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Start,N:1") + Step("B:PDO1", "Id:0x181,DLC:,D:") + Step("B:PDO1", "None")));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        EXPECT_EQ(rows[3].command, "PDO1_Res   !falscher Identifier");
        EXPECT_EQ(rows[3].id, "182");
        EXPECT_EQ(rows[3].status, "Err Ans");
        EXPECT_EQ(rows[5].command, "PDO1_Res !unexpected response");
        EXPECT_EQ(rows[5].status, "Err Ans");
    }
}

TEST(GenCommand, SendsTheFrameAndChecksTheAnswer) {
    StationHarness h;
    // An SDO upload of the vendor id, written by hand.
    ASSERT_TRUE(h.Load(Header() + Step("B:Gen,Id:0x601,DLC:8,D:Y0:0x40Y1:0x18Y2:0x10Y3:1Y4:Y5:Y6:Y7:",
                                       "Id:0x581,DLC:8,D:Y0:0x43Y1:0x18Y2:0x10Y3:1Y4:0xA2Y5:3Y6:0Y7:0") +
                       Step("B:Gen,Id:0x601,DLC:8,D:Y0:0x40Y1:0x18Y2:0x10Y3:1Y4:Y5:Y6:Y7:", "Id:0x581,DLC:8,&Vendor:YX:MYX:MYX:MYX:MY0:IY1:IY2:IY3:I") +
                       Step("B:Gen,Id:0x181,DLC:0,D:0")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].command, "Gen");
    EXPECT_EQ(rows[0].id, "601");
    EXPECT_EQ(rows[0].data, "40 18 10 01 00 00 00 00");
    EXPECT_EQ(rows[1].command, "Gen_Res");
    EXPECT_EQ(rows[1].data, "43 18 10 01 a2 03 00 00");
    EXPECT_EQ(rows[1].status, "ok");
    EXPECT_EQ(ScriptVariables().Get("Vendor"), 0x3A2u);
    // DLC 0: a remote frame.
    EXPECT_EQ(rows[4].value, "--Remote--");
    ASSERT_EQ(h.StationFrames().size(), 3u);
    EXPECT_TRUE(h.StationFrames()[2].rtr);
    // Pre-operational: no PDO answers the request, which the empty expectation accepts.
    EXPECT_EQ(rows[5].command, "Gen_Res !no response");
    EXPECT_EQ(rows[5].status, "ok");
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(GenCommand, ByteOrderTemplate) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:Gen,Id:0x123,DLC:8,D:0x12345678,Y0:MY1:MY2:MY3:MY4:Y5:Y6:Y7:", "None") +
                       Step("B:Gen,Id:0x123,DLC:4,D:0x12345678,Y0:IY1:IY2:MY3:MY4:Y5:Y6:Y7:", "None")));
    ASSERT_TRUE(h.Run());
    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].data, Bytes({0x12, 0x34, 0x56, 0x78, 0, 0, 0, 0}));
    // I takes bytes from the low end, M from the high end, both counted over all four letters.
    EXPECT_EQ(f[1].data, Bytes({0x78, 0x56, 0x56, 0x78}));
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(GenCommand, OutOfRangeFramesAreSyntaxErrorsAndNotSent) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:Gen,Id:0x181,DLC:9,D:0") + Step("B:Gen,Id:0x800,DLC:1,D:0") +
                       Step("B:Gen,Id:-1,DLC:1,D:0") + Step("B:Gen,Id:,DLC:1,D:0") + Step("B:Gen,Id:0x181,DLC:1,D") +
                       Step("B:Gen,Id:0x181,DLC:1,D:Y0:1Y1:2") + Step("B:Gen,Id:0x181,DLC:1,D:x,Y0:I")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 7u);
    for (const auto& r : rows) {
        EXPECT_EQ(r.command, "Gen    !Syntax error");
        EXPECT_EQ(r.status, "Err Syn");
    }
    EXPECT_TRUE(h.StationFrames().empty());
}

namespace {
const char* kMemoryFile =
    "[FLASH]\r\n[KOMMUNIKATION]\r\nStart: 0x0000\r\n"
    "[KONSTANTEN]\r\n"
    "SerialNr, 0x0040, long\r\n"
    "DeviceName, 0x0100, \"text\"  ; 63 characters\r\n"
    "HardwareVersion,0x140\r\n"
    "SoftwareVersion, none\r\n";
}  // namespace

TEST(WProgCommand, StringIsWrittenOneCharacterPerFrame) {
    StationHarness h;
    h.WriteFile("Memory.dat", kMemoryFile);
    ASSERT_TRUE(h.Load(Header("Memory_dat: Memory.dat\n") + Step("B:WProg,P:DeviceName,Text:\"AB\"")));
    ASSERT_TRUE(h.Run());
    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0].id, 0x7E5u);
    EXPECT_EQ(f[0].data, Bytes({0x8C, 0x80, 0x00, 0x01, 0x00, 0x41, 0x57, 0x54}));
    EXPECT_EQ(f[1].data, Bytes({0x8C, 0x80, 0x01, 0x01, 0x00, 0x42, 0x57, 0x54}));
    EXPECT_EQ(f[2].data, Bytes({0x8C, 0x80, 0x02, 0x01, 0x00, 0x00, 0x57, 0x54}));

    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].command, "WProg DeviceName");
    EXPECT_EQ(rows[0].value, "0x41000100");
    EXPECT_EQ(rows[0].ascii, "AB");
    for (size_t i = 1; i < 6; i += 2) {
        EXPECT_EQ(rows[i].command, "WProg_Res DeviceName");
        EXPECT_EQ(rows[i].id, "7e4");
        EXPECT_EQ(rows[i].status, "ok");
    }
    EXPECT_EQ(rows[4].value, "0x0102");
    EXPECT_EQ(h.ErrorCount(), 0);
    std::string name;
    h.Device().Inspect([&name](const EncoderDevice& d) { name = d.Objects().GetBytes(0x1008, 0); });
    EXPECT_EQ(name, "AB");
}

TEST(WProgCommand, NumericParameterIsOneFrame) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:WProg,P:MagNumb,V:0x1234+1") + Step("B:WProg,P:Variante,V:7")));
    ASSERT_TRUE(h.Run());
    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].data, Bytes({0x8C, 0x7F, 0x35, 0x12, 0x00, 0x00, 0x57, 0x54}));
    EXPECT_EQ(f[1].data, Bytes({0x8C, 0x16, 0x07, 0x00, 0x00, 0x00, 0x57, 0x54}));
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].value, "0x1235");
    EXPECT_EQ(rows[1].command, "WProg_Res MagNumb");
    EXPECT_EQ(rows[1].status, "ok");
    EXPECT_EQ(h.ErrorCount(), 0);
    uint32_t magnet = 0;
    h.Device().Inspect([&magnet](const EncoderDevice& d) { magnet = d.Objects().GetU32(0x2001, 0); });
    EXPECT_EQ(magnet, 0x1235u);
}

TEST(WProgCommand, BadParametersSendNothing) {
    StationHarness h;
    h.WriteFile("Memory.dat", kMemoryFile);
    h.WriteFile("NoConstants.dat", "[FLASH]\r\nDeviceName, 0x0100\r\n");
    ASSERT_TRUE(h.Load(Header("Memory_dat: Memory.dat\n") + Step("B:WProg,P:Unknown,V:1") +
                       Step("B:WProg,P:MagNumb,V:") + Step("B:WProg,P:MagNumb,V:Nothing") +
                       Step("B:WProg,P:DeviceName,Text:\"") + Step("B:WProg,P:DeviceName,Text:") +
                       Step("B:WProg,P:DeviceName") + Step("B:WProg,P:SoftwareVersion,Text:\"x\"") +
                       Step("B:WProg,P:Variante:\"x\"")));
    ASSERT_TRUE(h.Run());
    auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 8u);
    for (const auto& r : rows) {
        EXPECT_EQ(r.command.rfind("WProg", 0), 0u);
        EXPECT_NE(r.command.find("    !Syntax error"), std::string::npos) << r.command;
        EXPECT_EQ(r.status, "Err Syn");
    }
    EXPECT_TRUE(h.StationFrames().empty());

    // A memory file without the constants, and a test without a memory file.
    for (const std::string memory : {"Memory_dat: NoConstants.dat\n", ""}) {
        StationHarness g;
        g.WriteFile("NoConstants.dat", "[FLASH]\r\nDeviceName, 0x0100\r\n");
        ASSERT_TRUE(g.Load(Header(memory) + Step("B:WProg,P:DeviceName,Text:\"AB\"")));
        ASSERT_TRUE(g.Run());
        rows = StepRows(g);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].status, "Err Syn");
        EXPECT_TRUE(g.StationFrames().empty());
    }
}

TEST(WProgCommand, FaultyAcknowledges) {
    const struct {
        const char* fault;
        const char* text;
    } cases[] = {
        {"wprog.silent", "WProg_Res !no response"},
        {"wprog.wrongid", "WProg_Res    ! wrong Identifier"},
        {"wprog.wronglen:7", "WProg_Res   ! wrong Data Length Code"},
        {"wprog.wrongdata", "WProg_Res   ! wrong data"},
    };
    for (const auto& c : cases) {
        StationHarness h(WithFaults(c.fault));
        ASSERT_TRUE(h.Load(Header() + Step("B:WProg,P:MagNumb,V:1")));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        ASSERT_EQ(rows.size(), 2u) << c.fault;
        EXPECT_EQ(rows[1].command, std::string(c.text) + " MagNumb") << c.fault;
        EXPECT_EQ(rows[1].status, "Err Ans") << c.fault;
    }
    // The device refuses an address outside the text: error byte 3, one remark per bad byte.
    StationHarness h;
    h.WriteFile("Memory.dat", "[KONSTANTEN]\r\nDeviceName, 0x0300\r\n");
    ASSERT_TRUE(h.Load(Header("Memory_dat: Memory.dat\n") + Step("B:WProg,P:DeviceName,Text:\"A\"")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].command, "WProg_Res   ! wrong data DeviceName");
    EXPECT_EQ(rows[1].data, "8c 03 00 00 00 00 00 00");
    EXPECT_EQ(rows[1].status, "Err Ans");
    EXPECT_EQ(h.ErrorCount(), 2);
}

TEST(WaitForIdCommand, WaitsForTheFrameWithinHalfASecond) {
    EncoderOptions o;
    o.bootDelayMs = 300;
    StationHarness h(o);
    ASSERT_TRUE(h.Load(Header() + Step("B:NMT_Reset,N:1", "None") + Step("B:WaitForId", "Id:0x701,DLC:1,D:0") +
                       Step("B:NMT_Reset,N:1", "None") + Step("B:WaitForId", "Id:0x701,DLC:1,D:5") +
                       Step("B:WaitForId", "Id:0x701,DLC:,D:") + Step("B:WaitForId", "Id:Nope")));
    ASSERT_TRUE(h.Run());
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[2].command, "WaitForId  Id: 0x701");
    EXPECT_EQ(rows[2].rt, "T");
    EXPECT_EQ(rows[2].id, "701");
    EXPECT_EQ(rows[2].data, "00");
    EXPECT_EQ(rows[2].status, "ok");
    // A frame that does not match, no frame at all, and an identifier that does not parse.
    EXPECT_EQ(rows[5].command, "WaitForId  Id: 0x701   !falsche Daten");
    EXPECT_EQ(rows[5].status, "Err Syn");
    EXPECT_EQ(rows[6].command, "WaitForId  Id: 0x701");
    EXPECT_EQ(rows[6].status, "Err Syn");
    EXPECT_EQ(rows[7].status, "Err Syn");
    EXPECT_EQ(h.ErrorCount(), 3);
}

TEST(WaitForIdCommand, GivesUpAfterHalfASecondOfVirtualTime) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:WaitForId", "Id:0x123,DLC:,D:")));
    const uint64_t start = h.Time().NowUs();
    ASSERT_TRUE(h.Run());
    const uint64_t elapsedMs = (h.Time().NowUs() - start) / 1000;
    EXPECT_GE(elapsedMs, 500u);
    EXPECT_LT(elapsedMs, 600u);
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].command, "WaitForId  Id: 0x123");
    EXPECT_EQ(rows[0].status, "Err Syn");
}
