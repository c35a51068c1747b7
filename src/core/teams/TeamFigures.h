#pragma once

#include "core/db/Error.h"
#include "core/db/Schema.h"

#include <QString>
#include <array>
#include <map>
#include <optional>
#include <vector>

namespace db {
class Database;
} // namespace db

// What the Team Page shows of a league, worked out in one pass over
// PlayerTable: for every team and every position the players and the sums of
// their ratings, and the same for the whole league by position.
namespace teams {

// Positions 0..14 by CurrentPos, then the players whose CurrentPos is no
// position.
inline constexpr int OtherGroup = db::schema::PositionCount;
inline constexpr int GroupCount = OtherGroup + 1;
// Ratings 1..24, actual then potential: side n - 1 and 24 + n - 1.
inline constexpr int RatedCount = db::schema::EditableRatingCount;
inline constexpr int SideCount = 2 * RatedCount;
inline int sideOf(int ratingNumber, bool potential)
{
    return ratingNumber - 1 + (potential ? RatedCount : 0);
}
// The column of each side, in that order.
QString sideColumn(int side);
// "QB" ... "S", "Other".
QString groupName(int group);

// The players of one group and the sums of the values that are numbers
// (integers and finite reals; NULL, text and blobs are left out).
struct GroupFigures {
    qint64 players = 0;
    std::array<double, SideCount> sum{};
    std::array<qint64, SideCount> values{};
    std::optional<double> mean(int side) const
    {
        if (values[size_t(side)] == 0)
            return std::nullopt;
        return sum[size_t(side)] / double(values[size_t(side)]);
    }
};

struct TeamFigures {
    std::array<GroupFigures, GroupCount> groups;
    std::array<std::vector<qint64>, GroupCount> keys; // the players' rowids, in file order
};

struct LeagueFigures {
    // Every player of the league, whatever his TeamID: College Draft/FA too.
    std::array<GroupFigures, GroupCount> league;
    // By TeamID; a TeamID that is no whole number is no team.
    std::map<qint64, TeamFigures> teams;

    // The team's figures; an empty set for a team without players.
    const TeamFigures& team(qint64 id) const;
};

// Reads every player once, in file order.
db::Error computeLeagueFigures(db::Database& database, LeagueFigures& figures);

} // namespace teams
