// The player card and the player grid: showing the grid's current player,
// walking its rows in its order with Previous and Next, or a list of players.
#include "windows/players/CardWalk.h"

#include "core/db/RecordSet.h"
#include "windows/grid/GridView.h"
#include "windows/grid/TableConnection.h"
#include "windows/players/CardEditor.h"
#include "windows/players/PlayerEdits.h"
#include "windows/players/PlayerWindow.h"

#include <algorithm>

CardWalk::CardWalk(const PlayerEdits& player, CardEditor& editor, QObject* parent)
    : QObject(parent), m_player(player), m_editor(editor)
{
}

bool CardWalk::showGridRow(PlayerWindow* grid)
{
    if (!attach(grid))
        return false;
    const db::RecordSet* rs = grid->model()->recordSet();
    const int current = grid->gridView()->currentIndex().row();
    const int shown = current >= 0 ? current : std::max(0, row());
    if (shown < rs->count()) {
        if (shown != current)
            moveGridTo(shown); // the card follows
        else
            gridRowChanged();
    }
    return true;
}

bool CardWalk::showList(const QString& path, const QVector<qint64>& keys, int index)
{
    if (!m_editor.openLeague(path))
        return false;
    detach();
    m_list = keys;
    if (keys[index] != m_player.key() && m_editor.leavePlayer())
        m_editor.showPlayer(keys[index]);
    emit moved();
    return true;
}

bool CardWalk::attach(PlayerWindow* grid)
{
    if (grid == m_grid)
        return true;
    if (!m_editor.openLeague(grid->connection()->leaguePath()))
        return false;
    m_list.reset();
    detach();
    m_grid = grid;
    connect(grid->gridView()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CardWalk::gridRowChanged);
    connect(grid->model(), &QAbstractItemModel::modelReset, this, &CardWalk::moved);
    connect(grid, &TableWindow::closed, this, [this] {
        detach(); // Previous and Next have no order to follow any more
        emit moved();
    });
    return true;
}

void CardWalk::detach()
{
    if (m_grid)
        disconnect(m_grid, nullptr, this, nullptr);
    m_grid = nullptr;
}

int CardWalk::row() const
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

int CardWalk::count() const
{
    const db::RecordSet* rs = m_grid ? m_grid->model()->recordSet() : nullptr;
    return m_list ? int(m_list->size()) : rs ? rs->count() : 0;
}

bool CardWalk::hasPrevious() const
{
    const int at = row();
    return at > 0 && at < count();
}

bool CardWalk::hasNext() const
{
    const int at = row();
    return at + 1 < count() && (at >= 0 || !m_list);
}

void CardWalk::moveGridTo(int row)
{
    GridView* view = m_grid->gridView();
    int column = view->currentIndex().column();
    if (column < 0 || view->isColumnHidden(column))
        column = 0; // the league name, never hidden
    const QModelIndex cell = m_grid->model()->index(row, column);
    view->setCurrentIndex(cell);
    view->scrollTo(cell);
}

void CardWalk::gridRowChanged()
{
    // The grid's own current row, not the signal's: the grid may have moved
    // back to a row whose edit it could not write.
    const db::RecordSet* rs = m_grid ? m_grid->model()->recordSet() : nullptr;
    const int row = m_grid ? m_grid->gridView()->currentIndex().row() : -1;
    if (rs && row >= 0 && row < rs->count() && rs->key(row) != m_player.key() &&
        m_editor.leavePlayer())
        m_editor.showPlayer(rs->key(row));
    emit moved();
}

void CardWalk::showListed(qint64 key)
{
    m_editor.showPlayer(key);
    emit moved();
}

void CardWalk::previous()
{
    const int at = row();
    if (at > 0 && m_editor.leavePlayer()) {
        if (m_list)
            showListed(m_list->at(at - 1));
        else
            moveGridTo(at - 1);
    }
}

void CardWalk::next()
{
    if (const int at = row(); m_list && at + 1 < m_list->size() && m_editor.leavePlayer())
        showListed(m_list->at(at + 1));
    if (!m_grid || !m_grid->model()->recordSet())
        return;
    const int at = row();
    if (at + 1 < m_grid->model()->recordSet()->count() && m_editor.leavePlayer())
        moveGridTo(at + 1);
}

void CardWalk::follow(PlayerWindow* grid)
{
    if (!attach(grid))
        return;
    // The grid goes to the card's player when it shows him; else the card
    // shows the grid's current player.
    const int at = row();
    if (at >= 0 && at != grid->gridView()->currentIndex().row())
        moveGridTo(at);
    else
        gridRowChanged();
}
