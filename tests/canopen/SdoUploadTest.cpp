// "SDO_UpInit" end to end: the simulated encoder (and a scripted server for answers it never
// gives), the rows of the protocol and the frames on the bus.

#include <gtest/gtest.h>

#include "FileText.h"
#include "SdoTestSupport.h"

TEST(SdoUpload, ExpeditedTwoBytesAreReadAndCompared) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_DownInitExped,Index:100C,Sub:0,Value:0x1234,Len:2") +
                    Step("B:SDO_UpInit,Index:100C,Sub:0", "Value:0x1234") +
                    Step("B:SDO_UpInit,Index:100C,Sub:0", "Value:0x1235") +
                    Step("B:SDO_UpInit,Index:100C,Sub:0", "Value:4660,Len:4") +
                    Step("B:SDO_UpInit,Index:100C,Sub:0", "Value:,Len:2"));
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[2].command, "SDO_UpInit 100C 0");
    EXPECT_EQ(rows[2].rt, "T");
    EXPECT_EQ(rows[2].id, "601");
    EXPECT_EQ(rows[2].data, "40 0c 10 00 00 00 00 00");
    EXPECT_EQ(rows[3].command, "SDO_UpExp_Length_Res 100c 0");
    EXPECT_EQ(rows[3].rt, "R");
    EXPECT_EQ(rows[3].id, "581");
    EXPECT_EQ(rows[3].dlc, "8");
    EXPECT_EQ(rows[3].data, "4b 0c 10 00 34 12 00 00");
    EXPECT_EQ(rows[3].value, "4660");
    EXPECT_EQ(rows[3].ascii, "4\x12");
    EXPECT_EQ(rows[3].status, "ok");
    EXPECT_EQ(rows[5].status, "Err Ans");  // another value
    EXPECT_EQ(rows[7].command, "SDO_UpExp_Length_Res  !Data length 100c 0");
    EXPECT_EQ(rows[7].status, "Err Ans");
    EXPECT_EQ(rows[9].status, "ok");  // any value of two bytes
    EXPECT_EQ(h.ErrorCount(), 2);
    // A finished expedited upload sends nothing more.
    EXPECT_EQ(h.StationFrames().size(), 5u);
}

TEST(SdoUpload, CapturesTheValueIntoAVariable) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_UpInit,Index:1018,Sub:4", "&Serial") + Step("B:SDO_UpInit,Index:6000,Sub:0", "&Ops"));
    EXPECT_EQ(ScriptVariables().Get("Serial"), 0x12345678u);
    EXPECT_EQ(ScriptVariables().Get("Ops"), 4u);
    EXPECT_EQ(StepRows(h)[1].value, "305419896");
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(SdoUpload, IndexFromAVariableOrANumber) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header() + Step("B:SDO_UpInit,Index:&Obj,Sub:2", "Value:0x5813") +
                       Step("B:SDO_UpInit,Index:&4120,Sub:1", "Value:0x3A2")));
    ScriptVariables().Set("Obj", 0x1018);
    ASSERT_TRUE(h.Run());
    ASSERT_EQ(h.StationFrames().size(), 2u);
    EXPECT_EQ(h.StationFrames()[0].data, Bytes({0x40, 0x18, 0x10, 0x02, 0, 0, 0, 0}));
    EXPECT_EQ(h.StationFrames()[1].data, Bytes({0x40, 0x18, 0x10, 0x01, 0, 0, 0, 0}));
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(SdoUpload, ErrorExpectationsAreJudgedByTheAbortName) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_UpInit,Index:6010,Sub:0", "Error:Err_ObjectNotExist") +
                    Step("B:SDO_UpInit,Index:1018,Sub:9", "Error:Err_ObjectNotExist") +
                    Step("B:SDO_UpInit,Index:1018,Sub:9") + Step("B:SDO_UpInit,Index:1018,Sub:9", "Value:5") +
                    Step("B:SDO_UpInit,Index:1018,Sub:1", "Error:Err_ObjectNotExist"));
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[1].command, "SDO_Abort:   !Err_ObjectNotExist 6010 0");
    EXPECT_EQ(rows[1].value, "0x06020000");
    EXPECT_EQ(rows[1].status, "ok");
    EXPECT_EQ(rows[3].command, "SDO_Abort:   !Err_SubIndexNotExist 1018 9");
    EXPECT_EQ(rows[3].value, "0x06090011");
    EXPECT_EQ(rows[3].status, "Err Ans");
    EXPECT_EQ(rows[5].status, "SDO Error");  // an abort nobody expected
    EXPECT_EQ(rows[7].status, "Err Ans");    // a value was expected
    EXPECT_EQ(rows[9].status, "Err Ans");    // an abort was expected, a value came
    EXPECT_EQ(h.ErrorCount(), 4);
    // The device ended those transfers itself: no abort is sent back.
    for (const auto& f : h.StationFrames()) EXPECT_EQ(f.data[0], 0x40);
}

