#include "StationFixture.h"

namespace {
class LoaderTest : public StationFixture {};
}  // namespace

TEST_F(LoaderTest, NodeBlockSetsTheVariables) {
    ASSERT_TRUE(LoadTestFile(WriteTest({}, "25"), true));
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 2u);  // 500 kbit/s
    EXPECT_EQ(ScriptVariables().Get("NodeId"), 5u);
    EXPECT_EQ(ScriptVariables().Get("VendorId"), 0x4Au);
    EXPECT_EQ(ScriptVariables().Get("EMCId"), 0x85u);
    EXPECT_EQ(ScriptVariables().Get("Timer"), 25u);
    EXPECT_FALSE(ScriptVariables().Find("Srdo1Id"));  // optional and missing
    EXPECT_TRUE(CurrentTest().testLoaded);
    EXPECT_TRUE(op.calls.empty());
}

TEST_F(LoaderTest, BitRateOutsideTheTableFailsTheLoad) {
    std::string text = "Test file\r\n" + NodeBlock() + "[BEFEHLE]\r\n";
    text.replace(text.find("Baudrate: 500"), 13, "Baudrate: 300");
    EXPECT_FALSE(LoadTestFile(WriteFile("bad.tst", text), true));
    EXPECT_EQ(op.Messages(),
              (std::vector<std::string>{"Loading test file: Error reading test file\nHeader could not be read"}));
    EXPECT_FALSE(CurrentTest().testLoaded);
    // The block ended at once: no later key was read.
    EXPECT_FALSE(ScriptVariables().Find("NodeId"));
}

TEST_F(LoaderTest, RequiredKeysAndTheSerialNumber) {
    ScriptVariables().Set("SerialNr", 1234);
    ASSERT_TRUE(LoadTestFile(WriteTest({}), true));
    EXPECT_EQ(ScriptVariables().Get("SerialNr"), 1234u);  // "Seriennummer: 0" leaves it

    std::string text = "Test file\r\n" + NodeBlock() + "[BEFEHLE]\r\n";
    text.replace(text.find("Seriennummer: 0"), 15, "Seriennummer: 77");
    ASSERT_TRUE(LoadTestFile(WriteFile("serial.tst", text), false));
    EXPECT_EQ(ScriptVariables().Get("SerialNr"), 77u);

    // A required key that is missing or not a number fails the load, silently without messages.
    std::string missing = "Test file\r\n" + NodeBlock() + "[BEFEHLE]\r\n";
    missing.replace(missing.find("SyncId: "), 8, "Sync:   ");
    EXPECT_FALSE(LoadTestFile(WriteFile("missing.tst", missing), false));
    std::string notNumber = "Test file\r\n" + NodeBlock() + "SRDO1_ID: none\r\n[BEFEHLE]\r\n";
    EXPECT_FALSE(LoadTestFile(WriteFile("nan.tst", notNumber), false));
    EXPECT_TRUE(op.calls.empty());
}

TEST_F(LoaderTest, InstructionBlocksWithAndWithoutAnswers) {
    const std::string path = WriteTest({"free text is ignored", "[B]", "B:NMT_Start,N:1", "[B]",
                                        "B:Gen,Id:0x181 , DLC:2,D:Y0:1Y1:2Y2:Y3:Y4:Y5:Y6:Y7:,Y0:I", "[A]",
                                        "None", "; comment", "[B]", "B:Sync,Anzahl:3", "[A] answer follows",
                                        "Id:0x185,DLC:4,&Pos:Y0:IY1:IY2:IY3:I", "[B]"});
    ASSERT_TRUE(LoadTestFile(path, true));
    const auto& ins = CurrentTest().instructions;
    ASSERT_EQ(ins.size(), 4u);
    EXPECT_EQ(ins[0].command, "B:NMT_Start");
    EXPECT_EQ(ins[0].param1, "N:1");
    EXPECT_EQ(ins[0].expectedId, "");
    EXPECT_EQ(ins[0].lineNumber, 16u);  // "[B]" is the 16th line (1-based)
    EXPECT_EQ(ins[1].param1, "Id:0x181");
    EXPECT_EQ(ins[1].param2, "DLC:2");
    EXPECT_EQ(ins[1].param3, "D:Y0:1Y1:2Y2:Y3:Y4:Y5:Y6:Y7:");
    EXPECT_EQ(ins[1].param4, "Y0:I");
    EXPECT_EQ(ins[1].expectedId, "None");
    EXPECT_EQ(ins[1].expectedLen, "");
    EXPECT_EQ(ins[2].expectedId, "Id:0x185");
    EXPECT_EQ(ins[2].expectedLen, "DLC:4");
    EXPECT_EQ(ins[2].expectedData, "&Pos:Y0:IY1:IY2:IY3:I");
    // A "[B]" on the last line gives an empty record (it runs as an unknown command).
    EXPECT_EQ(ins[3].command, "");
}

