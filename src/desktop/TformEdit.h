#pragma once
// The edit dialog: up to six captioned fields filled by the caller's descriptors. OK checks the
// active fields (a text in each; a number of up to 4 bytes unless free text) and stores them;
// the first failing field keeps the dialog open.

#include <QDialog>
#include <array>

#include "Ports.h"

class QLabel;
class QLineEdit;

class TformEdit final : public QDialog {
    Q_OBJECT
public:
    explicit TformEdit(QWidget* parent = nullptr);

    // Shows the active fields of `fields` modally; true on OK (the texts and values are stored).
    bool Present(EditFieldSet& fields);
    // Loads `fields` into the controls and shows the dialog without waiting.
    void Begin(EditFieldSet& fields);

    void btnOkClick();
    void btnCancelClick();

private:
    std::array<QLabel*, 6> labels_{};
    std::array<QLineEdit*, 6> edits_{};
    EditFieldSet* fields_ = nullptr;
};
