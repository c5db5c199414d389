#pragma once
// The main window's menu bar with every entry, named for the language tables and for the
// handlers that bind to them. Captions are the station's German ones; the main menu table
// turns the named ones English.

class QMenuBar;

inline constexpr int kHistoryMenuEntries = 10;

// Fills `bar`. The history entries are "mnuTestDat1" ... "mnuTestDat10"; the Hardware menu
// "mnuHardware" holds only its first entry until it is opened.
void BuildMainMenu(QMenuBar* bar);
