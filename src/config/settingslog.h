#pragma once

#include <QLoggingCategory>

// The panel's own debugging lines (the legacy port keys read at start-up, the receive
// keys pressed, the receive antenna put back by the controller, a settings value that
// was refused). Off by default; switch them on with
//   QT_LOGGING_RULES="orvik.panel.debug=true"
// The category lives in the widget-free library because the settings readers there
// write to it too; the widget code reaches it through app/panellog.h.
Q_DECLARE_LOGGING_CATEGORY(lcPanel)
