#include "SimulatorKinds.h"

#include <cctype>

#include "CanChannel.h"
#include "CanInterfaceKinds.h"
#include "CanSettings.h"
#include "SimBusClient.h"
#include "SimBusProtocol.h"
#include "SimulatorCanInterface.h"

namespace {
// The value without surrounding blanks, its leading word in lower case.
std::string Normalised(const std::string& value) {
    const auto first = value.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = value.find_last_not_of(" \t\r\n");
    std::string v = value.substr(first, last - first + 1);
    for (size_t i = 0; i < v.size() && v[i] != ':'; ++i) v[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(v[i])));
    return v;
}

bool HasPrefix(const std::string& v, const std::string& word) {
    return v == word || v.rfind(word + ":", 0) == 0;
}

std::vector<CanChannelInfo> ListSimulatorChannel() {
    std::shared_ptr<AbstractCanInterface> owner = std::dynamic_pointer_cast<SimulatorCanInterface>(CanCurrentInterface());
    if (!owner) {
        std::string configured = CurrentCanSettings().Config("[CAN_TREIBER_TYP]");
        if (!IsSimTreiberTyp(configured)) configured = "sim";
        std::string error;
        owner = CreateSimulatorInterface(configured, error);
        if (!owner) return {};
    }
    std::vector<CanChannelInfo> entries;
    owner->GetChannelList(entries, true);
    return entries;
}
}  // namespace

bool IsSimTreiberTyp(const std::string& value) { return HasPrefix(Normalised(value), "sim"); }

bool IsSimBusTreiberTyp(const std::string& value) { return HasPrefix(Normalised(value), "simbus"); }

bool ParseSimTreiberTyp(const std::string& value, SimTreiberTyp& out, std::string& error) {
    std::string v = Normalised(value);
    if (!HasPrefix(v, "sim")) {
        error = "\"" + value + "\" is not a simulator interface (sim or sim:...)";
        return false;
    }
    std::string_view text(v);
    text.remove_prefix(text.size() > 3 ? 4 : 3);
    if (text.substr(0, 7) == "encoder") text.remove_prefix(7);
    if (!text.empty() && text.front() == '?') text.remove_prefix(1);
    SimTreiberTyp result;
    const bool ok = ForEachOptionPair(
        text,
        [&](std::string_view key, std::string_view val) {
            if (key == "timing") {
                if (val != "on" && val != "off") {
                    error = "option timing=" + std::string(val) + ": on or off expected";
                    return false;
                }
                result.busTiming = val == "on";
                return true;
            }
            if (key == "bus") {
                if (val != "default" && val != "own") {
                    error = "option bus=" + std::string(val) + ": default or own expected";
                    return false;
                }
                result.defaultBus = val == "default";
                return true;
            }
            return ApplyEncoderOption(result.encoder, key, val, error);
        },
        error);
    if (!ok) return false;
    out = std::move(result);
    return true;
}

std::shared_ptr<AbstractCanInterface> CreateSimulatorInterface(const std::string& value, std::string& error) {
    SimTreiberTyp parsed;
    if (!ParseSimTreiberTyp(value, parsed, error)) return nullptr;
    auto bus = parsed.defaultBus ? VirtualBus::Default() : VirtualBus::Create();
    if (parsed.busTiming) bus->SetBusTiming(true);
    return std::make_shared<SimulatorCanInterface>(bus, parsed.encoder);
}

void RegisterSimulatorCanInterfaceKinds() {
    CanInterfaceKind sim;
    sim.name = "sim";
    sim.matches = [](const std::string& v) { return IsSimTreiberTyp(v); };
    sim.create = CreateSimulatorInterface;
    sim.listChannels = ListSimulatorChannel;
    RegisterCanInterfaceKind(std::move(sim));

    CanInterfaceKind simbus;
    simbus.name = "simbus";
    simbus.matches = [](const std::string& v) { return IsSimBusTreiberTyp(v); };
    simbus.create = [](const std::string& value, std::string& error) -> std::shared_ptr<AbstractCanInterface> {
        const std::string v = Normalised(value);
        std::string path = v.size() > 6 ? v.substr(7) : std::string();
        if (path.empty()) path = DefaultSimBusSocketPath();
        return CreateSimBusInterface(path, error);
    };
    RegisterCanInterfaceKind(std::move(simbus));
}
