#include "TForm1.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <set>

#include "BefCommands.h"
#include "BenchPanel.h"
#include "CanChannel.h"
#include "Configuration.h"
#include "DesktopOperator.h"
#include "HardwareChoice.h"
#include "InteractiveInput.h"
#include "LabelColor.h"
#include "LanguageRows.h"
#include "MainLanguageTables.h"
#include "MainMenu.h"
#include "NodeControl.h"
#include "NamedTimer.h"
#include "ProtocolGridModel.h"
#include "SearchHooks.h"
#include "StationActions.h"
#include "StationIdentity.h"
#include "TestFileLoader.h"
#include "TformAbout.h"
#include "TformBaudSearch.h"
#include "TformEdit.h"
#include "TformHelp.h"
#include "TformInterAct.h"
#include "TformLoadParam.h"
#include "CurrentOperatorPort.h"
#include "ObjectsLanguageTables.h"
#include "TformCanParMem.h"
#include "TformObjects.h"
#include "TformSerNrShow.h"

namespace {
constexpr int kGridRowHeight = 15;
constexpr int kGridFontPixels = 10;
constexpr int kScrollIntervalMs = 40;

QString Q(const std::string& text) { return QString::fromStdString(text); }

QLabel* Label(QWidget* parent, const char* name, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(name);
    return label;
}

QPushButton* Button(QWidget* parent, const char* name, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(name);
    return button;
}

QFrame* Panel(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}

void Bold(QLabel* label) {
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
}

// "&" in a path would be taken as a mnemonic.
QString MenuText(const std::string& text) { return Q(text).replace("&", "&&"); }
}  // namespace

TForm1::TForm1(std::string pipeName, QWidget* parent) : QMainWindow(parent) {
    setObjectName("TForm1");
    station_ = std::make_unique<DesktopStation>(*this, std::move(pipeName));
    BuildMainMenu(menuBar());
    BuildControls();
    TestRunner& runner = station_->Runner();
    new NamedTimer(
        "pTimCAN", [&runner] { return runner.TimerActive(); }, [&runner] { return runner.IntervalMs(); }, this);
    TimerPort& control = station_->ControlTimer();
    new NamedTimer(
        "timControl", [&control] { return control.IsActive(); }, [&control] { return control.IntervalMs(); }, this);

    // The secondary windows are made once, with the main window.
    interAct_ = new TformInterAct(this);
    edit_ = new TformEdit(this);
    about_ = new TformAbout(this);
    serNrShow_ = new TformSerNrShow(this);
    loadParam_ = new TformLoadParam(this);
    baudSearch_ = new TformBaudSearch(this);
    operator_ = std::make_unique<DesktopOperator>(this, *edit_, *serNrShow_);
    RegisterObjectsLanguageTables();
    static CurrentOperatorPort toolOperator;  // the station's port, or a test's
    objects_ = new TformObjects(toolOperator, this);
    parMem_ = new TformCanParMem(toolOperator, this);
    RegisterStationAction("mnuObjects", [this] { objects_->Present(); });
    RegisterStationAction("mnuParMem", [this] { parMem_->Present(); });

    // Interactive node control and the searches, for the menus, the buttons and the script.
    nodeControl_ = std::make_unique<NodeControl>(station_->Runner(), baudSearch_->Search());
    nodeControl_->SetSearchWindow(baudSearch_);
    RegisterNodeControlActions(*nodeControl_);
    InstallSearchHooks(&baudSearch_->Search(),
                       [this](BaudNodeSearch::Kind kind) { nodeControl_->SearchStarting(kind); });

    SetOperatorPort(operator_.get());
    SetStationView(this);
    SetChannelStatusPort(this);
    SetInteractionPresenter([this](Interaction& interaction) { interAct_->Present(interaction); });
    SetNodeParameterListener([this] { RefreshNodePanel(); });
    BindActions();
}

