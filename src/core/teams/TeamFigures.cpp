#include "core/teams/TeamFigures.h"

#include "core/db/Database.h"
#include "core/db/Statement.h"

#include <QStringList>
#include <cmath>

namespace teams {

QString sideColumn(int side)
{
    const int n = side % RatedCount + 1;
    return side < RatedCount ? db::schema::actualColumn(n) : db::schema::potentialColumn(n);
}

QString groupName(int group)
{
    return group == OtherGroup ? QStringLiteral("Other") : db::schema::positions().at(group);
}

const TeamFigures& LeagueFigures::team(qint64 id) const
{
    static const TeamFigures none;
    const auto it = teams.find(id);
    return it == teams.end() ? none : it->second;
}

namespace {
constexpr int KeyColumn = 0;
constexpr int TeamColumn = 1;
constexpr int PositionColumn = 2;
constexpr int FirstSideColumn = 3;

// A whole number as stored, as SQL's = would match it against a team's id
// or a position's index: an integer, or a real without a fraction.
std::optional<qint64> wholeValue(const db::Statement& row, int column)
{
    switch (row.type(column)) {
    case db::Statement::Type::Integer:
        return row.int64(column);
    case db::Statement::Type::Real: {
        const double d = row.real(column);
        if (std::trunc(d) == d && std::fabs(d) < 9.2e18)
            return qint64(d);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

int groupOf(const db::Statement& row)
{
    const std::optional<qint64> position = wholeValue(row, PositionColumn);
    return position && *position >= 0 && *position < OtherGroup ? int(*position) : OtherGroup;
}

// Adds the player's values to both groups at once: every value is read once.
void addValues(const db::Statement& row, GroupFigures& league, GroupFigures* team)
{
    ++league.players;
    if (team)
        ++team->players;
    for (int side = 0; side < SideCount; ++side) {
        const int column = FirstSideColumn + side;
        double value = 0;
        switch (row.type(column)) {
        case db::Statement::Type::Integer:
            value = double(row.int64(column));
            break;
        case db::Statement::Type::Real:
            value = row.real(column);
            if (!std::isfinite(value))
                continue;
            break;
        default:
            continue;
        }
        league.sum[size_t(side)] += value;
        ++league.values[size_t(side)];
        if (team) {
            team->sum[size_t(side)] += value;
            ++team->values[size_t(side)];
        }
    }
}
} // namespace

db::Error computeLeagueFigures(db::Database& database, LeagueFigures& figures)
{
    figures = {};
    QStringList columns{QStringLiteral("rowid"), QStringLiteral("TeamID"),
                        QStringLiteral("CurrentPos")};
    for (int side = 0; side < SideCount; ++side)
        columns << sideColumn(side);
    db::Statement select(database.sqliteHandle(), QStringLiteral("SELECT ") +
                                                      columns.join(QStringLiteral(", ")) +
                                                      QStringLiteral(" FROM PlayerTable"));
    if (select.error())
        return select.error();
    // Consecutive players mostly share a team: keep the last one found.
    std::optional<qint64> lastId;
    TeamFigures* last = nullptr;
    while (select.next()) {
        const int group = groupOf(select);
        const std::optional<qint64> id = wholeValue(select, TeamColumn);
        TeamFigures* team = nullptr;
        if (id) {
            team = id == lastId ? last : &figures.teams[*id];
            lastId = id;
            last = team;
            team->keys[size_t(group)].push_back(select.int64(KeyColumn));
        }
        addValues(select, figures.league[size_t(group)],
                  team ? &team->groups[size_t(group)] : nullptr);
    }
    return select.error();
}

} // namespace teams
