#pragma once

#include "core/db/Error.h"
#include "windows/grid/LeagueSteps.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace backups {
struct UndoPoint;
}

// "before Clear Database of 2026-12-06 16:20:31", from the backup's name;
// empty when the backup is not listed.
QString takenBefore(const QString& league, const QString& backup);

// A command that replaced the league as a whole (Global Edit, Clear
// Database, Restore Backup), taken back by restoring the backup taken before
// it and made again by restoring the one an undo keeps of the state it
// replaced. Either is refused when the league changed since (by another
// program, or by a change the history does not hold).
class BackupStep : public LeagueStep
{
public:
    // point: the backup taken before the command and the league's change
    // counter right after it.
    explicit BackupStep(const backups::UndoPoint& point);

    db::Error writeUndo(std::optional<quint32> leagueCounter) override;
    db::Error writeRedo(std::optional<quint32> leagueCounter) override;
    QStringList neededBackups() const override { return {m_before, m_after}; }
    // "before Global Edit of 2026-12-06 16:20:31", the state an undo went
    // back to; empty when its backup is no longer listed.
    QString undoneTo() const { return m_undoneTo; }

private:
    db::Error replace(const QString& backup, const QString& command, QString* savedAs,
                      std::optional<quint32> leagueCounter, const QString& refusal);

    QString m_command;
    QString m_before; // the league before the command
    QString m_after;  // the league after it, kept by the last undo
    QString m_undoneTo;
};

// The one undo history of the league the program works on: every change the
// program writes to it (a grid's edit, added or deleted rows, a global edit,
// Clear Database, a restore, the player card's saves) is one step. It belongs
// to that league: another league starts an empty one.
//
// A window records a change it has written with record(); the main window's
// Edit > Undo and Edit > Redo go through undo() and redo(), which write
// first and move only when the write succeeded.
//
// The history follows the league's change counter through its own writes:
// each found under its lock the counter the one before left, or something
// outside the history changed the league in between. A step that restores
// a backup over the league is refused when that happened after its own last
// write (the restore would lose it); a step of rows is guarded by its rows.
//
// It holds at most [Backups] Keep steps that replace the league as a whole:
// a newer one drops the oldest and every step before it, so their backups
// can be pruned. (A QUndoStack cannot drop its oldest commands once it
// holds any, so the history keeps its own list.)
class LeagueHistory : public QObject
{
    Q_OBJECT
public:
    explicit LeagueHistory(QObject* parent = nullptr);
    ~LeagueHistory() override;

    QString league() const { return m_league; }
    // Another league clears the history; the same file keeps it.
    void setLeague(const QString& path);
    // Whether path names the file the history belongs to.
    bool holds(const QString& path) const;

    // Records a change already written; takes the step. A step of another
    // league is dropped: false. note gets a sentence for the status bar when
    // older steps were dropped to keep within [Backups] Keep.
    bool record(LeagueStep* step, QString* note = nullptr);
    // A write of the league that can be no step (a restore over a league
    // that did not open: there is nothing to go back to), leaving the change
    // counter given. The steps before it stay.
    void continueAt(std::optional<quint32> counter);
    // The steps, oldest first, done and undone.
    int count() const { return int(m_steps.size()); }
    QString text(int index) const;
    // The step Undo or Redo would take now, or nullptr.
    LeagueStep* nextUndo() const;
    LeagueStep* nextRedo() const;
    // Writes the step back or again; on error nothing was written and the
    // history stays where it was.
    db::Error undo();
    db::Error redo();

signals:
    // The history moved, grew or was cleared.
    void changed();
    // A command that replaced the league as a whole has been recorded.
    void leagueReplaced(const QString& league);

private:
    struct Entry {
        std::unique_ptr<LeagueStep> step;
        quint64 written = 0; // the history's write that was the step's last
    };
    db::Error move(bool back);
    // After the step's write: whether it found the counter the history's
    // last write left, and what it left.
    void noteWrite(Entry& entry);
    // The counter the league has while nothing outside changed it since the
    // step's last write; empty when something may have.
    std::optional<quint32> counterFor(const Entry& entry) const;
    // Drops the oldest steps past Keep; the status bar's sentence, if any.
    QString dropPastKeep();
    void historyChanged();

    std::vector<Entry> m_steps;
    size_t m_done = 0; // m_steps[0, m_done) are done, the rest undone
    QString m_league;
    std::optional<quint32> m_counter; // as the history's last write left it
    quint64 m_writes = 0;             // the history's writes so far
    quint64 m_outsideChange = 0;      // the write that found another's change
};
