#include "TformInterAct.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Dispatcher.h"
#include "InteractiveInput.h"
#include "Ports.h"

TformInterAct::TformInterAct(QWidget* parent) : QDialog(parent) {
    setObjectName("TformInterAct");
    setWindowTitle(kInteractionTitle);
    setModal(true);
    lbAnfrageText_ = new QLabel(this);
    lbAnfrageText_->setObjectName("lbAnfrageText");
    edNumbr_ = new QLineEdit(this);
    edNumbr_->setObjectName("edNumbr");
    btnOK_ = new QPushButton("OK", this);
    btnOK_->setObjectName("btnOK");
    btnCancel_ = new QPushButton("abbrechen", this);
    btnCancel_->setObjectName("btnCancel");
    // Enter is taken by the number field itself; no button is the dialog's default.
    btnOK_->setAutoDefault(false);
    btnCancel_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK_);
    buttons->addWidget(btnCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbAnfrageText_);
    layout->addWidget(edNumbr_);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(btnOK_, &QPushButton::clicked, this, &TformInterAct::btnOKClick);
    connect(btnCancel_, &QPushButton::clicked, this, &TformInterAct::btnCancelClick);
    connect(edNumbr_, &QLineEdit::returnPressed, this, &TformInterAct::btnOKClick);
}

void TformInterAct::Begin(Interaction& interaction) {
    interaction_ = &interaction;
    lbAnfrageText_->setText(QString::fromStdString(interaction.Prompt()));
    edNumbr_->setText(QString::fromStdString(interaction.InitialText()));
    edNumbr_->selectAll();
    edNumbr_->setFocus();
    show();
}

void TformInterAct::Present(Interaction& interaction) {
    Begin(interaction);
    exec();
    // Closed some other way (the window's close box): that is a cancel.
    if (interaction.Outcome() != INTERACTIVE_VALUE_SET && interaction.Outcome() != INTERACTIVE_TEMPLATE_APPLIED)
        interaction.Cancel();
    interaction_ = nullptr;
}

void TformInterAct::btnOKClick() {
    if (!interaction_) return;
    Interaction::Refusal refusal;
    if (!interaction_->Confirm(edNumbr_->text().toStdString(), refusal)) {
        CurrentOperator().ShowMessage(refusal.message, refusal.title);
        edNumbr_->setFocus();
        return;
    }
    accept();
}

void TformInterAct::btnCancelClick() { reject(); }

void TformInterAct::reject() {
    if (interaction_) interaction_->Cancel();
    QDialog::reject();
}
