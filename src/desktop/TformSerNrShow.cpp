#include "TformSerNrShow.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TformSerNrShow::TformSerNrShow(QWidget* parent) : QDialog(parent) {
    setObjectName("TformSerNrShow");
    setWindowTitle("Seriennummer");
    setModal(true);
    auto* caption = new QLabel("Seriennummer", this);
    caption->setObjectName("Label1");
    labSerNr_ = new QLabel(this);
    labSerNr_->setObjectName("labSerNr");
    QFont big = labSerNr_->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    labSerNr_->setFont(big);
    labSerNr_->setAlignment(Qt::AlignCenter);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("btnOK");
    ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(labSerNr_);
    layout->addWidget(ok, 0, Qt::AlignCenter);
    setMinimumWidth(260);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TformSerNrShow::Begin(uint32_t serialNumber) {
    labSerNr_->setText(QString::number(serialNumber));
    show();
}

void TformSerNrShow::Present(uint32_t serialNumber) {
    Begin(serialNumber);
    exec();
}
