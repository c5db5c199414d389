#pragma once
// The search window: the current candidate and the outcome of the bit-rate, node and guarded
// node searches, and "btnBreak". It owns the search logic; closing the window (by the button
// or otherwise) stops the search.

#include <QDialog>

#include "SearchBaudNode.h"

class QLabel;

class TformBaudSearch final : public QDialog, public SearchReportPort {
    Q_OBJECT
public:
    explicit TformBaudSearch(QWidget* parent = nullptr);
    ~TformBaudSearch() override;

    BaudNodeSearch& Search() { return search_; }

    void btnBreakClick();

    // SearchReportPort: the window's part (the main window takes the rest).
    void ShowSearchStatus(const std::string& text, StatusColor color) override;
    void ShowCandidate(int nodeId) override;
    void ShowSearchWindow() override;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    BaudNodeSearch search_;
    QLabel* labNode_ = nullptr;
    QLabel* labResult_ = nullptr;
};
