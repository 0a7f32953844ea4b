#pragma once

// The panel's logging category, "orvik.panel", defined once in the widget-free library.
#include "config/settingslog.h"
