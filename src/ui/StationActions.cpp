#include "StationActions.h"

#include <map>

namespace {
std::map<std::string, StationAction>& Actions() {
    static std::map<std::string, StationAction> actions;
    return actions;
}
}  // namespace

void RegisterStationAction(const std::string& controlName, StationAction action) {
    if (action)
        Actions()[controlName] = std::move(action);
    else
        Actions().erase(controlName);
}

const StationAction* FindStationAction(const std::string& controlName) {
    auto it = Actions().find(controlName);
    return it == Actions().end() ? nullptr : &it->second;
}

void ClearStationActions() { Actions().clear(); }
