#pragma once
// The object browser window: binds its menu, buttons, grid, progress bar and status bar to the
// ObjectBrowser logic.

#include <QMainWindow>
#include <memory>

#include "ObjectBrowser.h"

class ObjectGridModel;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class TformEdsCompare;

class TformObjects final : public QMainWindow {
    Q_OBJECT
public:
    TformObjects(OperatorPort& op, QWidget* parent = nullptr);
    ~TformObjects() override;

    // Shows the window (menu entry of the main window).
    void Present();
    ObjectBrowser& Browser() { return *browser_; }
    TformEdsCompare& CompareWindow() { return *compare_; }

    // The selected grid row (1 = first entry); 0 when none is selected.
    int SelectedGridRow() const;
    void SelectGridRow(int gridRow);

private:
    void Refresh();
    void RefreshHistory();

    OperatorPort& op_;
    std::unique_ptr<ObjectBrowser> browser_;
    ObjectGridModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* status_ = nullptr;
    TformEdsCompare* compare_ = nullptr;
    uint64_t shownVersion_ = ~0ull;
};
