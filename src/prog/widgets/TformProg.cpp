#include "TformProg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "LanguageRows.h"
#include "StationActions.h"

namespace {
constexpr int kPollMs = 100;

const LanguageRow kProgRows[] = {
    {TextKind::Title, "", "PROGRAMMING"},
    {TextKind::Label, "labFile", "Hex file"},
    {TextKind::Button, "btnOpen", "File..."},
    {TextKind::Label, "labCRIS", "CRIS"},
    {TextKind::Label, "labController", "Controller"},
    {TextKind::CheckBox, "cbBlankCheck", "Blank Check"},
    {TextKind::CheckBox, "cbEraseDevice", "Erase device"},
    {TextKind::Button, "btnProgram", "Program"},
    {TextKind::Button, "btnVerify", "Verify"},
    {TextKind::Button, "btnBootRequest", "Start bootloader"},
    {TextKind::Button, "btnClose", "Close"},
    {TextKind::Hint, "tbCRIS", "CAN re-programming identifier segment of the bootloader (0..127)."},
    {TextKind::Hint, "btnBootRequest", "Sends the frame 0x004 [03 00] to the device."},
};

[[maybe_unused]] const bool kRegistered = [] {
    RegisterLanguageTable("TformProg", {std::begin(kProgRows), std::end(kProgRows)});
    return true;
}();

template <class T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}
}  // namespace

