#include "core/globaledit/GlobalEditEngine.h"

#include "core/db/Database.h"
#include "core/globaledit/Selection.h"
#include "core/globaledit/StoredRating.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <sqlite3.h>
#include <vector>

namespace globaledit {

RatingPair EditParameters::apply(int ratingNumber, RatingPair rating, StepTrace* trace) const
{
    const auto i = static_cast<size_t>(ratingNumber - 1);
    return applyRatingSteps(rating, actualPercent[i], potentialPercent[i], bounds, trace);
}

bool EditParameters::isFinite() const
{
    auto finite = [](double v) { return std::isfinite(v); };
    return std::all_of(actualPercent.begin(), actualPercent.end(), finite) &&
           std::all_of(potentialPercent.begin(), potentialPercent.end(), finite) &&
           finite(bounds.actualMin) && finite(bounds.actualMax) && finite(bounds.potentialMin) &&
           finite(bounds.potentialMax);
}

// ---- the SQL functions --------------------------------------------------

namespace {

const char* const ActualFunction = "ym_act";
const char* const PotentialFunction = "ym_pot";

// True when the stored value changes.
bool setResult(sqlite3_context* context, sqlite3_value* original, Rating before, Rating after)
{
    // Unchanged: hand back the stored value itself, exact even beyond 2^53.
    if (!after || (before && *after == *before)) {
        sqlite3_result_value(context, original);
        return false;
    }
    // Every written value is whole; only a bound beyond 64 bits needs a REAL.
    if (std::fabs(*after) < 9.2e18)
        sqlite3_result_int64(context, static_cast<sqlite3_int64>(*after));
    else
        sqlite3_result_double(context, *after);
    return true;
}

// The rating number n (1..24) that is the first argument of both functions.
// Reports an error and gives 0 when it is out of range.
int ratingNumber(sqlite3_context* context, sqlite3_value* value)
{
    const int n = sqlite3_value_int(value);
    if (n >= 1 && n <= EditedRatingCount)
        return n;
    sqlite3_result_error(context, "rating number out of range", -1);
    return 0;
}

// ym_act(n, actual): steps 1, 3 and 4 of rating n on the stored actual. Each
// function runs only its own side, as cheaply as it can: it runs once for
// every one of the 48 values of every player.
void actualStep(sqlite3_context* context, int, sqlite3_value** argv)
{
    const int n = ratingNumber(context, argv[0]);
    if (!n)
        return;
    auto* functions = static_cast<RatingFunctions*>(sqlite3_user_data(context));
    const EditParameters& parameters = functions->parameters();
    const Rating before = ratingOf(argv[1]);
    const Rating after =
        actualSteps(before, parameters.actualPercent[size_t(n - 1)], parameters.bounds);
    if (setResult(context, argv[1], before, after))
        functions->ratingChanged();
}

// ym_pot(n, actual, potential): the potential's steps of rating n, which
// need the new actual, worked out again from the stored one.
void potentialStep(sqlite3_context* context, int, sqlite3_value** argv)
{
    const int n = ratingNumber(context, argv[0]);
    if (!n)
        return;
    auto* functions = static_cast<RatingFunctions*>(sqlite3_user_data(context));
    const EditParameters& parameters = functions->parameters();
    const auto i = size_t(n - 1);
    const Rating actual =
        actualSteps(ratingOf(argv[1]), parameters.actualPercent[i], parameters.bounds);
    const Rating before = ratingOf(argv[2]);
    const Rating after =
        potentialSteps(before, actual, parameters.potentialPercent[i], parameters.bounds);
    if (setResult(context, argv[2], before, after))
        functions->ratingChanged();
}

int registerFunction(sqlite3* handle, const char* name, int argc, void* data,
                     void (*step)(sqlite3_context*, int, sqlite3_value**))
{
    // DIRECTONLY: a trigger or view stored in a league file cannot call it.
    return sqlite3_create_function_v2(handle, name, argc, SQLITE_UTF8 | SQLITE_DIRECTONLY, data,
                                      step, nullptr, nullptr, nullptr);
}

} // namespace

RatingFunctions::RatingFunctions(sqlite3* handle, const EditParameters& parameters,
                                 std::function<void()> playerDone)
    : m_handle(handle), m_parameters(parameters), m_playerDone(std::move(playerDone))
{
    m_result = registerFunction(m_handle, ActualFunction, 2, this, &actualStep);
    if (m_result == SQLITE_OK)
        m_result = registerFunction(m_handle, PotentialFunction, 3, this, &potentialStep);
}

void RatingFunctions::playerDone()
{
    if (m_rowChanged)
        ++m_changedPlayers;
    m_rowChanged = false;
    if (m_playerDone)
        m_playerDone();
}

qint64 RatingFunctions::takeChangedPlayers()
{
    return std::exchange(m_changedPlayers, 0);
}

RatingFunctions::~RatingFunctions()
{
    registerFunction(m_handle, ActualFunction, 2, nullptr, nullptr);
    registerFunction(m_handle, PotentialFunction, 3, nullptr, nullptr);
}

QString RatingFunctions::updateSql(const QString& condition)
{
    QStringList sets;
    for (int n = 1; n <= EditedRatingCount; ++n) {
        const QString a = db::schema::actualColumn(n);
        const QString p = db::schema::potentialColumn(n);
        sets << QStringLiteral("%1 = ym_act(%2, %1)").arg(a).arg(n)
             << QStringLiteral("%1 = ym_pot(%2, %3, %1)").arg(p).arg(n).arg(a);
    }
    return QStringLiteral("UPDATE PlayerTable SET ") + sets.join(QStringLiteral(", ")) +
           QStringLiteral(" WHERE ") + condition;
}

// ---- the run ------------------------------------------------------------

namespace {

bool isLockError(const db::Error& e)
{
    const int primary = e.number & 0xff;
    return e.number < db::NoLeagueFileChosen &&
           (primary == SQLITE_BUSY || primary == SQLITE_LOCKED);
}

// Says where the edit stopped and that the rollback undid all of it. A lock
// error already says that nothing was changed.
db::Error stoppedAt(const QString& what, db::Error e)
{
    if (isLockError(e))
        return e;
    QString cause = e.description.trimmed();
    if (!cause.endsWith(QLatin1Char('.')))
        cause += QLatin1Char('.');
    e.description = what + QStringLiteral(" failed: ") + cause +
                    QStringLiteral(" The global edit was undone: no rating was changed.");
    return e;
}

} // namespace

db::Error openLeagueFor(const GlobalEdit& edit, const QString& path, db::Database& database)
{
    if (!edit.parameters.isFinite())
        return {db::NotANumber, QStringLiteral("A percentage or bound of the global edit is not a "
                                               "finite number; no rating was changed.")};
    if (edit.positions.none())
        return {};
    return database.open(path);
}

db::Error checkTeam(db::Database& database, const GlobalEdit& edit)
{
    if (!edit.team || !edit.teamName)
        return {};
    bool held = false;
    const db::Error e = database.query(
        QStringLiteral("SELECT TeamName FROM Team WHERE TeamID = ?"), {*edit.team},
        [&](const db::Statement& q) { held = held || q.value(0).toString() == *edit.teamName; });
    if (e)
        return stoppedAt(QStringLiteral("Reading the Team table"), e);
    if (!held)
        return {db::TeamNotInLeague,
                QStringLiteral("The league's Team table no longer holds the team \"%1\" (TeamID "
                               "%2); no rating was changed.")
                    .arg(*edit.teamName)
                    .arg(*edit.team)};
    return {};
}

namespace {

// One pass reads the chosen players' row ids by position; each position's
// players are then written one row at a time, in file order. The counts of
// every position are known before its players change, so the progress is
// honest, and each statement changes one row: SQLite keeps no statement
// journal for it, where an UPDATE per position over the whole table would
// copy every page it touches for the statement's own rollback.
class EditRun
{
public:
    EditRun(sqlite3* handle, const GlobalEdit& edit, const EditProgress& progress,
            RatingFunctions& functions)
        : m_handle(handle), m_selection(edit), m_progress(progress), m_functions(functions)
    {
    }

