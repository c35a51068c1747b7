#include "history/BackupStep.h"

#include "core/backups/Backups.h"

#include <QDir>

QString takenBefore(const QString& league, const QString& backup)
{
    for (const backups::Backup& b : backups::list(league)) {
        if (b.path == backup)
            return QStringLiteral("before %1 of %2")
                .arg(b.command, b.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
    return {};
}

namespace {
std::optional<db::CounterMove> commandCounters(const backups::UndoPoint& point)
{
    return db::CounterMove{point.counter - 1u, point.counter}; // one commit that wrote
}
} // namespace

BackupStep::BackupStep(const backups::UndoPoint& point)
    : LeagueStep(point.league, point.command, commandCounters(point)), m_command(point.command),
      m_before(point.backup)
{
}

db::Error BackupStep::replace(const QString& backup, const QString& command, QString* savedAs,
                              const StepWrite& write, const QString& refusal)
{
    if (!write.leagueCounter)
        return {db::LeagueChanged, refusal};
    const QString shown = takenBefore(league(), backup); // the backup may be pruned after
    backups::RestoreResult restored;
    db::Error e = backups::restore(league(), backup, command, write.keep, write.neededBackups,
                                   write.leagueCounter, &restored);
    if (e.number == db::LeagueChanged)
        return {db::LeagueChanged, refusal};
    if (e)
        return e;
    *savedAs = restored.savedAs;
    m_undoneTo = shown;
    setCounters(restored.counter
                    ? std::optional(db::CounterMove{*write.leagueCounter, *restored.counter})
                    : std::nullopt);
    return {};
}

db::Error BackupStep::writeUndo(const StepWrite& write)
{
    return replace(m_before, QStringLiteral("Undo ") + m_command, &m_after, write,
                   QStringLiteral("The league %1 has changed since the last %2, so it cannot "
                                  "be undone.\n\nUse File > Restore Backup to go back to the "
                                  "backup taken before it.")
                       .arg(db::quotedPath(league()), m_command));
}

db::Error BackupStep::writeRedo(const StepWrite& write)
{
    return replace(m_after, QStringLiteral("Redo ") + m_command, &m_before, write,
                   QStringLiteral("The league %1 has changed since %2 was undone, so it "
                                  "cannot be redone.\n\nUse File > Restore Backup to go back to "
                                  "the backup taken before the undo.")
                       .arg(db::quotedPath(league()), m_command));
}