TForm1::~TForm1() {
    RegisterStationAction("mnuObjects", nullptr);
    RegisterStationAction("mnuParMem", nullptr);
    InstallSearchHooks(nullptr);
    UnregisterNodeControlActions();
    nodeControl_.reset();
    SetNodeParameterListener(nullptr);
    SetInteractionPresenter(nullptr);
    if (&CurrentChannelStatus() == this) SetChannelStatusPort(nullptr);
    if (&CurrentStationView() == this) SetStationView(nullptr);
    if (&CurrentOperator() == operator_.get()) SetOperatorPort(nullptr);
    // The view and the model go before the grid they show.
    scrollTimer_.reset();
    delete grid_;
    delete model_;
    station_.reset();
}

void TForm1::BuildControls() {
    auto* central = new QWidget(this);
    central->setObjectName("pnlMain");
    setCentralWidget(central);

    // Test control.
    QFrame* test = Panel(central);
    test->setObjectName("pnlTest");
    QLabel* label8 = Label(test, "Label8", "Teststeuerung");
    Bold(label8);
    QPushButton* start = Button(test, "btnStart", "START");
    QPushButton* stop = Button(test, "btnStop", "STOP");
    QPushButton* next = Button(test, "btnWeiter", "WEITER");
    for (QPushButton* b : {start, stop, next}) b->setMinimumHeight(36);
    labStatus_ = Label(test, "labStatus", "");
    labStatus_->setAlignment(Qt::AlignCenter);
    labStatus_->setMinimumHeight(34);
    labStatus_->setFrameShape(QFrame::Panel);
    labStatus_->setFrameShadow(QFrame::Sunken);
    QFont statusFont = labStatus_->font();
    statusFont.setBold(true);
    statusFont.setPointSize(statusFont.pointSize() + 3);
    labStatus_->setFont(statusFont);
    auto* runButtons = new QHBoxLayout;
    runButtons->addWidget(start);
    runButtons->addWidget(stop);
    runButtons->addWidget(next);
    auto* testLayout = new QVBoxLayout(test);
    testLayout->addWidget(label8);
    testLayout->addLayout(runButtons);
    testLayout->addWidget(labStatus_);
    testLayout->addWidget(new BenchPanel(test));
    testLayout->addStretch();

    // Node parameters.
    QFrame* node = Panel(central);
    node->setObjectName("pnlNode");
    QLabel* label4 = Label(node, "Label4", "Knotensteuerung");
    Bold(label4);
    labBaudr_ = Label(node, "labBaudr", "Baudrate:");
    labNodeId_ = Label(node, "labNodeId", "Knotenadresse");
    labTimer_ = Label(node, "labTimer", "Timer");
    labTimLong_ = Label(node, "labTimLong", "Timer lang");
    labCANStat_ = Label(node, "labCANStat", "CAN Status:");
    labCANStat_->setMinimumWidth(150);
    auto* values = new QGridLayout;
    values->addWidget(Label(node, "Label3", "Baudrate [kBaud]:"), 0, 0);
    values->addWidget(labBaudr_, 0, 1);
    values->addWidget(Label(node, "Label1", "Knotenadresse:"), 1, 0);
    values->addWidget(labNodeId_, 1, 1);
    values->addWidget(Label(node, "Label7", "Timer [ms]:"), 2, 0);
    values->addWidget(labTimer_, 2, 1);
    values->addWidget(Label(node, "Label6", "Timer lang [ms]:"), 3, 0);
    values->addWidget(labTimLong_, 3, 1);
    values->addWidget(Label(node, "Label2", "CAN Status:"), 4, 0);
    values->addWidget(labCANStat_, 4, 1);
    auto* nodeLayout = new QVBoxLayout(node);
    nodeLayout->addWidget(label4);
    nodeLayout->addLayout(values);
    nodeLayout->addStretch();

    // Single commands.
    QFrame* commands = Panel(central);
    commands->setObjectName("pnlCommands");
    auto* cmd = new QGridLayout(commands);
    const char* names[5][3][2] = {
        {{"btnNodeConnect", "Verbinden"}, {"btnSearchBaud", "Baudrate"}, {"btnSearchNode", "Knoten"}},
        {{"btnStartNode", "Start"}, {"btnPreOp", "PreOp"}, {"btnStopNode", "Stop"}},
        {{"btnSync", "SYNC"}, {"btnPDO1", "PDO1"}, {"btnPDO2", "PDO2"}},
        {{"btnUpload", "Upload"}, {"btnDnLoad", "Download"}, {"Button1", "Ub"}},
        {{"btnSaveAll", "Save All"}, {"btnLoad", "Load Default"}, {nullptr, nullptr}},
    };
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c)
            if (names[r][c][0]) cmd->addWidget(Button(commands, names[r][c][0], names[r][c][1]), r, c);
    cmd->addWidget(Button(commands, "btnSaveNodeId", "Save NodeId"), 5, 0);
    cmd->addWidget(Button(commands, "btnLoadNodeId", "Load NodeId"), 5, 1);
    auto* baud = new QGroupBox("Baudrate", commands);
    baud->setObjectName("Baudrate");
    auto* baudLayout = new QGridLayout(baud);
    int k = 0;
    for (const auto& [name, text] : {std::pair{"btnBRate20k", "20k"}, std::pair{"btnBRate125k", "125k"},
                                     std::pair{"btnBRate250k", "250k"}, std::pair{"btnBRate500k", "500k"}}) {
        baudLayout->addWidget(Button(baud, name, text), k / 2, k % 2);
        ++k;
    }
    cmd->addWidget(baud, 0, 3, 3, 1, Qt::AlignTop);
    cmd->setRowStretch(6, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(test, 2);
    top->addWidget(node, 2);
    top->addWidget(commands, 5);

    // The protocol grid.
    model_ = new ProtocolGridModel(station_->Grid(), this);
    grid_ = new QTableView(central);
    grid_->setObjectName("gridProtocol");
    grid_->setModel(model_);
    QFont gridFont = grid_->font();
    gridFont.setPixelSize(kGridFontPixels);
    grid_->setFont(gridFont);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setMinimumSectionSize(kGridRowHeight);
    grid_->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    // The narrow columns hold their texts only without the default cell padding.
    grid_->setStyleSheet("QTableView::item { padding: 0px 2px; }");
    grid_->horizontalHeader()->setStretchLastSection(false);
    grid_->horizontalHeader()->setHighlightSections(false);
    for (int c = 0; c < kGridColumns; ++c) grid_->setColumnWidth(c, GridColumnWidths()[static_cast<size_t>(c)]);
    // The time must show its milliseconds whatever the font.
    const int timeWidth = grid_->fontMetrics().horizontalAdvance("00:00:000") + 8;
    grid_->setColumnWidth(COL_TIME, std::max(grid_->columnWidth(COL_TIME), timeWidth));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setWordWrap(false);
    scrollTimer_ = CreateTimer();
    scrollTimer_->SetHandler([this] { ScrollTick(); });
    connect(model_, &ProtocolGridModel::currentRowMoved, grid_, [this](int row) { ScrollToCurrentRow(row); });

    auto* layout = new QVBoxLayout(central);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);

    statusBar()->setObjectName("StatusBar1");
    labTestFile_ = Label(statusBar(), "labTestFile", "");
    statusBar()->addWidget(labTestFile_, 1);
    resize(1180, 760);
}