TEST(SdoUpload, AbortSwitchOfTheSimulatorMeetsItsName) {
    StationHarness h(WithFaults("sdo.abort:1018:01:08000022"));
    RunSteps(h, Step("B:SDO_UpInit,Index:1018,Sub:1", "Error:Err_DataNotStoredDevice") +
                    Step("B:SDO_UpInit,Index:1018,Sub:1", "Error:Err_General"));
    const auto rows = StepRows(h);
    EXPECT_EQ(rows[1].status, "ok");
    EXPECT_EQ(rows[3].command, "SDO_Abort:   !Err_DataNotStoredDevice 1018 1");
    EXPECT_EQ(rows[3].status, "Err Ans");
}

TEST(SdoUpload, SegmentedTenBytes) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_DownInit,Index:2011,Sub:0,Text:\"0123456789\"") + Step("B:SDO_UpInit,Index:2011,Sub:0"));
    const auto rows = StepRows(h);
    // Download: initiate, confirm, two segments with their confirmations; then the upload.
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[6].command, "SDO_UpInit 2011 0");
    EXPECT_EQ(rows[7].command, "SDO_UpNormal_Length_Res 2011 0");
    EXPECT_EQ(rows[7].data, "41 11 20 00 0a 00 00 00");
    EXPECT_EQ(rows[7].value, "10");
    EXPECT_EQ(rows[8].command, "    SDO_UpSeg");
    EXPECT_EQ(rows[8].data, "60 00 00 00 00 00 00 00");
    EXPECT_EQ(rows[9].command, "SDO_UpSeg_Res");
    EXPECT_EQ(rows[9].data, "00 30 31 32 33 34 35 36");
    EXPECT_EQ(rows[9].ascii, "0123456");
    EXPECT_EQ(rows[10].data, "70 00 00 00 00 00 00 00");
    EXPECT_EQ(rows[11].command, "SDO_UpSeg_Res_Last");
    EXPECT_EQ(rows[11].data, "19 37 38 39 00 00 00 00");
    EXPECT_EQ(rows[11].ascii, "789");
    for (const auto& r : rows) EXPECT_EQ(r.status, "ok") << r.command;
    // Each segment request leaves in the tick that judged the answer before it.
    EXPECT_EQ(TimeOf(h, 7), TimeOf(h, 8));
    EXPECT_EQ(TimeOf(h, 9), TimeOf(h, 10));
    EXPECT_NE(TimeOf(h, 8), TimeOf(h, 9));
}

TEST(SdoUpload, SegmentedDataAgainstStringsAndFiles) {
    StationHarness h;
    h.WriteFile("same.hex", "30313233343536373839");
    h.WriteFile("prefix.hex", "30313233");
    // One byte 0 more: the cleared buffer behind the data must not count as received.
    h.WriteFile("longer.hex", "3031323334353637383900");
    h.WriteFile("other.hex", "30313233343536373830");
    const std::string up = "B:SDO_UpInit,Index:2011,Sub:0";
    RunSteps(h, Step("B:SDO_DownInit,Index:2011,Sub:0,Text:\"0123456789\"") +  //
                    Step(up, "Text:\"0123456789\"") + Step(up, "Text:\"0123\"") + Step(up, "Text:\"\"") +
                    Step(up, "Text:") + Step(up, "Text:0123456789") + Step(up, "File:\"same.hex\"") +
                    Step(up, "File:\"prefix.hex\"") + Step(up, "File:\"longer.hex\"") + Step(up, "File:\"other.hex\"") +
                    Step(up, "File:\"missing.hex\"") + Step(up, "FileOut:\"out.hex\"") + Step(up, "None") +
                    Step(up, "Error:Err_General"));
    std::vector<std::string> verdicts;
    for (const auto& r : StepRows(h))
        if (r.command.starts_with("SDO_UpSeg_Res_Last")) verdicts.push_back(r.status);
    const std::vector<std::string> expected{"ok",      "Err Ans", "ok",      "ok",      "Err Syn",
                                            "ok",      "ok",      "Err Ans", "Err Ans", "Err Ans",
                                            "ok",      "Err Ans", "Err Ans"};
    EXPECT_EQ(verdicts, expected);
    std::string out;
    ASSERT_EQ(ReadFileBytes(h.Folder() + "/out.hex", out, 1000), FileReadResult::Ok);
    EXPECT_EQ(out, "30313233343536373839");
}

