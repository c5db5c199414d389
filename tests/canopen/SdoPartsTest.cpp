// The pieces of the SDO client that other parts of the station use on their own: the request
// header, the hex text files and the menu instruction builders.

#include <gtest/gtest.h>

#include "FileText.h"
#include "NmtLssFixture.h"
#include "SdoHexFile.h"
#include "SdoInteractive.h"
#include "SdoRequest.h"

namespace {
TestInstruction Instruction(std::string command, std::string p1, std::string p2) {
    TestInstruction t;
    t.command = std::move(command);
    t.param1 = std::move(p1);
    t.param2 = std::move(p2);
    return t;
}
}  // namespace

TEST(SdoRequestHeader, FillsTheFrameOfAnyKnownRequest) {
    ScriptVariables().Set("NodeId", 5);
    tagOPEN_Message msg;
    msg.data = {0xEE, 0xEE, 0xEE, 0xEE, 0x11, 0x22, 0x33, 0x44};
    ProtocolLine line;
    ASSERT_TRUE(BuildSdoRequestHeader(Instruction("B:SDO_UpInit", "Index:650B", "Sub:0"), msg, line));
    EXPECT_EQ(msg.id, 0x605u);
    EXPECT_EQ(msg.dlc, 8u);
    EXPECT_FALSE(msg.rtr);
    // Bytes 4 to 7 are the caller's.
    EXPECT_EQ(msg.data, (std::array<uint8_t, 8>{0x40, 0x0B, 0x65, 0x00, 0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(line.commandText, "SDO_UpInit");
    EXPECT_EQ(line.extraText1, "650B");
    EXPECT_EQ(line.extraText2, "0");
    EXPECT_EQ(line.status, STATUS_OK);

    ASSERT_TRUE(BuildSdoRequestHeader(Instruction("B:SDO_Abort", "Index:0x1018", "Sub:ff"), msg, line));
    EXPECT_EQ(msg.data[0], 0x80);
    EXPECT_EQ(msg.data[1], 0x18);
    EXPECT_EQ(msg.data[3], 0xFF);
    EXPECT_EQ(SdoAnswerId(), 0x585u);
}

TEST(SdoHexTextFile, ReadsPairsAndSkipsWhatIsNoPair) {
    StationHarness h;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadHexTextFile(h.WriteFile("a.hex", "41ZZ42\r\n4a4B5"), bytes));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x41, 0x42, 0x4A, 0x4B}));
    ASSERT_TRUE(ReadHexTextFile(h.WriteFile("empty.hex", ""), bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(ReadHexTextFile(h.Folder() + "/missing.hex", bytes));
    EXPECT_FALSE(ReadHexTextFile(h.WriteFile("big.hex", std::string(kMaxHexTextFileBytes + 2, '0')), bytes));
}

TEST(SdoHexTextFile, WritesUpperCasePairsAndReplacesTheFile) {
    StationHarness h;
    const std::string path = h.WriteFile("out.hex", "old contents that are longer");
    const std::vector<uint8_t> data{0x00, 0xAB, 0x7F, 0x0C};
    ASSERT_TRUE(WriteHexTextFile(path, data));
    std::string text;
    ASSERT_EQ(ReadFileBytes(path, text, 100), FileReadResult::Ok);
    EXPECT_EQ(text, "00AB7F0C");
    std::vector<uint8_t> back;
    ASSERT_TRUE(ReadHexTextFile(path, back));
    EXPECT_EQ(back, data);
    EXPECT_FALSE(WriteHexTextFile(h.Folder() + "/no/such/folder/out.hex", data));
    EXPECT_FALSE(WriteHexTextFile("", data));
}

TEST(SdoHexTextFile, NamesAreTakenFromTheTestFilesFolder) {
    EXPECT_EQ(QuotedFileName("File:\"a b.hex\""), "a b.hex");
    EXPECT_EQ(QuotedFileName("File:\"open.hex"), "open.hex");
    EXPECT_EQ(QuotedFileName("File:plain.hex"), "");
    CurrentTest().path = "/data/tests/run.tst";
    EXPECT_EQ(TestRelativePath("d.hex"), "/data/tests/d.hex");
    EXPECT_EQ(TestRelativePath("sub\\d.hex"), "/data/tests/sub\\d.hex");
    EXPECT_EQ(TestRelativePath("/abs/d.hex"), "/abs/d.hex");
    EXPECT_EQ(TestRelativePath("C:\\abs\\d.hex"), "C:\\abs\\d.hex");
    CurrentTest().path = "C:\\tests\\run.tst";
    EXPECT_EQ(TestRelativePath("d.hex"), "C:\\tests\\d.hex");
    CurrentTest().path.clear();
    EXPECT_EQ(TestRelativePath("d.hex"), "d.hex");
}

TEST(SdoMenuInstructions, UploadAndDownloadRecordsRememberTheirTexts) {
    std::vector<std::string> captions;
    TestInstruction record;
    record.expectedId = "stale";
    ASSERT_TRUE(BuildSdoUploadInstruction(
        [&](std::vector<SdoDialogField>& fields) {
            for (const auto& f : fields) captions.push_back(f.caption);
            fields[0].text = "1018";
            fields[1].text = "4";
            return true;
        },
        record));
    EXPECT_EQ(captions, (std::vector<std::string>{"Object Index", "Object Subindex"}));
    EXPECT_EQ(record.command, "B:SDO_UpInit");
    EXPECT_EQ(record.param1, "Index:1018");
    EXPECT_EQ(record.param2, "Sub:4");
    EXPECT_TRUE(record.expectedId.empty());

    // The next opening offers the last texts; a cancelled dialog changes neither them nor the record.
    std::vector<std::string> offered;
    EXPECT_FALSE(BuildSdoUploadInstruction(
        [&](std::vector<SdoDialogField>& fields) {
            for (const auto& f : fields) offered.push_back(f.text);
            fields[0].text = "9999";
            return false;
        },
        record));
    EXPECT_EQ(offered, (std::vector<std::string>{"1018", "4"}));
    EXPECT_EQ(record.param1, "Index:1018");
    offered.clear();
    BuildSdoUploadInstruction(
        [&](std::vector<SdoDialogField>& fields) {
            for (const auto& f : fields) offered.push_back(f.text);
            return false;
        },
        record);
    EXPECT_EQ(offered, (std::vector<std::string>{"1018", "4"}));

    captions.clear();
    ASSERT_TRUE(BuildSdoDownloadInstruction(
        [&](std::vector<SdoDialogField>& fields) {
            for (const auto& f : fields) captions.push_back(f.caption);
            fields[0].text = "100C";
            fields[1].text = "0";
            fields[2].text = "0x1234";
            fields[3].text = "2";
            return true;
        },
        record));
    EXPECT_EQ(captions,
              (std::vector<std::string>{"Object Index", "Object Subindex", "Value", "Data length (1...4)"}));
    EXPECT_EQ(record.command, "B:SDO_DownInitExped");
    EXPECT_EQ(record.param3, "Value:0x1234");
    EXPECT_EQ(record.param4, "Len:2");
    EXPECT_FALSE(BuildSdoDownloadInstruction(nullptr, record));
}

TEST(SdoMenuInstructions, RunAsSingleCommands) {
    StationHarness h;
    ASSERT_TRUE(h.Load(Header()));
    ASSERT_TRUE(CanOpen());
    TestInstruction& record = CurrentRun().interactiveInstructions[0];
    auto runOne = [&] {
        h.Runner().RunInteractiveCommand(10);
        ASSERT_TRUE(h.Time().RunUntil([&] { return !h.Runner().TimerActive(); }, h.Time().NowUs() + 10'000'000));
    };
    ASSERT_TRUE(BuildSdoDownloadInstruction(
        [](std::vector<SdoDialogField>& f) {
            f[0].text = "100C";
            f[1].text = "0";
            f[2].text = "0x1234";
            f[3].text = "2";
            return true;
        },
        record));
    runOne();
    ASSERT_TRUE(BuildSdoUploadInstruction(
        [](std::vector<SdoDialogField>& f) {
            f[0].text = "100C";
            f[1].text = "0";
            return true;
        },
        record));
    runOne();
    const auto rows = StepRows(h);
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(rows[0].command, "SDO_DownInitExped 100C 0");
    EXPECT_EQ(rows[0].data, "2b 0c 10 00 34 12 00 00");
    EXPECT_EQ(rows[1].command, "SDO_DownInit_Res 100c 0");
    EXPECT_EQ(rows.back().command, "SDO_UpExp_Length_Res 100c 0");
    EXPECT_EQ(rows.back().value, "4660");
    EXPECT_EQ(h.ErrorCount(), 0);
}
