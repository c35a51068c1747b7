#pragma once

#include <QSize>

class QMdiArea;
class QMdiSubWindow;

// Where a small window (a dialog, a report) goes inside the main window's
// document area.

// Makes window no larger than the area's visible part and moves it into that
// part, so its title bar and close box can be reached.
void fitWindowIntoArea(QMdiSubWindow* window, QMdiArea* area, QSize wanted);

// However window is activated (its command, a click, the Window menu,
// Ctrl+F6, a window closing), the area would maximize it beside a maximized
// window and restore that one: for its activation the area keeps the others
// as they are. Call before the window is added to area.
void keepOthersMaximized(QMdiSubWindow* window, QMdiArea* area);
