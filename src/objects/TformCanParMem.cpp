#include "TformCanParMem.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "LanguageRows.h"
#include "TestInstruction.h"

namespace {
constexpr const char* kAreaNames[kMemoryAreaCount] = {"FlashKomm", "FlashSensor", "EepromKomm", "EepromSensor"};
}

TformCanParMem::TformCanParMem(OperatorPort& op, QWidget* parent) : QDialog(parent), op_(op), memory_(op) {
    setObjectName("TformCanParMem");
    setWindowTitle("Parameterspeicher");
    auto* layout = new QVBoxLayout(this);
    for (int part = 0; part < 2; ++part) {
        auto* box = new QGroupBox(part == 0 ? "FLASH area" : "EEPROM area", this);
        box->setObjectName(part == 0 ? "gbFlash" : "gbEeprom");
        auto* row = new QHBoxLayout(box);
        for (int k = 0; k < 2; ++k) {
            const size_t area = static_cast<size_t>(part * 2 + k);
            const QString name = kAreaNames[area];
            auto* column = new QVBoxLayout;
            auto* title = new QLabel(MemoryAreaTitle(static_cast<MemoryAreaKind>(area)), box);
            summaries_[area] = new QLabel(box);
            summaries_[area]->setObjectName("lab" + name);
            tables_[area] = new QTableWidget(0, 4, box);
            tables_[area]->setObjectName("sg" + name);
            tables_[area]->setHorizontalHeaderLabels({"Address", "Name", "Value dec", "Value hex"});
            tables_[area]->verticalHeader()->setVisible(false);
            tables_[area]->setEditTriggers(QAbstractItemView::NoEditTriggers);
            tables_[area]->horizontalHeader()->setStretchLastSection(true);
            reads_[area] = new QPushButton("Lesen", box);
            reads_[area]->setObjectName("btnRead" + name);
            clears_[area] = new QPushButton("Loeschen", box);
            clears_[area]->setObjectName("btnClear" + name);
            const auto kind = static_cast<MemoryAreaKind>(area);
            connect(reads_[area], &QPushButton::clicked, this, [this, kind] { memory_.Read(kind); });
            connect(clears_[area], &QPushButton::clicked, this, [this, kind] { memory_.Clear(kind); });
            auto* buttons = new QHBoxLayout;
            buttons->addWidget(reads_[area]);
            buttons->addWidget(clears_[area]);
            buttons->addStretch(1);
            column->addWidget(title);
            column->addWidget(summaries_[area]);
            column->addWidget(tables_[area], 1);
            column->addLayout(buttons);
            row->addLayout(column);
        }
        layout->addWidget(box, 1);
    }
    auto* load = new QPushButton("Memory.dat laden", this);
    load->setObjectName("btnLoadMemoryFile");
    auto* close = new QPushButton("Schliessen", this);
    close->setObjectName("btnClose");
    connect(load, &QPushButton::clicked, this, [this] {
        const auto path = op_.ChooseOpenFile("Memory.dat", "Memory file|*.dat", "");
        if (path) memory_.Load(*path);
    });
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(load);
    bottom->addStretch(1);
    bottom->addWidget(close);
    layout->addLayout(bottom);
    resize(900, 620);
    memory_.SetListener([this] { Refresh(); });
    ApplyLanguage(this);
    Refresh();
}

TformCanParMem::~TformCanParMem() { memory_.SetListener(nullptr); }

void TformCanParMem::Present() {
    const LoadedTest& test = CurrentTest();
    if (test.testLoaded && !test.memoryLines.empty())
        memory_.LoadLines(test.memoryLines);
    else
        memory_.LoadDefault();
    Refresh();
    show();
    raise();
}

void TformCanParMem::Refresh() {
    for (size_t area = 0; area < kMemoryAreaCount; ++area) {
        const auto kind = static_cast<MemoryAreaKind>(area);
        const auto rows = memory_.Loaded() ? memory_.Rows(kind) : std::vector<ParameterMemoryRow>{};
        QTableWidget* table = tables_[area];
        table->setRowCount(static_cast<int>(rows.size()));
        for (size_t r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 4; ++c)
                table->setItem(static_cast<int>(r), c, new QTableWidgetItem(QString::fromStdString(rows[r][static_cast<size_t>(c)])));
        summaries_[area]->setText(memory_.Loaded() ? QString::fromStdString(memory_.Summary(kind)) : QString());
        reads_[area]->setEnabled(memory_.CanRead());
        clears_[area]->setEnabled(memory_.CanClear());
    }
}
