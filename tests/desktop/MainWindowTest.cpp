// The main window offscreen, driven by its controls' names, on virtual time and a private bus.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>

#include "DesktopSupport.h"
#include "ProtocolGridModel.h"
#include "ScriptedOperator.h"
#include "StationActions.h"
#include "TForm1.h"
#include "TempDir.h"
#include "VirtualTimeSource.h"
#include "WindowSupport.h"

namespace {
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        startDir_ = QDir::currentPath();
        ResetDesktopState();
        RegisterTestInterfaceKinds();
        TestBus() = VirtualBus::Create();
        device = TestBus()->CreateEndpoint("device");
        device->Open(500);
        QDir::setCurrent(QString::fromStdString(dir.Path()));
        ASSERT_TRUE(WriteBytes(dir.File("quarzel.ini"), IniText()));
        Open();
    }
    void TearDown() override {
        form.reset();
        ResetDesktopState();
        TestBus().reset();
        QDir::setCurrent(startDir_);
    }
    // Creates and starts the main window; the scripted operator answers in place of the
    // window's message boxes.
    void Open(std::vector<std::string> arguments = {}) {
        form = std::make_unique<TForm1>(dir.File("ctl"));
        SetOperatorPort(&op);
        form->StartUp(arguments);
        form->show();
    }
    std::string WriteTest(const std::string& name, const std::vector<std::string>& commands,
                          const std::string& timer = "10") {
        const std::string path = dir.File(name);
        EXPECT_TRUE(WriteBytes(path, TestFileText(commands, timer)));
        return path;
    }
    bool RunToEnd() {
        return vt->RunUntil([this] { return !Runner().TimerActive(); }, vt->NowUs() + 600'000'000ull);
    }
    TestRunner& Runner() { return form->Station().Runner(); }
    QLabel* StatusLabel() { return Control<QLabel>(form.get(), "labStatus"); }
    QString StatusText() { return StatusLabel()->text(); }
    QColor StatusColour() { return StatusLabel()->palette().color(QPalette::Window); }
    QString Cell(int gridRow, int column) {
        auto* view = form->findChild<QTableView*>("gridProtocol");
        return view->model()->data(view->model()->index(gridRow - 1, column)).toString();
    }
    QAction* History(int k) { return Control<QAction>(form.get(), "mnuTestDat" + std::to_string(k)); }

    ScopedVirtualTime vt;
    TempDir dir;
    ScriptedOperator op;
    std::shared_ptr<VirtualEndpoint> device;
    std::unique_ptr<TForm1> form;

private:
    QString startDir_;
};

const QColor kYellow(255, 255, 0), kOrange(255, 127, 0), kGreen(0, 255, 0), kRed(255, 0, 0), kGrey(128, 128, 128);
}  // namespace

TEST_F(MainWindowTest, ShowsTheStartStateInEnglish) {
    EXPECT_EQ(form->objectName(), "TForm1");
    EXPECT_EQ(form->windowTitle(), "Quarzel Version 2.45.0 for testbus");
    EXPECT_EQ(StatusText(), "no test file loaded");
    EXPECT_EQ(StatusColour(), kGrey);
    EXPECT_EQ(Control<QLabel>(form.get(), "labCANStat")->text(), "CAN is not active");
    EXPECT_EQ(Control<QLabel>(form.get(), "labTestFile")->text(), "no test file loaded");
    EXPECT_EQ(Control<QPushButton>(form.get(), "btnWeiter")->text(), "NEXT");
    EXPECT_EQ(Control<QLabel>(form.get(), "Label8")->text(), "Test control");
    EXPECT_EQ(Control<QLabel>(form.get(), "Label3")->text(), "Baudrate [kBaud]:");
    EXPECT_EQ(Control<QPushButton>(form.get(), "btnSearchBaud")->toolTip(), "Search the bitrate.");
    EXPECT_EQ(form->findChild<QGroupBox*>("Baudrate")->title(), "Baudrate");
    EXPECT_EQ(Control<QMenu>(form.get(), "mnuFile")->title(), "&File");
    EXPECT_EQ(Control<QAction>(form.get(), "mnuLoadTest")->text(), "Load &test file");
    EXPECT_EQ(Control<QAction>(form.get(), "mnuAbout")->text(), "About");
    // The store buttons keep their own captions; the long timer shows its value.
    EXPECT_EQ(Control<QPushButton>(form.get(), "btnSaveNodeId")->text(), "Save NodeId");
    EXPECT_EQ(Control<QLabel>(form.get(), "labTimLong")->text(), "2000");
    // The grid: 18 titled columns with their widths, rows 15 pixels high.
    auto* view = form->findChild<QTableView*>("gridProtocol");
    ASSERT_TRUE(view);
    EXPECT_EQ(view->model()->columnCount(), 18);
    EXPECT_EQ(view->model()->rowCount(), 999);
    EXPECT_EQ(view->model()->headerData(2, Qt::Horizontal).toString(), "Command");
    EXPECT_EQ(view->model()->headerData(17, Qt::Horizontal).toString(), "Line");
    EXPECT_EQ(view->columnWidth(2), 300);
    EXPECT_EQ(view->rowHeight(0), 15);
    // The timers: the remote-control poll runs from the start, the runner only in a run.
    QObject* timControl = form->findChild<QObject*>("timControl");
    ASSERT_TRUE(timControl);
    EXPECT_TRUE(timControl->property("active").toBool());
    EXPECT_EQ(timControl->property("interval").toInt(), 100);
    EXPECT_FALSE(form->findChild<QObject*>("pTimCAN")->property("active").toBool());
}