TformProg::TformProg(QWidget* parent) : QDialog(parent) {
    setObjectName("TformProg");
    setWindowTitle("PROGRAMMIEREN");
    cbFile_ = Named(new QComboBox(this), "cbFile");
    cbFile_->setMinimumContentsLength(40);
    auto* btnOpen = Named(new QPushButton("Datei...", this), "btnOpen");
    tbCRIS_ = Named(new QLineEdit("0", this), "tbCRIS");
    cbController_ = Named(new QComboBox(this), "cbController");
    cbController_->addItem("Automatisch");
    for (const ControllerType& c : ControllerTable())
        if (c.kind != 0) cbController_->addItem(c.name);
    cbBlankCheck_ = Named(new QCheckBox("Blank Check", this), "cbBlankCheck");
    cbEraseDevice_ = Named(new QCheckBox("Bauteil löschen", this), "cbEraseDevice");
    cbEraseMode_ = Named(new QComboBox(this), "cbEraseMode");
    cbEraseMode_->addItems({"Komplett", "Block 0 (Programm)", "Block 1 (nicht implementiert)",
                            "Block 2 (nicht implementiert)"});
    btnProgram_ = Named(new QPushButton("Programmieren", this), "btnProgram");
    btnVerify_ = Named(new QPushButton("Verifizieren", this), "btnVerify");
    auto* btnBoot = Named(new QPushButton("Bootloader starten", this), "btnBootRequest");
    auto* btnClose = Named(new QPushButton("Schliessen", this), "btnClose");
    pbProgress_ = Named(new QProgressBar(this), "pbProgress");
    pbProgress_->setRange(0, 100);
    labStatus_ = Named(new QLabel(this), "labStatus");
    labStatusCode_ = Named(new QLabel(this), "labStatusCode");
    timProg_ = Named(new QTimer(this), "timProg");
    timProg_->setInterval(kPollMs);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(cbFile_, 1);
    fileRow->addWidget(btnOpen);
    auto* eraseRow = new QHBoxLayout;
    eraseRow->addWidget(cbEraseDevice_);
    eraseRow->addWidget(cbEraseMode_, 1);
    auto* form = new QFormLayout;
    form->addRow(Named(new QLabel("Hex-Datei", this), "labFile"), fileRow);
    form->addRow(Named(new QLabel("CRIS", this), "labCRIS"), tbCRIS_);
    form->addRow(Named(new QLabel("Controller", this), "labController"), cbController_);
    form->addRow(cbBlankCheck_);
    form->addRow(eraseRow);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnProgram_);
    buttons->addWidget(btnVerify_);
    buttons->addWidget(btnBoot);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto* status = new QHBoxLayout;
    status->addWidget(labStatus_, 1);
    status->addWidget(labStatusCode_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(pbProgress_);
    layout->addLayout(status);
    layout->addLayout(buttons);

    connect(btnOpen, &QPushButton::clicked, this, [this] { btnOpenClick(); });
    connect(cbFile_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (index >= 0) control_.OpenHexFile(cbFile_->itemText(index).toLocal8Bit().toStdString());
    });
    connect(btnProgram_, &QPushButton::clicked, this, [this] { btnProgramClick(); });
    connect(btnVerify_, &QPushButton::clicked, this, [this] { btnVerifyClick(); });
    connect(btnBoot, &QPushButton::clicked, this, [this] { control_.SendBootRequest(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { hide(); });
    connect(timProg_, &QTimer::timeout, this, [this] { timProgTimer(); });

    control_.SetView(this);
    SetBefProgrammer(&control_);
    RegisterStationAction("mnuProgramming", [this] { Present(); });
    ApplyLanguage(this);
    SettingsChanged();
    FillHistory();
}

TformProg::~TformProg() {
    RegisterStationAction("mnuProgramming", nullptr);
    if (CurrentBefProgrammer() == &control_) SetBefProgrammer(nullptr);
    control_.SetView(nullptr);
}

void TformProg::Present() {
    FillHistory();
    show();
    raise();
}

void TformProg::FillHistory() {
    const QString current = cbFile_->currentText();
    cbFile_->clear();
    for (const std::string& path : control_.History())
        if (!path.empty()) cbFile_->addItem(QString::fromLocal8Bit(path.c_str()));
    if (!control_.FilePath().empty()) cbFile_->setCurrentText(QString::fromLocal8Bit(control_.FilePath().c_str()));
    else if (!current.isEmpty()) cbFile_->setCurrentText(current);
}

void TformProg::ReadControls() {
    ProgrammingSettings& s = control_.Settings();
    s.cris = tbCRIS_->text().toStdString();
    s.blankCheck = cbBlankCheck_->isChecked();
    s.eraseDevice = cbEraseDevice_->isChecked();
    s.eraseChoice = cbEraseMode_->currentIndex();
    s.controllerRow = cbController_->currentIndex() - 1;
}

void TformProg::btnOpenClick() {
    if (control_.ChooseAndOpen()) FillHistory();
}

void TformProg::btnProgramClick() {
    ReadControls();
    if (control_.btnProgramClick()) timProg_->start();
    timProgTimer();
}

void TformProg::btnVerifyClick() {
    ReadControls();
    if (control_.btnVerifyClick()) timProg_->start();
    timProgTimer();
}

void TformProg::timProgTimer() {
    const BootloaderStatus s = control_.Poll();
    btnProgram_->setEnabled(!s.busy);
    btnVerify_->setEnabled(!s.busy);
    if (!s.busy) timProg_->stop();
}

void TformProg::ShowWindow() { Present(); }

void TformProg::HideWindow() { hide(); }

void TformProg::SettingsChanged() {
    const ProgrammingSettings& s = control_.Settings();
    tbCRIS_->setText(QString::fromStdString(s.cris));
    cbBlankCheck_->setChecked(s.blankCheck);
    cbEraseDevice_->setChecked(s.eraseDevice);
    cbEraseMode_->setCurrentIndex(s.eraseChoice);
    cbController_->setCurrentIndex(s.controllerRow + 1);
    FillHistory();
}

void TformProg::StatusChanged(const BootloaderStatus& status) {
    pbProgress_->setValue(status.progress);
    labStatus_->setText(QString::fromUtf8(status.text.c_str()));
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", status.code);
    labStatusCode_->setText(code);
    labStatusCode_->setStyleSheet(status.code == BOOT_STATUS_ERROR ? "color: red" : "");
}
