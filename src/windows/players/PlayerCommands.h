#pragma once

#include <QString>

class QMdiArea;
class PlayerCard;
class PlayerWindow;
struct PlayerWindows;

// Table > PlayerTable: shows the single player grid window inside area,
// loading it from the league at databasePath if there is none, otherwise
// bringing the open one forward; open holds it and its card. Returns the
// window, or nullptr when its load failed (the error has been shown and no
// window is left).
PlayerWindow* openPlayerWindow(PlayerWindows& open, QMdiArea* area, const QString& databasePath);

// The player card for grid's current row, brought forward when it is open;
// nullptr when it cannot show one (the error has been shown).
PlayerCard* showPlayerCard(PlayerWindows& open, PlayerWindow* grid);
