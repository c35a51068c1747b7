#pragma once

#include <QString>

class QMdiArea;
class PlayerWindow;

// Table > PlayerTable: shows the single player grid window inside area,
// loading it from the league at databasePath if there is none, otherwise
// bringing the open one forward. Returns the window, or nullptr when its
// load failed (the error has been shown and no window is left).
PlayerWindow* openPlayerWindow(QMdiArea* area, const QString& databasePath);
