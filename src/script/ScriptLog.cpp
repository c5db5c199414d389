#include "ScriptLog.h"

Q_LOGGING_CATEGORY(lcScript, "quarzel.script", QtWarningMsg)
