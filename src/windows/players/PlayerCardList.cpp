// The player card away from the player grid: walking a list of players
// handed to it (the Team Page's), and adding its player to Compare Players.
#include "windows/compare/ComparePlayersWindow.h"
#include "windows/grid/SharedMeanings.h"
#include "windows/players/PlayerCard.h"
#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"

#include "core/db/Database.h"

#include <QMdiArea>
#include <QMdiSubWindow>

PlayerCard* PlayerCard::showList(PlayerWindows& open, QMdiArea* area, const QString& path,
                                 const QVector<qint64>& keys, int index)
{
    if (index < 0 || index >= keys.size())
        return nullptr;
    std::unique_ptr<PlayerCard> made(open.card ? nullptr
                                               : new PlayerCard(SharedMeanings::of(area)));
    PlayerCard* card = made ? made.get() : open.card.data();
    card->m_open = &open;
    if (!card->openLeague(path))
        return nullptr;
    if (card->m_grid)
        disconnect(card->m_grid, nullptr, card, nullptr);
    card->m_grid = nullptr;
    card->m_list = keys;
    if (keys[index] != card->m_player.key() && card->leavePlayer())
        card->showPlayer(keys[index]);
    card->updateButtons();
    if (made && card->m_player.key() < 0)
        return nullptr; // his error was shown
    present(open, area, std::move(made), card);
    return card;
}

void PlayerCard::compare()
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (m_player.key() >= 0 && m_open && sub && sub->mdiArea())
        ComparePlayersWindow::compare(m_open->compare, sub->mdiArea(), m_player.leaguePath(),
                                      {m_player.key()}, false);
}
