#include "windows/players/PlayerCommands.h"

#include "windows/players/PlayerCard.h"
#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"

#include <QPointer>

PlayerCard* showPlayerCard(PlayerWindows& open, PlayerWindow* grid)
{
    PlayerCard* card = PlayerCard::showFor(open, grid);
    // The card's saves become steps of the history as the grid's own do.
    // (A card that walked a Team Page's list reported to that page.)
    if (card) {
        QObject::disconnect(card, &PlayerCard::rowsWritten, nullptr, nullptr);
        QObject::connect(card, &PlayerCard::rowsWritten, grid, &TableWindow::rowsWritten);
    }
    return card;
}

PlayerWindow* openPlayerWindow(PlayerWindows& open, QMdiArea* area, const QString& databasePath)
{
    const QPointer<PlayerWindow> before = open.grid;
    if (!PlayerWindow::showSingle(open, area, databasePath))
        return nullptr;
    PlayerWindow* grid = open.grid.data();
    if (grid != before) // a new window: its card requests come here
        QObject::connect(grid, &PlayerWindow::playerCardRequested, grid,
                         [&open, grid] { showPlayerCard(open, grid); });
    return grid;
}
