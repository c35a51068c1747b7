#include "core/globaledit/GlobalEditPreview.h"

#include "core/db/Database.h"
#include "core/db/Statement.h"
#include "core/globaledit/Selection.h"
#include "core/globaledit/StoredRating.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

namespace globaledit {

int distributionBin(double value)
{
    if (value < 0)
        return 0;
    if (value >= 100)
        return DistributionBins - 1;
    return 1 + int(value / 5);
}

QString distributionBinName(int bin)
{
    if (bin <= 0)
        return QStringLiteral("< 0");
    if (bin >= DistributionBins - 1)
        return QStringLiteral("100+");
    const int low = (bin - 1) * 5;
    return QStringLiteral("%1-%2").arg(low).arg(low + 4);
}

RatingPair storedPair(const ChangedPlayer& player, int ratingNumber)
{
    auto rating = [](float v) { return std::isnan(v) ? Rating() : Rating(double(v)); };
    return {rating(player.before[size_t(ratedSide(ratingNumber, RatingSide::Actual))]),
            rating(player.before[size_t(ratedSide(ratingNumber, RatingSide::Potential))])};
}

namespace {

// How often the thread reports progress and may be stopped, in players.
constexpr qint64 ReportEvery = 2048;

// The actual and potential of ratings 1..24, after the selection's own
// columns: the values the edit's UPDATE would change.
// Then who the player is, for the list of changed players.
QStringList ratingColumns()
{
    QStringList columns;
    for (int n = 1; n <= EditedRatingCount; ++n)
        columns << db::schema::actualColumn(n) << db::schema::potentialColumn(n);
    return columns << QStringLiteral("FirstName") << QStringLiteral("LastName")
                   << QStringLiteral("TeamID");
}
constexpr int FirstNameColumn = Selection::FirstExtraColumn + 2 * EditedRatingCount;

// The column of rating n's actual (side 0) or potential (side 1).
int ratingColumn(int n, RatingSide side)
{
    return Selection::FirstExtraColumn + 2 * (n - 1) + int(side);
}

// The values the edit writes for a bound: whole, as the steps store them.
struct WholeBounds {
    double min;
    double max;
    bool holds(double value) const { return value == min || value == max; }
};

class PreviewRun
{
public:
    PreviewRun(const GlobalEdit& edit, PreviewResult& result)
        : m_edit(edit),
          m_result(result), m_bounds{{{storedWhole(edit.parameters.bounds.actualMin),
                                       storedWhole(edit.parameters.bounds.actualMax)},
                                      {storedWhole(edit.parameters.bounds.potentialMin),
                                       storedWhole(edit.parameters.bounds.potentialMax)}}}
    {
    }

    // One player: the steps on every rating, exactly as ym_act and ym_pot
    // run them, and the figures they add to.
    void addPlayer(int position, const db::Statement& row)
    {
        bool changed = false;
        ChangedPlayer player;
        Unchanged reason = Unchanged::NoRating;
        for (int n = 1; n <= EditedRatingCount; ++n) {
            const auto i = size_t(n - 1);
            const RatingPair before{
                ratingOf(row.sqliteValue(ratingColumn(n, RatingSide::Actual))),
                ratingOf(row.sqliteValue(ratingColumn(n, RatingSide::Potential)))};
            StepTrace trace;
            const RatingPair after = m_edit.parameters.apply(n, before, &trace);
            changed = changed || after != before;
            keep(player, n, before);
            reason = std::max(reason, whyUnchanged(n, before));
            add(m_result.ratings[i][size_t(RatingSide::Actual)], before.actual, after.actual,
                m_bounds[0]);
            RatingFigures& potential = m_result.ratings[i][size_t(RatingSide::Potential)];
            add(potential, before.potential, after.potential, m_bounds[1]);
            potential.raised += trace.potentialRaised;
        }
        PositionFigures& p = m_result.positions[size_t(position)];
        ++p.selected;
        p.changed += changed;
        if (!changed) {
            ++m_result.unchanged[size_t(reason)];
            return;
        }
        player.key = row.int64(Selection::RowidColumn);
        player.position = position;
        player.name =
            QString(row.text(FirstNameColumn) + u' ' + row.text(FirstNameColumn + 1)).trimmed();
        player.team = row.value(FirstNameColumn + 2);
        m_result.changedPlayers.push_back(std::move(player));
    }

private:
    static void keep(ChangedPlayer& player, int n, const RatingPair& before)
    {
        constexpr float none = std::numeric_limits<float>::quiet_NaN();
        player.before[size_t(ratedSide(n, RatingSide::Actual))] =
            before.actual ? float(*before.actual) : none;
        player.before[size_t(ratedSide(n, RatingSide::Potential))] =
            before.potential ? float(*before.potential) : none;
    }

