// "SDO_DownInitExped" and "SDO_DownInit" end to end: the simulated encoder (and a scripted
// server for answers it never gives), the rows of the protocol and the frames on the bus.

#include <gtest/gtest.h>

#include <cstdio>

#include "SdoTestSupport.h"

namespace {
std::string ObjectBytes(StationHarness& h, uint16_t index) {
    std::string bytes;
    h.Device().Inspect([&](const EncoderDevice& d) { bytes = d.Objects().GetBytes(index, 0); });
    return bytes;
}

std::string HexOf(size_t bytes) {
    std::string text;
    for (size_t i = 0; i < bytes; ++i) text += "41";
    return text;
}
}  // namespace

TEST(SdoExpeditedDownload, LengthDecidesTheSpecifierAndTheBytes) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_DownInitExped,Index:100C,Sub:0,Value:0x1234,Len:2") +
                    Step("B:SDO_DownInitExped,Index:2000,Sub:0,Value:1,Len:1") +
                    Step("B:SDO_DownInitExped,Index:3000,Sub:0,Value:0x11223344") +
                    // Three bytes are too few for this object: the device refuses them.
                    Step("B:SDO_DownInitExped,Index:3000,Sub:0,Value:0x556677,Len:3", "Error:Err_DattypTooLow") +
                    Step("B:SDO_UpInit,Index:100C,Sub:0", "V:0x1234") +
                    Step("B:SDO_UpInit,Index:3000,Sub:0", "V:0x11223344"));
    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 6u);
    EXPECT_EQ(f[0].id, 0x601u);
    EXPECT_EQ(f[0].data, Bytes({0x2B, 0x0C, 0x10, 0x00, 0x34, 0x12, 0x00, 0x00}));
    EXPECT_EQ(f[1].data, Bytes({0x2F, 0x00, 0x20, 0x00, 0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(f[2].data, Bytes({0x23, 0x00, 0x30, 0x00, 0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(f[3].data, Bytes({0x27, 0x00, 0x30, 0x00, 0x77, 0x66, 0x55, 0x00}));
    const auto rows = StepRows(h);
    EXPECT_EQ(rows[0].command, "SDO_DownInitExped 100C 0");
    EXPECT_EQ(rows[0].value, "0x1234");
    EXPECT_EQ(rows[0].rt, "T");
    EXPECT_EQ(rows[1].command, "SDO_DownInit_Res 100c 0");
    EXPECT_EQ(rows[1].rt, "R");
    EXPECT_EQ(rows[1].data, "60 0c 10 00 00 00 00 00");
    EXPECT_EQ(h.ErrorCount(), 0) << ::testing::PrintToString(Outline(h));
}

TEST(SdoExpeditedDownload, ParameterErrorsSendNothing) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_DownInitExped,Index:100C,Sub:0,5,Len:2") +
                    Step("B:SDO_DownInitExped,Index:100C,Sub:0,Value:NoSuchName,Len:2") +
                    Step("B:SDO_DownInitExped,Index:100C,Sub:0,Value:,Len:2") +
                    Step("B:SDO_DownInitExped,Index:100C,Sub:0,Value:1,Len:5") +
                    Step("B:SDO_DownInitExped,Index:100C,Sub:0,Value:1,Len:0") +
                    Step("B:SDO_DownInitExped,Index:100C,Sub:0,Value:1,Len:two") +
                    Step("B:SDO_DownInitExped,Index100C,Sub:0,Value:1") +
                    Step("B:SDO_DownInitExped,Index:zz,Sub:0,Value:1") +
                    Step("B:SDO_DownInitExped,Index:100C,Sub0,Value:1") +
                    Step("B:SDO_DownInitExped,Index:100C,Sub:100,Value:1") +
                    Step("B:SDO_DownInitExped,Index:&NoSuchName,Sub:0,Value:1"));
    EXPECT_TRUE(h.StationFrames().empty());
    const std::vector<std::string> expected{
        "SDO_DownInitExped  ! Syntax error wrong parameter 100C 0 | Err Syn",
        "SDO_DownInitExped   ! Syntax error 100C 0 | Err Syn",
        "SDO_DownInitExped   ! Syntax error 100C 0 | Err Syn",
        "SDO_DownInitExped  !falsche Datenlaenge 100C 0 | Err Syn",
        "SDO_DownInitExped  !falsche Datenlaenge 100C 0 | Err Syn",
        "SDO_DownInitExped  !falsche Datenlaenge 100C 0 | Err Syn",
        " ! Syntax error index | Err Syn",
        " ! Syntax error index | Err Syn",
        " ! Syntax error subindex | Err Syn",
        " ! Subindex greater than 255 | Err Syn",
        " ! Syntax error index | Err Syn",
    };
    EXPECT_EQ(Outline(h), expected);
    EXPECT_EQ(h.ErrorCount(), 11);
}

TEST(SdoExpeditedDownload, ExpectationsOfTheConfirmationAndOfAborts) {
    StationHarness h;
    const std::string ok = "B:SDO_DownInitExped,Index:3000,Sub:0,Value:7";
    const std::string ro = "B:SDO_DownInitExped,Index:1000,Sub:0,Value:7";
    const std::string wide = "B:SDO_DownInitExped,Index:100C,Sub:0,Value:7,Len:4";
    RunSteps(h, Step(ok, "Error:Err_onlyRead") + Step(ok, "T:") + Step(ok, "T:abc") + Step(ok, "None") +
                    Step(ro, "Error:Err_onlyRead") + Step(ro, "Error:Err_General") + Step(wide) +
                    Step(ro, "Any"));
    const std::vector<std::string> expected{
        "SDO_DownInitExped 3000 0 | ok",
        "SDO_DownInit_Res 3000 0 | Err Ans",
        "SDO_DownInitExped 3000 0 | ok",
        "SDO_DownInit_Res 3000 0 | ok",
        "SDO_DownInitExped 3000 0 | ok",
        "SDO_DownInit_Res 3000 0 | Err Syn",
        "SDO_DownInitExped 3000 0 | ok",
        "SDO_DownInit_Res 3000 0 | Err Ans",
        "SDO_DownInitExped 1000 0 | ok",
        "SDO_Abort  !Err_onlyRead 1000 0 | ok",
        "SDO_DownInitExped 1000 0 | ok",
        "SDO_Abort  !Err_onlyRead 1000 0 | Err Ans",
        "SDO_DownInitExped 100C 0 | ok",
        "SDO_Abort  !Err_DattypTooHigh 100c 0 | SDO Error",
        "SDO_DownInitExped 1000 0 | ok",
        "SDO_Abort | ok",
        "    SDO_Abort | ok",
    };
    EXPECT_EQ(Outline(h), expected);
    EXPECT_EQ(StepRows(h)[13].value, "0x06070012");
}

TEST(SdoExpeditedDownload, SilenceFaultsAndOddAnswers) {
    {
        StationHarness h({}, false);
        RunSteps(h, Step("B:SDO_DownInitExped,Index:3000,Sub:0,Value:7", "None") +
                        Step("B:SDO_DownInitExped,Index:3000,Sub:0,Value:7"));
        const std::vector<std::string> expected{
            "SDO_DownInitExped 3000 0 | ok", "keine Antwort | ok",        "    SDO_Abort | ok",
            "SDO_DownInitExped 3000 0 | ok", "keine Antwort | SDO Error", "    SDO_Abort | ok",
        };
        EXPECT_EQ(Outline(h), expected);
        EXPECT_EQ(TimeOf(h, 1), TimeOf(h, 2));
    }
    {
        StationHarness h(WithFaults("sdo.wrongdata"));
        RunSteps(h, Step("B:SDO_DownInitExped,Index:3000,Sub:0,Value:7"));
        const std::vector<std::string> expected{"SDO_DownInitExped 3000 0 | ok",
                                                "SDO_DownInit_Res !R\xFC" "ckgabe != NULL 3000 0 | SDO Error"};
        EXPECT_EQ(Outline(h), expected);
        EXPECT_EQ(h.StationFrames().size(), 1u);  // finished without an abort
    }
    {
        StationHarness h(WithFaults("sdo.wrongid"));
        RunSteps(h, Step("B:SDO_DownInitExped,Index:3000,Sub:0,Value:7"));
        const std::vector<std::string> expected{"SDO_DownInitExped 3000 0 | ok", "falscher Identifier | SDO Error",
                                                "    SDO_Abort | ok"};
        EXPECT_EQ(Outline(h), expected);
    }
    {
        StationHarness h({}, false);
        ScriptedSdoServer server(h.Bus());
        server.Then(Answer({0x60, 0x01, 0x30, 0x00, 0, 0, 0, 0}));
        server.Silence();
        server.Then(Answer({0x80, 0x00, 0x30, 0x01, 0x00, 0x00, 0x02, 0x06}));
        server.Silence();
        server.Then(Answer({0x80, 0x00, 0x30, 0x00, 0x01, 0x00, 0x00, 0x00}));
        server.Then(Answer({0x20, 0x00, 0x30, 0x00, 0, 0, 0, 0}));
        const std::string dl = "B:SDO_DownInitExped,Index:3000,Sub:0,Value:7";
        RunSteps(h, Step(dl) + Step(dl) + Step(dl, "Error:Err_General") + Step(dl));
        const std::vector<std::string> expected{
            "SDO_DownInitExped 3000 0 | ok",
            "falscher Index 3001 0 | SDO Error",
            "    SDO_Abort | ok",
            "SDO_DownInitExped 3000 0 | ok",
            "falscher Subindex 3000 1 | SDO Error",
            "    SDO_Abort | ok",
            "SDO_DownInitExped 3000 0 | ok",
            "SDO_Abort   ! Syntax errorfalscher Abbruchcode 3000 0 | SDO Error",
            "SDO_DownInitExped 3000 0 | ok",
            "unbekannte Antwort 3000 0 | SDO Error",
        };
        EXPECT_EQ(Outline(h), expected);
    }
}

TEST(SdoSegmentedDownload, StringWithAZeroByte) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_DownInit,Index:2011,Sub:0,Text:\"AB\\0C\""));
    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].data, Bytes({0x21, 0x11, 0x20, 0x00, 0x04, 0x00, 0x00, 0x00}));
    EXPECT_EQ(f[1].data, Bytes({0x07, 0x41, 0x42, 0x00, 0x43, 0x00, 0x00, 0x00}));
    const auto rows = StepRows(h);
    const std::vector<std::string> expected{"SDO_DownInit 2011 0 | ok", "SDO_DownInit_Res | ok",
                                            "    SDO_DownSegment_Last | ok", "SDO_DownSegment_Res | ok"};
    EXPECT_EQ(Outline(h), expected);
    EXPECT_EQ(rows[0].value, "0x4");
    EXPECT_EQ(rows[2].ascii, "AB");
    EXPECT_EQ(TimeOf(h, 1), TimeOf(h, 2));
    EXPECT_EQ(ObjectBytes(h, 0x2011), std::string("AB\0C", 4));
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(SdoSegmentedDownload, SegmentsAlternateTheToggleBit) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_DownInit,Index:2011,Sub:0,Text:\"The quick brown fox\"") +
                    Step("B:SDO_DownInit,Index:2011,Sub:0,Text:\"\""));
    const auto& f = h.StationFrames();
    ASSERT_EQ(f.size(), 6u);
    EXPECT_EQ(f[0].data, Bytes({0x21, 0x11, 0x20, 0x00, 19, 0, 0, 0}));
    EXPECT_EQ(f[1].data, Bytes({0x00, 'T', 'h', 'e', ' ', 'q', 'u', 'i'}));
    EXPECT_EQ(f[2].data, Bytes({0x10, 'c', 'k', ' ', 'b', 'r', 'o', 'w'}));
    EXPECT_EQ(f[3].data, Bytes({0x05, 'n', ' ', 'f', 'o', 'x', 0, 0}));
    // An empty string: size 0 and one empty last segment.
    EXPECT_EQ(f[4].data, Bytes({0x21, 0x11, 0x20, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(f[5].data, Bytes({0x0F, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ObjectBytes(h, 0x2011), "");
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(SdoSegmentedDownload, BytesOfAHexTextFile) {
    StationHarness h;
    h.WriteFile("data.hex", "414243444546474849");
    h.WriteFile("spoiled.hex", "41ZZ42\r\n");
    RunSteps(h, Step("B:SDO_DownInit,Index:2011,Sub:0,D:\"\",File:\"data.hex\"") +
                    Step("B:SDO_UpInit,Index:2011,Sub:0", "File:\"data.hex\"") +
                    Step("B:SDO_DownInit,Index:2011,Sub:0,D:\"\",File:\"spoiled.hex\""));
    const auto& f = h.StationFrames();
    ASSERT_GE(f.size(), 3u);
    EXPECT_EQ(f[0].data, Bytes({0x21, 0x11, 0x20, 0x00, 9, 0, 0, 0}));
    EXPECT_EQ(f[1].data, Bytes({0x00, 'A', 'B', 'C', 'D', 'E', 'F', 'G'}));
    EXPECT_EQ(f[2].data, Bytes({0x1B, 'H', 'I', 0, 0, 0, 0, 0}));
    EXPECT_EQ(ObjectBytes(h, 0x2011), "AB");
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(SdoSegmentedDownload, ParameterErrorsSendNothing) {
    StationHarness h;
    h.WriteFile("huge.hex", HexOf(4097));
    RunSteps(h, Step("B:SDO_DownInit,Index:2011,Sub:0,Text:abc") + Step("B:SDO_DownInit,Index:2011,Sub:0,Text:\"abc") +
                    Step("B:SDO_DownInit,Index:2011,Sub:0,abc") +
                    Step("B:SDO_DownInit,Index:2011,Sub:0,D:\"\",File:\"missing.hex\"") +
                    Step("B:SDO_DownInit,Index:2011,Sub:0,D:,File:\"huge.hex\"") +
                    Step("B:SDO_DownInit,Index:2011,Sub:0,D:\"\",File:\"huge.hex\""));
    EXPECT_TRUE(h.StationFrames().empty());
    const std::vector<std::string> expected{
        "SDO_DownInit !Falsche Parameter 2011 0 | Err Syn", "SDO_DownInit !Falsche Parameter 2011 0 | Err Syn",
        "SDO_DownInit !Falsche Parameter 2011 0 | Err Syn", "SDO_DownInit !Falsche Parameter 2011 0 | Err Syn",
        "SDO_DownInit !Falsche Parameter 2011 0 | Err Syn", "SDO_DownInit !falsche Datenlaenge 2011 0 | Err Syn",
    };
    EXPECT_EQ(Outline(h), expected);
}

TEST(SdoSegmentedDownload, AbortsOfTheDevice) {
    StationHarness h;
    h.WriteFile("full.hex", HexOf(4096));
    const std::string name = "B:SDO_DownInit,Index:1008,Sub:0,T:\"Other name\"";
    RunSteps(h, Step(name, "Error:Err_onlyRead") + Step(name) + Step(name, "Error:Err_General") +
                    Step("B:SDO_DownInit,Index:2011,Sub:0,D:\"\",File:\"full.hex\"", "Error:Err_DattypTooHigh"));
    const std::vector<std::string> expected{
        "SDO_DownInit 1008 0 | ok",
        "SDO_Abort  !Err_onlyRead 1008 0 | ok",
        "SDO_DownInit 1008 0 | ok",
        "SDO_Abort 1008 0 | Err Ans",
        "SDO_DownInit 1008 0 | ok",
        "SDO_Abort  !Err_onlyRead 1008 0 | Err Ans",
        "SDO_DownInit 2011 0 | ok",
        "SDO_Abort  !Err_DattypTooHigh 2011 0 | ok",
    };
    EXPECT_EQ(Outline(h), expected);
    EXPECT_EQ(StepRows(h)[3].value, "0x06010002");
    // The device ended each transfer itself.
    EXPECT_EQ(h.StationFrames().size(), 4u);
}

TEST(SdoSegmentedDownload, AcceptedWhereAnAbortWasExpected) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_DownInit,Index:2011,Sub:0,T:\"taken\"", "Error:Err_onlyRead"));
    const auto rows = StepRows(h);
    EXPECT_EQ(rows.back().command, "SDO_DownSegment_Res");
    EXPECT_EQ(rows.back().status, "Err Ans");
    EXPECT_EQ(h.ErrorCount(), 1);
}

TEST(SdoSegmentedDownload, WrongToggleAndSilence) {
    {
        StationHarness h(WithFaults("sdo.toggle"));
        RunSteps(h, Step("B:SDO_DownInit,Index:2011,Sub:0,T:\"0123456789\""));
        const std::vector<std::string> expected{
            "SDO_DownInit 2011 0 | ok",
            "SDO_DownInit_Res | ok",
            "    SDO_DownSegment | ok",
            "SDO_DownSegment_Res !Togglebit Fehler | SDO Error",
            "    SDO_Abort | ok",
        };
        EXPECT_EQ(Outline(h), expected);
        EXPECT_EQ(TimeOf(h, 3), TimeOf(h, 4));
        EXPECT_EQ(h.StationFrames().back().data, Bytes({0x80, 0, 0, 0, 0, 0, 0, 0}));
    }
    {
        // "None" does not excuse a download.
        StationHarness h({}, false);
        RunSteps(h, Step("B:SDO_DownInit,Index:2011,Sub:0,T:\"x\"", "None"));
        const std::vector<std::string> expected{"SDO_DownInit 2011 0 | ok", "keine Antwort | SDO Error",
                                                "    SDO_Abort | ok"};
        EXPECT_EQ(Outline(h), expected);
    }
    {
        StationHarness h(WithFaults("sdo.wrongid"));
        RunSteps(h, Step("B:SDO_DownInit,Index:2011,Sub:0,T:\"x\""));
        EXPECT_EQ(StepRows(h)[1].command, "falscher Identifier");
        EXPECT_EQ(StepRows(h)[2].command, "    SDO_Abort");
    }
}

TEST(SdoSegmentedDownload, FileChangedBeforeTheConfirmation) {
    StationHarness h({}, false);
    ScriptedSdoServer server(h.Bus());
    const std::string path = h.WriteFile("data.hex", "4142");
    int initiates = 0;
    server.SetReply([&](const BusFrame& r) -> std::vector<BusFrame> {
        if ((r.data[0] & 0xE0) != 0x20) return {};
        // The first transfer's file grows past the buffer, the second one's disappears.
        if (++initiates == 1) h.WriteFile("data.hex", HexOf(4097));
        else std::remove(path.c_str());
        return {Answer({0x60, 0x11, 0x20, 0x00, 0, 0, 0, 0})};
    });
    const std::string dl = "B:SDO_DownInit,Index:2011,Sub:0,D:\"\",File:\"data.hex\"";
    ASSERT_TRUE(h.Load(Header() + Step(dl)));
    ASSERT_TRUE(h.Run());
    const std::vector<std::string> grown{
        "SDO_DownInit 2011 0 | ok",
        "SDO_DownInit_Res !falsche Datenlaenge 2011 0 | SDO Error",
        "    SDO_Abort | ok",
    };
    EXPECT_EQ(Outline(h), grown);
    h.WriteFile("data.hex", "4142");
    ASSERT_TRUE(h.Run());
    const std::vector<std::string> gone{
        "SDO_DownInit 2011 0 | ok",
        "SDO_DownInit_Res !Falsche Parameter 2011 0 | Err Syn",
    };
    EXPECT_EQ(Outline(h), gone);
    // Nothing more goes to a device whose transfer has no data left.
    EXPECT_EQ(server.Requests().size(), 3u);
}

TEST(SdoSegmentedDownload, OddAnswers) {
    StationHarness h({}, false);
    ScriptedSdoServer server(h.Bus());
    server.Then(Answer({0x60, 0x11, 0x20, 0x00, 0, 0, 0, 0}));
    server.Then(Answer({0x40, 0x11, 0x20, 0x00, 0, 0, 0, 0}));  // an upload answer
    server.Silence();
    server.Then(Answer({0x80, 0x11, 0x20, 0x00, 0x78, 0x56, 0x34, 0x12}));
    server.Then(Answer({0x80, 0x10, 0x20, 0x00, 0x00, 0x00, 0x02, 0x06}));
    server.Silence();
    const std::string dl = "B:SDO_DownInit,Index:2011,Sub:0,T:\"x\"";
    RunSteps(h, Step(dl) + Step(dl, "Error:Err_General") + Step(dl, "Error:Err_General"));
    const std::vector<std::string> expected{
        "SDO_DownInit 2011 0 | ok",
        "SDO_DownInit_Res | ok",
        "    SDO_DownSegment_Last | ok",
        "unbekannte Antwort | SDO Error",
        "    SDO_Abort | ok",
        "SDO_DownInit 2011 0 | ok",
        "SDO_Abort  !falscher Abbruchcode 2011 0 | SDO Error",
        "SDO_DownInit 2011 0 | ok",
        "falscher Index 2010 0 | SDO Error",
        "    SDO_Abort | ok",
    };
    EXPECT_EQ(Outline(h), expected);
}
