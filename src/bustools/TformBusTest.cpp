#include "TformBusTest.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "BusToolsLanguage.h"
#include "LanguageRows.h"
#include "NamedTimer.h"
#include "WidgetNames.h"

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

const char* const kColumnHeads[14] = {"Nr", "ID", "DLC", "RTR", "D0", "D1", "D2", "D3",
                                      "D4", "D5", "D6", "D7", "Zeit", "Flag"};

QTableWidget* Grid(const char* name, int rows, QWidget* parent) {
    auto* g = Named<QTableWidget>(name, rows, 14, parent);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    for (int c = 0; c < 14; ++c) {
        auto* head = new QTableWidgetItem(kColumnHeads[c]);
        head->setFlags(Qt::ItemIsEnabled);
        g->setItem(0, c, head);
        g->setColumnWidth(c, c == 0 ? 30 : 52);
    }
    for (int r = 1; r < rows; ++r) {
        auto* head = new QTableWidgetItem(QString::number(r));
        head->setFlags(Qt::ItemIsEnabled);
        g->setItem(r, 0, head);
    }
    return g;
}

std::string Cell(QTableWidget* g, int r, int c) {
    const QTableWidgetItem* item = g->item(r, c);
    return item ? item->text().toStdString() : std::string();
}

void SetCell(QTableWidget* g, int r, int c, const std::string& text) {
    if (QTableWidgetItem* item = g->item(r, c))
        item->setText(Q(text));
    else
        g->setItem(r, c, new QTableWidgetItem(Q(text)));
}
}  // namespace

TformBusTest::FrameEdits TformBusTest::MakeFrameEdits(const char* suffix) {
    FrameEdits f;
    const std::string s = suffix;
    f.id = NamedEdit("edId" + s, this, 50);
    f.dlc = NamedEdit("edDLC" + s, this, 30);
    for (int i = 0; i < 8; ++i) f.bytes[i] = NamedEdit("edB" + std::to_string(i) + s, this, 30);
    f.remote = Named<QCheckBox>("cbRemote" + s, "Remote", this);
    return f;
}

