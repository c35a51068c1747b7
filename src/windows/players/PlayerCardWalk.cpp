// The player card and the player grid: showing the grid's current player,
// walking its rows in its order with Previous and Next, and closing.
#include "windows/players/PlayerCard.h"

#include "core/db/RecordSet.h"
#include "windows/grid/GridView.h"
#include "windows/grid/SharedMeanings.h"
#include "windows/grid/TableConnection.h"
#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"
#include "windows/players/RatingsTable.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

PlayerCard* PlayerCard::showFor(PlayerWindows& open, PlayerWindow* grid)
{
    auto* gridWindow = qobject_cast<QMdiSubWindow*>(grid->parentWidget());
    QMdiArea* area = gridWindow ? gridWindow->mdiArea() : nullptr;
    // The card reads the file: an edited grid row is settled first.
    if (!area || !grid->resolvePendingEdit())
        return nullptr;
    std::unique_ptr<PlayerCard> made(open.card ? nullptr
                                               : new PlayerCard(SharedMeanings::of(area)));
    PlayerCard* card = made ? made.get() : open.card.data();
    card->m_open = &open;
    if (!card->attach(grid))
        return nullptr;
    // The grid's current player; with no current row, the card's own or the first.
    const db::RecordSet* rs = grid->model()->recordSet();
    const int current = grid->gridView()->currentIndex().row();
    const int row = current >= 0 ? current : std::max(0, card->gridRow());
    if (row < rs->count()) {
        if (row != current)
            card->moveGridTo(row); // the card follows
        else
            card->gridRowChanged();
    }
    if (made && card->m_player.key() < 0)
        return nullptr; // no player to show (the filter hides them all), or his error was shown
    present(open, area, std::move(made), card);
    return card;
}

void PlayerCard::present(PlayerWindows& open, QMdiArea* area, std::unique_ptr<PlayerCard> made,
                         PlayerCard* card)
{
    QMdiSubWindow* sub =
        made ? new QMdiSubWindow : qobject_cast<QMdiSubWindow*>(card->parentWidget());
    if (made) {
        open.card = made.release();
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWidget(card);
        area->addSubWindow(sub);
        sub->resize(sub->sizeHint().boundedTo(area->viewport()->size()));
        sub->show();
        card->m_table->setFocus();
    } else if (sub && sub->isMinimized()) {
        sub->showNormal();
    }
    area->setActiveSubWindow(sub);
}

bool PlayerCard::attach(PlayerWindow* grid)
{
    if (grid == m_grid)
        return true;
    if (!openLeague(grid->connection()->leaguePath()))
        return false;
    m_list.reset();
    if (m_grid)
        disconnect(m_grid, nullptr, this, nullptr);
    m_grid = grid;
    connect(grid->gridView()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &PlayerCard::gridRowChanged);
    connect(grid->model(), &QAbstractItemModel::modelReset, this, &PlayerCard::updateButtons);
    connect(grid, &TableWindow::closed, this, [this] {
        disconnect(m_grid, nullptr, this, nullptr);
        m_grid = nullptr; // Previous and Next have no order to follow any more
        updateButtons();
    });
    return true;
}

int PlayerCard::gridRow() const
{
    if (m_list)
        return int(m_list->indexOf(m_player.key()));
    if (!m_grid || !m_grid->model()->recordSet())
        return -1;
    const db::RecordSet* rs = m_grid->model()->recordSet();
    const int current = m_grid->gridView()->currentIndex().row();
    if (m_player.key() < 0)
        return current < rs->count() ? current : -1;
    if (current >= 0 && current < rs->count() && rs->key(current) == m_player.key())
        return current;
    return rs->rowOfKey(m_player.key());
}

void PlayerCard::moveGridTo(int row)
{
    GridView* view = m_grid->gridView();
    int column = view->currentIndex().column();
    if (column < 0 || view->isColumnHidden(column))
        column = 0; // the league name, never hidden
    const QModelIndex cell = m_grid->model()->index(row, column);
    view->setCurrentIndex(cell);
    view->scrollTo(cell);
}

void PlayerCard::gridRowChanged()
{
    // The grid's own current row, not the signal's: the grid may have moved
    // back to a row whose edit it could not write.
    const db::RecordSet* rs = m_grid ? m_grid->model()->recordSet() : nullptr;
    const int row = m_grid ? m_grid->gridView()->currentIndex().row() : -1;
    if (!rs || row < 0 || row >= rs->count() || rs->key(row) == m_player.key()) {
        updateButtons();
        return;
    }
    if (leavePlayer())
        showPlayer(rs->key(row));
    updateButtons();
}

void PlayerCard::previous()
{
    const int row = gridRow();
    if (row > 0 && leavePlayer()) {
        if (m_list) {
            showPlayer(m_list->at(row - 1));
            updateButtons();
        } else {
            moveGridTo(row - 1);
        }
    }
}

void PlayerCard::next()
{
    if (const int row = gridRow(); m_list && row + 1 < m_list->size() && leavePlayer()) {
        showPlayer(m_list->at(row + 1));
        updateButtons();
    }
    if (!m_grid || !m_grid->model()->recordSet())
        return;
    const int row = gridRow();
    if (row + 1 < m_grid->model()->recordSet()->count() && leavePlayer())
        moveGridTo(row + 1);
}

void PlayerCard::follow(PlayerWindow* grid)
{
    if (!attach(grid))
        return;
    // The grid goes to the card's player when it shows him; else the card
    // shows the grid's current player.
    const int row = gridRow();
    if (row >= 0 && row != grid->gridView()->currentIndex().row())
        moveGridTo(row);
    else
        gridRowChanged();
}

void PlayerCard::closeWindow()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void PlayerCard::closeEvent(QCloseEvent* event)
{
    if (!leavePlayer()) {
        event->ignore();
        return;
    }
    // A closing card is no longer the one the command brings forward, even
    // before it is deleted.
    if (m_open && m_open->card == this)
        m_open->card = nullptr;
    event->accept();
}
