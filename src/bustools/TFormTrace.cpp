#include "TFormTrace.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include "BusToolsLanguage.h"
#include "LanguageRows.h"
#include "NamedTimer.h"
#include "WidgetNames.h"
#include "TraceListModel.h"

TFormTrace::TFormTrace(OperatorPort& op, QWidget* parent) : QDialog(parent), logic_(std::make_unique<TraceLogic>(op)) {
    setObjectName("TFormTrace");
    setWindowTitle("Trace");

    memo_ = Named<QTableView>("Memo1", this);
    model_ = new TraceListModel(logic_->List(), this);
    memo_->setModel(model_);
    QFont mono("Monospace");
    mono.setStyleHint(QFont::TypeWriter);
    memo_->setFont(mono);
    memo_->verticalHeader()->hide();
    memo_->verticalHeader()->setDefaultSectionSize(16);
    memo_->horizontalHeader()->setStretchLastSection(true);
    memo_->setColumnWidth(0, 470);
    memo_->setSelectionMode(QAbstractItemView::NoSelection);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* btnStart = Named<QPushButton>("btnStart", "Star&T Trace", this);
    auto* btnStop = Named<QPushButton>("btnStop", "Sto&P Trace", this);
    auto* btnWeiter = Named<QPushButton>("btnWeiter", "&Weiter", this);
    auto* btnSend = Named<QPushButton>("btnSend", "&Send", this);
    auto* btnOperate = Named<QPushButton>("btnOperate", "Start Knoten", this);
    auto* btnPreOp = Named<QPushButton>("btnPreOp", "Pre Operational", this);
    auto* btnStatus = Named<QPushButton>("CAN_StatusB", "CAN_Status", this);
    auto* btnVersion = Named<QPushButton>("VersionInfoB", "VersionInfo", this);
    auto* btnClose = Named<QPushButton>("btnClose", "&Beenden", this);
    btnRecord_ = Named<QPushButton>("btnRecord", "Aufzeichnen...", this);
    btnRecord_->setCheckable(true);
    btnRecord_->setToolTip("Record every frame of the bus to a .log (candump), .trc (PEAK) or .asc (Vector) file");
    auto* btnLoadTrace = Named<QPushButton>("btnLoadTrace", "Laden...", this);
    edId_ = NamedEdit("edId", this, 50);
    edDLC_ = NamedEdit("edDLC", this, 30);
    for (int i = 0; i < 8; ++i) edB_[i] = NamedEdit(("edB" + std::to_string(i)).c_str(), this, 30);
    cbRemote_ = Named<QCheckBox>("cbRemote", "Remote", this);
    cbCyc_ = Named<QCheckBox>("cbCyc", "zyklisch", this);
    edCycTim_ = NamedEdit("edCycTim", this, 60);
    cbFixPos_ = Named<QCheckBox>("cbFixPos", "feste Nachrichtenposition", this);
    cbDeltaTime_ = Named<QCheckBox>("cbDeltaTime", "Relativer Zeitstempel", this);
    stbStatus_ = Named<QStatusBar>("stbStatus", this);
    stbStatus_->setSizeGripEnabled(false);

    auto* sendRow = new QHBoxLayout;
    sendRow->addWidget(Named<QLabel>("labSend", "ID, DLC, Daten (hex)", this));
    sendRow->addWidget(edId_);
    sendRow->addWidget(edDLC_);
    for (auto* e : edB_) sendRow->addWidget(e);
    sendRow->addWidget(cbRemote_);
    sendRow->addWidget(btnSend);
    sendRow->addStretch(1);
    auto* cycRow = new QHBoxLayout;
    cycRow->addWidget(cbCyc_);
    cycRow->addWidget(Named<QLabel>("labCycTim", "Zykluszeit [ms]", this));
    cycRow->addWidget(edCycTim_);
    cycRow->addWidget(cbFixPos_);
    cycRow->addWidget(cbDeltaTime_);
    cycRow->addStretch(1);
    auto* buttons = new QHBoxLayout;
    for (auto* b : {btnStart, btnStop, btnWeiter, btnOperate, btnPreOp, btnStatus, btnVersion}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(btnRecord_);
    buttons->addWidget(btnLoadTrace);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo_, 1);
    layout->addLayout(sendRow);
    layout->addLayout(cycRow);
    layout->addLayout(buttons);
    layout->addWidget(stbStatus_);
    resize(900, 560);

    connect(btnStart, &QPushButton::clicked, this, [this] { Run(&TraceLogic::btnStartClick); });
    connect(btnStop, &QPushButton::clicked, this, [this] { Run(&TraceLogic::btnStopClick); });
    connect(btnWeiter, &QPushButton::clicked, this, [this] { Run(&TraceLogic::btnWeiterClick); });
    connect(btnSend, &QPushButton::clicked, this, [this] { Run(&TraceLogic::btnSendClick); });
    connect(btnOperate, &QPushButton::clicked, this, [this] { Run(&TraceLogic::btnOperateClick); });
    connect(btnPreOp, &QPushButton::clicked, this, [this] { Run(&TraceLogic::btnPreOpClick); });
    connect(btnStatus, &QPushButton::clicked, this, [this] { Run(&TraceLogic::CAN_StatusBClick); });
    connect(btnVersion, &QPushButton::clicked, this, [this] { Run(&TraceLogic::VersionInfoBClick); });
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
    connect(btnRecord_, &QPushButton::clicked, this, [this] { Run(&TraceLogic::btnRecordClick); });
    connect(btnLoadTrace, &QPushButton::clicked, this, [this] { Run(&TraceLogic::btnLoadClick); });
    // The relative time stamp and the remote flag are read by the ticks while they run.
    connect(cbDeltaTime_, &QCheckBox::toggled, this, [this](bool on) { logic_->controls.deltaTime = on; });
    connect(cbRemote_, &QCheckBox::toggled, this, [this](bool on) { logic_->controls.remote = on; });

    TraceLogic& logic = *logic_;
    new NamedTimer(
        "Timer1", [&logic] { return logic.Timer1().IsActive(); }, [&logic] { return logic.Timer1().IntervalMs(); }, this);
    new NamedTimer(
        "timSendTim", [&logic] { return logic.SendTimer().IsActive(); },
        [&logic] { return logic.SendTimer().IntervalMs(); }, this);
    logic_->SetListener([this] { Refresh(); });
    RegisterBusToolsLanguageTables();
    ApplyLanguage(this);
    Refresh();
}

