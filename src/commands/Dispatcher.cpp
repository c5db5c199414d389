#include "Dispatcher.h"

#include <map>
#include <utility>
#include <vector>

namespace {
struct Registry {
    std::map<std::pair<CommandFamily, std::string>, CommandHandler> commands;
    std::vector<std::function<void()>> resets;
    InteractiveInputStep interactive;
};

Registry& TheRegistry() {
    static Registry r;
    return r;
}
}  // namespace

CommandFamily CommandFamilyOf(std::string_view name) {
    const std::string_view prefix = name.substr(0, 3);
    if (prefix == "SDO") return CommandFamily::Sdo;
    if (prefix == "NMT") return CommandFamily::Nmt;
    if (prefix == "LSS") return CommandFamily::Lss;
    if (prefix == "BEF") return CommandFamily::Bef;
    return CommandFamily::Misc;
}

bool RegisterCommand(CommandFamily family, const std::string& name, CommandHandler handler) {
    if (!handler || CommandFamilyOf(name) != family) return false;
    TheRegistry().commands[{family, name}] = std::move(handler);
    return true;
}

void RegisterPhaseReset(std::function<void()> reset) {
    if (reset) TheRegistry().resets.push_back(std::move(reset));
}

void ResetCommandPhases() {
    for (const auto& reset : TheRegistry().resets) reset();
}

void ClearCommandRegistry() { TheRegistry() = Registry{}; }

void SetInteractiveInputStep(InteractiveInputStep step) { TheRegistry().interactive = std::move(step); }

bool DispatchInstruction(std::span<const TestInstruction> instructions, int index) {
    if (index < 0 || static_cast<size_t>(index) >= instructions.size()) return false;
    ScriptRun& run = CurrentRun();
    run.workingInstruction = instructions[static_cast<size_t>(index)];
    TestInstruction& work = run.workingInstruction;

    if (!work.command.empty() && work.command[0] == '&') {
        const auto& step = TheRegistry().interactive;
        if (!step) return false;
        const uint32_t outcome = step(work);
        if (outcome == INTERACTIVE_VALUE_SET || outcome == INTERACTIVE_CANCELLED) return true;
        if (outcome == INTERACTIVE_NOT_EXECUTED) return false;
    }

    const size_t colon = work.command.find(':');
    if (colon == std::string::npos) return false;
    const std::string name = work.command.substr(colon + 1);
    const auto& commands = TheRegistry().commands;
    const auto it = commands.find({CommandFamilyOf(name), name});
    if (it == commands.end()) return false;
    // The handler may register or replace commands; call a copy.
    const CommandHandler handler = it->second;
    return handler(work);
}