void TForm1::ScrollToCurrentRow(int modelRow) {
    if (scrollTimer_->IsActive()) {
        pendingScrollRow_ = modelRow;
        return;
    }
    grid_->doItemsLayout();
    grid_->scrollTo(model_->index(modelRow, 0), QAbstractItemView::EnsureVisible);
    scrollTimer_->Start(kScrollIntervalMs);
}

void TForm1::ScrollTick() {
    if (pendingScrollRow_ < 0) {
        scrollTimer_->Stop();
        return;
    }
    // Rows inserted since the last event loop pass are laid out first, or the scroll range
    // would not reach them yet.
    grid_->doItemsLayout();
    grid_->scrollTo(model_->index(pendingScrollRow_, 0), QAbstractItemView::EnsureVisible);
    pendingScrollRow_ = -1;
}

void TForm1::Bind(const char* name, std::function<void()> handler) {
    QObject* control = FindControl(this, name);
    if (auto* action = qobject_cast<QAction*>(control)) {
        connect(action, &QAction::triggered, this, [handler] { handler(); });
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        connect(button, &QPushButton::clicked, this, [handler] { handler(); });
    }
}

void TForm1::BindActions() {
    const std::set<std::string> own = {"btnStart",      "btnStop",         "btnWeiter",   "mnuLoadTest",
                                       "mnuExit",       "mnuCanEnable",    "mnuCanClose", "mnuCanReset",
                                       "mnuClearHistory", "mnuHelpContents", "mnuAbout",  "mnuHardwareChannels",
                                       "mnuLoadParams"};
    Bind("btnStart", [this] { btnStartClick(); });
    Bind("btnStop", [this] { btnStopClick(); });
    Bind("btnWeiter", [this] { btnWeiterClick(); });
    Bind("mnuLoadTest", [this] { mnuLoadTestClick(); });
    Bind("mnuExit", [this] { close(); });
    Bind("mnuCanEnable", [this] { mnuCanEnableClick(); });
    Bind("mnuCanClose", [this] { mnuCanCloseClick(); });
    Bind("mnuCanReset", [this] { mnuCanResetClick(); });
    Bind("mnuClearHistory", [this] { mnuClearHistoryClick(); });
    Bind("mnuHelpContents", [this] { mnuHelpContentsClick(); });
    Bind("mnuAbout", [this] { mnuAboutClick(); });
    Bind("mnuLoadParams", [this] { loadParam_->Present(); });
    for (int k = 0; k < kHistoryMenuEntries; ++k)
        Bind(("mnuTestDat" + std::to_string(k + 1)).c_str(), [this, k] { mnuTestDatClick(k); });
    if (auto* hardware = qobject_cast<QMenu*>(FindControl(this, "mnuHardware")))
        connect(hardware, &QMenu::aboutToShow, this, [this] { mnuHardwarePopup(); });

    // Everything else belongs to other parts of the station: enabled once they register it.
    std::vector<QObject*> controls;
    for (QAction* a : findChildren<QAction*>()) controls.push_back(a);
    for (QPushButton* b : findChildren<QPushButton*>()) controls.push_back(b);
    for (QObject* control : controls) {
        const std::string name = control->objectName().toStdString();
        if (name.empty() || own.count(name) || name.rfind("mnuTestDat", 0) == 0) continue;
        if (qobject_cast<QAction*>(control) && qobject_cast<QAction*>(control)->menu()) continue;
        // Dialog buttons are their dialogs' own.
        if (auto* b = qobject_cast<QPushButton*>(control); b && b->window() != this) continue;
        const StationAction* handler = FindStationAction(name);
        control->setProperty("enabled", handler != nullptr);
        if (handler) Bind(name.c_str(), *handler);
    }
}

