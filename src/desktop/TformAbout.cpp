#include "TformAbout.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "StationIdentity.h"

TformAbout::TformAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("TformAbout");
    setWindowTitle("Information");
    setModal(true);
    auto* name = new QLabel(kProductName, this);
    name->setObjectName("labProductName");
    QFont big = name->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(QString("Version ") + kProgramVersion, this);
    version->setObjectName("labVersion");
    version->setAlignment(Qt::AlignCenter);
    auto* text = new QLabel("CANopen test station", this);
    text->setAlignment(Qt::AlignCenter);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("btnOK");
    ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(text);
    layout->addWidget(ok, 0, Qt::AlignCenter);
    setMinimumWidth(280);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