TEST_F(MainWindowTest, EntriesOfLaterPartsArePresentButDisabled) {
    for (const char* name : {"mnuTrace"})
        EXPECT_FALSE(Control<QAction>(form.get(), name)->isEnabled()) << name;
    // Node control and the searches come with the main window.
    for (const char* name : {"btnStartNode", "btnSync", "btnNodeConnect", "btnBRate250k", "Button1"})
        EXPECT_TRUE(Control<QPushButton>(form.get(), name)->isEnabled()) << name;
    for (const char* name : {"mnuSetBaud", "mnuSdoUpload", "mnuLssStore", "mnuNodeId", "mnuSearchNodeGuard"})
        EXPECT_TRUE(Control<QAction>(form.get(), name)->isEnabled()) << name;
    for (const char* name : {"btnStart", "btnStop", "btnWeiter"})
        EXPECT_TRUE(Control<QPushButton>(form.get(), name)->isEnabled()) << name;
    for (const char* name : {"mnuLoadTest", "mnuExit", "mnuCanEnable", "mnuCanClose", "mnuCanReset", "mnuClearHistory",
                             "mnuHelpContents", "mnuAbout", "mnuLoadParams"})
        EXPECT_TRUE(Control<QAction>(form.get(), name)->isEnabled()) << name;
}

TEST_F(MainWindowTest, ObjectToolWindowsOpenFromTheirMenuEntries) {
    for (const char* name : {"mnuObjects", "mnuParMem"}) {
        ASSERT_TRUE(Control<QAction>(form.get(), name)->isEnabled()) << name;
        Trigger(form.get(), name);
    }
    EXPECT_EQ(Control<QAction>(form.get(), "mnuParMem")->text(), "Parameter memory");
    auto* objects = form->findChild<QWidget*>("TformObjects");
    ASSERT_TRUE(objects);
    EXPECT_TRUE(objects->isVisible());
    EXPECT_EQ(objects->windowTitle(), "Load objects");
    auto* memory = form->findChild<QWidget*>("TformCanParMem");
    ASSERT_TRUE(memory);
    EXPECT_TRUE(memory->isVisible());
    // No Memory.dat in the working folder: the window says so (through the station's port).
    EXPECT_EQ(op.Messages(), std::vector<std::string>{"Load Memory.dat: File not found: Memory.dat"});
}

TEST_F(MainWindowTest, AnEntryIsEnabledOnceItsPartRegistersIt) {
    form.reset();
    int syncs = 0, traces = 0;
    RegisterStationAction("btnSync", [&] { ++syncs; });
    RegisterStationAction("mnuTrace", [&] { ++traces; });
    Open();
    ASSERT_TRUE(Control<QPushButton>(form.get(), "btnSync")->isEnabled());
    Click(form.get(), "btnSync");
    Trigger(form.get(), "mnuTrace");
    EXPECT_EQ(syncs, 1);
    EXPECT_EQ(traces, 1);
}

TEST_F(MainWindowTest, StartWithoutATestFileIsRefused) {
    Click(form.get(), "btnStart");
    EXPECT_EQ(op.Messages(), std::vector<std::string>{"START: Test file was not loaded"});
    EXPECT_FALSE(Runner().TimerActive());
    EXPECT_EQ(StatusText(), "no test file loaded");
}

