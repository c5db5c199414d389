#pragma once
// A scripted operator for tests: records every call and answers from queues that the test
// fills beforehand. An unexpected question is answered "no" / cancel and recorded.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "Ports.h"

class ScriptedOperator final : public OperatorPort {
public:
    struct Call {
        std::string kind;  // "message", "yesno", "value", "notice", "open", "save"
        std::string text;
        std::string title;
    };

    ScriptedOperator() { SetOperatorPort(this); }
    ~ScriptedOperator() override { SetOperatorPort(nullptr); }

    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::string>> valueAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<Call> calls;

    void ShowMessage(const std::string& text, const std::string& title) override {
        calls.push_back({"message", text, title});
    }
    bool AskYesNo(const std::string& text, const std::string& title) override {
        calls.push_back({"yesno", text, title});
        if (yesNoAnswers.empty()) return false;
        bool a = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return a;
    }
    std::optional<std::string> AskValue(const std::string& prompt, const std::string& title,
                                        const std::string&) override {
        calls.push_back({"value", prompt, title});
        return Pop(valueAnswers);
    }
    void ShowNotice(const std::string& title, const std::string& text) override {
        calls.push_back({"notice", text, title});
    }
    std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                              const std::string&) override {
        calls.push_back({"open", filter, title});
        return Pop(fileAnswers);
    }
    std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                              const std::string&) override {
        calls.push_back({"save", filter, title});
        return Pop(fileAnswers);
    }

    // The messages shown, as "title: text".
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c.kind == "message") out.push_back(c.title + ": " + c.text);
        return out;
    }

private:
    static std::optional<std::string> Pop(std::deque<std::optional<std::string>>& q) {
        if (q.empty()) return std::nullopt;
        auto a = q.front();
        q.pop_front();
        return a;
    }
};

// Records what the channel shows in the main window's status labels.
class RecordingChannelStatus final : public ChannelStatusPort {
public:
    RecordingChannelStatus() { SetChannelStatusPort(this); }
    ~RecordingChannelStatus() override { SetChannelStatusPort(nullptr); }
    void ShowCanStatus(const std::string& text, StatusColor color) override {
        lastText = text;
        lastColor = color;
        texts.push_back(text);
    }
    void ShowBitRate(int kbit) override { lastBitRate = kbit; }

    std::string lastText;
    StatusColor lastColor = StatusColor::Default;
    int lastBitRate = 0;
    std::vector<std::string> texts;
};