TformBusTest::TformBusTest(OperatorPort& op, QWidget* parent)
    : QDialog(parent), logic_(std::make_unique<BusTestLogic>(op)), generator_(op) {
    setObjectName("TformBusTest");
    setWindowTitle("BUSTEST");

    auto* menuBar = new QMenuBar(this);
    auto* tgMenu = menuBar->addMenu("TG Konfiguration");
    tgMenu->menuAction()->setObjectName("mnuTGConfig");
    QAction* laden = tgMenu->addAction("Laden");
    laden->setObjectName("mnuLaden");
    QAction* speichern = tgMenu->addAction("Speichern");
    speichern->setObjectName("mnuSpeichern");
    connect(laden, &QAction::triggered, this, [this] { logic_->mnuLadenClick(); });
    connect(speichern, &QAction::triggered, this, [this] { logic_->mnuSpeichernClick(); });

    send_ = MakeFrameEdits("");
    rec_ = MakeFrameEdits("Rec");
    auto frameBox = [this](const char* name, const char* title, const FrameEdits& f, const char* suffix) {
        auto* box = Named<QGroupBox>(name, title, this);
        auto* grid = new QGridLayout(box);
        const std::string s = suffix;
        grid->addWidget(Named<QLabel>("labId" + s, "Identifier", this), 0, 0);
        grid->addWidget(Named<QLabel>("labDLC" + s, "DLC", this), 0, 1);
        grid->addWidget(Named<QLabel>("labData" + s, "Daten", this), 0, 2, 1, 8);
        grid->addWidget(f.id, 1, 0);
        grid->addWidget(f.dlc, 1, 1);
        for (int i = 0; i < 8; ++i) grid->addWidget(f.bytes[i], 1, 2 + i);
        grid->addWidget(f.remote, 1, 10);
        return box;
    };

    edCycTim_ = NamedEdit("edCycTim", this, 60);
    edAnsTim_ = NamedEdit("edAnsTim", this, 60);
    edZyklen_ = NamedEdit("edZyklen", this, 90);
    edZyklen_->setReadOnly(true);
    auto* btnStart = Named<QPushButton>("btnStart", "Start", this);
    auto* btnWeiter = Named<QPushButton>("btnWeiter", "Weiter", this);
    auto* btnStop = Named<QPushButton>("btnStop", "Stop", this);
    auto* btnOperate = Named<QPushButton>("btnOperate", "Start Knoten", this);
    auto* btnPreOp = Named<QPushButton>("btnPreOp", "Pre Operational", this);
    auto* btnClose = Named<QPushButton>("btnClose", "&Beenden", this);
    auto* testBox = Named<QGroupBox>("gbTest", "Bustest", this);
    auto* testGrid = new QGridLayout(testBox);
    testGrid->addWidget(Named<QLabel>("labCycTim", "Sendezyklus", this), 0, 0);
    testGrid->addWidget(edCycTim_, 0, 1);
    testGrid->addWidget(Named<QLabel>("labAnsTim", "Antworzeit", this), 0, 2);
    testGrid->addWidget(edAnsTim_, 0, 3);
    testGrid->addWidget(Named<QLabel>("labZyklen", "Zyklen", this), 0, 4);
    testGrid->addWidget(edZyklen_, 0, 5);
    auto* testButtons = new QHBoxLayout;
    for (auto* b : {btnStart, btnWeiter, btnStop, btnOperate, btnPreOp}) testButtons->addWidget(b);
    testButtons->addStretch(1);
    testGrid->addLayout(testButtons, 1, 0, 1, 6);

    memo_ = Named<QListWidget>("Memo1", this);
    QFont mono("Monospace");
    mono.setStyleHint(QFont::TypeWriter);
    memo_->setFont(mono);

    edNodeId_ = NamedEdit("edNodeId", this, 60);
    edTGNumMsg_ = NamedEdit("edTGNumMsg", this, 60);
    edTGNumMsgRec_ = NamedEdit("edTGNumMsgRec", this, 60);
    edTGDelay_ = NamedEdit("edTGDelay", this, 70);
    auto* rgTGMode = Named<QGroupBox>("rgTGMode", "Betriebsart", this);
    auto* modeLayout = new QVBoxLayout(rgTGMode);
    const char* modeNames[3] = {"Zyklisch", "Trigger einzel", "Trigger zyklisch"};
    for (int i = 0; i < 3; ++i) {
        mode_[i] = Named<QRadioButton>("rbTGMode" + std::to_string(i + 1), modeNames[i], rgTGMode);
        modeLayout->addWidget(mode_[i]);
    }
    strgrMsgs_ = Grid("strgrMsgs", 11, this);
    strgrMsgsIn_ = Grid("strgrMsgsIn", 3, this);
    auto* btnUpload = Named<QPushButton>("btnUpload", "Upload", this);
    auto* updDownload = Named<QPushButton>("updDownload", "Download", this);
    auto* btnTGStart = Named<QPushButton>("btnTGStart", "TG Start", this);
    auto* btnTGStop = Named<QPushButton>("btnTGStop", "TG Stop", this);
    auto* tgBox = Named<QGroupBox>("gbGenerator", "Testgenerator", this);
    auto* tgLayout = new QGridLayout(tgBox);
    tgLayout->addWidget(Named<QLabel>("labNodeId", "Knoten-ID", this), 0, 0);
    tgLayout->addWidget(edNodeId_, 0, 1);
    tgLayout->addWidget(Named<QLabel>("labTGNumMsg", "Sendenachrichten", this), 0, 2);
    tgLayout->addWidget(edTGNumMsg_, 0, 3);
    tgLayout->addWidget(Named<QLabel>("labTGNumMsgRec", "Empfangsnachrichten", this), 0, 4);
    tgLayout->addWidget(edTGNumMsgRec_, 0, 5);
    tgLayout->addWidget(Named<QLabel>("labTGDelay", "Pause", this), 0, 6);
    tgLayout->addWidget(edTGDelay_, 0, 7);
    tgLayout->addWidget(strgrMsgs_, 1, 0, 1, 8);
    tgLayout->addWidget(strgrMsgsIn_, 2, 0, 1, 8);
    strgrMsgsIn_->setMaximumHeight(90);
    auto* tgButtons = new QVBoxLayout;
    tgButtons->addWidget(rgTGMode);
    for (auto* b : {btnUpload, updDownload, btnTGStart, btnTGStop}) tgButtons->addWidget(b);
    tgButtons->addStretch(1);
    tgLayout->addLayout(tgButtons, 1, 8, 2, 1);

    stbStatus_ = Named<QStatusBar>("stbStatus", this);
    stbStatus_->setSizeGripEnabled(false);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    closeRow->addWidget(btnClose);

    auto* top = new QHBoxLayout;
    top->addWidget(frameBox("gbSend", "Senden", send_, ""));
    top->addWidget(frameBox("gbReceive", "Empfang", rec_, "Rec"));
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(top);
    layout->addWidget(testBox);
    layout->addWidget(memo_, 1);
    layout->addWidget(tgBox, 2);
    layout->addLayout(closeRow);
    layout->addWidget(stbStatus_);
    resize(980, 820);

    connect(btnStart, &QPushButton::clicked, this, [this] { RunTest(&BusTestLogic::btnStartClick); });
    connect(btnWeiter, &QPushButton::clicked, this, [this] { RunTest(&BusTestLogic::btnWeiterClick); });
    connect(btnStop, &QPushButton::clicked, this, [this] { RunTest(&BusTestLogic::btnStopClick); });
    connect(btnOperate, &QPushButton::clicked, this, [this] { RunTest(&BusTestLogic::btnOperateClick); });
    connect(btnPreOp, &QPushButton::clicked, this, [this] { RunTest(&BusTestLogic::btnPreOpClick); });
    connect(btnUpload, &QPushButton::clicked, this, [this] { RunGenerator(&TestGeneratorPanel::btnUploadClick); });
    connect(updDownload, &QPushButton::clicked, this, [this] { RunGenerator(&TestGeneratorPanel::updDownloadClick); });
    connect(btnTGStart, &QPushButton::clicked, this, [this] { RunGenerator(&TestGeneratorPanel::btnTGStartClick); });
    connect(btnTGStop, &QPushButton::clicked, this, [this] { RunGenerator(&TestGeneratorPanel::btnTGStopClick); });
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });

    BusTestLogic& logic = *logic_;
    new NamedTimer(
        "timZyklus", [&logic] { return logic.CycleTimer().IsActive(); },
        [&logic] { return logic.CycleTimer().IntervalMs(); }, this);
    new NamedTimer(
        "timAns", [&logic] { return logic.AnswerTimer().IsActive(); },
        [&logic] { return logic.AnswerTimer().IntervalMs(); }, this);
    logic_->SetListener([this] { Refresh(); });
    RegisterBusToolsLanguageTables();
    ApplyLanguage(this);
}

