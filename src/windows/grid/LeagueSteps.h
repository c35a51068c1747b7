#pragma once

#include "core/db/Error.h"
#include "core/db/RowWriter.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

// One change of a league in the program's history. The change is written
// before the step is recorded; the history takes a step back or makes it
// again by calling writeUndo() or writeRedo(), and moves only when that
// write succeeded. So a step refuses (the league changed since, say) with
// the league and the history left as they were.
class LeagueStep
{
public:
    // text names the change: "Change of SP for Jo Walker", "Global Edit".
    // counters: the league's change counter as the change found and left
    // it, read under its lock; empty when unknown.
    LeagueStep(QString league, QString text, std::optional<db::CounterMove> counters);
    virtual ~LeagueStep() = default;
    LeagueStep(const LeagueStep&) = delete;
    LeagueStep& operator=(const LeagueStep&) = delete;

    // The league file the step changed.
    const QString& league() const { return m_league; }
    const QString& text() const { return m_text; }
    // All or nothing: an error means nothing was written. leagueCounter: the
    // change counter the league has while nothing outside the history
    // changed it since this step was last written; empty when something may
    // have. A step whose rows are its own guard need not look at it.
    virtual db::Error writeUndo(std::optional<quint32> leagueCounter) = 0;
    virtual db::Error writeRedo(std::optional<quint32> leagueCounter) = 0;
    // Backups the step restores; pruning keeps them.
    virtual QStringList neededBackups() const { return {}; }
    // The league's change counter as the step's last write found and left it.
    std::optional<db::CounterMove> counters() const { return m_counters; }

protected:
    void setCounters(std::optional<db::CounterMove> counters) { m_counters = counters; }

private:
    QString m_league;
    QString m_text;
    std::optional<db::CounterMove> m_counters;
};

// A row as the history keeps it: its key and its stored values, each in its
// storage type, in the order of RowChange::fields.
struct RowImage {
    qint64 key = 0;
    QVector<QVariant> values;
};

// What one write did to rows of a table: a change of one row (before and
// after hold it), rows added (after only) or rows deleted (before only).
struct RowChange {
    QString league;
    QString table;
    QString text; // what the menu calls it
    QStringList fields;
    QList<RowImage> before;
    QList<RowImage> after;
    // The league's change counter as the write found and left it (read
    // under its lock: RowWriter::lastCounterMove); empty when unknown.
    std::optional<db::CounterMove> counters;
};

// Takes a RowChange back and makes it again through the record set's guarded
// writes: a row that no longer holds what the step wrote, or a key another
// row has taken since, refuses with RowVanished and writes nothing.
//
// A window that writes fields of a row itself (the player card, say) records
// its save as
//   RowChange c{league, table, "Change of Ratings for Jo Walker", fields,
//               {{rowid, oldValues}}, {{rowid, newValues}}, writer.lastCounterMove()};
//   history->record(new RowStep(c));
// after its own write succeeded; the values are the stored ones. Only the
// fields listed are checked and written.
class RowStep : public LeagueStep
{
public:
    explicit RowStep(RowChange change);

    db::Error writeUndo(std::optional<quint32>) override
    {
        return write(m_change.after, m_change.before);
    }
    db::Error writeRedo(std::optional<quint32>) override
    {
        return write(m_change.before, m_change.after);
    }
    const RowChange& change() const { return m_change; }

private:
    db::Error write(const QList<RowImage>& from, const QList<RowImage>& to);

    RowChange m_change;
};
