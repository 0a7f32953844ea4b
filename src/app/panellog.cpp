#include "app/panellog.h"

Q_LOGGING_CATEGORY(lcPanel, "orvik.panel", QtWarningMsg)
