#pragma once
// The interactive input step of "&" instructions ("&" + parameter name): the value comes from
// parameter 1 ("Value:" + expression) or from the operator, is applied to the named parameter,
// and may be spread over a byte template in parameter 3 that turns the instruction into a
// "B:Gen" frame. The desktop shows its interaction dialog; quarzel-run answers through
// OperatorPort::AskValue.

#include <cstdint>
#include <functional>
#include <string>

#include "TestInstruction.h"

// One interaction with the operator, as its dialog sees it.
class Interaction {
public:
    // Why a confirmed text was refused; the dialog shows it and stays open.
    struct Refusal {
        std::string message;
        std::string title;
    };

    // Prepares the interaction for `instruction`. False (outcome INTERACTIVE_NOT_EXECUTED) when
    // its name is empty: nothing to ask.
    bool Activate(const TestInstruction& instruction);

    // The parameter name.
    const std::string& Prompt() const { return prompt_; }
    // The current value of the variable of that name in decimal (0 when unset); for
    // "Serial number" a non-zero value is proposed incremented by one.
    const std::string& InitialText() const { return initial_; }
    bool IsSerialNumber() const { return serialNumber_; }

    // OK with the entered text. Accepted: the outcome and value are set and the dialog closes
    // (true). Refused: `refusal` says why and the dialog stays (false).
    bool Confirm(const std::string& text, Refusal& refusal);
    // Cancel (or Escape): outcome INTERACTIVE_CANCELLED.
    void Cancel();

    uint32_t Outcome() const { return outcome_; }
    int32_t Value() const { return value_; }
    // The instruction, rewritten into a "B:Gen" frame when the template was applied.
    const TestInstruction& Instruction() const { return instruction_; }

private:
    TestInstruction instruction_;
    std::string prompt_;
    std::string initial_;
    bool serialNumber_ = false;
    uint32_t outcome_ = 0;
    int32_t value_ = 0;
};

// The title of the interaction and of its messages.
inline constexpr const char* kInteractionTitle = "INTERAKTION";
inline constexpr const char* kInteractiveInputTitle = "INTERAKTIVE EINGABE";

// Shows an interaction to the operator and returns once it is confirmed or cancelled.
using InteractionPresenter = std::function<void(Interaction&)>;
// The desktop installs its dialog; null restores the default, which asks through
// CurrentOperator().AskValue (a refused answer is shown and asked again; the same refused
// answer twice, or no answer, cancels).
void SetInteractionPresenter(InteractionPresenter presenter);
// Called after a step changed a node parameter (Baudr, Timer, NodeId, ...), so the main window
// can show the new value. Null: nobody is told.
void SetNodeParameterListener(std::function<void()> listener);

// The step: returns INTERACTIVE_NOT_EXECUTED, INTERACTIVE_TEMPLATE_APPLIED (then `work` is the
// rewritten instruction), INTERACTIVE_VALUE_SET or INTERACTIVE_CANCELLED (the run ends: the runner
// is abandoned and the row reads "Input cancelled - no further action").
uint32_t RunInteractiveInput(TestInstruction& work);
// Installs RunInteractiveInput as the dispatcher's interactive input step.
void InstallInteractiveInput();
