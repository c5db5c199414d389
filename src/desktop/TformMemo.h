#pragma once
// The notice dialog: a text to read before going on, closed with "Weiter".

#include <QDialog>
#include <string>

class QPlainTextEdit;

class TformMemo final : public QDialog {
    Q_OBJECT
public:
    explicit TformMemo(QWidget* parent = nullptr);
    // Shows `text` modally until "Weiter" is pressed.
    void Present(const std::string& title, const std::string& text);
    // Loads the text and shows the dialog without waiting.
    void Begin(const std::string& title, const std::string& text);

private:
    QPlainTextEdit* memEvident_;
};
