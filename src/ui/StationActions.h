#pragma once
// Handlers of main-window menu entries and buttons that other parts of the station bring
// (interactive node control, searches, tool windows). The main window binds every control by
// its object name: a control with a handler is enabled and calls it; one without stays disabled.
// Register before the main window is created.

#include <functional>
#include <string>

using StationAction = std::function<void()>;

void RegisterStationAction(const std::string& controlName, StationAction action);
// The handler for `controlName`, or null.
const StationAction* FindStationAction(const std::string& controlName);
void ClearStationActions();
