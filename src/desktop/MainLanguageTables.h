#pragma once
// The English texts of the main window and of its main menu.

#include <span>

#include "LanguageRows.h"

std::span<const LanguageRow> MainWindowLanguageTable();
std::span<const LanguageRow> MainMenuLanguageTable();

// The main menu table applied to the main window.
int ApplyMenuLanguage(QObject* mainWindow);
