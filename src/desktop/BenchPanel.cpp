#include "BenchPanel.h"

#include <QGridLayout>
#include <QLabel>

#include "LabelColor.h"

namespace {
QLabel* Field(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    return label;
}
}  // namespace

BenchPanel::BenchPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("pnlBench");
    labCurrent_ = Field(this, "labCurrent");
    labCurrent_->setMinimumWidth(70);
    labCurrent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    labGebertyp_ = Field(this, "labGebertyp");
    labDeckblatt_ = Field(this, "labDeckblatt");
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const std::pair<const char*, QLabel*> rows[] = {
        {"Strom [mA]:", labCurrent_}, {"Gebertyp:", labGebertyp_}, {"Deckblatt:", labDeckblatt_}};
    int row = 0;
    for (const auto& [caption, field] : rows) {
        layout->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0);
        layout->addWidget(field, row++, 1);
    }
    layout->setColumnStretch(1, 1);
    SetBenchDisplay(this);
}

BenchPanel::~BenchPanel() {
    if (&CurrentBenchDisplay() == this) SetBenchDisplay(nullptr);
}

void BenchPanel::ShowSupplyCurrent(const std::string& milliAmps, StatusColor color) {
    labCurrent_->setText(QString::fromStdString(milliAmps));
    PaintLabel(labCurrent_, color);
}

void BenchPanel::ResetSupplyCurrent() {
    labCurrent_->setPalette(QPalette());
    labCurrent_->setAutoFillBackground(false);
}

void BenchPanel::ShowCalibration(const std::string& encoderType, const std::string& coverSheet) {
    labGebertyp_->setText(QString::fromStdString(encoderType));
    labDeckblatt_->setText(QString::fromStdString(coverSheet));
}
