#include "VirtualBusKind.h"

#include "CanInterfaceKinds.h"
#include "StringHelpers.h"
#include "VirtualCanInterface.h"

void RegisterVirtualBusKind() {
    CanInterfaceKind kind;
    kind.name = "station-virtual-bus";
    kind.matches = [](const std::string& typ) { return UpperCase(typ) == "VIRTUAL"; };
    kind.create = [](const std::string&, std::string&) -> std::shared_ptr<AbstractCanInterface> {
        return std::make_shared<VirtualCanInterface>(VirtualBus::Default());
    };
    RegisterCanInterfaceKind(std::move(kind));
}
