#pragma once
// An operator that says nothing and refuses every question, so fuzzing stays quiet.

#include "Ports.h"

class SilentOperator final : public OperatorPort {
public:
    void ShowMessage(const std::string&, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> AskValue(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void ShowNotice(const std::string&, const std::string&) override {}
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
};
