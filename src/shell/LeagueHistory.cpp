#include "shell/LeagueHistory.h"

#include <QDir>
#include <QFileInfo>
#include <QUndoStack>

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

QString canonical(const QString& path)
{
    const QFileInfo file(path);
    const QString real = file.canonicalFilePath();
    return real.isEmpty() ? file.absoluteFilePath() : real;
}

} // namespace

bool sameLeagueFile(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() && canonical(a) == canonical(b);
}

BackupStep::BackupStep(const backups::UndoPoint& point)
    : LeagueStep(point.league, point.command), m_command(point.command), m_before(point.backup),
      m_counter(point.counter)
{
}

db::Error BackupStep::replace(const QString& backup, const QString& command, QString* savedAs,
                              const QString& refusal)
{
    const QString shown = takenBefore(league(), backup); // the backup may be pruned after
    backups::RestoreResult restored;
    db::Error e = backups::restore(league(), backup, command, m_counter, &restored);
    if (e.number == db::LeagueChanged)
        return {db::LeagueChanged, refusal};
    if (e)
        return e;
    *savedAs = restored.savedAs;
    m_undoneTo = shown;
    if (restored.counter)
        m_counter = *restored.counter;
    return {};
}

db::Error BackupStep::writeUndo()
{
    return replace(m_before, QStringLiteral("Undo ") + m_command, &m_after,
                   QStringLiteral("The league \"%1\" has changed since the last %2, so it cannot "
                                  "be undone.\n\nUse File > Restore Backup to go back to the "
                                  "backup taken before it.")
                       .arg(QDir::toNativeSeparators(league()), m_command));
}

db::Error BackupStep::writeRedo()
{
    return replace(m_after, QStringLiteral("Redo ") + m_command, &m_before,
                   QStringLiteral("The league \"%1\" has changed since %2 was undone, so it "
                                  "cannot be redone.\n\nUse File > Restore Backup to go back to "
                                  "the backup taken before the undo.")
                       .arg(QDir::toNativeSeparators(league()), m_command));
}

LeagueHistory::LeagueHistory(QObject* parent) : QObject(parent), m_stack(new QUndoStack(this))
{
    connect(m_stack, &QUndoStack::indexChanged, this, &LeagueHistory::historyChanged);
}

void LeagueHistory::setLeague(const QString& path)
{
    if (holds(path))
        return;
    m_league = path;
    m_stack->clear();
    historyChanged();
}

bool LeagueHistory::holds(const QString& path) const
{
    return !m_league.isEmpty() && sameLeagueFile(path, m_league);
}

bool LeagueHistory::record(LeagueStep* step)
{
    if (!holds(step->league())) {
        delete step;
        return false;
    }
    m_stack->push(step); // its change is written already: redo() writes nothing
    if (dynamic_cast<BackupStep*>(step))
        emit leagueReplaced(m_league);
    return true;
}

LeagueStep* LeagueHistory::stepAt(int index) const
{
    // Steps come through record(); a command pushed onto the stack past it
    // is not one the history can write, and ends the history there.
    return index >= 0 && index < m_stack->count()
               ? dynamic_cast<LeagueStep*>(const_cast<QUndoCommand*>(m_stack->command(index)))
               : nullptr;
}

LeagueStep* LeagueHistory::nextUndo() const
{
    return stepAt(m_stack->index() - 1);
}

LeagueStep* LeagueHistory::nextRedo() const
{
    return stepAt(m_stack->index());
}

db::Error LeagueHistory::undo()
{
    LeagueStep* step = nextUndo();
    if (!step)
        return {};
    if (db::Error e = step->writeUndo())
        return e;
    m_stack->undo();
    return {};
}

db::Error LeagueHistory::redo()
{
    LeagueStep* step = nextRedo();
    if (!step)
        return {};
    if (db::Error e = step->writeRedo())
        return e;
    m_stack->redo();
    return {};
}

void LeagueHistory::historyChanged()
{
    // Each step's backups outlive pruning while the step can still need them.
    QStringList needed;
    for (int i = 0; i < m_stack->count(); ++i) {
        if (const LeagueStep* step = stepAt(i))
            needed << step->neededBackups();
    }
    needed.removeAll(QString());
    backups::setNeededBackups(needed);
    emit changed();
}
