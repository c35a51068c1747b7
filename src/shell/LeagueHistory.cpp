#include "shell/LeagueHistory.h"

#include "core/backups/Backups.h"
#include "core/db/LeagueFiles.h"
#include "ui/Settings.h"

#include <QDir>
#include <algorithm>

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
                              std::optional<quint32> leagueCounter, const QString& refusal)
{
    if (!leagueCounter)
        return {db::LeagueChanged, refusal};
    const QString shown = takenBefore(league(), backup); // the backup may be pruned after
    backups::RestoreResult restored;
    db::Error e = backups::restore(league(), backup, command,
                                   backups::keepRule(readSetting(settings::BackupsKeep)),
                                   leagueCounter, &restored);
    if (e.number == db::LeagueChanged)
        return {db::LeagueChanged, refusal};
    if (e)
        return e;
    *savedAs = restored.savedAs;
    m_undoneTo = shown;
    setCounters(restored.counter ? std::optional(db::CounterMove{*leagueCounter, *restored.counter})
                                 : std::nullopt);
    return {};
}

db::Error BackupStep::writeUndo(std::optional<quint32> leagueCounter)
{
    return replace(m_before, QStringLiteral("Undo ") + m_command, &m_after, leagueCounter,
                   QStringLiteral("The league \"%1\" has changed since the last %2, so it cannot "
                                  "be undone.\n\nUse File > Restore Backup to go back to the "
                                  "backup taken before it.")
                       .arg(QDir::toNativeSeparators(league()), m_command));
}

db::Error BackupStep::writeRedo(std::optional<quint32> leagueCounter)
{
    return replace(m_after, QStringLiteral("Redo ") + m_command, &m_before, leagueCounter,
                   QStringLiteral("The league \"%1\" has changed since %2 was undone, so it "
                                  "cannot be redone.\n\nUse File > Restore Backup to go back to "
                                  "the backup taken before the undo.")
                       .arg(QDir::toNativeSeparators(league()), m_command));
}

LeagueHistory::LeagueHistory(QObject* parent) : QObject(parent) {}

LeagueHistory::~LeagueHistory() = default;

void LeagueHistory::setLeague(const QString& path)
{
    if (holds(path))
        return;
    m_league = path;
    m_steps.clear();
    m_done = 0;
    m_counter.reset();
    m_writes = m_outsideChange = 0;
    historyChanged();
}

bool LeagueHistory::holds(const QString& path) const
{
    return !m_league.isEmpty() && db::sameFile(path, m_league);
}

bool LeagueHistory::record(LeagueStep* step, QString* note)
{
    std::unique_ptr<LeagueStep> owned(step);
    if (!holds(step->league()))
        return false;
    // The change is written already; the steps undone can no longer be redone.
    m_steps.erase(m_steps.begin() + qsizetype(m_done), m_steps.end());
    m_steps.push_back({std::move(owned)});
    m_done = m_steps.size();
    noteWrite(m_steps.back());
    const bool replaced = dynamic_cast<BackupStep*>(step) != nullptr;
    const QString dropped = replaced ? dropPastKeep() : QString();
    historyChanged();
    if (!dropped.isEmpty())
        backups::prune(
            m_league, backups::keepRule(readSetting(
                          settings::BackupsKeep))); // the dropped steps' backups are needed no more
    if (note)
        *note = dropped;
    if (replaced)
        emit leagueReplaced(m_league);
    return true;
}

void LeagueHistory::continueAt(std::optional<quint32> counter)
{
    ++m_writes;
    m_counter = counter;
}

QString LeagueHistory::text(int index) const
{
    return index >= 0 && index < count() ? m_steps[size_t(index)].step->text() : QString();
}

LeagueStep* LeagueHistory::nextUndo() const
{
    return m_done > 0 ? m_steps[m_done - 1].step.get() : nullptr;
}

LeagueStep* LeagueHistory::nextRedo() const
{
    return m_done < m_steps.size() ? m_steps[m_done].step.get() : nullptr;
}

db::Error LeagueHistory::undo()
{
    return move(true);
}

db::Error LeagueHistory::redo()
{
    return move(false);
}

db::Error LeagueHistory::move(bool back)
{
    if (back ? m_done == 0 : m_done == m_steps.size())
        return {};
    Entry& entry = m_steps[back ? m_done - 1 : m_done];
    const std::optional<quint32> counter = counterFor(entry);
    if (db::Error e = back ? entry.step->writeUndo(counter) : entry.step->writeRedo(counter))
        return e;
    noteWrite(entry);
    if (back)
        --m_done;
    else
        ++m_done;
    historyChanged();
    return {};
}

void LeagueHistory::noteWrite(Entry& entry)
{
    const std::optional<db::CounterMove> moved = entry.step->counters();
    ++m_writes;
    if (!moved || !m_counter || moved->found != *m_counter)
        m_outsideChange = m_writes;
    m_counter = moved ? std::optional(moved->left) : std::nullopt;
    entry.written = m_writes;
}

std::optional<quint32> LeagueHistory::counterFor(const Entry& entry) const
{
    // A change found at the step's own write came before it, so its backup
    // holds it; one found later would be lost by restoring that backup.
    return entry.written >= m_outsideChange ? m_counter : std::nullopt;
}

QString LeagueHistory::dropPastKeep()
{
    const std::optional<qint64> keep = backups::keepRule(readSetting(settings::BackupsKeep)).count;
    const auto replaces = [](const Entry& e) { return dynamic_cast<BackupStep*>(e.step.get()); };
    qint64 extra = std::count_if(m_steps.begin(), m_steps.end(), replaces) - keep.value_or(0);
    if (!keep || extra <= 0)
        return {};
    // Undo is linear: the oldest such steps go with every step before them.
    auto end = m_steps.begin();
    for (; extra > 0; ++end)
        extra -= replaces(*end) ? 1 : 0;
    m_done -= size_t(end - m_steps.begin());
    m_steps.erase(m_steps.begin(), end);
    return QStringLiteral("Only the last %1 commands on the whole league can be undone, so the "
                          "oldest undo steps were dropped: Keep is %1")
        .arg(*keep);
}

void LeagueHistory::historyChanged()
{
    // Each step's backups outlive pruning while the step can still need them.
    QStringList needed;
    for (const Entry& entry : m_steps)
        needed << entry.step->neededBackups();
    needed.removeAll(QString());
    backups::setNeededBackups(needed);
    emit changed();
}
