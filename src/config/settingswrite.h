#pragma once

#include "config/settingsvalues.h"

class QMainWindow;

// Writes the values to the panel file and, when they did not reach the disk, tells the
// operator in the window's status bar which file could not be saved; the file and what
// this process reads from it stay as they were. What the window already shows stays as
// it is. Returns whether the values were saved.
bool saveOrReport(const IniValues &values, QMainWindow *window);
