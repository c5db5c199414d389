#include "TformObjects.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include "LanguageRows.h"
#include "NamedTimer.h"
#include "ObjectGridModel.h"
#include "TformEdsCompare.h"

namespace {
QPushButton* Button(QWidget* parent, const char* name, const char* text) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(name);
    return b;
}

QAction* Entry(QMenu* menu, const char* name, const QString& text) {
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    return a;
}
}  // namespace

TformObjects::TformObjects(OperatorPort& op, QWidget* parent)
    : QMainWindow(parent), op_(op), browser_(std::make_unique<ObjectBrowser>(op)) {
    setObjectName("TformObjects");
    setWindowTitle("Objekte laden");
    setWindowFlag(Qt::Window);

    QMenu* file = menuBar()->addMenu("Datei");
    file->setObjectName("mnuDatei");
    file->menuAction()->setObjectName("mnuDatei");
    connect(Entry(file, "mnuLoadEds", "EDS File laden"), &QAction::triggered, this, [this] { browser_->mnuLoadEdsClick(); });
    file->addSeparator();
    for (int k = 0; k < static_cast<int>(kHistoryEntries); ++k) {
        QAction* a = Entry(file, QString("mnuEDSFile%1").arg(k + 1).toUtf8().constData(), QString());
        connect(a, &QAction::triggered, this, [this, k] { browser_->mnuEdsFileClick(k); });
    }
    file->addSeparator();
    connect(Entry(file, "mnuBeenden", "&Beenden"), &QAction::triggered, this, &QWidget::close);

    auto* central = new QWidget(this);
    model_ = new ObjectGridModel(browser_->Grid(), this);
    grid_ = new QTableView(central);
    grid_->setObjectName("strgrObjects");
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setVisible(false);
    grid_->verticalHeader()->setDefaultSectionSize(18);
    grid_->horizontalHeader()->setStretchLastSection(true);

    auto* upload = Button(central, "btnUpload", "&Upload");
    cancel_ = Button(central, "btnCancel", "Abbrechen");
    auto* read = Button(central, "btnLesen", "&Lesen");
    auto* write = Button(central, "btnSchreiben", "&Schreiben");
    auto* save = Button(central, "btnSave", "Save");
    auto* load = Button(central, "btnLoadDefault", "&LoadDefault");
    auto* preOp = Button(central, "btnPreOp", "&Pre Operational");
    auto* exportCsv = Button(central, "btnExport", "Export");
    exportCsv->setToolTip("Objekte in eine .csv Datei exportieren.");
    auto* compare = Button(central, "btnCompare", "Mit Geraet vergleichen");
    auto* close = Button(central, "btnBeenden", "&Beenden");
    progress_ = new QProgressBar(central);
    progress_->setObjectName("pbUpload");

    connect(upload, &QPushButton::clicked, this, [this] { browser_->btnUploadClick(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { browser_->btnCancelClick(); });
    connect(read, &QPushButton::clicked, this, [this] { browser_->btnReadClick(SelectedGridRow()); });
    connect(write, &QPushButton::clicked, this, [this] { browser_->btnWriteClick(SelectedGridRow()); });
    connect(save, &QPushButton::clicked, this, [this] { browser_->btnSaveClick(); });
    connect(load, &QPushButton::clicked, this, [this] { browser_->btnLoadDefaultClick(); });
    connect(preOp, &QPushButton::clicked, this, [this] { browser_->btnPreOpClick(); });
    connect(exportCsv, &QPushButton::clicked, this, [this] { browser_->btnExportClick(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    compare_ = new TformEdsCompare(this);
    connect(compare, &QPushButton::clicked, this, [this] {
        if (!browser_->EdsLoaded()) {
            op_.ShowMessage("EDS file was not loaded", "OBJECTS");
            return;
        }
        compare_->Present(browser_->Table(), browser_->FileName());
    });

    auto* buttons = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(upload), static_cast<QWidget*>(read), static_cast<QWidget*>(write),
                       static_cast<QWidget*>(save), static_cast<QWidget*>(load), static_cast<QWidget*>(preOp),
                       static_cast<QWidget*>(exportCsv), static_cast<QWidget*>(compare)})
        buttons->addWidget(w);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(cancel_);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(buttons);
    layout->addWidget(grid_, 1);
    layout->addLayout(progressRow);
    setCentralWidget(central);

    status_ = new QLabel(this);
    status_->setObjectName("labStatus");
    statusBar()->setObjectName("StatusBar1");
    statusBar()->addWidget(status_, 1);

    TimerPort& upTimer = browser_->UploadTimer();
    new NamedTimer("timTimer", [&upTimer] { return upTimer.IsActive(); }, [&upTimer] { return upTimer.IntervalMs(); }, this);
    TimerPort& itemTimer = browser_->ItemTimer();
    new NamedTimer("timItem", [&itemTimer] { return itemTimer.IsActive(); }, [&itemTimer] { return itemTimer.IntervalMs(); },
                   this);

    browser_->SetListener([this] { Refresh(); });
    resize(820, 560);
    ApplyLanguage(this);
    Refresh();
}

TformObjects::~TformObjects() { browser_->SetListener(nullptr); }

void TformObjects::Present() {
    RefreshHistory();
    show();
    raise();
    activateWindow();
}

int TformObjects::SelectedGridRow() const {
    const QModelIndexList rows = grid_->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.front().row() + 1;
}

void TformObjects::SelectGridRow(int gridRow) {
    if (gridRow < 1) {
        grid_->clearSelection();
        return;
    }
    grid_->selectRow(gridRow - 1);
}

void TformObjects::RefreshHistory() {
    const FileHistory history = browser_->History();
    for (size_t k = 0; k < history.size(); ++k) {
        auto* a = findChild<QAction*>(QString("mnuEDSFile%1").arg(k + 1));
        if (!a) continue;
        QString text = QString::fromStdString(history[k]);
        a->setText(text.replace("&", "&&"));
        a->setVisible(!history[k].empty());
    }
}

void TformObjects::Refresh() {
    if (shownVersion_ != browser_->GridVersion()) {
        const int selected = SelectedGridRow();
        model_->Reset();
        shownVersion_ = browser_->GridVersion();
        if (selected > 0) SelectGridRow(selected);
    }
    const bool running = browser_->UploadRunning();
    progress_->setMaximum(static_cast<int>(std::max<size_t>(browser_->ProgressTotal(), 1)));
    progress_->setValue(static_cast<int>(browser_->Progress()));
    cancel_->setEnabled(running);
    status_->setText(QString::fromStdString(browser_->StatusText()));
    RefreshHistory();
}
