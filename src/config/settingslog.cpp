#include "config/settingslog.h"

Q_LOGGING_CATEGORY(lcPanel, "orvik.panel", QtWarningMsg)