StartUpResult TForm1::StartUp(const std::vector<std::string>& arguments) { return station_->StartUp(arguments); }

void TForm1::ShowRunStatus(const std::string& text, StatusColor color) {
    labStatus_->setText(Q(text));
    PaintLabel(labStatus_, color);
}

void TForm1::ShowStatusBar(const std::string& text) { labTestFile_->setText(Q(text)); }

void TForm1::RestoreWindow() {
    if (isMinimized()) showNormal();
    update();
}

void TForm1::RefreshNodePanel() {
    panel_ = NodePanelFromVariables(panel_);
    labBaudr_->setText(Q(panel_.bitRate));
    labNodeId_->setText(Q(panel_.nodeId));
    labTimer_->setText(Q(panel_.timer));
    labTimLong_->setText(Q(panel_.timerLong));
}

void TForm1::ShowTestHistory(const FileHistory& history) {
    shownHistory_ = history;
    for (int k = 0; k < kHistoryMenuEntries; ++k) {
        auto* entry = qobject_cast<QAction*>(FindControl(this, "mnuTestDat" + std::to_string(k + 1)));
        if (!entry) continue;
        const std::string& path = history[static_cast<size_t>(k)];
        entry->setText(MenuText(HistoryCaption(static_cast<size_t>(k), path)));
        entry->setVisible(!path.empty());
    }
}

