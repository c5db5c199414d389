#pragma once
// The bus test window: binds its controls to a BusTestLogic and a TestGeneratorPanel.

#include <QDialog>
#include <array>
#include <memory>

#include "BusTestLogic.h"
#include "TestGeneratorPanel.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QStatusBar;
class QTableWidget;

class TformBusTest final : public QDialog {
    Q_OBJECT
public:
    TformBusTest(OperatorPort& op, QWidget* parent = nullptr);
    ~TformBusTest() override;

    void Present();
    BusTestLogic& Logic() { return *logic_; }
    TestGeneratorPanel& Generator() { return generator_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct FrameEdits {
        QLineEdit* id = nullptr;
        QLineEdit* dlc = nullptr;
        std::array<QLineEdit*, 8> bytes{};
        QCheckBox* remote = nullptr;
    };
    FrameEdits MakeFrameEdits(const char* suffix);
    void ControlsToLogic();
    void LogicToControls();
    void GridsToPanel();
    void PanelToGrids();
    void Refresh();
    void RunTest(void (BusTestLogic::*handler)());
    void RunGenerator(bool (TestGeneratorPanel::*handler)());

    std::unique_ptr<BusTestLogic> logic_;
    TestGeneratorPanel generator_;
    FrameEdits send_;
    FrameEdits rec_;
    QLineEdit* edCycTim_ = nullptr;
    QLineEdit* edAnsTim_ = nullptr;
    QLineEdit* edZyklen_ = nullptr;
    QLineEdit* edNodeId_ = nullptr;
    QLineEdit* edTGNumMsg_ = nullptr;
    QLineEdit* edTGNumMsgRec_ = nullptr;
    QLineEdit* edTGDelay_ = nullptr;
    std::array<QRadioButton*, 3> mode_{};
    QTableWidget* strgrMsgs_ = nullptr;
    QTableWidget* strgrMsgsIn_ = nullptr;
    QListWidget* memo_ = nullptr;
    QStatusBar* stbStatus_ = nullptr;
    size_t shownLines_ = 0;
};
