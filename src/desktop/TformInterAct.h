#pragma once
// The interaction dialog of "&" instructions: the prompt, a number field, OK and "abbrechen".
// Enter in the field acts as OK, Escape as cancel. A refused value keeps the dialog open with a
// message; the dialog closes once the value is accepted or the interaction cancelled.

#include <QDialog>

class Interaction;
class QLabel;
class QLineEdit;
class QPushButton;

class TformInterAct final : public QDialog {
    Q_OBJECT
public:
    explicit TformInterAct(QWidget* parent = nullptr);

    // Shows `interaction` modally and returns when it is accepted or cancelled.
    void Present(Interaction& interaction);
    // Loads `interaction` into the controls and shows the dialog without waiting (Present
    // uses it; window tests drive the dialog from there).
    void Begin(Interaction& interaction);

    void btnOKClick();
    void btnCancelClick();
    void reject() override;

private:
    QLabel* lbAnfrageText_;
    QLineEdit* edNumbr_;
    QPushButton* btnOK_;
    QPushButton* btnCancel_;
    Interaction* interaction_ = nullptr;
};
