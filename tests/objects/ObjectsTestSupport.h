#pragma once
// Helpers of the object tool tests: an operator that also fills the edit dialog, and a node
// that answers the station's SDO requests from a script.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "Ports.h"
#include "VirtualBus.h"

// Records messages; EditFields takes the texts queued in `edits` (field 2 value, field 3 length).
class EditingOperator final : public OperatorPort {
public:
    struct Edit {
        uint32_t value;
        uint32_t length;
    };
    std::deque<Edit> edits;
    std::vector<std::string> messages;  // "title: text"
    std::vector<EditFieldSet> shownFields;
    std::deque<std::string> files;

    void ShowMessage(const std::string& text, const std::string& title) override { messages.push_back(title + ": " + text); }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> AskValue(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void ShowNotice(const std::string&, const std::string&) override {}
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&, const std::string&) override {
        return Next();
    }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&, const std::string&) override {
        return Next();
    }
    bool EditFields(EditFieldSet& fields) override {
        shownFields.push_back(fields);
        if (edits.empty()) return false;
        fields[2].value = edits.front().value;
        fields[3].value = edits.front().length;
        fields[3].text = std::to_string(edits.front().length);
        edits.pop_front();
        return true;
    }

private:
    std::optional<std::string> Next() {
        if (files.empty()) return std::nullopt;
        std::string f = files.front();
        files.pop_front();
        return f;
    }
};

// Answers every frame on 0x600 + node with the next scripted answer on 0x580 + node (none left:
// silence) and keeps the requests.
class ScriptedSdoNode {
public:
    ScriptedSdoNode(VirtualBus& bus, uint8_t node) : endpoint_(bus.CreateEndpoint("scripted sdo")), node_(node) {
        endpoint_->Open(0);
        endpoint_->SetHandler([this](const BusFrame& f) {
            if (f.id != 0x600u + node_) return;
            requests.push_back(f);
            if (answers.empty()) return;
            BusFrame a;
            a.id = 0x580u + node_;
            a.len = 8;
            a.data = answers.front();
            answers.pop_front();
            endpoint_->Send(a);
        });
    }
    ~ScriptedSdoNode() { endpoint_->SetHandler(nullptr); }

    std::deque<std::array<uint8_t, 8>> answers;
    std::vector<BusFrame> requests;

private:
    std::shared_ptr<VirtualEndpoint> endpoint_;
    uint8_t node_;
};
