#include <QProcess>
#include <QXmlStreamReader>
#include <sstream>

#include "CanInterfaceKinds.h"
#include "HeadlessSession.h"
#include "StationFixture.h"

namespace {
// quarzel-run in process, on a private virtual bus, in virtual time.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        startDir_ = QDir::currentPath();
        ResetStationState();
        static std::shared_ptr<VirtualBus> bus = VirtualBus::Create();
        CanInterfaceKind kind;
        kind.name = "headless-test";
        kind.matches = [](const std::string& v) { return v == "headless-test"; };
        kind.create = [](const std::string&, std::string&) -> std::shared_ptr<AbstractCanInterface> {
            return std::make_shared<VirtualCanInterface>(bus);
        };
        RegisterCanInterfaceKind(std::move(kind));
        WriteIni("headless-test");
    }
    void TearDown() override {
        CanClose();
        CanSetInterface(nullptr);
        ResetStationState();
        QDir::setCurrent(startDir_);
    }

    void WriteIni(const std::string& typ) {
        std::string text;
        for (const auto& entry : IniKeyTable()) {
            std::string value = "x";
            if (entry.key == "[CAN_TREIBER_TYP]") value = typ;
            if (entry.key == "[CAN_TREIBER_HWID]" || entry.key == "[CAN_TREIBER_CHANNEL]") value = "0";
            if (entry.key == "[LAST_SERIAL]") value = "10";
            text += entry.key + "\r\n" + value + "\r\n";
        }
        std::ofstream(dir.File("quarzel.ini"), std::ios::binary) << text;
    }
    std::string WriteTest(const std::vector<std::string>& commands, const std::string& name = "run.tst") {
        std::string text = "Test\r\n" + NodeBlock() + "[BEFEHLE]\r\n";
        for (const auto& c : commands) text += "[B]\r\n" + c + "\r\n";
        std::ofstream(dir.File(name), std::ios::binary) << text;
        return dir.File(name);
    }
    HeadlessOptions Options(const std::string& test) {
        HeadlessOptions o;
        o.testFile = test;
        o.iniPath = dir.File("quarzel.ini");
        return o;
    }
    // Runs a session to its end; `afterStart` runs once the run has started.
    int Run(const HeadlessOptions& o, const std::function<void(HeadlessSession&)>& afterStart = {}) {
        out.str("");
        err.str("");
        HeadlessSession session(o, out, err);
        if (session.Start()) {
            if (afterStart) afterStart(session);
            vt->RunUntil([&] { return session.Ended(); }, vt->NowUs() + 600'000'000ull);
        }
        return session.Finish();
    }

    ScopedVirtualTime vt;
    TempDir dir;
    std::ostringstream out, err;

private:
    QString startDir_;
};

std::vector<std::string> SplitLinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// One CSV line of the grid export: "cell"; per cell.
std::vector<std::string> CsvCells(const std::string& line) {
    std::vector<std::string> cells;
    size_t i = 0;
    while (i < line.size()) {
        EXPECT_EQ(line[i], '"');
        const size_t end = line.find("\";", i + 1);
        if (end == std::string::npos) {
            ADD_FAILURE() << "bad CSV line " << line;
            break;
        }
        cells.push_back(line.substr(i + 1, end - i - 1));
        i = end + 2;
    }
    return cells;
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
}  // namespace

TEST_F(HeadlessTest, APassingTestExitsZero) {
    EXPECT_EQ(Run(Options(WriteTest({"B:Marke,Name:A", "B:Marke,Name:B"}))), EXIT_PASSED);
    const auto lines = SplitLinesOf(out.str());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].substr(0, 13), "No.  Time    ");
    EXPECT_NE(lines[1].find("Marke  B:Marke  Name:A"), std::string::npos);
    EXPECT_NE(lines[3].find("Test end"), std::string::npos);
    EXPECT_EQ(lines[4], "Verdict: passed, 0 errors");
}

TEST_F(HeadlessTest, ErrorsExitOne) {
    EXPECT_EQ(Run(Options(WriteTest({"B:Unbekannt", "B:Marke,Name:B", "B:Auch_Unbekannt"}))), EXIT_FAILED);
    EXPECT_NE(out.str().find("Verdict: failed, 2 errors"), std::string::npos);
}

