#pragma once
// The main window's test-bench fields: the supply current (green within the limit, red
// outside), and the calibration file's encoder type and cover-sheet texts.

#include <QFrame>

#include "BenchDisplay.h"

class QLabel;

class BenchPanel final : public QFrame, public BenchDisplay {
    Q_OBJECT
public:
    explicit BenchPanel(QWidget* parent = nullptr);
    ~BenchPanel() override;

    void ShowSupplyCurrent(const std::string& milliAmps, StatusColor color) override;
    void ResetSupplyCurrent() override;
    void ShowCalibration(const std::string& encoderType, const std::string& coverSheet) override;

private:
    QLabel* labCurrent_ = nullptr;
    QLabel* labGebertyp_ = nullptr;
    QLabel* labDeckblatt_ = nullptr;
};
