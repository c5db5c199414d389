#include "TformMemo.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "MainWindowTexts.h"

TformMemo::TformMemo(QWidget* parent) : QDialog(parent) {
    setObjectName("TformMemo");
    setWindowTitle("WICHTIGE MITTEILUNG");
    setModal(true);
    memEvident_ = new QPlainTextEdit(this);
    memEvident_->setObjectName("memEvident");
    memEvident_->setReadOnly(true);
    auto* next = new QPushButton("Weiter", this);
    next->setObjectName("btnMemoWeiter");
    next->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(next);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memEvident_);
    layout->addLayout(buttons);
    resize(560, 380);
    connect(next, &QPushButton::clicked, this, &QDialog::accept);
}

void TformMemo::Begin(const std::string& title, const std::string& text) {
    if (!title.empty()) setWindowTitle(QString::fromStdString(title));
    memEvident_->setPlainText(QString::fromStdString(NoticeDisplayText(text)));
    show();
}

void TformMemo::Present(const std::string& title, const std::string& text) {
    Begin(title, text);
    exec();
}