TEST_F(HeadlessTest, WhatCannotRunExitsTwo) {
    EXPECT_EQ(Run(Options(dir.File("missing.tst"))), EXIT_CANNOT_RUN);
    EXPECT_NE(err.str().find("File not found."), std::string::npos);
    EXPECT_NE(err.str().find("could not be loaded"), std::string::npos);

    HeadlessOptions noIni = Options(WriteTest({"B:Marke,Name:A"}));
    noIni.iniPath = dir.File("none.ini");
    EXPECT_EQ(Run(noIni), EXIT_CANNOT_RUN);
    EXPECT_NE(err.str().find("INI file not found"), std::string::npos);

    WriteIni("no-such-interface");
    EXPECT_EQ(Run(Options(WriteTest({"B:Marke,Name:A"}))), EXIT_CANNOT_RUN);
    EXPECT_NE(err.str().find("no CAN interface handles [CAN_TREIBER_TYP] \"no-such-interface\""),
              std::string::npos);
    EXPECT_EQ(out.str(), "");  // nothing ran: no rows, no verdict
}

TEST_F(HeadlessTest, ALostChannelExitsTwoAndAnEndedRunExitsOne) {
    EXPECT_EQ(Run(Options(WriteTest({"B:Marke,Name:A", "B:Marke,Name:B"})), [](HeadlessSession&) { CanClose(); }),
              EXIT_CANNOT_RUN);
    EXPECT_NE(out.str().find("Verdict: not completed (CAN channel not active), 0 errors"), std::string::npos);

    RegisterCommand(CommandFamily::Bef, "BEF_TestAbandon", [](TestInstruction&) {
        CurrentRunControl().AbandonRun();
        return true;
    });
    EXPECT_EQ(Run(Options(WriteTest({"B:BEF_TestAbandon", "B:Marke,Name:B"}))), EXIT_FAILED);
    EXPECT_NE(out.str().find("Verdict: not completed (a step ended the run), 0 errors"), std::string::npos);

    EXPECT_EQ(Run(Options(WriteTest({"B:Marke,Name:A"})), [](HeadlessSession& s) { s.TimeLimitReached(); }),
              EXIT_FAILED);
    EXPECT_NE(out.str().find("Verdict: stopped (time limit"), std::string::npos);
}

TEST_F(HeadlessTest, TheTestSetsTheExitCode) {
    int code = 0;
    RegisterCommand(CommandFamily::Bef, "BEF_TestEnde", [&](TestInstruction&) {
        CurrentRunControl().EndProgram(code);
        return true;
    });
    for (const auto& [given, expected] : std::vector<std::pair<int, int>>{{7, 7}, {0, 0}, {300, 255}, {-1, 255}}) {
        code = given;
        EXPECT_EQ(Run(Options(WriteTest({"B:BEF_TestEnde", "B:Unbekannt"}))), expected) << given;
        EXPECT_NE(out.str().find("Verdict: ended by the test with exit code " + std::to_string(expected)),
                  std::string::npos);
    }
}

TEST_F(HeadlessTest, CsvAndJUnitReportsReadBack) {
    HeadlessOptions o = Options(WriteTest({"B:Marke,Name:A", "B:Unbekannt", "B:Marke,Name:C"}, "prod & <check>.tst"));
    o.csvPath = dir.File("out.csv");
    o.junitPath = dir.File("out.xml");
    o.quiet = true;
    EXPECT_EQ(Run(o), EXIT_FAILED);
    EXPECT_EQ(out.str(), "Verdict: failed, 1 error\n");

    const auto csv = SplitLinesOf(ReadFileText(o.csvPath));
    ASSERT_EQ(csv.size(), 5u);  // titles, three instructions, "Test end"
    const auto titles = CsvCells(csv[0]);
    ASSERT_EQ(titles.size(), 18u);
    EXPECT_EQ(titles[0], "No.");
    EXPECT_EQ(titles[17], "Line");
    const auto unknown = CsvCells(csv[2]);
    ASSERT_EQ(unknown.size(), 18u);
    EXPECT_EQ(unknown[COL_STATUS], "Err Syn");
    EXPECT_EQ(unknown[COL_NO], "1");
    EXPECT_EQ(CsvCells(csv[4])[COL_COMMAND], "Test end");
    EXPECT_EQ(CsvCells(csv[4])[COL_STATUS], "1");

    QXmlStreamReader xml(QByteArray::fromStdString(ReadFileText(o.junitPath)));
    int cases = 0, failures = 0;
    QString suite, failureMessage, failureText, failedCase;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"testsuite") {
            suite = xml.attributes().value("name").toString();
            EXPECT_EQ(xml.attributes().value("tests").toString(), "3");
            EXPECT_EQ(xml.attributes().value("failures").toString(), "1");
        } else if (xml.name() == u"testcase") {
            ++cases;
            failedCase = xml.attributes().value("name").toString();
        } else if (xml.name() == u"failure") {
            ++failures;
            failureMessage = xml.attributes().value("message").toString();
            failureText = xml.readElementText();
            EXPECT_EQ(failedCase, "line 17: B:Unbekannt");
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(suite, "prod & <check>");
    EXPECT_EQ(cases, 3);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(failureMessage, "Err Syn");
    EXPECT_EQ(failureText, "Err Syn: B:Unbekannt\n");
}