TEST(SdoUpload, ErrorExpectedButTheTransferBegins) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_UpInit,Index:1008,Sub:0", "Error:Err_ObjectNotExist"));
    const auto rows = StepRows(h);
    EXPECT_EQ(rows[1].command, "SDO_UpNormal_Length_Res 1008 0");
    EXPECT_EQ(rows[1].status, "Err Ans");
    EXPECT_EQ(rows.back().status, "Err Ans");
}

TEST(SdoUpload, ManySegmentsOfTheProductionLog) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_UpInit,Index:2012,Sub:0", "FileOut:\"log.hex\""));
    EXPECT_EQ(h.ErrorCount(), 0);
    // 4000 bytes: 571 segments of 7 and a last one of 3, each asked for once.
    EXPECT_EQ(h.StationFrames().size(), 1u + 572u);
    std::string hex;
    ASSERT_EQ(ReadFileBytes(h.Folder() + "/log.hex", hex, 10000), FileReadResult::Ok);
    ASSERT_EQ(hex.size(), 8000u);
    EXPECT_EQ(hex.substr(0, 6), "414243");
}

TEST(SdoUpload, WrongToggleIsAbortedInTheSameTick) {
    StationHarness h(WithFaults("sdo.toggle"));
    RunSteps(h, Step("B:SDO_UpInit,Index:1008,Sub:0"));
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[3].command, "SDO_UpSeg_Res !Togglebit Fehler");
    EXPECT_EQ(rows[3].data.substr(0, 2), "10");
    EXPECT_EQ(rows[3].status, "SDO Error");
    EXPECT_EQ(rows[4].command, "    SDO_Abort");
    EXPECT_EQ(rows[4].rt, "T");
    EXPECT_EQ(rows[4].data, "80 00 00 00 00 00 00 00");
    EXPECT_EQ(rows[4].status, "ok");
    EXPECT_EQ(TimeOf(h, 3), TimeOf(h, 4));
    EXPECT_EQ(h.ErrorCount(), 1);
    EXPECT_EQ(h.StationFrames().back().data, Bytes({0x80, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SdoUpload, SecondSegmentWithTheSameToggle) {
    StationHarness h({}, false);
    ScriptedSdoServer server(h.Bus());
    server.Then(Answer({0x41, 0x11, 0x20, 0x00, 20, 0, 0, 0}));
    server.Then(Answer({0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g'}));
    server.Then(Answer({0x00, 'h', 'i', 'j', 'k', 'l', 'm', 'n'}));
    RunSteps(h, Step("B:SDO_UpInit,Index:2011,Sub:0"));
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[5].command, "SDO_UpSeg_Res !Togglebit Fehler");
    EXPECT_EQ(rows[6].command, "    SDO_Abort");
    EXPECT_EQ(rows[6].data, "80 00 00 00 00 00 00 00");
    EXPECT_EQ(TimeOf(h, 5), TimeOf(h, 6));
    EXPECT_EQ(h.ErrorCount(), 1);
}

TEST(SdoUpload, ToggleOfTheLastSegmentIsNotChecked) {
    StationHarness h({}, false);
    ScriptedSdoServer server(h.Bus());
    server.Then(Answer({0x41, 0x11, 0x20, 0x00, 10, 0, 0, 0}));
    server.Then(Answer({0x00, '0', '1', '2', '3', '4', '5', '6'}));
    server.Then(Answer({0x09, '7', '8', '9', 0, 0, 0, 0}));  // toggle 0 where 1 was due
    RunSteps(h, Step("B:SDO_UpInit,Index:2011,Sub:0", "T:\"0123456789\""));
    EXPECT_EQ(StepRows(h).back().command, "SDO_UpSeg_Res_Last");
    EXPECT_EQ(h.ErrorCount(), 0);
}

TEST(SdoUpload, SizeChecksOfSegmentedTransfers) {
    // Announced 0 bytes; announced 5 bytes but 7 come; announced 10 but the last segment ends at 8;
    // size not announced and more than one segment; size not announced and a single last segment.
    StationHarness h({}, false);
    ScriptedSdoServer server(h.Bus());
    server.Then(Answer({0x41, 0x11, 0x20, 0x00, 0, 0, 0, 0}));
    server.Silence();  // the abort
    server.Then(Answer({0x41, 0x11, 0x20, 0x00, 5, 0, 0, 0}));
    server.Then(Answer({0x00, 1, 2, 3, 4, 5, 6, 7}));
    server.Silence();
    server.Then(Answer({0x41, 0x11, 0x20, 0x00, 10, 0, 0, 0}));
    server.Then(Answer({0x00, 1, 2, 3, 4, 5, 6, 7}));
    server.Then(Answer({0x1B, 8, 9, 0, 0, 0, 0, 0}));
    server.Then(Answer({0x40, 0x11, 0x20, 0x00, 0, 0, 0, 0}));
    server.Then(Answer({0x00, 1, 2, 3, 4, 5, 6, 7}));
    server.Silence();
    server.Then(Answer({0x40, 0x11, 0x20, 0x00, 0, 0, 0, 0}));
    server.Then(Answer({0x0B, 'o', 'k', 0, 0, 0, 0, 0}));
    const std::string up = "B:SDO_UpInit,Index:2011,Sub:0";
    RunSteps(h, Step(up) + Step(up) + Step(up) + Step(up) + Step(up, "T:\"ok\""));
    const auto rows = StepRows(h);
    std::vector<std::string> texts;
    for (const auto& r : rows) texts.push_back(r.command + " | " + r.status);
    const std::vector<std::string> expected{
        "SDO_UpInit 2011 0 | ok",
        "falsche Datenlaenge 2011 0 | SDO Error",
        "    SDO_Abort | ok",
        "SDO_UpInit 2011 0 | ok",
        "SDO_UpNormal_Length_Res 2011 0 | ok",
        "    SDO_UpSeg | ok",
        "SDO_UpSeg_Res !falsche Datenlaenge | SDO Error",
        "    SDO_Abort | ok",
        "SDO_UpInit 2011 0 | ok",
        "SDO_UpNormal_Length_Res 2011 0 | ok",
        "    SDO_UpSeg | ok",
        "SDO_UpSeg_Res | ok",
        "    SDO_UpSeg | ok",
        "SDO_UpSeg_Res_Last !falsche Datenlaenge | SDO Error",
        "SDO_UpInit 2011 0 | ok",
        "SDO_UpNormal_Res 2011 0 | ok",
        "    SDO_UpSeg | ok",
        "SDO_UpSeg_Res !falsche Datenlaenge | SDO Error",
        "    SDO_Abort | ok",
        "SDO_UpInit 2011 0 | ok",
        "SDO_UpNormal_Res 2011 0 | ok",
        "    SDO_UpSeg | ok",
        "SDO_UpSeg_Res_Last | ok",
    };
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(rows[6].ascii, "\x01\x02\x03\x04\x05\x06\x07");
}

TEST(SdoUpload, NoMoreThanTheBufferHolds) {
    StationHarness h({}, false);
    ScriptedSdoServer server(h.Bus());
    // 4096 announced and sent: fits exactly. Then 4096 announced, 4102 sent: stopped before the
    // buffer's end. Then 5000 announced: refused at once.
    size_t transfer = 0, sent = 0;
    server.SetReply([&](const BusFrame& r) -> std::vector<BusFrame> {
        const uint8_t ccs = r.data[0] & 0xE0;
        if (ccs == 0x40) {
            ++transfer;
            sent = 0;
            const uint32_t size = transfer == 3 ? 5000 : 4096;
            return {Answer({0x41, 0x11, 0x20, 0x00, static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8), 0, 0})};
        }
        if (ccs != 0x60) return {};
        const size_t total = transfer == 1 ? 4096 : 4102;
        const size_t n = std::min<size_t>(7, total - sent);
        sent += n;
        const bool last = sent == total;
        BusFrame f = Answer({static_cast<uint8_t>((r.data[0] & 0x10) | ((7 - n) << 1) | (last ? 1 : 0)), 'x', 'x', 'x',
                             'x', 'x', 'x', 'x'});
        return {f};
    });
    const std::string up = "B:SDO_UpInit,Index:2011,Sub:0";
    RunSteps(h, Step(up, "FileOut:\"full.hex\"") + Step(up) + Step(up));
    std::string hex;
    ASSERT_EQ(ReadFileBytes(h.Folder() + "/full.hex", hex, 100000), FileReadResult::Ok);
    EXPECT_EQ(hex.size(), 2u * 4096u);
    const auto rows = StepRows(h);
    std::vector<std::string> errors;
    for (const auto& r : rows)
        if (r.status != "ok") errors.push_back(r.command + " " + r.value);
    const std::vector<std::string> expected{"SDO_UpSeg_Res !falsche Datenlaenge ",
                                            "falsche Datenlaenge 2011 0 5000"};
    EXPECT_EQ(errors, expected);
    EXPECT_EQ(h.ErrorCount(), 2);
    // Both refusals are followed by an abort.
    size_t aborts = 0;
    for (const auto& f : h.StationFrames()) aborts += f.data[0] == 0x80;
    EXPECT_EQ(aborts, 2u);
}

TEST(SdoUpload, AnswersThatDoNotFit) {
    StationHarness h({}, false);
    ScriptedSdoServer server(h.Bus());
    server.Then(Answer({0x4B, 0x12, 0x20, 0x00, 1, 2, 0, 0}));  // another index
    server.Silence();
    server.Then(Answer({0x4B, 0x11, 0x20, 0x01, 1, 2, 0, 0}));  // another subindex
    server.Silence();
    server.Then(Answer({0x80, 0x12, 0x20, 0x00, 0x00, 0x00, 0x02, 0x06}));  // abort of another object
    server.Then(Answer({0x80, 0x11, 0x20, 0x00, 0x78, 0x56, 0x34, 0x12}));  // unknown abort code
    server.Then(Answer({0xC0, 0x11, 0x20, 0x00, 0, 0, 0, 0}));              // block upload
    server.Then(Answer({0x02, 0x11, 0x20, 0x00, 0, 0, 0, 0}));              // no answer of this kind
    server.Then(Frame(0x582, {0x4B, 0x11, 0x20, 0x00, 1, 2, 0, 0}));        // another node
    server.Silence();
    const std::string up = "B:SDO_UpInit,Index:2011,Sub:0";
    RunSteps(h, Step(up) + Step(up) + Step(up) + Step(up) + Step(up) + Step(up) + Step(up));
    std::vector<std::string> texts;
    for (const auto& r : StepRows(h))
        if (r.rt == "R" || r.command == "    SDO_Abort") texts.push_back(r.command + " | " + r.value + " | " + r.status);
    const std::vector<std::string> expected{
        "falscher Index 2012 0 |  | SDO Error",
        "    SDO_Abort |  | ok",
        "falscher Subindex 2011 1 |  | SDO Error",
        "    SDO_Abort |  | ok",
        "falscher Index 2012 0 |  | SDO Error",
        "SDO_Abort: falscher Abbruchcode 2011 0 | 0x12345678 | SDO Error",
        "unbekannte Antwort |  | SDO Error",
        "unbekannte Antwort |  | SDO Error",
        "falscher Identifier |  | SDO Error",
        "    SDO_Abort |  | ok",
    };
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(h.ErrorCount(), 7);
}

TEST(SdoUpload, AbortDuringSegmentsNamesTheTransfersObject) {
    StationHarness h({}, false);
    ScriptedSdoServer server(h.Bus());
    server.Then(Answer({0x41, 0x11, 0x20, 0x00, 20, 0, 0, 0}));
    server.Then(Answer({0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g'}));
    server.Then(Answer({0x80, 0x11, 0x20, 0x00, 0x00, 0x00, 0x03, 0x05}));
    RunSteps(h, Step("B:SDO_UpInit,Index:2011,Sub:0"));
    const auto rows = StepRows(h);
    EXPECT_EQ(rows.back().command, "SDO_Abort:   !Err_Togglebit 2011 0");
    EXPECT_EQ(rows.back().status, "SDO Error");
}

TEST(SdoUpload, SilenceAndTheNoneExpectation) {
    StationHarness h({}, false);
    RunSteps(h, Step("B:SDO_UpInit,Index:1000,Sub:0", "None") + Step("B:SDO_UpInit,Index:1000,Sub:0"));
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1].command, "keine Antwort");
    EXPECT_EQ(rows[1].rt, "R");
    EXPECT_EQ(rows[1].status, "ok");
    EXPECT_EQ(rows[2].command, "    SDO_Abort");
    EXPECT_EQ(rows[2].data, "80 00 00 00 00 00 00 00");
    EXPECT_EQ(TimeOf(h, 1), TimeOf(h, 2));
    EXPECT_EQ(rows[4].status, "SDO Error");
    EXPECT_EQ(h.ErrorCount(), 1);
}

TEST(SdoUpload, NoneOrAnyWhenTheDeviceAnswers) {
    StationHarness h;
    RunSteps(h, Step("B:SDO_UpInit,Index:1000,Sub:0", "None") + Step("B:SDO_UpInit,Index:1000,Sub:0", "Any") +
                    Step("B:SDO_UpInit,Index:1000,Sub:0", "Whatever"));
    const auto rows = StepRows(h);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[1].status, "Err Ans");  // an answer came where none was expected
    EXPECT_EQ(rows[3].command, "SDO_UpExp_Length_Res");
    EXPECT_EQ(rows[3].status, "ok");
    EXPECT_EQ(rows[4].command, "    SDO_Abort");  // "Any" ends the transfer with an abort
    EXPECT_EQ(rows[6].status, "Err Ans");
}

TEST(SdoUpload, FaultsOfTheSimulatedEncoder) {
    {
        StationHarness h(WithFaults("sdo.wrongid"));
        RunSteps(h, Step("B:SDO_UpInit,Index:1000,Sub:0"));
        const auto rows = StepRows(h);
        EXPECT_EQ(rows[1].command, "falscher Identifier");
        EXPECT_EQ(rows[1].id, "582");
        EXPECT_EQ(rows[2].command, "    SDO_Abort");
    }
    {
        StationHarness h(WithFaults("sdo.silent"));
        RunSteps(h, Step("B:SDO_UpInit,Index:1000,Sub:0"));
        EXPECT_EQ(StepRows(h)[1].command, "keine Antwort");
        EXPECT_EQ(h.ErrorCount(), 1);
    }
    {
        // A spoiled value byte.
        StationHarness h(WithFaults("sdo.wrongdata"));
        RunSteps(h, Step("B:SDO_UpInit,Index:1018,Sub:2", "Value:0x5813"));
        EXPECT_EQ(StepRows(h)[1].value, "22546");
        EXPECT_EQ(StepRows(h)[1].status, "Err Ans");
        EXPECT_EQ(h.ErrorCount(), 1);
    }
    {
        // Every second answer is lost: the segment request goes unanswered.
        StationHarness h(WithFaults("sdo.drop:2"));
        RunSteps(h, Step("B:SDO_UpInit,Index:1008,Sub:0"));
        const auto rows = StepRows(h);
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(rows[3].command, "keine Antwort");
        EXPECT_EQ(rows[4].command, "    SDO_Abort");
    }
}

TEST(SdoUpload, LateAnswerIsAwaitedOnlyWhenAskedTo) {
    for (bool wait : {false, true}) {
        StationHarness h(WithFaults("sdo.late:30"));
        ASSERT_TRUE(h.Load(Header() + Step("B:SDO_UpInit,Index:1000,Sub:0", "Value:0x20196")));
        if (wait) ScriptVariables().Set("ActivatedWaitForSdoId", 1);
        // Ticks come every Timer ms and the wait lasts up to Timer ms: the answer, 30 ms after
        // the request, misses the next tick but not the wait.
        ScriptVariables().Set("Timer", 20);
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        EXPECT_EQ(rows[1].status, wait ? "ok" : "SDO Error") << wait;
    }
}

TEST(SdoUpload, WaitingPicksTheSdoAnswerAmongOtherFrames) {
    for (int64_t flag : {-1, 0, 1}) {
        StationHarness h({}, false);
        ScriptedSdoServer server(h.Bus());
        server.Then({Answer({0x43, 0x00, 0x10, 0x00, 1, 0, 0, 0}), Frame(0x181, {1, 2, 3, 4, 0, 0, 0, 0})});
        ASSERT_TRUE(h.Load(Header() + Step("B:SDO_UpInit,Index:1000,Sub:0", "Value:1")));
        if (flag >= 0) ScriptVariables().Set("ActivatedWaitForSdoId", static_cast<uint64_t>(flag));
        ASSERT_TRUE(h.Run());
        const auto rows = StepRows(h);
        if (flag == 1) {
            EXPECT_EQ(rows[1].id, "581");
            EXPECT_EQ(rows[1].status, "ok");
        } else {
            EXPECT_EQ(rows[1].command, "falscher Identifier") << flag;
            EXPECT_EQ(rows[1].id, "181");
        }
    }
}