TFormTrace::~TFormTrace() { logic_->SetListener(nullptr); }

void TFormTrace::Present() {
    logic_->Activate();
    LogicToControls();
    show();
    raise();
}

void TFormTrace::closeEvent(QCloseEvent* event) {
    ControlsToLogic();
    logic_->Close();
    QDialog::closeEvent(event);
}

void TFormTrace::ControlsToLogic() {
    TraceLogic::Controls& c = logic_->controls;
    c.send.id = edId_->text().toStdString();
    c.send.dlc = edDLC_->text().toStdString();
    for (int i = 0; i < 8; ++i) c.send.bytes[i] = edB_[i]->text().toStdString();
    c.remote = cbRemote_->isChecked();
    c.cyclic = cbCyc_->isChecked();
    c.cycTime = edCycTim_->text().toStdString();
    c.fixPos = cbFixPos_->isChecked();
    c.deltaTime = cbDeltaTime_->isChecked();
}

void TFormTrace::LogicToControls() {
    const TraceLogic::Controls& c = logic_->controls;
    edId_->setText(QString::fromStdString(c.send.id));
    edDLC_->setText(QString::fromStdString(c.send.dlc));
    for (int i = 0; i < 8; ++i) edB_[i]->setText(QString::fromStdString(c.send.bytes[i]));
    cbRemote_->setChecked(c.remote);
    cbCyc_->setChecked(c.cyclic);
    edCycTim_->setText(QString::fromStdString(c.cycTime));
}

void TFormTrace::Run(void (TraceLogic::*handler)()) {
    ControlsToLogic();
    (logic_.get()->*handler)();
}

void TFormTrace::Refresh() {
    stbStatus_->showMessage(QString::fromStdString(logic_->StatusText()));
    btnRecord_->setChecked(logic_->Recording());
    if (model_->Refresh()) memo_->scrollToBottom();
}
