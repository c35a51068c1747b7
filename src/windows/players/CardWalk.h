#pragma once

#include <QObject>
#include <QPointer>
#include <QVector>
#include <optional>

class CardEditor;
class PlayerEdits;
class PlayerWindow;

// Which player the card shows, and Previous and Next: the player grid's
// current row, walking the grid's rows in its order and filter and moving
// the grid's current row with them; or a list of players handed over (a Team
// Page's). A grid closed and opened again is followed anew.
class CardWalk : public QObject
{
    Q_OBJECT
public:
    CardWalk(const PlayerEdits& player, CardEditor& editor, QObject* parent);

    // Follows grid and shows its current player; with no current row the
    // card's own or the first. False when the grid's league did not open.
    bool showGridRow(PlayerWindow* grid);
    // Follows grid from now on (the player grid opened again after the
    // card's was closed), which moves to the card's player.
    void follow(PlayerWindow* grid);
    // Walks keys, the players of the league at path, from keys[index].
    bool showList(const QString& path, const QVector<qint64>& keys, int index);

    void previous();
    void next();
    bool hasPrevious() const;
    bool hasNext() const;

signals:
    // The card's place in the grid or list, or their length, changed.
    void moved();

private:
    bool attach(PlayerWindow* grid);
    void detach();
    // The card's player's row in the grid or list; -1 when not in it.
    int row() const;
    int count() const;
    void moveGridTo(int row);
    void gridRowChanged();
    void showListed(qint64 key);

    const PlayerEdits& m_player;
    CardEditor& m_editor;
    QPointer<PlayerWindow> m_grid;
    std::optional<QVector<qint64>> m_list; // the keys Previous and Next walk, when no grid
};