TEST_F(MainWindowTest, StartStopNextShowRowsAndStatusColours) {
    ASSERT_TRUE(OpenTestFile(WriteTest("run.tst", {"B:Marke,Name:A", "B:Marke,Name:B", "B:Unbekannt",
                                                   "B:Marke,Name:C", "B:Marke,Name:D"}),
                             true));
    EXPECT_EQ(StatusText(), "ready");
    EXPECT_EQ(StatusColour(), kGreen);
    EXPECT_EQ(Control<QLabel>(form.get(), "labTestFile")->text().toStdString(), dir.File("run.tst"));
    EXPECT_EQ(Control<QLabel>(form.get(), "labBaudr")->text(), "500");
    EXPECT_EQ(Control<QLabel>(form.get(), "labNodeId")->text(), "5  (0x05)");
    EXPECT_EQ(Control<QLabel>(form.get(), "labTimer")->text(), "10");

    Click(form.get(), "btnStart");
    EXPECT_EQ(StatusText(), "active");
    EXPECT_EQ(StatusColour(), kYellow);
    EXPECT_TRUE(form->findChild<QObject*>("pTimCAN")->property("active").toBool());
    EXPECT_EQ(form->findChild<QObject*>("pTimCAN")->property("interval").toInt(), 10);
    vt->AdvanceByMs(20);
    EXPECT_EQ(Cell(1, COL_COMMAND).left(5), "Marke");
    EXPECT_EQ(Cell(2, COL_COMMAND).left(5), "Marke");
    EXPECT_EQ(StatusText(), "active");
    vt->AdvanceByMs(10);
    EXPECT_EQ(Cell(3, COL_STATUS), "Err Syn");
    EXPECT_EQ(StatusText(), "active, Error: 1");
    EXPECT_EQ(StatusColour(), kOrange);

    Click(form.get(), "btnStop");
    EXPECT_EQ(StatusText(), "stopped");
    vt->AdvanceByMs(100);
    EXPECT_TRUE(Cell(4, COL_COMMAND).isEmpty());

    Click(form.get(), "btnWeiter");
    EXPECT_EQ(StatusText(), "active");
    EXPECT_EQ(StatusColour(), kYellow);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Cell(4, COL_COMMAND).left(5), "Marke");
    EXPECT_EQ(Cell(6, COL_COMMAND), "Test end");
    EXPECT_EQ(Cell(6, COL_STATUS), "1");
    EXPECT_EQ(StatusText(), "finished");
    EXPECT_EQ(StatusColour(), kRed);

    // NEXT after the end does not start again; START begins anew.
    Click(form.get(), "btnWeiter");
    EXPECT_FALSE(Runner().TimerActive());
}

TEST_F(MainWindowTest, AFinishedRunWithoutErrorsIsGreen) {
    ASSERT_TRUE(OpenTestFile(WriteTest("ok.tst", {"B:Marke,Name:A", "B:Marke,Name:B"}), true));
    Click(form.get(), "btnStart");
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(StatusText(), "finished");
    EXPECT_EQ(StatusColour(), kGreen);
    EXPECT_EQ(Cell(3, COL_COMMAND), "Test end");
    EXPECT_EQ(Cell(3, COL_STATUS), "0");
}

TEST_F(MainWindowTest, AMinimizedWindowIsRestoredByAnErrorRow) {
    ASSERT_TRUE(OpenTestFile(WriteTest("err.tst", {"B:Marke,Name:A", "B:Marke,Name:B", "B:Unbekannt"}), true));
    form->showMinimized();
    ASSERT_TRUE(form->isMinimized());
    Click(form.get(), "btnStart");
    vt->AdvanceByMs(20);
    EXPECT_TRUE(form->isMinimized());
    vt->AdvanceByMs(10);
    EXPECT_FALSE(form->isMinimized());
}

TEST_F(MainWindowTest, OpenTestFileCaptionsTheHistoryEntries) {
    EXPECT_FALSE(History(1)->isVisible());
    const std::string a = WriteTest("a.tst", {"B:Marke,Name:A"});
    const std::string b = WriteTest("b&c.tst", {"B:Marke,Name:A"});
    ASSERT_TRUE(OpenTestFile(a, true));
    ASSERT_TRUE(OpenTestFile(b, true));
    EXPECT_EQ(History(1)->text().toStdString(), "1: " + dir.File("b&&c.tst"));
    EXPECT_EQ(History(2)->text().toStdString(), "2: " + a);
    EXPECT_TRUE(History(1)->isVisible());
    EXPECT_TRUE(History(2)->isVisible());
    EXPECT_FALSE(History(3)->isVisible());

    // Choosing an entry loads it and brings it to the top.
    Trigger(form.get(), "mnuTestDat2");
    EXPECT_EQ(CurrentTest().path, a);
    EXPECT_EQ(History(1)->text().toStdString(), "1: " + a);

    Trigger(form.get(), "mnuClearHistory");
    EXPECT_FALSE(History(1)->isVisible());
    EXPECT_EQ(AppConfiguration().Value("[TEST_DAT_1]"), "");
}

