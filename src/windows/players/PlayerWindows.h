#pragma once

#include <QPointer>

class PlayerWindow;
class PlayerCard;
class QMdiSubWindow;

// The player windows there is only ever one of. The main window owns one of
// these and hands it to the player grid, which hands it to the card; a
// closed window leaves its pointer null.
struct PlayerWindows {
    QPointer<PlayerWindow> grid;
    QPointer<PlayerCard> card;
    QPointer<QMdiSubWindow> compare; // Compare Players
};
