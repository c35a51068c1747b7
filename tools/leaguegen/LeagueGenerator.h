#pragma once

#include "core/db/Error.h"

#include <QList>
#include <QString>
#include <QStringList>

// Writes complete league files for the demo, the tests and the benchmarks.
namespace leaguegen {

// The generator will not replace a file unasked.
inline constexpr int TargetExists = 1040;

struct LeagueOptions {
    int players = 2000;             // 0 to 200,000 and more
    quint32 seed = 1;               // same seed, same file content
    int teams = 0;                  // 0: about 53 players a team, at least 2, at most 64
    double nullRatingShare = 0.002; // share of rating cells left NULL (a tiny league gets one)
    double draftShare = 0.1;        // share of players with TeamID 0 (draft pool and free agents)
    bool shufflePlayerColumns = false; // store PlayerTable's 80 fields in another (seeded) order
    QStringList omitPlayerColumns;     // leave these PlayerTable fields out
    QStringList omitTables;            // leave these of the seven tables out
    QList<qint64> extraTeamIds;        // extra teams with exactly these TeamIDs (e.g. 1001, 70000)
    int playersPerExtraTeam = 5;       // taken from the first players: slot positions QB, HB, ...
    bool extraUnrelatedTable = false;  // also a table "Notes" with a few rows, not a league table
    bool overwrite = false;            // replace a file already at the path
};

// The season every generated league plays; its schedule starts on
// 1999-09-12 and AcquireWhen counts back from it.
inline constexpr int Season = 1999;

// Number of regular teams (TeamID 1..n) a league made with these options has.
int teamCount(const LeagueOptions& options);

// Writes the league to path: all of it or, on failure, nothing (the file is
// built beside the target and renamed into place when complete).
db::Error writeLeague(const QString& path, const LeagueOptions& options);

} // namespace leaguegen
