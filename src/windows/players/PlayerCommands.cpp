#include "windows/players/PlayerCommands.h"

#include "windows/players/PlayerCard.h"
#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"

#include <QPointer>

namespace {
// The card's saves become steps of the history as the grid's own do, and its
// notes reach the status bar as the grid's.
void connectCard(PlayerCard* card, PlayerWindow* grid)
{
    // A card that walked a Team Page's list gave its saves to the history
    // directly: from now on they go through the grid again, once.
    QObject::disconnect(card, &PlayerCard::rowsWritten, nullptr, nullptr);
    QObject::connect(card, &PlayerCard::rowsWritten, grid, &TableWindow::rowsWritten);
    QObject::connect(card, &PlayerCard::valueNoted, grid, &TableWindow::commandFinished,
                     Qt::UniqueConnection);
}
} // namespace

PlayerCard* showPlayerCard(PlayerWindows& open, PlayerWindow* grid)
{
    PlayerCard* card = PlayerCard::showFor(open, grid);
    if (card)
        connectCard(card, grid);
    return card;
}

PlayerWindow* openPlayerWindow(PlayerWindows& open, QMdiArea* area, const QString& databasePath)
{
    const QPointer<PlayerWindow> before = open.grid;
    if (!PlayerWindow::showSingle(open, area, databasePath))
        return nullptr;
    PlayerWindow* grid = open.grid.data();
    if (grid != before) { // a new window: its card requests come here
        QObject::connect(grid, &PlayerWindow::playerCardRequested, grid,
                         [&open, grid] { showPlayerCard(open, grid); });
        // A card left open from the window closed before follows this one.
        if (PlayerCard* card = open.card) {
            card->follow(grid);
            connectCard(card, grid);
        }
    }
    return grid;
}
