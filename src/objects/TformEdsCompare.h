#pragma once
// The comparison view: compares the device with the loaded EDS and lists every difference
// (kind, object, name, EDS side, device side) with a progress bar and a verdict.

#include <QDialog>

#include "EdsComparison.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

class TformEdsCompare final : public QDialog {
    Q_OBJECT
public:
    explicit TformEdsCompare(QWidget* parent = nullptr);
    ~TformEdsCompare() override;

    // Shows the view and starts comparing the device with `table` (read from `fileName`).
    void Present(const ObjectTable& table, const std::string& fileName);
    EdsComparison& Comparison() { return comparison_; }
    // "equal", "3 differences", "no response at 1000sub0", "not completed", "comparing ...".
    std::string VerdictText() const;

private:
    void Refresh();

    EdsComparison comparison_;
    std::string fileName_;
    QTableWidget* list_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* verdict_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
