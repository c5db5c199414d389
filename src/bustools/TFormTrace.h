#pragma once
// The trace window: binds its controls to a TraceLogic. Controls carry the names the station
// uses everywhere (btnStart, edId, cbFixPos, Memo1 ...), so the language table and tests find
// them by name.

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "TraceLogic.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTableView;
class TraceListModel;

class TFormTrace final : public QDialog {
    Q_OBJECT
public:
    TFormTrace(OperatorPort& op, QWidget* parent = nullptr);
    ~TFormTrace() override;

    // Loads the settings into the controls and shows the window.
    void Present();
    TraceLogic& Logic() { return *logic_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ControlsToLogic();
    void LogicToControls();
    void Refresh();
    void Run(void (TraceLogic::*handler)());

    std::unique_ptr<TraceLogic> logic_;
    TraceListModel* model_ = nullptr;
    QTableView* memo_ = nullptr;
    QLineEdit* edId_ = nullptr;
    QLineEdit* edDLC_ = nullptr;
    std::array<QLineEdit*, 8> edB_{};
    QLineEdit* edCycTim_ = nullptr;
    QCheckBox* cbRemote_ = nullptr;
    QCheckBox* cbCyc_ = nullptr;
    QCheckBox* cbFixPos_ = nullptr;
    QCheckBox* cbDeltaTime_ = nullptr;
    QStatusBar* stbStatus_ = nullptr;
    QPushButton* btnRecord_ = nullptr;
};
