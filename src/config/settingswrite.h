#pragma once

class QMainWindow;
class QSettings;

// Writes what the handle holds and, when it did not reach the disk, tells the operator
// in the window's status bar which file could not be saved. What the window already
// shows stays as it is. Returns whether the values were saved.
bool saveOrReport(QSettings &settings, QMainWindow *window);
