#include "TformEdsCompare.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "LanguageRows.h"
#include "NamedTimer.h"

TformEdsCompare::TformEdsCompare(QWidget* parent) : QDialog(parent) {
    setObjectName("TformEdsCompare");
    setWindowTitle("Geraet mit EDS vergleichen");
    list_ = new QTableWidget(0, 5, this);
    list_->setObjectName("lvDifferences");
    list_->setHorizontalHeaderLabels({"Kind", "Object", "Name", "EDS", "Device"});
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->verticalHeader()->setVisible(false);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("pbCompare");
    verdict_ = new QLabel(this);
    verdict_->setObjectName("labVerdict");
    cancel_ = new QPushButton("Abbrechen", this);
    cancel_->setObjectName("btnCancel");
    auto* close = new QPushButton("Schliessen", this);
    close->setObjectName("btnClose");
    connect(cancel_, &QPushButton::clicked, this, [this] { comparison_.Cancel(); });
    connect(close, &QPushButton::clicked, this, [this] {
        comparison_.Cancel();
        hide();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(progress_, 1);
    buttons->addWidget(cancel_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(verdict_);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(760, 420);
    TimerPort& timer = comparison_.Timer();
    new NamedTimer("timCompare", [&timer] { return timer.IsActive(); }, [&timer] { return timer.IntervalMs(); }, this);
    comparison_.SetListener([this] { Refresh(); });
    ApplyLanguage(this);
    Refresh();
}

TformEdsCompare::~TformEdsCompare() { comparison_.SetListener(nullptr); }

void TformEdsCompare::Present(const ObjectTable& table, const std::string& fileName) {
    fileName_ = fileName;
    show();
    raise();
    comparison_.Start(table);
    Refresh();
}

std::string TformEdsCompare::VerdictText() const {
    const EdsComparison& c = comparison_;
    if (c.Running()) return "comparing ...";
    if (c.CurrentPhase() != EdsComparison::Phase::Done) return std::string();
    if (c.NoResponse()) return "no response at " + c.StoppedAt();
    if (c.Cancelled()) return "not completed";
    if (c.Differences().empty()) return "equal";
    const size_t n = c.Differences().size();
    return std::to_string(n) + (n == 1 ? " difference" : " differences");
}

void TformEdsCompare::Refresh() {
    progress_->setMaximum(static_cast<int>(std::max<size_t>(comparison_.ProgressTotal(), 1)));
    progress_->setValue(static_cast<int>(comparison_.Progress()));
    cancel_->setEnabled(comparison_.Running());
    verdict_->setText(QString::fromStdString(fileName_ + ": " + VerdictText()));
    // The list is filled once the comparison has ended.
    const auto& diffs = comparison_.Differences();
    if (comparison_.Running()) {
        list_->setRowCount(0);
        return;
    }
    list_->setRowCount(static_cast<int>(diffs.size()));
    for (size_t i = 0; i < diffs.size(); ++i) {
        const EdsDifference& d = diffs[i];
        char place[32];
        std::snprintf(place, sizeof place, "%04Xsub%X", d.index, d.subindex);
        const std::string cells[] = {EdsDifferenceName(d.kind), place, d.name, d.expected, d.actual};
        for (int c = 0; c < 5; ++c)
            list_->setItem(static_cast<int>(i), c, new QTableWidgetItem(QString::fromStdString(cells[c])));
    }
}
