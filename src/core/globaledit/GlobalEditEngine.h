#pragma once

#include "core/db/Error.h"
#include "core/db/Schema.h"
#include "core/globaledit/GlobalEdit.h"

#include <QString>
#include <array>
#include <bitset>
#include <functional>
#include <optional>
#include <utility>

struct sqlite3;

namespace db {
class Database;
} // namespace db

// The global edit engine: scales ratings 1..24 of the chosen positions'
// players and forces them into the bounds, all in one transaction. No
// widgets here; the dialog collects a GlobalEdit and hands it over.
namespace globaledit {

// Reports from the engine while it works, on the thread that runs it. Any
// may be left empty. playerDone runs once per player: keep it cheap.
struct EditProgress {
    // A position with players starts; positions without any are skipped.
    std::function<void(int position, qint64 players)> positionStarted;
    std::function<void()> playerDone;
    // The position's players are written; changed of them now differ.
    std::function<void(int position, qint64 changed)> positionFinished;
};

struct RunOptions {
    EditProgress progress;
    // Runs on the edit's thread right after BEGIN IMMEDIATE has taken the
    // write lock and before anything changes (a backup of the league, say),
    // with the connection that holds the lock: the league is read through
    // it, never through a descriptor of its own, whose close would drop the
    // lock. An error from it rolls back and ends the edit with that error.
    std::function<db::Error(db::Database&)> beforeChanges;
};

// Players with a changed rating, by position.
using ChangedPlayers = std::array<qint64, db::schema::PositionCount>;

// Applies the edit to the league file at path. Every checked position runs
// inside one BEGIN IMMEDIATE ... COMMIT: on any failure the whole edit is
// rolled back and the error says what failed and that no rating changed.
// changed, when given, receives the players changed in each position.
db::Error runGlobalEdit(const QString& path, const GlobalEdit& edit, const RunOptions& options,
                        ChangedPlayers* changed = nullptr);
inline db::Error runGlobalEdit(const QString& path, const GlobalEdit& edit,
                               const EditProgress& progress = {})
{
    return runGlobalEdit(path, edit, RunOptions{progress, {}});
}

// Opens the league at path for the edit or its preview. Refuses numbers that
// are not finite, and leaves database closed (with no error) when no position
// is checked: there is nothing to do.
db::Error openLeagueFor(const GlobalEdit& edit, const QString& path, db::Database& database);

// The Team table must still hold the chosen id under the name the user saw
// (GlobalEdit::teamName); the error says so otherwise.
db::Error checkTeam(db::Database& database, const GlobalEdit& edit);

// ym_act(n, actual) and ym_pot(n, actual, potential) on a connection for the
// lifetime of this object: the steps of rating n as SQL functions. In an
// UPDATE every right-hand side sees the old row, and the new actual depends
// only on the old actual, so one statement runs the steps in order.
class RatingFunctions
{
public:
    RatingFunctions(sqlite3* handle, const EditParameters& parameters,
                    std::function<void()> playerDone = {});
    ~RatingFunctions();
    RatingFunctions(const RatingFunctions&) = delete;
    RatingFunctions& operator=(const RatingFunctions&) = delete;

    int result() const { return m_result; } // SQLITE_OK when all are registered
    const EditParameters& parameters() const { return m_parameters; }

    // A rating of the current player changes (called by the SQL functions);
    // the player is written.
    void ratingChanged() { m_rowChanged = true; }
    void playerDone();
    // Players done with a changed rating since the last call.
    qint64 takeChangedPlayers();

    // UPDATE of the 48 edited columns of the players the condition selects.
    static QString updateSql(const QString& condition);

private:
    sqlite3* m_handle;
    EditParameters m_parameters;
    std::function<void()> m_playerDone;
    bool m_rowChanged = false;
    qint64 m_changedPlayers = 0;
    int m_result;
};

} // namespace globaledit
