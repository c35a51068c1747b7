#pragma once

#include "history/LeagueStep.h"

#include <QString>
#include <QStringList>
#include <optional>

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

    db::Error writeUndo(const StepWrite& write) override;
    db::Error writeRedo(const StepWrite& write) override;
    bool replacesLeague() const override { return true; }
    QStringList neededBackups() const override { return {m_before, m_after}; }
    // "before Global Edit of 2026-12-06 16:20:31", the state an undo went
    // back to; empty when its backup is no longer listed.
    QString undoneTo() const { return m_undoneTo; }

private:
    db::Error replace(const QString& backup, const QString& command, QString* savedAs,
                      const StepWrite& write, const QString& refusal);

    QString m_command;
    QString m_before; // the league before the command
    QString m_after;  // the league after it, kept by the last undo
    QString m_undoneTo;
};
