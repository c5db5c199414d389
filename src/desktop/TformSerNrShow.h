#pragma once
// The serial-number dialog: "Seriennummer", the number, "OK".

#include <QDialog>
#include <cstdint>

class QLabel;

class TformSerNrShow final : public QDialog {
    Q_OBJECT
public:
    explicit TformSerNrShow(QWidget* parent = nullptr);
    // Shows `serialNumber` (decimal) modally until "OK".
    void Present(uint32_t serialNumber);
    // Sets the number and shows the dialog without waiting.
    void Begin(uint32_t serialNumber);

private:
    QLabel* labSerNr_;
};
