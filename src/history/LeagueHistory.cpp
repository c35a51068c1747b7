#include "history/LeagueHistory.h"

#include "core/db/LeagueFiles.h"
#include "history/BackupStep.h"

#include <QPointer>
#include <QUndoCommand>
#include <algorithm>
#include <utility>

namespace {
// A step as the stack holds it: its text. The history writes the step itself
// and moves the stack only when that succeeded, so these write nothing.
class StepCommand : public QUndoCommand
{
public:
    explicit StepCommand(const QString& text) { setText(text); }
    void undo() override {}
    void redo() override {}
};
} // namespace

LeagueHistory::LeagueHistory(std::function<backups::KeepRule()> keep, QObject* parent)
    : QObject(parent), m_keep(std::move(keep))
{
}

LeagueHistory::~LeagueHistory() = default;

void LeagueHistory::setLeague(const QString& path)
{
    if (holds(path))
        return;
    m_league = path;
    m_steps.clear();
    m_stack.clear();
    m_counter.reset();
    m_writes = m_outsideChange = 0;
    emit changed();
}

bool LeagueHistory::holds(const QString& path) const
{
    return !m_league.isEmpty() && db::sameFile(path, m_league);
}

bool LeagueHistory::record(std::unique_ptr<LeagueStep> step, QString* note)
{
    if (!holds(step->league()))
        return false;
    // The change is written already; the steps undone can no longer be
    // redone (push drops their commands too).
    m_steps.erase(m_steps.begin() + qsizetype(done()), m_steps.end());
    const bool replaced = step->replacesLeague();
    const QString text = step->text();
    m_steps.push_back({std::move(step)});
    m_stack.push(new StepCommand(text));
    noteWrite(m_steps.back());
    const QString dropped = replaced ? dropPastKeep() : QString();
    emit changed();
    if (note)
        *note = dropped;
    if (replaced)
        emit leagueReplaced(m_league);
    return true;
}

backups::UndoReceiver LeagueHistory::undoReceiver()
{
    return [history = QPointer<LeagueHistory>(this)](const backups::UndoPoint& point) {
        QString dropped;
        QStringList spared{point.backup};
        if (history) {
            history->record(std::make_unique<BackupStep>(point),
                            &dropped); // of another league: none
            spared << history->neededBackups();
        }
        const QString pruned = backups::prune(point.league, point.keep, spared);
        // Steps are dropped only under a Keep count, the prune speaks only
        // without one: at most one of them has something to say.
        return dropped.isEmpty() ? pruned : dropped;
    };
}

db::Error LeagueHistory::restore(const QString& league, const QString& backup,
                                 const QString& command, backups::RestoreResult* result,
                                 QString* note)
{
    if (db::Error e = backups::restore(league, backup, command, m_keep(), neededBackups(),
                                       std::nullopt, result))
        return e;
    // Its undo restores the league as the restore found it, which a league
    // that did not open leaves nothing of.
    const bool undoable = !result->damaged && !result->savedAs.isEmpty() && result->counter;
    if (!undoable) {
        continueAt(result->counter);
        emit leagueReplaced(league);
        return {};
    }
    const backups::UndoPoint point{league, result->savedAs, command, *result->counter, {}};
    QString dropped;
    if (!record(std::make_unique<BackupStep>(point), &dropped))
        emit leagueReplaced(league); // recording the step says so
    if (!dropped.isEmpty())          // the dropped steps' backups are needed no more
        backups::prune(league, m_keep(), neededBackups());
    if (note)
        *note = dropped;
    return {};
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
    return done() > 0 ? m_steps[done() - 1].step.get() : nullptr;
}

LeagueStep* LeagueHistory::nextRedo() const
{
    return done() < m_steps.size() ? m_steps[done()].step.get() : nullptr;
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
    if (back ? done() == 0 : done() == m_steps.size())
        return {};
    Entry& entry = m_steps[back ? done() - 1 : done()];
    const StepWrite write = writeFor(entry);
    if (db::Error e = back ? entry.step->writeUndo(write) : entry.step->writeRedo(write))
        return e;
    noteWrite(entry);
    if (back)
        m_stack.undo();
    else
        m_stack.redo();
    emit changed();
    return {};
}

QStringList LeagueHistory::neededBackups() const
{
    QStringList needed;
    for (const Entry& entry : m_steps)
        needed << entry.step->neededBackups();
    needed.removeAll(QString());
    return needed;
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

StepWrite LeagueHistory::writeFor(const Entry& entry) const
{
    // A change found at the step's own write came before it, so its backup
    // holds it; one found later would be lost by restoring that backup.
    return {entry.written >= m_outsideChange ? m_counter : std::nullopt, m_keep(), neededBackups()};
}

QString LeagueHistory::dropPastKeep()
{
    const std::optional<qint64> keep = m_keep().count;
    const auto replaces = [](const Entry& e) { return e.step->replacesLeague(); };
    qint64 extra = std::count_if(m_steps.begin(), m_steps.end(), replaces) - keep.value_or(0);
    if (!keep || extra <= 0)
        return {};
    // Undo is linear: the oldest such steps go with every step before them.
    auto end = m_steps.begin();
    for (; extra > 0; ++end)
        extra -= replaces(*end) ? 1 : 0;
    const size_t dropped = size_t(end - m_steps.begin());
    const size_t stillDone = done() - dropped;
    m_steps.erase(m_steps.begin(), end);
    mirrorSteps(stillDone);
    return QStringLiteral("Only the last %1 commands on the whole league can be undone, so the "
                          "oldest undo steps were dropped: Keep is %1")
        .arg(*keep);
}

void LeagueHistory::mirrorSteps(size_t done)
{
    m_stack.clear();
    for (const Entry& entry : m_steps)
        m_stack.push(new StepCommand(entry.step->text()));
    m_stack.setIndex(int(done));
}
