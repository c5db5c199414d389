#include "InteractiveInput.h"

#include <cstdio>
#include <optional>

#include "CanChannel.h"
#include "DataLists.h"
#include "Dispatcher.h"
#include "Expressions.h"
#include "NamedValueList.h"
#include "Numbers.h"
#include "Ports.h"
#include "ScriptRun.h"
#include "StringHelpers.h"

namespace {
constexpr std::string_view kValueTag = "Value:";
constexpr int kMaxTemplateBytes = 4;

InteractionPresenter& Presenter() {
    static InteractionPresenter presenter;
    return presenter;
}

std::function<void()>& ParameterListener() {
    static std::function<void()> listener;
    return listener;
}

bool StartsWithValueTag(std::string_view text) { return text.substr(0, kValueTag.size()) == kValueTag; }

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

// The byte template of parameter 3 ("Value:" + items "Yk:" + kind letter): the number of "I"
// items (least significant byte first), or nullopt when an item is of kind "M", there is no
// "I" item, more than four, or a stray "I"/"M" outside the items (it would be replaced too).
std::optional<int> TemplateBytes(std::string_view layout) {
    int inputs = 0;
    for (char k = '0'; k <= '7'; ++k) {
        const std::string item = std::string("Y") + k + ":";
        const size_t at = layout.find(item);
        if (at == std::string_view::npos || at + item.size() >= layout.size()) continue;
        const char kind = layout[at + item.size()];
        if (kind == 'M') return std::nullopt;
        if (kind == 'I') ++inputs;
    }
    int letters = 0;
    for (char c : layout)
        if (c == 'I' || c == 'M') ++letters;
    if (inputs < 1 || inputs > kMaxTemplateBytes || letters != inputs) return std::nullopt;
    return inputs;
}

// The operator answers through OperatorPort::AskValue.
void AskThroughOperator(Interaction& interaction) {
    std::optional<std::string> refusedAnswer;
    std::string initial = interaction.InitialText();
    for (;;) {
        std::optional<std::string> answer = CurrentOperator().AskValue(interaction.Prompt(), kInteractionTitle, initial);
        if (!answer || (refusedAnswer && *refusedAnswer == *answer)) {
            interaction.Cancel();
            return;
        }
        Interaction::Refusal refusal;
        if (interaction.Confirm(*answer, refusal)) return;
        CurrentOperator().ShowMessage(refusal.message, refusal.title);
        refusedAnswer = *answer;
        initial = *answer;
    }
}

void NotifyParameterChanged() {
    if (ParameterListener()) ParameterListener()();
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}
}  // namespace

bool Interaction::Activate(const TestInstruction& instruction) {
    instruction_ = instruction;
    prompt_ = std::string(TextFrom(instruction.command, 1));
    serialNumber_ = false;
    value_ = 0;
    if (prompt_.empty()) {
        outcome_ = INTERACTIVE_NOT_EXECUTED;
        initial_.clear();
        return false;
    }
    outcome_ = 0;
    uint32_t current = 0;
    if (!ScriptVariables().Lookup(prompt_, current)) current = 0;
    if (prompt_ == "Serial number") {
        serialNumber_ = true;
        if (current != 0) ++current;
    }
    initial_ = std::to_string(current);
    return true;
}

bool Interaction::Confirm(const std::string& text, Refusal& refusal) {
    if (IsBlank(text)) {
        refusal = {"No value was specified", kInteractiveInputTitle};
        return false;
    }
    int32_t value = 0;
    if (EvalExpression(std::string(kValueTag) + text, value) != EXPR_OK) {
        refusal = {"No number was specified", kInteractiveInputTitle};
        return false;
    }
    if (StartsWithValueTag(instruction_.param3)) {
        const std::string_view layout = TextFrom(instruction_.param3, kValueTag.size());
        std::string expanded = std::string(kValueTag) + Hex(static_cast<uint32_t>(value));
        if (!TemplateBytes(layout) || ExpandByteLayout(expanded, layout) != EXPR_OK) {
            refusal = {"Syntax error in command string of test file\nContinue with CANCEL", kInteractiveInputTitle};
            return false;
        }
        instruction_.param3 = CutText(expanded, kMaxFieldChars);
        instruction_.command = "B:Gen";
        outcome_ = INTERACTIVE_TEMPLATE_APPLIED;
    } else {
        outcome_ = INTERACTIVE_VALUE_SET;
    }
    value_ = value;
    return true;
}

void Interaction::Cancel() { outcome_ = INTERACTIVE_CANCELLED; }

void SetInteractionPresenter(InteractionPresenter presenter) { Presenter() = std::move(presenter); }

void SetNodeParameterListener(std::function<void()> listener) { ParameterListener() = std::move(listener); }

uint32_t RunInteractiveInput(TestInstruction& work) {
    const std::string name(TextFrom(work.command, 1));
    if (name.empty()) return INTERACTIVE_NOT_EXECUTED;
    ProtocolLine& line = CurrentRun().protocolLine;

    int32_t value = 0;
    uint32_t outcome = INTERACTIVE_VALUE_SET;
    if (StartsWithValueTag(work.param1)) {
        if (EvalExpression(work.param1, value) != EXPR_OK) return INTERACTIVE_NOT_EXECUTED;
    } else {
        RunControl& run = CurrentRunControl();
        run.StopScriptTimer();
        Interaction interaction;
        if (!interaction.Activate(work)) return INTERACTIVE_NOT_EXECUTED;
        if (Presenter())
            Presenter()(interaction);
        else
            AskThroughOperator(interaction);
        if (interaction.Outcome() != INTERACTIVE_TEMPLATE_APPLIED && interaction.Outcome() != INTERACTIVE_VALUE_SET) {
            // Cancelled: the run ends here. The step itself is reported, not as an unknown command.
            line.commandText = "Input cancelled - no further action";
            line.transmit = true;
            line.status = STATUS_OK;
            run.AbandonRun();
            return INTERACTIVE_CANCELLED;
        }
        run.StartScriptTimer();
        value = interaction.Value();
        outcome = interaction.Outcome();
        if (outcome == INTERACTIVE_TEMPLATE_APPLIED) work = interaction.Instruction();
    }

    if (name == "Baudr") {
        const int index = BitRateToIndex(value);
        if (index < 0) {
            line.commandText = "wrong baud rate: " + std::to_string(value);
            return INTERACTIVE_NOT_EXECUTED;
        }
        ScriptVariables().Set("Baudr", static_cast<uint32_t>(index));
        // The channel runs at the rate it was opened with: open it again at the new one.
        CanClose();
        CanOpen();
        CurrentChannelStatus().ShowBitRate(value);
    } else if (name == "Timer") {
        ScriptVariables().Set("Timer", static_cast<uint32_t>(value));
        CurrentRunControl().SetScriptTimerInterval(value);
    } else if (name == "NodeId") {
        // Node addresses outside 0 ... 127 are ignored, as on the main window.
        if (value >= 0 && value <= 127) ScriptVariables().Set("NodeId", static_cast<uint32_t>(value));
    } else {
        ScriptVariables().Set(name, static_cast<uint32_t>(value));
    }
    NotifyParameterChanged();

    line.commandText = "Parameter: " + name + " = " + std::to_string(value);
    line.valueText = Hex(static_cast<uint32_t>(value));
    line.valueShown = true;
    line.transmit = true;
    line.status = STATUS_OK;
    CurrentRun().pendingStep = nullptr;
    return outcome;
}

void InstallInteractiveInput() { SetInteractiveInputStep(RunInteractiveInput); }
