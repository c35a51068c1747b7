#pragma once

#include "core/backups/Backups.h"
#include "core/db/Error.h"
#include "history/LeagueStep.h"

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The one undo history of the league the program works on: every change the
// program writes to it (a grid's edit, added or deleted rows, a global edit,
// Clear Database, a restore, the player card's saves) is one step. It belongs
// to that league: another league starts an empty one, the same file (under
// any name, and after the program renamed a file over it) keeps it.
//
// A change already written becomes a step through record() alone, which
// drops a step of another league; a command that replaces the league as a
// whole gets undoReceiver() for its CommandBackup. Edit > Undo and Edit >
// Redo go through undo() and redo(), which write first and move only when
// the write succeeded.
//
// The history follows the league's change counter through its own writes:
// each found under its lock the counter the one before left, or something
// outside the history changed the league in between. A step that restores
// a backup over the league is refused when that happened after its own last
// write (the restore would lose it); a step of rows is guarded by its rows.
//
// It holds at most [Backups] Keep steps that replace the league as a whole:
// a newer one drops the oldest and every step before it, so their backups
// can be pruned. A QUndoStack cannot drop its oldest commands once it holds
// any, so the history keeps its own list of steps; steps() mirrors it, one
// command (which writes nothing) per step, its index the steps done, so
// menus follow QUndoStack's signals.
class LeagueHistory : public QObject
{
    Q_OBJECT
public:
    // keep reads [Backups] Keep each time the history needs it.
    explicit LeagueHistory(std::function<backups::KeepRule()> keep, QObject* parent = nullptr);
    ~LeagueHistory() override;

    QString league() const { return m_league; }
    // Another league clears the history; the same file keeps it.
    void setLeague(const QString& path);
    // Whether path names the file the history belongs to. The path is
    // compared afresh each time, so a file renamed over the league's (a
    // restore over a damaged league) is still the league.
    bool holds(const QString& path) const;

    // Records a change already written; a step of another league is dropped:
    // false. note gets a sentence for the status bar when older steps were
    // dropped to keep within [Backups] Keep; their backups are left to the
    // caller's prune, which spares neededBackups().
    bool record(std::unique_ptr<LeagueStep> step, QString* note = nullptr);
    // What a command that replaces the league as a whole hands its
    // CommandBackup: records its undo point as a step and prunes the
    // league's backups, sparing those the history may still restore.
    backups::UndoReceiver undoReceiver();
    // File > Restore Backup: restores backup over league as command, one
    // step of the history; a restore over a league that did not open is none
    // (there is nothing to go back to), and the steps before it stay. note
    // gets record()'s sentence.
    db::Error restore(const QString& league, const QString& backup, const QString& command,
                      backups::RestoreResult* result, QString* note);

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
    // The backups the steps may still restore.
    QStringList neededBackups() const;
    // The steps as a QUndoStack whose commands write nothing: its signals
    // say what Undo and Redo would take. Only the history moves it.
    const QUndoStack* steps() const { return &m_stack; }

signals:
    // The history moved, grew or was cleared.
    void changed();
    // The league was replaced as a whole: a restore, or a command recorded.
    void leagueReplaced(const QString& league);

private:
    struct Entry {
        std::unique_ptr<LeagueStep> step;
        quint64 written = 0; // the history's write that was the step's last
    };
    db::Error move(bool back);
    // A write of the league that can be no step, leaving the change counter
    // given.
    void continueAt(std::optional<quint32> counter);
    // After the step's write: whether it found the counter the history's
    // last write left, and what it left.
    void noteWrite(Entry& entry);
    // What the step's next write gets from the history.
    StepWrite writeFor(const Entry& entry) const;
    // Drops the oldest steps past Keep; the status bar's sentence, if any.
    QString dropPastKeep();
    // Makes the stack hold one command per step, done as the steps are.
    void mirrorSteps(size_t done);
    size_t done() const { return size_t(m_stack.index()); }

    std::function<backups::KeepRule()> m_keep;
    std::vector<Entry> m_steps;
    QUndoStack m_stack; // m_steps[0, index) are done, the rest undone
    QString m_league;
    std::optional<quint32> m_counter; // as the history's last write left it
    quint64 m_writes = 0;             // the history's writes so far
    quint64 m_outsideChange = 0;      // the write that found another's change
};
