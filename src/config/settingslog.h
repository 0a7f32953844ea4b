#pragma once

#include <QLoggingCategory>

// The panel's own debugging lines: a settings value that was refused, with its key and
// the value found. Off by default; switch them on with
//   QT_LOGGING_RULES="orvik.panel.debug=true"
Q_DECLARE_LOGGING_CATEGORY(lcPanel)