    db::Error prepare()
    {
        db::Error e = m_select.prepare(m_handle, m_selection.sql());
        if (!e)
            e = m_update.prepare(m_handle, RatingFunctions::updateSql(QStringLiteral("rowid = ?")));
        return e ? stoppedAt(QStringLiteral("Preparing the edit"), e) : db::Error();
    }

    db::Error selectPlayers()
    {
        m_selection.bind(m_select);
        while (m_select.next())
            m_players[size_t(m_select.int64(Selection::PositionColumn))].push_back(
                m_select.int64(Selection::RowidColumn));
        m_select.reset();
        if (db::Error e = m_select.error())
            return stoppedAt(QStringLiteral("Selecting the players"), e);
        return {};
    }

    db::Error applyPosition(int position)
    {
        const std::vector<qint64>& players = m_players[size_t(position)];
        if (players.empty())
            return {}; // nothing to change: skipped quietly
        if (m_progress.positionStarted)
            m_progress.positionStarted(position, qint64(players.size()));
        for (const qint64 rowid : players) {
            m_update.bindInt64(1, rowid);
            if (db::Error e = m_update.run())
                return stoppedAt(QStringLiteral("Updating ") + db::schema::positions().at(position),
                                 e);
            m_functions.playerDone();
        }
        if (m_progress.positionFinished)
            m_progress.positionFinished(position, m_functions.takeChangedPlayers());
        return {};
    }

private:
    sqlite3* m_handle;
    Selection m_selection;
    const EditProgress& m_progress;
    RatingFunctions& m_functions;
    db::Statement m_select;
    db::Statement m_update;
    std::array<std::vector<qint64>, db::schema::PositionCount> m_players;
};

} // namespace

namespace {
constexpr int CacheKb = 100 * 1024;
} // namespace

db::Error runGlobalEdit(const QString& path, const GlobalEdit& edit, const RunOptions& options,
                        ChangedPlayers* changed)
{
    ChangedPlayers counts{};
    EditProgress progress = options.progress;
    progress.positionFinished = [&](int position, qint64 players) {
        counts[size_t(position)] = players;
        if (options.progress.positionFinished)
            options.progress.positionFinished(position, players);
    };
    db::Database database;
    if (db::Error e = openLeagueFor(edit, path, database); e || !database.isOpen())
        return e;
    sqlite3* handle = database.sqliteHandle();
    // Every position's players are spread over the whole table: a cache that
    // holds it (up to 100 MB) reads each page from the file once, not once a
    // position.
    if (db::Error e = database.execute(QStringLiteral("PRAGMA cache_size = -%1").arg(CacheKb)))
        return stoppedAt(QStringLiteral("Preparing the edit"), e);
    RatingFunctions functions(handle, edit.parameters, progress.playerDone);
    if (functions.result() != SQLITE_OK)
        return stoppedAt(QStringLiteral("Preparing the edit"), db::engineError(handle));

    db::Transaction transaction(database);
    if (db::Error e = transaction.begin())
        return stoppedAt(QStringLiteral("Starting the edit"), e);
    if (db::Error e = checkTeam(database, edit))
        return e;
    if (options.beforeChanges) {
        if (db::Error e = options.beforeChanges(database))
            return e;
    }
    {
        EditRun run(handle, edit, progress, functions);
        if (db::Error e = run.prepare())
            return e;
        if (db::Error e = run.selectPlayers())
            return e;
        for (int position = 0; position < db::schema::PositionCount; ++position) {
            if (!edit.positions.test(size_t(position)))
                continue;
            if (db::Error e = run.applyPosition(position))
                return e;
        }
    } // statements finished before COMMIT
    if (db::Error e = transaction.commit())
        return stoppedAt(QStringLiteral("Saving the edit"), e);
    if (changed)
        *changed = counts;
    return {};
}

} // namespace globaledit
