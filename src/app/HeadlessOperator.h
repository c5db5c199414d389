#pragma once
// The operator of quarzel-run: messages and notices go to the error stream; questions are
// answered from --answer NAME=VALUE options, or refused with a message naming the option.

#include <map>
#include <ostream>
#include <string>

#include "Ports.h"

class HeadlessOperator final : public OperatorPort {
public:
    // `answers`: NAME -> VALUE. A question's NAME is its prompt (value questions) or its title.
    HeadlessOperator(std::map<std::string, std::string> answers, std::ostream& err);

    void ShowMessage(const std::string& text, const std::string& title) override;
    bool AskYesNo(const std::string& text, const std::string& title) override;
    std::optional<std::string> AskValue(const std::string& prompt, const std::string& title,
                                        const std::string& initial) override;
    void ShowNotice(const std::string& title, const std::string& text) override;
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string& startPath) override;
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string& startPath) override;

    // How many questions were refused for want of an answer.
    int Refused() const { return refused_; }

private:
    std::optional<std::string> Answer(const std::string& first, const std::string& second) const;
    void Refuse(const std::string& question, const std::string& name, const std::string& example);

    std::map<std::string, std::string> answers_;
    std::ostream& err_;
    int refused_ = 0;
};

// Station texts use "\r" and "\n" as line breaks; on a terminal each becomes one line break.
std::string TerminalText(const std::string& text);
