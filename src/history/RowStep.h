#pragma once

#include "core/db/Error.h"
#include "core/db/RowWriter.h"
#include "history/LeagueStep.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

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
// row has taken since, refuses with RowVanished and writes nothing. Only the
// fields listed are checked and written; the values are the stored ones.
// Windows do not make these: they hand their RowChange to the history
// (LeagueHistory::record), which checks that it is of its league.
class RowStep : public LeagueStep
{
public:
    explicit RowStep(RowChange change);

    db::Error writeUndo(const StepWrite&) override
    {
        return write(m_change.after, m_change.before);
    }
    db::Error writeRedo(const StepWrite&) override
    {
        return write(m_change.before, m_change.after);
    }
    const RowChange& change() const { return m_change; }

private:
    db::Error write(const QList<RowImage>& from, const QList<RowImage>& to);

    RowChange m_change;
};