TEST_F(LoaderTest, LfOnlyFilesAndALastLineWithoutEnd) {
    std::string text = "Test file\n" + NodeBlock() + "[BEFEHLE]\n[B]\nB:Marke,Name:A\n[B]\nB:Marke,Name:B";
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    ASSERT_TRUE(LoadTestFile(WriteFile("lf.tst", text), true));
    ASSERT_EQ(CurrentTest().instructions.size(), 2u);
    EXPECT_EQ(CurrentTest().instructions[1].command, "B:Marke");
    EXPECT_EQ(CurrentTest().instructions[1].param1, "Name:B");
}

TEST_F(LoaderTest, MissingFilesAndSections) {
    EXPECT_FALSE(LoadTestFile(dir.File("nowhere.tst"), true));
    EXPECT_EQ(op.Messages().back(), "Loading test file: File not found.\n" + dir.File("nowhere.tst"));
    EXPECT_FALSE(LoadTestFile(WriteFile("empty.tst", ""), true));
    EXPECT_EQ(op.Messages().back(), "Loading test file: Error reading test file\nError reading test file");
    EXPECT_FALSE(LoadTestFile(WriteFile("nocmd.tst", "x\r\n" + NodeBlock()), true));
    EXPECT_EQ(op.Messages().back(), "Loading test file: Error reading test file\nInstruction array could not be created");
    // "[BEFEHLE]" must be the whole line.
    EXPECT_FALSE(LoadTestFile(WriteFile("near.tst", NodeBlock() + " [BEFEHLE]\r\n"), false));
}

TEST_F(LoaderTest, MemoryFileIsReadFromTheTestFolder) {
    WriteFile("Memory.dat", "[KONSTANTEN]\r\nDeviceName,0x100\r\n");
    const std::string text = "x\r\n" + NodeBlock() + "Memory_dat: Memory.dat\r\n[BEFEHLE]\r\n";
    ASSERT_TRUE(LoadTestFile(WriteFile("mem.tst", text), true));
    EXPECT_EQ(CurrentTest().memoryLines, (std::vector<std::string>{"[KONSTANTEN]", "DeviceName,0x100"}));

    const std::string bad = "x\r\n" + NodeBlock() + "Memory_dat: Nowhere.dat\r\n[BEFEHLE]\r\n";
    EXPECT_FALSE(LoadTestFile(WriteFile("nomem.tst", bad), true));
    const auto messages = op.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("Loading memory file: File not found: " + dir.File("Nowhere.dat") +
                                    "\nWorking directory: ",
                                0),
              0u);
    EXPECT_EQ(messages[1], "Loading test file: Error reading test file\nHeader could not be read");
}

TEST_F(LoaderTest, LongLinesAreCut) {
    const std::string longParam = "B:Marke,Name:" + std::string(600, 'L');
    ASSERT_TRUE(LoadTestFile(WriteTest({"[B]", longParam}), true));
    EXPECT_EQ(CurrentTest().instructions[0].param1.size(), 255u - 8u);  // the line is cut at 255
}

TEST_F(LoaderTest, OpenTestFileShowsTheNoticeAndKeepsTheHistory) {
    const std::string path = WriteTest({"[B]", "B:Marke,Name:A"}, "10", "prod.v2.tst");
    WriteFile("prod.txt", "Bitte Geh\xe4use schlie\xdf" "en.\r\n");
    AppConfiguration().SetValue("[TEST_DAT_1]", "other.tst");
    ASSERT_TRUE(OpenTestFile(path, true));
    ASSERT_EQ(op.calls.size(), 1u);
    EXPECT_EQ(op.calls[0].kind, "notice");
    EXPECT_EQ(op.calls[0].title, "WICHTIGE MITTEILUNG");
    EXPECT_EQ(op.calls[0].text, "Bitte Geh\xc3\xa4use schlie\xc3\x9f" "en.\r\n");
    EXPECT_EQ(view.lastStatus, "ready");
    EXPECT_EQ(view.lastColor, StatusColor::Green);
    EXPECT_EQ(view.statusBar, path);
    EXPECT_EQ(view.history[0], path);
    EXPECT_EQ(view.history[1], "other.tst");
    EXPECT_EQ(AppConfiguration().Value("[TEST_DAT_1]"), path);
    EXPECT_EQ(AppConfiguration().Value("[ARBEITSVERZEICHNIS]"), dir.Path());
    EXPECT_EQ(QDir::currentPath().toStdString(), dir.Path());

    EXPECT_FALSE(OpenTestFile(dir.File("gone.tst"), false));
    EXPECT_EQ(view.statusBar, "no test file loaded");
    EXPECT_FALSE(CurrentTest().testLoaded);
    EXPECT_FALSE(OpenTestFile("", true));
}

TEST_F(LoaderTest, ContinuityBlockReaderSeesTheLines) {
    std::vector<std::string> seen;
    SetContinuityBlockReader([&](const std::vector<std::string>& lines) { seen = lines; });
    ASSERT_TRUE(LoadTestFile(WriteTest({"[KONTUP]", "Aufloesung: 8192"}), true));
    EXPECT_NE(std::find(seen.begin(), seen.end(), "Aufloesung: 8192"), seen.end());
}
