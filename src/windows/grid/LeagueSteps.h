#pragma once

#include "core/db/Error.h"

#include <QList>
#include <QStringList>
#include <QUndoCommand>
#include <QVariant>
#include <QVector>

// One change of a league in the program's history (the main window's
// QUndoStack). The change is written before the step is pushed, so pushing
// writes nothing; the history takes a step back or makes it again by calling
// writeUndo() or writeRedo() first, and moves the stack only when that write
// succeeded. So a step refuses (the league changed since, say) with the
// league and the history left as they were, which QUndoCommand::undo()
// itself cannot do.
class LeagueStep : public QUndoCommand
{
public:
    // text names the change: "Change of SP for Jo Walker", "Global Edit".
    LeagueStep(QString league, const QString& text);

    // The league file the step changed.
    const QString& league() const { return m_league; }
    // All or nothing: an error means nothing was written.
    virtual db::Error writeUndo() = 0;
    virtual db::Error writeRedo() = 0;
    // Backups the step restores; pruning keeps them.
    virtual QStringList neededBackups() const { return {}; }

    // The stack only records where the history stands: the writes are done.
    void undo() final {}
    void redo() final {}

private:
    QString m_league;
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
};

// Takes a RowChange back and makes it again through the record set's guarded
// writes: a row that no longer holds what the step wrote, or a key another
// row has taken since, refuses with RowVanished and writes nothing.
//
// A window that writes fields of a row itself (the player card, say) records
// its save as
//   RowChange c{league, table, "Change of Ratings for Jo Walker", fields,
//               {{rowid, oldValues}}, {{rowid, newValues}}};
//   stack->push(new RowStep(c));
// after its own write succeeded; the values are the stored ones. Only the
// fields listed are checked and written.
class RowStep : public LeagueStep
{
public:
    explicit RowStep(RowChange change);

    db::Error writeUndo() override { return write(m_change.after, m_change.before); }
    db::Error writeRedo() override { return write(m_change.before, m_change.after); }
    const RowChange& change() const { return m_change; }

private:
    db::Error write(const QList<RowImage>& from, const QList<RowImage>& to) const;

    RowChange m_change;
};