TformBusTest::~TformBusTest() { logic_->SetListener(nullptr); }

void TformBusTest::Present() {
    logic_->Activate();
    LogicToControls();
    show();
    raise();
}

void TformBusTest::closeEvent(QCloseEvent* event) {
    ControlsToLogic();
    logic_->Close();
    QDialog::closeEvent(event);
}

void TformBusTest::ControlsToLogic() {
    BusTestLogic::Controls& c = logic_->controls;
    auto take = [](const FrameEdits& e, FrameFieldTexts& f, bool& remote) {
        f.id = e.id->text().toStdString();
        f.dlc = e.dlc->text().toStdString();
        for (int i = 0; i < 8; ++i) f.bytes[i] = e.bytes[i]->text().toStdString();
        remote = e.remote->isChecked();
    };
    take(send_, c.send, c.remote);
    take(rec_, c.expected, c.remoteRec);
    c.cycTime = edCycTim_->text().toStdString();
    c.ansTime = edAnsTim_->text().toStdString();
}

void TformBusTest::LogicToControls() {
    const BusTestLogic::Controls& c = logic_->controls;
    auto put = [](const FrameEdits& e, const FrameFieldTexts& f, bool remote) {
        e.id->setText(Q(f.id));
        e.dlc->setText(Q(f.dlc));
        for (int i = 0; i < 8; ++i) e.bytes[i]->setText(Q(f.bytes[i]));
        e.remote->setChecked(remote);
    };
    put(send_, c.send, c.remote);
    put(rec_, c.expected, c.remoteRec);
    edCycTim_->setText(Q(c.cycTime));
    edAnsTim_->setText(Q(c.ansTime));
}

void TformBusTest::GridsToPanel() {
    TestGeneratorPanel::Controls& c = generator_.controls;
    c.nodeId = edNodeId_->text().toStdString();
    c.numMsg = edTGNumMsg_->text().toStdString();
    c.numMsgRec = edTGNumMsgRec_->text().toStdString();
    c.delay = edTGDelay_->text().toStdString();
    c.mode = -1;
    for (int i = 0; i < 3; ++i)
        if (mode_[i]->isChecked()) c.mode = i;
    for (int r = 1; r < 11; ++r)
        for (int col = 1; col < 14; ++col) c.msgs[r][col] = Cell(strgrMsgs_, r, col);
    for (int r = 1; r < 3; ++r)
        for (int col = 1; col < 14; ++col) c.msgsIn[r][col] = Cell(strgrMsgsIn_, r, col);
}

void TformBusTest::PanelToGrids() {
    const TestGeneratorPanel::Controls& c = generator_.controls;
    edTGNumMsg_->setText(Q(c.numMsg));
    edTGNumMsgRec_->setText(Q(c.numMsgRec));
    edTGDelay_->setText(Q(c.delay));
    if (c.mode >= 0 && c.mode < 3) mode_[c.mode]->setChecked(true);
    for (int r = 1; r < 11; ++r)
        for (int col = 1; col < 14; ++col) SetCell(strgrMsgs_, r, col, c.msgs[r][col]);
    for (int r = 1; r < 3; ++r)
        for (int col = 1; col < 14; ++col) SetCell(strgrMsgsIn_, r, col, c.msgsIn[r][col]);
}

void TformBusTest::RunTest(void (BusTestLogic::*handler)()) {
    ControlsToLogic();
    (logic_.get()->*handler)();
    Refresh();
}

void TformBusTest::RunGenerator(bool (TestGeneratorPanel::*handler)()) {
    GridsToPanel();
    (generator_.*handler)();
    PanelToGrids();
}

void TformBusTest::Refresh() {
    stbStatus_->showMessage(Q(logic_->StatusText()));
    edZyklen_->setText(Q(logic_->CyclesText()));
    const auto& lines = logic_->Lines();
    if (lines.size() < shownLines_) {
        memo_->clear();
        shownLines_ = 0;
    }
    for (; shownLines_ < lines.size(); ++shownLines_) memo_->addItem(Q(lines[shownLines_]));
    if (memo_->count() > 0) memo_->scrollToBottom();
}
