#include "HeadlessOperator.h"

#include "StringHelpers.h"

std::string TerminalText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

HeadlessOperator::HeadlessOperator(std::map<std::string, std::string> answers, std::ostream& err)
    : answers_(std::move(answers)), err_(err) {}

std::optional<std::string> HeadlessOperator::Answer(const std::string& first, const std::string& second) const {
    for (const std::string* name : {&first, &second}) {
        auto it = answers_.find(*name);
        if (it != answers_.end()) return it->second;
    }
    return std::nullopt;
}

void HeadlessOperator::Refuse(const std::string& question, const std::string& name, const std::string& example) {
    ++refused_;
    err_ << "quarzel-run: no answer for " << question << "; give one with --answer \"" << name << "=" << example
         << "\"\n";
}

void HeadlessOperator::ShowMessage(const std::string& text, const std::string& title) {
    err_ << "[" << title << "] " << TerminalText(text) << "\n";
}

bool HeadlessOperator::AskYesNo(const std::string& text, const std::string& title) {
    if (auto a = Answer(title, text)) {
        const std::string v = UpperCase(*a);
        return v == "YES" || v == "Y" || v == "JA" || v == "TRUE" || v == "1";
    }
    Refuse("the question \"" + TerminalText(text) + "\" (" + title + ")", title, "yes|no");
    return false;
}

std::optional<std::string> HeadlessOperator::AskValue(const std::string& prompt, const std::string& title,
                                                      const std::string&) {
    if (auto a = Answer(prompt, title)) return a;
    Refuse("the value \"" + prompt + "\" (" + title + ")", prompt, "VALUE");
    return std::nullopt;
}

void HeadlessOperator::ShowNotice(const std::string& title, const std::string& text) {
    err_ << "[" << title << "]\n" << TerminalText(text) << "\n";
}

std::optional<std::string> HeadlessOperator::ChooseOpenFile(const std::string& title, const std::string&,
                                                            const std::string&) {
    if (auto a = Answer(title, title)) return a;
    Refuse("the file to open (" + title + ")", title, "PATH");
    return std::nullopt;
}

std::optional<std::string> HeadlessOperator::ChooseSaveFile(const std::string& title, const std::string&,
                                                            const std::string&) {
    if (auto a = Answer(title, title)) return a;
    Refuse("the file to save (" + title + ")", title, "PATH");
    return std::nullopt;
}
