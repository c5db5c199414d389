#pragma once
// The programming window: the HEX file with its history, CRIS, controller, erase and blank-check
// choices, program and verify, a progress bar, the status text and code. It binds its controls
// to ProgrammingControl, polls the bootloader client from `timProg` and serves "BEF_Prog_AtBl"
// and the main window's "mnuProgramming".

#include <QDialog>

#include "ProgrammingControl.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

class TformProg final : public QDialog, public ProgrammingView {
    Q_OBJECT
public:
    explicit TformProg(QWidget* parent = nullptr);
    ~TformProg() override;

    ProgrammingControl& Control() { return control_; }
    void Present();
    void btnOpenClick();
    void btnProgramClick();
    void btnVerifyClick();
    void timProgTimer();

    // ProgrammingView
    void ShowWindow() override;
    void HideWindow() override;
    void SettingsChanged() override;
    void StatusChanged(const BootloaderStatus& status) override;

private:
    void ReadControls();
    void FillHistory();

    ProgrammingControl control_;
    QComboBox* cbFile_ = nullptr;
    QLineEdit* tbCRIS_ = nullptr;
    QComboBox* cbController_ = nullptr;
    QCheckBox* cbBlankCheck_ = nullptr;
    QCheckBox* cbEraseDevice_ = nullptr;
    QComboBox* cbEraseMode_ = nullptr;
    QPushButton* btnProgram_ = nullptr;
    QPushButton* btnVerify_ = nullptr;
    QProgressBar* pbProgress_ = nullptr;
    QLabel* labStatus_ = nullptr;
    QLabel* labStatusCode_ = nullptr;
    QTimer* timProg_ = nullptr;
};