void TForm1::RunEnded(RunEnd reason, int exitCode) {
    switch (reason) {
        case RunEnd::Finished:
        case RunEnd::ChannelLost: break;
        case RunEnd::Abandoned: ShowRunStatus("stopped", StatusColor::Default); break;
        case RunEnd::ProgramEnd:
            exitCode_ = exitCode;
            // Closed from the event loop, not from inside the runner's tick.
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
            break;
    }
}

void TForm1::ShowCanStatus(const std::string& text, StatusColor color) {
    labCANStat_->setText(Q(text));
    PaintLabel(labCANStat_, color);
}

void TForm1::ShowBitRate(int kbit) { labBaudr_->setText(kbit > 0 ? QString::number(kbit) : QString()); }

void TForm1::SetCaption(const std::string& caption) { setWindowTitle(Q(caption)); }

void TForm1::ApplyLanguageTables() {
    ApplyMenuLanguage(this);
    ApplyLanguage(this);
}

void TForm1::btnStartClick() { station_->Runner().StartTest(); }

void TForm1::btnStopClick() {
    station_->Runner().StopTest();
    // A program started by the test is no longer waited for.
    StopBefWaits(true);
}

void TForm1::btnWeiterClick() { station_->Runner().ContinueTest(); }

void TForm1::mnuLoadTestClick() {
    const std::string path = ChooseTestFile();
    if (path.empty()) return;
    // A running test is stopped before its instructions are replaced.
    if (station_->Runner().TimerActive()) station_->Runner().StopTest();
    OpenTestFile(path, true);
}

void TForm1::mnuTestDatClick(int index) {
    if (index < 0 || index >= kHistoryMenuEntries) return;
    const std::string path = AppConfiguration().History(HistoryList::TestFiles)[static_cast<size_t>(index)];
    if (path.empty()) return;
    if (station_->Runner().TimerActive()) station_->Runner().StopTest();
    OpenTestFile(path, true);
}

void TForm1::mnuCanEnableClick() { CanOpen(); }

void TForm1::mnuCanCloseClick() { station_->Runner().CloseChannel(); }

void TForm1::mnuCanResetClick() { station_->Runner().ResetProtocol(); }

void TForm1::mnuHardwarePopup() {
    auto* menu = qobject_cast<QMenu*>(FindControl(this, "mnuHardware"));
    if (!menu) return;
    const QList<QAction*> actions = menu->actions();
    for (int k = 1; k < actions.size(); ++k) {
        menu->removeAction(actions[k]);
        actions[k]->deleteLater();
    }
    for (const HardwareEntry& entry : ListHardwareEntries()) {
        QAction* action = menu->addAction(MenuText(entry.caption));
        action->setCheckable(true);
        action->setChecked(entry.current);
        action->setData(entry.tag);
        const int tag = entry.tag;
        const std::string caption = entry.caption;
        connect(action, &QAction::triggered, this, [this, tag, caption] { mnuHardwareEntryClick(tag, caption); });
    }
}

void TForm1::mnuHardwareEntryClick(int tag, const std::string& caption) {
    if (!ChooseHardwareEntry(tag, caption))
        CurrentOperator().ShowMessage("The CAN channel '" + caption + "' could not be selected.", "Hardware");
}

void TForm1::mnuClearHistoryClick() {
    Configuration& config = AppConfiguration();
    const FileHistory empty{};
    for (HistoryList list : {HistoryList::TestFiles, HistoryList::ProgFiles, HistoryList::EdsFiles})
        config.SetHistory(list, empty);
    ShowTestHistory(empty);
}

void TForm1::mnuHelpContentsClick() {
    const std::string manual = FindManual();
    TformHelp help(this);
    if (manual.empty() || !help.Load(manual)) {
        CurrentOperator().ShowMessage(std::string("The manual ") + kManualFileName + " was not found.", "Help");
        return;
    }
    help.exec();
}

void TForm1::mnuAboutClick() { about_->exec(); }

void TForm1::closeEvent(QCloseEvent* event) {
    station_->ShutDown();
    event->accept();
}
