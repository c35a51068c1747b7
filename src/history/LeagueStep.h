#pragma once

#include "core/backups/Backups.h"
#include "core/db/Error.h"
#include "core/db/RowWriter.h"

#include <QString>
#include <QStringList>
#include <optional>

// What the history hands a step that it takes back or makes again.
struct StepWrite {
    // The change counter the league has while nothing outside the history
    // changed it since the step was last written; empty when something may
    // have. A step whose rows are its own guard need not look at it.
    std::optional<quint32> leagueCounter;
    // [Backups] Keep, and the backups the history may still restore, which
    // a restore's prune spares.
    backups::KeepRule keep;
    QStringList neededBackups;
};

// One change of a league in the program's history. The change is written
// before the step is recorded; the history takes a step back or makes it
// again by calling writeUndo() or writeRedo(), and moves only when that
// write succeeded. So a step refuses (the league changed since, say) with
// the league and the history left as they were.
class LeagueStep
{
public:
    // text names the change: "Change of SP for Jo Walker", "Global Edit".
    // counters: the league's change counter as the change found and left
    // it, read under its lock; empty when unknown.
    LeagueStep(QString league, QString text, std::optional<db::CounterMove> counters);
    virtual ~LeagueStep() = default;
    LeagueStep(const LeagueStep&) = delete;
    LeagueStep& operator=(const LeagueStep&) = delete;

    // The league file the step changed.
    const QString& league() const { return m_league; }
    const QString& text() const { return m_text; }
    // All or nothing: an error means nothing was written.
    virtual db::Error writeUndo(const StepWrite& write) = 0;
    virtual db::Error writeRedo(const StepWrite& write) = 0;
    // Whether the step replaced the league as a whole ([Backups] Keep
    // bounds how many of these the history holds).
    virtual bool replacesLeague() const { return false; }
    // Backups the step restores; pruning keeps them.
    virtual QStringList neededBackups() const { return {}; }
    // The league's change counter as the step's last write found and left it.
    std::optional<db::CounterMove> counters() const { return m_counters; }

protected:
    void setCounters(std::optional<db::CounterMove> counters) { m_counters = counters; }

private:
    QString m_league;
    QString m_text;
    std::optional<db::CounterMove> m_counters;
};
