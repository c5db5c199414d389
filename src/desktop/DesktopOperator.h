#pragma once
// The operator port of the desktop: message boxes, questions, file dialogs, and the station's
// own dialogs (notice, edit, serial number).

#include "Ports.h"

class QWidget;
class TformEdit;
class TformSerNrShow;

class DesktopOperator final : public OperatorPort {
public:
    DesktopOperator(QWidget* parent, TformEdit& edit, TformSerNrShow& serialNumber);

    void ShowMessage(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    std::optional<std::string> AskValue(const std::string& prompt, const std::string& title,
                                        const std::string& initial) override;
    void ShowNotice(const std::string& title, const std::string& text) override;
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& startPath) override;
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string& startPath) override;
    bool EditFields(EditFieldSet& fields) override;
    void ShowSerialNumber(uint32_t serialNumber) override;

private:
    QWidget* parent_;
    TformEdit& edit_;
    TformSerNrShow& serialNumber_;
};
