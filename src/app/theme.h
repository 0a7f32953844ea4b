#pragma once

#include <QString>

// The panel and its dialogs share one dark theme. The main window shows white text;
// the dialogs use a softer grey and a fixed button font size so their forms stay compact.
enum class ThemeVariant { MainWindow, Dialog };

QString darkStyleSheet(ThemeVariant variant);
