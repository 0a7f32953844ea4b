#include "panel/panelstate.h"

PanelState panelState;
