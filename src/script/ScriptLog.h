#pragma once
// Diagnostics of the script level (variables, expressions); off by default.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcScript)
