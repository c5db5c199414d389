#include "TformEdit.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "EditFieldChecks.h"
#include "LanguageRows.h"

namespace {
constexpr LanguageRow kEditRows[] = {
    {TextKind::Title, "", "EDIT"},
    {TextKind::Button, "btnCancel", "Cancel"},
};
}  // namespace

TformEdit::TformEdit(QWidget* parent) : QDialog(parent) {
    setObjectName("TformEdit");
    setWindowTitle("EDITIEREN");
    setModal(true);
    auto* form = new QFormLayout;
    for (size_t k = 0; k < edits_.size(); ++k) {
        const QString n = QString::number(static_cast<int>(k) + 1);
        labels_[k] = new QLabel(this);
        labels_[k]->setObjectName("lab" + n);
        edits_[k] = new QLineEdit(this);
        edits_[k]->setObjectName("edEdit" + n);
        form->addRow(labels_[k], edits_[k]);
    }
    auto* ok = new QPushButton("Ok", this);
    ok->setObjectName("btnOk");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Abbruch", this);
    cancel->setObjectName("btnCancel");
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(360);
    connect(ok, &QPushButton::clicked, this, &TformEdit::btnOkClick);
    connect(cancel, &QPushButton::clicked, this, &TformEdit::btnCancelClick);
    ApplyLanguageRows(this, kEditRows);
}

void TformEdit::Begin(EditFieldSet& fields) {
    fields_ = &fields;
    bool focused = false;
    for (size_t k = 0; k < edits_.size(); ++k) {
        const EditField& f = fields[k];
        labels_[k]->setText(QString::fromStdString(f.caption));
        edits_[k]->setText(QString::fromStdString(f.text));
        labels_[k]->setVisible(f.active);
        edits_[k]->setVisible(f.active);
        if (f.active && !focused) {
            edits_[k]->setFocus();
            edits_[k]->selectAll();
            focused = true;
        }
    }
    adjustSize();
    show();
}

bool TformEdit::Present(EditFieldSet& fields) {
    Begin(fields);
    const bool ok = exec() == QDialog::Accepted;
    fields_ = nullptr;
    return ok;
}

void TformEdit::btnOkClick() {
    if (!fields_) return;
    std::array<std::string, 6> texts;
    for (size_t k = 0; k < edits_.size(); ++k) texts[k] = edits_[k]->text().toStdString();
    if (const auto refusal = AcceptEditFields(*fields_, texts)) {
        CurrentOperator().ShowMessage(refusal->message, refusal->title);
        edits_[refusal->field]->setFocus();
        return;
    }
    accept();
}

void TformEdit::btnCancelClick() { reject(); }