TEST_F(MainWindowTest, LoadTestFileFromTheMenuAsksForTheFile) {
    const std::string a = WriteTest("menu.tst", {"B:Marke,Name:A"});
    op.fileAnswers = {a};
    Trigger(form.get(), "mnuLoadTest");
    ASSERT_FALSE(op.calls.empty());
    EXPECT_EQ(op.calls.back().kind, "open");
    EXPECT_EQ(op.calls.back().text, "Test file  (*.tst)|*.tst");
    EXPECT_TRUE(CurrentTest().testLoaded);
    EXPECT_EQ(StatusText(), "ready");

    // A cancelled dialog changes nothing.
    op.fileAnswers = {std::nullopt};
    Trigger(form.get(), "mnuLoadTest");
    EXPECT_EQ(CurrentTest().path, a);
}

TEST_F(MainWindowTest, CanMenuClosesAndEnablesTheChannel) {
    ASSERT_TRUE(OpenTestFile(WriteTest("c.tst", {"B:Marke,Name:A"}), true));
    Trigger(form.get(), "mnuCanEnable");
    EXPECT_TRUE(CanActive);
    Trigger(form.get(), "mnuCanClose");
    EXPECT_FALSE(CanActive);
    EXPECT_EQ(Control<QLabel>(form.get(), "labCANStat")->text(), "CAN channel closed");
    Trigger(form.get(), "mnuCanReset");
    EXPECT_TRUE(CanActive);
}

TEST_F(MainWindowTest, HardwareMenuListsTheChannelsAndSwitches) {
    auto* menu = Control<QMenu>(form.get(), "mnuHardware");
    ASSERT_TRUE(menu);
    emit menu->aboutToShow();
    QList<QAction*> entries = menu->actions();
    ASSERT_GE(entries.size(), 2);
    EXPECT_FALSE(entries[0]->isEnabled());
    QAction* testBus = nullptr;
    for (QAction* a : entries)
        if (a->text() == "Test bus, HW-ID 0x00") testBus = a;
    ASSERT_TRUE(testBus);
    EXPECT_TRUE(testBus->isChecked());
    // Opening again lists afresh instead of adding.
    emit menu->aboutToShow();
    EXPECT_EQ(menu->actions().size(), entries.size());

    AppConfiguration().SetValue("[CAN_TREIBER_HWID]", "7");
    for (QAction* a : menu->actions())
        if (a->text() == "Test bus, HW-ID 0x00") a->trigger();
    EXPECT_EQ(AppConfiguration().Value("[CAN_TREIBER_HWID]"), "0x00");
    EXPECT_TRUE(op.Messages().empty());
}

TEST_F(MainWindowTest, ClosingWritesTheConfiguration) {
    ScriptVariables().Set("SerialNr", 4242);
    form->close();
    EXPECT_EQ(IniValue(ReadBytes(dir.File("quarzel.ini")), "[LAST_SERIAL]"), "4242");
    EXPECT_EQ(form->ExitCode(), 0);
}

TEST_F(MainWindowTest, ATestThatEndsTheProgramClosesTheWindowWithItsCode) {
    form->RunEnded(RunEnd::ProgramEnd, 3);
    EXPECT_TRUE(form->isVisible());
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->ExitCode(), 3);
    EXPECT_TRUE(form->Station().IsShutDown());
}

TEST_F(MainWindowTest, InteractionDialogRefusesBadInputThenSetsTheValue) {
    ASSERT_TRUE(OpenTestFile(WriteTest("ask.tst", {"&SerialNr,Frage", "B:Marke,Name:A"}), true));
    ModalWatcher watcher("TformInterAct", [&](QDialog& d) {
        auto* field = Control<QLineEdit>(&d, "edNumbr");
        EXPECT_EQ(d.windowTitle(), "INTERAKTION");
        EXPECT_EQ(Control<QLabel>(&d, "lbAnfrageText")->text(), "SerialNr");
        EXPECT_EQ(field->text(), "41");
        field->setText("");
        Click(&d, "btnOK");
        field->setText("keineZahl");
        Click(&d, "btnOK");
        EXPECT_TRUE(d.isVisible());
        field->setText("77");
        Key(field, Qt::Key_Return);
        return true;
    });
    Click(form.get(), "btnStart");
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(watcher.Done());
    EXPECT_EQ(op.Messages(), (std::vector<std::string>{"INTERAKTIVE EINGABE: No value was specified",
                                                       "INTERAKTIVE EINGABE: No number was specified"}));
    EXPECT_EQ(ScriptVariables().Get("SerialNr"), 77u);
    EXPECT_EQ(Cell(1, COL_COMMAND).left(24), "Parameter: SerialNr = 77");
    EXPECT_EQ(Cell(1, COL_VALUE), "0x4d");
    EXPECT_EQ(StatusText(), "finished");
}

