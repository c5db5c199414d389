#include "TformLoadParam.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "LoadParam.h"

TformLoadParam::TformLoadParam(QWidget* parent) : QDialog(parent) {
    setObjectName("TformLoadParam");
    setWindowTitle("PARAMETER LADEN");
    lbParams_ = new QListWidget(this);
    lbParams_->setObjectName("lbParams");
    QFont mono("Monospace");
    mono.setStyleHint(QFont::TypeWriter);
    lbParams_->setFont(mono);
    btnLoad_ = new QPushButton("Laden", this);
    btnLoad_->setObjectName("btnLoad");
    auto* close = new QPushButton("Schliessen", this);
    close->setObjectName("btnClose");
    connect(btnLoad_, &QPushButton::clicked, this, [this] { btnLoadClick(); });
    connect(close, &QPushButton::clicked, this, [this] { btnCloseClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnLoad_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbParams_, 1);
    layout->addLayout(buttons);
    resize(420, 320);

    CurrentParameterLoad().SetListener([this] {
        if (CurrentParameterLoad().IsRunning() && !isVisible()) show();
        Refresh();
    });
}

TformLoadParam::~TformLoadParam() { CurrentParameterLoad().SetListener(nullptr); }

void TformLoadParam::Present() {
    show();
    raise();
    btnLoadClick();
}

void TformLoadParam::Refresh() {
    const auto& results = CurrentParameterLoad().Results();
    lbParams_->clear();
    for (const auto& r : results) lbParams_->addItem(QString::fromStdString(LoadParamResultText(r)));
    btnLoad_->setEnabled(!CurrentParameterLoad().IsRunning());
}

void TformLoadParam::btnLoadClick() { CurrentParameterLoad().Start(); }

// The load goes on without the window; closing only hides it.
void TformLoadParam::btnCloseClick() { hide(); }