TEST(HeadlessOptionsTest, ParsesAndRefuses) {
    HeadlessOptions o;
    std::string error;
    ASSERT_TRUE(ParseHeadlessOptions({"--ini", "a.ini", "--csv=out.csv", "--answer", "Serial number=42",
                                      "--answer=INITIALISIERUNG=yes", "--timeout", "30", "t.tst"},
                                     o, error))
        << error;
    EXPECT_EQ(o.iniPath, "a.ini");
    EXPECT_EQ(o.csvPath, "out.csv");
    EXPECT_EQ(o.answers.at("Serial number"), "42");
    EXPECT_EQ(o.answers.at("INITIALISIERUNG"), "yes");
    EXPECT_EQ(o.timeoutSeconds, 30);
    EXPECT_EQ(o.testFile, "t.tst");

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{}, {"--answer", "novalue", "t.tst"}, {"--bogus", "t.tst"}, {"a.tst", "b.tst"},
          {"--timeout", "soon", "t.tst"}, {"t.tst", "--csv"}}) {
        HeadlessOptions x;
        EXPECT_FALSE(ParseHeadlessOptions(bad, x, error)) << ::testing::PrintToString(bad);
        EXPECT_FALSE(error.empty());
    }
    HeadlessOptions help;
    EXPECT_TRUE(ParseHeadlessOptions({"--help"}, help, error));
    EXPECT_TRUE(help.help);
}

TEST(HeadlessOperatorTest, AnswersFromOptionsOrRefusesNamingTheOption) {
    std::ostringstream err;
    HeadlessOperator op({{"Serial number", "42"}, {"INITIALISIERUNG", "yes"}}, err);
    EXPECT_EQ(op.AskValue("Serial number", "INTERAKTION", "41"), "42");
    EXPECT_TRUE(op.AskYesNo("Software version differs", "INITIALISIERUNG"));
    EXPECT_EQ(op.Refused(), 0);

    EXPECT_EQ(op.AskValue("NodeId", "INTERAKTION", "5"), std::nullopt);
    EXPECT_NE(err.str().find("--answer \"NodeId=VALUE\""), std::string::npos);
    EXPECT_FALSE(op.AskYesNo("Continue?", "FRAGE"));
    EXPECT_NE(err.str().find("--answer \"FRAGE=yes|no\""), std::string::npos);
    EXPECT_EQ(op.Refused(), 2);

    op.ShowMessage("Line one\rLine two\r\nLine three", "TITLE");
    EXPECT_NE(err.str().find("[TITLE] Line one\nLine two\nLine three\n"), std::string::npos);
}

#ifdef QUARZEL_RUN_PROGRAM
TEST(QuarzelRunProgram, HelpMissingFileAndTheExample) {
    QProcess p;
    p.start(QUARZEL_RUN_PROGRAM, {"--help"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().contains("Exit codes:"));

    p.start(QUARZEL_RUN_PROGRAM, {"--ini", QUARZEL_EXAMPLES "/quarzel.ini", "/nonexistent/x.tst"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);

    p.start(QUARZEL_RUN_PROGRAM, {"--ini", QUARZEL_EXAMPLES "/quarzel.ini", QUARZEL_EXAMPLES "/labels-and-loops.tst"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().contains("Verdict: passed, 0 errors"));
}
#endif

TEST_F(HeadlessTest, OperatorInputComesFromAnswerOptions) {
    HeadlessOptions o = Options(WriteTest({"&SerialNr", "B:Marke,Name:After"}));
    o.answers["SerialNr"] = "1234";
    EXPECT_EQ(Run(o), EXIT_PASSED) << err.str();
    EXPECT_EQ(ScriptVariables().Get("SerialNr"), 1234u);
    EXPECT_NE(out.str().find("Parameter: SerialNr = 1234"), std::string::npos);

    // Without an answer the question is refused, named with its option, and the run ends.
    EXPECT_EQ(Run(Options(WriteTest({"&SerialNr", "B:Marke,Name:After"}))), EXIT_FAILED);
    EXPECT_NE(err.str().find("--answer \"SerialNr=VALUE\""), std::string::npos);
    EXPECT_EQ(out.str().find("Name:After"), std::string::npos);
}
