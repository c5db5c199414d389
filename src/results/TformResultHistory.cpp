#include "TformResultHistory.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ResultsCommand.h"
#include "TextEncoding.h"

namespace {
QString Station(const std::string& text) { return QString::fromUtf8(Windows1252ToUtf8(text)); }

QTableWidget* MakeGrid(QWidget* parent, const char* name, const QStringList& titles) {
    auto* grid = new QTableWidget(0, static_cast<int>(titles.size()), parent);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels(titles);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setVisible(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

void Put(QTableWidget* grid, int row, int column, const QString& text) {
    grid->setItem(row, column, new QTableWidgetItem(text));
}
}  // namespace

TformResultHistory::TformResultHistory(std::function<ArchiveTarget()> target, QWidget* parent)
    : QWidget(parent, Qt::Window), target_(std::move(target)) {
    setObjectName("TformResultHistory");
    setWindowTitle("Pruefhistorie");
    auto* caption = new QLabel("Seriennummer", this);
    caption->setObjectName("labSerial");
    edSerial_ = new QLineEdit(this);
    edSerial_->setObjectName("edSerial");
    auto* search = new QPushButton("Suchen", this);
    search->setObjectName("btnSearch");
    search->setDefault(true);
    auto* top = new QHBoxLayout;
    top->addWidget(caption);
    top->addWidget(edSerial_, 1);
    top->addWidget(search);

    gridRuns_ = MakeGrid(this, "gridRuns", {"Start", "Verdict", "Errors", "Station", "Test file", "Run"});
    QStringList titles;
    for (const auto& t : GridTitles()) titles << QString::fromStdString(t);
    gridRows_ = MakeGrid(this, "gridRows", titles);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(gridRuns_);
    split->addWidget(gridRows_);
    labStatus_ = new QLabel(this);
    labStatus_->setObjectName("labStatus");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addWidget(labStatus_);
    resize(900, 600);

    connect(search, &QPushButton::clicked, this, &TformResultHistory::Search);
    connect(edSerial_, &QLineEdit::returnPressed, this, &TformResultHistory::Search);
    connect(gridRuns_, &QTableWidget::currentCellChanged, this, [this](int row) { ShowRun(row); });
}

TformResultHistory::~TformResultHistory() = default;

void TformResultHistory::ShowSerial(const QString& serialText) {
    if (!serialText.isEmpty()) {
        edSerial_->setText(serialText);
        Search();
    }
    show();
    raise();
    activateWindow();
}

void TformResultHistory::Search() {
    history_ = std::make_unique<DeviceHistory>(target_());
    std::string message;
    history_->Search(edSerial_->text().trimmed().toStdString(), message);
    labStatus_->setText(QString::fromStdString(message));
    const auto& runs = history_->Runs();
    gridRows_->setRowCount(0);
    gridRuns_->blockSignals(true);
    gridRuns_->setRowCount(static_cast<int>(runs.size()));
    for (int i = 0; i < static_cast<int>(runs.size()); ++i) {
        const RunRecord& r = runs[static_cast<size_t>(i)].run;
        Put(gridRuns_, i, 0, QString::fromStdString(FormatArchiveTime(r.startedMs)));
        Put(gridRuns_, i, 1, QString::fromStdString(r.verdict + (r.simulated ? " (simulated)" : "")));
        Put(gridRuns_, i, 2, QString::number(r.errorCount));
        Put(gridRuns_, i, 3, Station(r.station));
        Put(gridRuns_, i, 4, QString::fromLocal8Bit(r.testFile.c_str()));
        Put(gridRuns_, i, 5, QString::fromStdString(r.uuid));
    }
    gridRuns_->blockSignals(false);
    gridRuns_->resizeColumnsToContents();
    if (!runs.empty()) gridRuns_->setCurrentCell(0, 0);
}

void TformResultHistory::ShowRun(int index) {
    gridRows_->setRowCount(0);
    if (!history_ || index < 0) return;
    std::string message;
    const auto run = history_->Open(static_cast<size_t>(index), message);
    if (!run) {
        labStatus_->setText(QString::fromStdString(message));
        return;
    }
    gridRows_->setRowCount(static_cast<int>(run->rows.size()));
    for (int r = 0; r < static_cast<int>(run->rows.size()); ++r)
        for (int c = 0; c < kGridColumns; ++c)
            Put(gridRows_, r, c, QString::fromUtf8(Windows1252ToUtf8(run->rows[static_cast<size_t>(r)][static_cast<size_t>(c)])));
    gridRows_->resizeColumnsToContents();
}
