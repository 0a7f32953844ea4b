#pragma once

#include <QLoggingCategory>

// The panel's own debugging lines (the legacy port keys read at start-up, the receive
// keys pressed, the receive antenna put back by the controller). Off by default; switch
// them on with
//   QT_LOGGING_RULES="orvik.panel.debug=true"
Q_DECLARE_LOGGING_CATEGORY(lcPanel)