    // Why rating n of a player who does not change stays: the strongest
    // reason over his ratings, in the order of Unchanged.
    Unchanged whyUnchanged(int n, const RatingPair& before) const
    {
        const auto i = size_t(n - 1);
        const double percents[] = {m_edit.parameters.actualPercent[i],
                                   m_edit.parameters.potentialPercent[i]};
        const Rating values[] = {before.actual, before.potential};
        Unchanged reason = Unchanged::NoRating;
        for (int side = 0; side < 2; ++side) {
            if (!values[side])
                continue;
            if (percents[side] == 0)
                reason = std::max(reason, Unchanged::ZeroPercent);
            else
                reason = std::max(reason, m_bounds[size_t(side)].holds(*values[side])
                                              ? Unchanged::AtBound
                                              : Unchanged::RoundsAway);
        }
        return reason;
    }

    static void add(RatingFigures& f, Rating before, Rating after, const WholeBounds& bounds)
    {
        if (!before) // not a rating: the steps leave it as it is
            return;
        ++f.values;
        f.sumBefore += *before;
        f.sumAfter += *after;
        f.atBound += bounds.holds(*after);
        ++f.before[size_t(distributionBin(*before))];
        ++f.after[size_t(distributionBin(*after))];
    }

    const GlobalEdit& m_edit;
    PreviewResult& m_result;
    std::array<WholeBounds, 2> m_bounds;
};

// rowid of the last player: a table scan meets rowids in ascending order,
// so how far it has got is the rowid reached against this one.
qint64 lastRowid(db::Database& database)
{
    qint64 last = 0;
    database.query(QStringLiteral("SELECT max(rowid) FROM PlayerTable"), {},
                   [&](const db::Statement& row) { last = row.int64(0); });
    return last;
}

} // namespace

db::Error computePreview(const QString& path, const GlobalEdit& edit, PreviewResult& result,
                         const PreviewProgress& progress)
{
    result = {};
    db::Database database;
    if (db::Error e = openLeagueFor(edit, path, database); e || !database.isOpen())
        return e;
    // From here on the connection cannot write, whatever runs on it.
    if (db::Error e = database.execute(QStringLiteral("PRAGMA query_only = ON")))
        return e;
    // A read transaction: every position is read from the same state of the
    // file, under a shared lock that lets other readers and the edit in.
    if (db::Error e = database.execute(QStringLiteral("BEGIN")))
        return e;
    db::Error e = checkTeam(database, edit);
    if (!e) {
        // One pass in file order over the players the edit would write.
        const Selection selection(edit);
        db::Statement select(database.sqliteHandle(), selection.sql(ratingColumns()));
        e = select.error();
        selection.bind(select);
        const double last = double(std::max<qint64>(lastRowid(database), 1));
        PreviewRun run(edit, result);
        qint64 players = 0;
        while (!e && select.next()) {
            run.addPlayer(int(select.int64(Selection::PositionColumn)), select);
            if (++players % ReportEvery == 0 && progress.progress &&
                !progress.progress(double(select.int64(Selection::RowidColumn)) / last)) {
                result.stopped = true;
                break;
            }
        }
        if (!e)
            e = select.error();
    }
    database.execute(QStringLiteral("ROLLBACK"));
    return e;
}

} // namespace globaledit
