#include "TformBaudSearch.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TformBaudSearch::TformBaudSearch(QWidget* parent) : QDialog(parent) {
    setObjectName("TformBaudSearch");
    setWindowTitle("Suchen");
    setModal(false);
    labNode_ = new QLabel(this);
    labNode_->setObjectName("labNode");
    labResult_ = new QLabel(this);
    labResult_->setObjectName("labResult");
    auto* stop = new QPushButton("Abbruch", this);
    stop->setObjectName("btnBreak");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(labNode_);
    layout->addWidget(labResult_);
    layout->addWidget(stop, 0, Qt::AlignCenter);
    setMinimumWidth(240);
    connect(stop, &QPushButton::clicked, this, [this] { btnBreakClick(); });
}

TformBaudSearch::~TformBaudSearch() { search_.Close(); }

void TformBaudSearch::btnBreakClick() { close(); }

void TformBaudSearch::hideEvent(QHideEvent* event) {
    // Closing stops all three timers; a search cut short ends without a result.
    search_.Close();
    QDialog::hideEvent(event);
}

void TformBaudSearch::ShowSearchStatus(const std::string& text, StatusColor /*color*/) {
    labResult_->setText(QString::fromStdString(text));
}

void TformBaudSearch::ShowCandidate(int nodeId) { labNode_->setText(QString::number(nodeId)); }

void TformBaudSearch::ShowSearchWindow() {
    labResult_->clear();
    show();
}
