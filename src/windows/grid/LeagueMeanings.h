#pragma once

#include "core/db/Meanings.h"

#include <QObject>
#include <QString>

namespace db {
class Database;
}

// The meanings of one league's codes, shared by every window on it, so the
// teams and conferences are read once per change of their tables and the
// players' ids once per change of PlayerTable, not once per window. A change
// the program writes is told with tableWritten(); a change another program
// made is found by the file's size and time when a window reads its rows
// again (opening, sorting, filtering) and is read in full on Refresh.
class LeagueMeanings : public QObject
{
    Q_OBJECT
public:
    // Reads what is not read yet or what the file has changed under.
    void update(db::Database& database);
    // Reads it all again (Refresh, a league replaced by Undo or a restore).
    void reread(db::Database& database);
    // The program wrote rows of table through database.
    void tableWritten(db::Database& database, const QString& table);

    const db::LeagueLookup& lookup() const { return m_lookup; }
    db::LeagueLookup& lookup() { return m_lookup; }

signals:
    // The meanings changed: windows show their coded cells anew.
    void changed();

private:
    friend class SharedMeanings; // makes one per league
    explicit LeagueMeanings(const QString& path);
    QByteArray fileStamp() const;
    void readTeams(db::Database& database);

    QString m_path;
    QByteArray m_stamp; // the file as last read; empty: nothing read
    db::LeagueLookup m_lookup;
};
