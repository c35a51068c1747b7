#pragma once

#include <QString>

class QMdiArea;
class PlayerWindow;
struct PlayerWindows;

// Table > PlayerTable: shows the single player grid window inside area,
// loading it from the league at databasePath if there is none, otherwise
// bringing the open one forward; open holds it and its card. Returns the
// window, or nullptr when its load failed (the error has been shown and no
// window is left).
PlayerWindow* openPlayerWindow(PlayerWindows& open, QMdiArea* area, const QString& databasePath);
