#include "DesktopOperator.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "FileDialogFilter.h"
#include "MainWindowTexts.h"
#include "TformEdit.h"
#include "TformMemo.h"
#include "TformSerNrShow.h"

namespace {
QString Q(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

DesktopOperator::DesktopOperator(QWidget* parent, TformEdit& edit, TformSerNrShow& serialNumber)
    : parent_(parent), edit_(edit), serialNumber_(serialNumber) {}

void DesktopOperator::ShowMessage(const std::string& text, const std::string& title) {
    QMessageBox::information(parent_, Q(title), Q(MessageDisplayText(text)));
}

bool DesktopOperator::AskYesNo(const std::string& text, const std::string& title) {
    return QMessageBox::question(parent_, Q(title), Q(MessageDisplayText(text)), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> DesktopOperator::AskValue(const std::string& prompt, const std::string& title,
                                                     const std::string& initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, Q(title), Q(MessageDisplayText(prompt)), QLineEdit::Normal, Q(initial), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

void DesktopOperator::ShowNotice(const std::string& title, const std::string& text) {
    // The notice window is made when a notice is to be shown.
    TformMemo memo(parent_);
    memo.Present(title, text);
}

std::optional<std::string> DesktopOperator::ChooseOpenFile(const std::string& title, const std::string& filter,
                                                           const std::string& startPath) {
    const QString path = QFileDialog::getOpenFileName(parent_, Q(title), Q(startPath), Q(FileDialogFilter(filter)));
    if (path.isEmpty()) return std::nullopt;
    return path.toLocal8Bit().toStdString();
}

std::optional<std::string> DesktopOperator::ChooseSaveFile(const std::string& title, const std::string& filter,
                                                           const std::string& startPath) {
    const QString path = QFileDialog::getSaveFileName(parent_, Q(title), Q(startPath), Q(FileDialogFilter(filter)));
    if (path.isEmpty()) return std::nullopt;
    return path.toLocal8Bit().toStdString();
}

bool DesktopOperator::EditFields(EditFieldSet& fields) { return edit_.Present(fields); }

void DesktopOperator::ShowSerialNumber(uint32_t serialNumber) { serialNumber_.Present(serialNumber); }
