#pragma once

#include "core/db/Error.h"
#include "core/db/Schema.h"
#include "history/RowStep.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>
#include <array>
#include <memory>

namespace db {
class Database;
class RecordSet;
} // namespace db

// The player card's edit state: its league, the shown player's row as read,
// the values typed over it (by player column, in stored form), and writing
// them in one guarded write. It shows nothing and asks nothing.
class PlayerEdits
{
public:
    PlayerEdits();
    ~PlayerEdits();

    db::Database* league() const { return m_db.get(); }
    // Empty before a league was opened.
    QString leaguePath() const;
    // Uses the league at path from now on; no player is read from it yet.
    db::Error openLeague(const QString& path);

    // Reads the player with rowid key and drops the typed values; on an
    // error the player read before stays.
    db::Error read(qint64 key);
    // The player is gone: nothing to show or write; forgetValues also drops
    // what was read, else the card keeps it for reading only.
    void forgetRow(bool forgetValues);

    qint64 key() const { return m_key; } // -1: none read
    bool hasRow() const { return m_row != nullptr; }
    bool wasRead() const { return !m_readRow.isEmpty(); }
    bool hasChanges() const { return !m_changes.isEmpty(); }
    bool isChanged(int column) const { return m_changes.contains(column); }
    // A player column's value as typed, else as read.
    QVariant effective(int column) const;
    QVariant readValue(int column) const;

    // Takes typed, the stored text for a player column (text as typed), as
    // the field stores it; a value the same as read is no change. note gets
    // what a whole number stored from other text reads as.
    db::Error type(int column, const QString& typed, const QString& text, QString* note);
    void dropChanges() { m_changes.clear(); }
    // Writes the changed values when the row still holds what was read;
    // change gets the history's step, named for playerName.
    db::Error save(const QString& playerName, RowChange* change);

private:
    std::unique_ptr<db::Database> m_db;
    std::unique_ptr<db::RecordSet> m_row;                       // the shown player's one row
    qint64 m_key = -1;                                          // its rowid
    std::array<int, db::schema::PlayerColumnCount> m_fieldOf{}; // column -> m_row field
    QVector<QVariant> m_readRow;    // by field, as read: what a save checks
    QHash<int, QVariant> m_changes; // by column, in stored form
};
