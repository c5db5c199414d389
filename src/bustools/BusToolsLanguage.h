#pragma once
// The English texts of the trace window ("TFormTrace") and the bus test ("TformBusTest").

// Registers both tables with the language rows (see LanguageRows.h).
void RegisterBusToolsLanguageTables();
