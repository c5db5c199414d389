#pragma once
// The history window: a device's archived runs by serial number (newest first) and the
// protocol rows of the run chosen. Binds its controls to DeviceHistory.

#include <QWidget>
#include <functional>
#include <memory>

#include "DeviceHistory.h"

class QLabel;
class QLineEdit;
class QTableWidget;

class TformResultHistory final : public QWidget {
    Q_OBJECT
public:
    // `target` is asked each time a search starts (the configuration may have changed).
    explicit TformResultHistory(std::function<ArchiveTarget()> target, QWidget* parent = nullptr);
    ~TformResultHistory() override;

    // Shows the window with the history of `serialText` (empty: just shows it).
    void ShowSerial(const QString& serialText);
    void Search();
    void ShowRun(int index);

private:
    std::function<ArchiveTarget()> target_;
    std::unique_ptr<DeviceHistory> history_;
    QLineEdit* edSerial_;
    QTableWidget* gridRuns_;
    QTableWidget* gridRows_;
    QLabel* labStatus_;
};
