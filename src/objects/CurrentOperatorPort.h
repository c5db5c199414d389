#pragma once
// An operator port that passes every call to the port installed at the time of the call
// (CurrentOperator()), for windows made before the station installs its port, or whose port is
// replaced later (window tests answer through a scripted port).

#include "Ports.h"

class CurrentOperatorPort final : public OperatorPort {
public:
    void ShowMessage(const std::string& text, const std::string& title) override {
        CurrentOperator().ShowMessage(text, title);
    }
    bool AskYesNo(const std::string& text, const std::string& title) override {
        return CurrentOperator().AskYesNo(text, title);
    }
    std::optional<std::string> AskValue(const std::string& prompt, const std::string& title,
                                        const std::string& initial) override {
        return CurrentOperator().AskValue(prompt, title, initial);
    }
    void ShowNotice(const std::string& title, const std::string& text) override {
        CurrentOperator().ShowNotice(title, text);
    }
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& startPath) override {
        return CurrentOperator().ChooseOpenFile(title, filter, startPath);
    }
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string& startPath) override {
        return CurrentOperator().ChooseSaveFile(title, filter, startPath);
    }
    bool EditFields(EditFieldSet& fields) override { return CurrentOperator().EditFields(fields); }
    void ShowSerialNumber(uint32_t serialNumber) override { CurrentOperator().ShowSerialNumber(serialNumber); }
};
