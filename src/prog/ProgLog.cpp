#include "ProgLog.h"

Q_LOGGING_CATEGORY(lcProg, "quarzel.prog", QtWarningMsg)
