#pragma once
// Diagnostics of firmware programming (HEX reader, bootloader client); off by default.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcProg)