TEST_F(MainWindowTest, InteractionForBaudrReopensTheChannelAtTheNewRate) {
    ASSERT_TRUE(OpenTestFile(WriteTest("baud.tst", {"&Baudr,Frage", "&Baudr,Frage"}), true));
    int shown = 0;
    ModalWatcher watcher("TformInterAct", [&](QDialog& d) {
        Control<QLineEdit>(&d, "edNumbr")->setText(shown++ == 0 ? "250" : "300");
        Click(&d, "btnOK");
        return shown == 2;
    });
    Click(form.get(), "btnStart");
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(ScriptVariables().Get("Baudr"), 3u);
    auto iface = std::dynamic_pointer_cast<VirtualCanInterface>(CanCurrentInterface());
    ASSERT_TRUE(iface);
    EXPECT_EQ(iface->CurrentBitRate(), 250);
    EXPECT_EQ(Control<QLabel>(form.get(), "labBaudr")->text(), "250");
    EXPECT_EQ(Cell(2, COL_COMMAND).left(20), "wrong baud rate: 300");
    EXPECT_EQ(Cell(2, COL_STATUS), "Err Syn");
}

TEST_F(MainWindowTest, CancelledInteractionEndsTheRun) {
    ASSERT_TRUE(OpenTestFile(WriteTest("cancel.tst", {"B:Marke,Name:A", "&Pos,Id:0x201,DLC:2,Value:Y0:IY1:MY2:0Y3:0Y4:0Y5:0Y6:0Y7:0",
                                                      "B:Marke,Name:B"}),
                             true));
    ModalWatcher watcher("TformInterAct", [&](QDialog& d) {
        Control<QLineEdit>(&d, "edNumbr")->setText("5");
        Click(&d, "btnOK");
        if (!d.isVisible()) return true;
        Key(Control<QLineEdit>(&d, "edNumbr"), Qt::Key_Escape);
        return true;
    });
    Click(form.get(), "btnStart");
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(op.Messages(),
              std::vector<std::string>{
                  "INTERAKTIVE EINGABE: Syntax error in command string of test file\nContinue with CANCEL"});
    EXPECT_EQ(Cell(2, COL_COMMAND).left(35), "Input cancelled - no further action");
    EXPECT_NE(Cell(2, COL_STATUS), "Err Syn");
    EXPECT_TRUE(Cell(3, COL_COMMAND).isEmpty());
    EXPECT_EQ(Runner().errorCount, 0);
    EXPECT_EQ(StatusText(), "stopped");
    vt->AdvanceByMs(500);
    EXPECT_TRUE(Cell(3, COL_COMMAND).isEmpty());
}

TEST_F(MainWindowTest, GridStaysAModelOverManyRows) {
    ProtocolGrid& grid = form->Station().Grid();
    auto* view = form->findChild<QTableView*>("gridProtocol");
    const std::string text = "row";
    std::array<const std::string*, kGridColumns> cells{};
    cells[COL_COMMAND] = &text;
    for (int r = 1; r <= 100'000; ++r) {
        if (grid.RowCount() - r < 50) grid.SetRowCount(grid.RowCount() + ProtocolGrid::kGrowRows);
        grid.WriteRow(r, cells);
        grid.SetCurrentRow(r);
    }
    EXPECT_GE(view->model()->rowCount(), 100'000);
    EXPECT_EQ(Cell(100'000, COL_COMMAND), "row");
    EXPECT_TRUE(Cell(100'001, COL_COMMAND).isEmpty());
    // The newest row is scrolled into view (the view follows at most every 40 ms).
    vt->AdvanceByMs(40);
    const QRect last = view->visualRect(view->model()->index(100'000 - 1, 0));
    EXPECT_TRUE(view->viewport()->rect().intersects(last));
    // Clearing empties it again.
    Runner().InitProtocolGrid();
    EXPECT_EQ(view->model()->rowCount(), 999);
    EXPECT_TRUE(Cell(1, COL_COMMAND).isEmpty());
}
