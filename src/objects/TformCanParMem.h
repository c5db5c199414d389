#pragma once
// The parameter memory window: the FLASH and EEPROM areas of the memory map, each with its
// communication and sensor parameters (address, name, value), and the read and clear buttons
// of each area, enabled once the bootloader operations are installed.

#include <QDialog>
#include <array>

#include "ParameterMemory.h"

class QLabel;
class QPushButton;
class QTableWidget;

class TformCanParMem final : public QDialog {
    Q_OBJECT
public:
    TformCanParMem(OperatorPort& op, QWidget* parent = nullptr);
    ~TformCanParMem() override;

    // Shows the window with the memory map of the loaded test file, else "Memory.dat".
    void Present();
    ParameterMemory& Memory() { return memory_; }

private:
    void Refresh();

    OperatorPort& op_;
    ParameterMemory memory_;
    std::array<QTableWidget*, kMemoryAreaCount> tables_{};
    std::array<QLabel*, kMemoryAreaCount> summaries_{};
    std::array<QPushButton*, kMemoryAreaCount> reads_{};
    std::array<QPushButton*, kMemoryAreaCount> clears_{};
};
