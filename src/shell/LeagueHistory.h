#pragma once

#include "core/backups/Backups.h"
#include "core/db/Error.h"
#include "windows/grid/LeagueSteps.h"

#include <QObject>
#include <QString>

class QUndoStack;

// "before Clear Database of 2026-12-06 16:20:31", from the backup's name;
// empty when the backup is not listed.
QString takenBefore(const QString& league, const QString& backup);
// Whether two paths name the same league file.
bool sameLeagueFile(const QString& a, const QString& b);

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

    db::Error writeUndo() override;
    db::Error writeRedo() override;
    QStringList neededBackups() const override { return {m_before, m_after}; }
    // "before Global Edit of 2026-12-06 16:20:31", the state an undo went
    // back to; empty when its backup is no longer listed.
    QString undoneTo() const { return m_undoneTo; }

private:
    db::Error replace(const QString& backup, const QString& command, QString* savedAs,
                      const QString& refusal);

    QString m_command;
    QString m_before; // the league before the command
    QString m_after;  // the league after it, kept by the last undo
    quint32 m_counter = 0;
    QString m_undoneTo;
};

// The one undo history of the league the program works on: every change the
// program writes to it (a grid's edit, added or deleted rows, a global edit,
// Clear Database, a restore, the player card's saves) is one step. It belongs
// to that league: another league starts an empty one.
//
// A window records a change it has written with record(); the main window's
// Edit > Undo and Edit > Redo go through undo() and redo(), which write
// first and move the stack only when the write succeeded.
class LeagueHistory : public QObject
{
    Q_OBJECT
public:
    explicit LeagueHistory(QObject* parent = nullptr);

    QUndoStack* stack() const { return m_stack; }
    QString league() const { return m_league; }
    // Another league clears the history; the same file keeps it.
    void setLeague(const QString& path);
    // Whether path names the file the history belongs to.
    bool holds(const QString& path) const;

    // Records a change already written; takes the step. A step of another
    // league is dropped: false.
    bool record(LeagueStep* step);
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
    LeagueStep* stepAt(int index) const;
    void historyChanged();

    QUndoStack* m_stack;
    QString m_league;
};
