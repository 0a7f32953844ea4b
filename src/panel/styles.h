#pragma once

#include <QLatin1String>

class QWidget;

// Every indicator of the panel is a push button whose whole style sheet is one of
// these strings. Several differ only in blanks; they are used exactly as written.
inline constexpr char styleIdle[] =
    "background-color: QLinearGradient( x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #565656, "
    "stop: 0.1 #525252, stop: 0.5 #4e4e4e, stop: 0.9 #4a4a4a, stop: 1 #464646);";
inline constexpr char styleStandby[] =
    "background-color: QLinearGradient( x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #565656, "
    "stop: 0.1 #525252, stop: 0.5 #4e4e4e, stop: 0.9 #4a4a4a, stop: 1 #464646);"
    "border-width: 1px;border-color: #1e1e1e;border-style: solid;border-radius: 6;"
    "padding: 3px;font-size: 12px;padding-left: 5px;padding-right: 5px; border: 2px solid "
    "QLinearGradient( x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #ffa02f, stop: 1 #d7801a);";
inline constexpr char styleActive[] = "background-color:  rgb(254, 237, 137);";
inline constexpr char styleSelected[] =
    "background-color:  rgb(254, 237, 137); color:  rgb(0, 0, 0);";
inline constexpr char styleGroup[] = "background-color:  rgb(2, 115, 112);";
inline constexpr char styleRxSelected[] = "background-color: rgb(254, 237, 137);";
inline constexpr char styleBusy[] = "background-color:  rgb(255, 0, 0);";
inline constexpr char styleAlert[] = "background-color: rgb(255, 0, 0);";
inline constexpr char styleReleaseAll[] = "background-color: rgb(255,0,0);";
inline constexpr char styleLinkUp[] = "background-color: rgb(0, 220, 0);color: rgb(0, 0, 0);";

// Gives the widget the style sheet unless it already carries exactly that one: setting
// a sheet re-polishes the widget even when nothing changes. A null style leaves the
// widget as it is.
void applyStyle(QWidget *widget, const char *style);
