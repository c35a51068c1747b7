#include "leaguegen/League.h"

#include "core/db/Schema.h"
#include "leaguegen/Names.h"
#include "leaguegen/Players.h"

#include <QDate>
#include <QHash>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace leaguegen {

namespace {
constexpr int Weeks = 17;
constexpr int WeeksPlayed = 8;

template <typename T> void shuffle(std::vector<T>& list, Random& random)
{
    for (int i = int(list.size()) - 1; i > 0; --i)
        std::swap(list[size_t(i)], list[size_t(random.between(0, i))]);
}

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString abbreviation(const QString& city)
{
    QString letters;
    for (const QChar c : city) {
        if (c.isLetter() && letters.size() < 3)
            letters += c.toUpper();
    }
    return letters;
}

QString personName(Random& random)
{
    return text(random.pick(names::firstNames)) + QLatin1Char(' ') +
           text(random.pick(names::lastNames));
}
} // namespace

LeagueBuilder::LeagueBuilder(const LeagueOptions& options, SqliteFile& file)
    : m_options(options), m_file(file), m_regularTeams(teamCount(options))
{
}

Random LeagueBuilder::stream(quint32 salt) const
{
    return Random(m_options.seed ^ (salt * 0x9E3779B9u));
}

db::Error LeagueBuilder::build()
{
    Random random = stream(1);
    m_leagueName = text(random.pick(names::leagueNames));
    chooseTeams();
    // The finished file is one SQLite file with a rollback journal, like
    // every league the editor opens.
    for (const char* sql : {"PRAGMA journal_mode=DELETE", "PRAGMA synchronous=NORMAL",
                            "PRAGMA cache_size=-65536", "BEGIN"}) {
        if (db::Error e = m_file.exec(QString::fromLatin1(sql)))
            return e;
    }
    for (auto step : {&LeagueBuilder::createTables, &LeagueBuilder::writeLeague,
                      &LeagueBuilder::writeConferences, &LeagueBuilder::writeTeams,
                      &LeagueBuilder::writeSchedule, &LeagueBuilder::writePlayers,
                      &LeagueBuilder::writeNotes}) {
        if (db::Error e = (this->*step)())
            return e;
    }
    return m_file.exec(QStringLiteral("COMMIT"));
}

db::Error LeagueBuilder::createTables()
{
    std::vector<TableDef> tables = {conferenceTable(), freeAgentsTable(), leagueTable(),
                                    playerTable(),     rosterTable(),     scheduleTable(),
                                    teamTable()};
    if (m_options.extraUnrelatedTable)
        tables.push_back(notesTable());
    for (const TableDef& def : tables) {
        if (m_options.omitTables.contains(def.name, Qt::CaseInsensitive))
            continue;
        const QStringList stored =
            def.name == QLatin1String("PlayerTable") ? storedPlayerColumns() : def.columns;
        if (db::Error e = m_writers[def.name].create(m_file, def, stored))
            return e;
    }
    return {};
}

QStringList LeagueBuilder::storedPlayerColumns() const
{
    std::vector<QString> columns;
    for (const QString& name : db::schema::playerColumns()) {
        if (!m_options.omitPlayerColumns.contains(name, Qt::CaseInsensitive))
            columns.push_back(name);
    }
    if (m_options.shufflePlayerColumns) {
        Random random = stream(2);
        shuffle(columns, random);
    }
    return QStringList(columns.begin(), columns.end());
}

void LeagueBuilder::chooseTeams()
{
    const int total = m_regularTeams + int(m_options.extraTeamIds.size());
    const int cities = int(names::cities.size());
    // Every city with every nickname, drawn without repeats: team names are unique.
    std::vector<int> pairs(size_t(cities) * names::nicknames.size());
    for (size_t i = 0; i < pairs.size(); ++i)
        pairs[i] = int(i);
    Random random = stream(3);
    shuffle(pairs, random);
    for (int k = 0; k < total; ++k) {
        const qint64 id = k < m_regularTeams ? k + 1 : m_options.extraTeamIds[k - m_regularTeams];
        const int pair = pairs[size_t(k) % pairs.size()];
        m_teams.push_back({id, text(names::cities[size_t(pair % cities)]),
                           text(names::nicknames[size_t(pair / cities)])});
    }
}

db::Error LeagueBuilder::writeLeague()
{
    Random random = stream(4);
    return m_writers[QStringLiteral("League")].insert(
        {1, m_leagueName, Season, WeeksPlayed + 1, int(m_teams.size()), 62000, personName(random)});
}

db::Error LeagueBuilder::writeConferences()
{
    TableWriter& writer = m_writers[QStringLiteral("Conference")];
    if (db::Error e = writer.insert({1, "Atlantic Conference", "AC", 2}))
        return e;
    return writer.insert({2, "Frontier Conference", "FC", 2});
}

db::Error LeagueBuilder::writeTeams()
{
    TableWriter& writer = m_writers[QStringLiteral("Team")];
    Random random = stream(5);
    for (size_t k = 0; k < m_teams.size(); ++k) {
        const Team& t = m_teams[k];
        const int conference = int(k % 2) + 1;
        const int division = int(k / 2 % 2) + 1;
        if (db::Error e = writer.insert({t.id, QString(t.city + QLatin1Char(' ') + t.nickname),
                                         t.city, t.nickname, abbreviation(t.city), conference,
                                         division, QString(t.nickname + QStringLiteral(" Field")),
                                         personName(random), 1920 + random.between(0, 75)}))
            return e;
    }
    return {};
}

db::Error LeagueBuilder::writeSchedule()
{
    // Round robin by the circle method over the regular teams; a zero is the
    // bye of an odd count.
    std::vector<qint64> ids;
    for (int k = 1; k <= m_regularTeams; ++k)
        ids.push_back(k);
    if (ids.size() % 2)
        ids.push_back(0);
    const int n = int(ids.size());
    TableWriter& writer = m_writers[QStringLiteral("Schedule")];
    Random random = stream(6);
    const QDate kickoff(Season, 9, 12);
    qint64 gameId = 0;
    for (int week = 1; week <= Weeks; ++week) {
        const int round = (week - 1) % (n - 1);
        const auto at = [&](int i) {
            return i == 0 ? ids[0] : ids[size_t(1 + (i - 1 + round) % (n - 1))];
        };
        for (int k = 0; k < n / 2; ++k) {
            qint64 home = at(k), away = at(n - 1 - k);
            if (home == 0 || away == 0)
                continue;
            if ((week + k) % 2)
                std::swap(home, away);
            const bool played = week <= WeeksPlayed;
            const Cell homeScore =
                played ? Cell(7 * random.between(0, 5) + 3 * random.between(0, 3)) : Cell();
            const Cell awayScore =
                played ? Cell(7 * random.between(0, 5) + 3 * random.between(0, 3)) : Cell();
            const QString date = kickoff.addDays(7 * (week - 1)).toString(Qt::ISODate);
            if (db::Error e =
                    writer.insert({++gameId, Season, week, date, home, away, homeScore, awayScore}))
                return e;
        }
    }
    return {};
}

db::Error LeagueBuilder::writePlayers()
{
    const LeagueOptions& o = m_options;
    const int perExtra = std::max(1, o.playersPerExtraTeam);
    const int extraCount = std::min(o.players, int(o.extraTeamIds.size()) * o.playersPerExtraTeam);
    const int regular = o.players - extraCount;
    // Teams fill in blocks of up to one roster in slot order, so a full-sized
    // team has every position.
    const int block = std::clamp((regular + m_regularTeams - 1) / m_regularTeams, 1,
                                 int(PlayerMaker::RosterSize));

    PlayerMaker maker(stream(7).raw(), o.nullRatingShare, m_leagueName, Season);
    Random pool = stream(8);
    Random contracts = stream(9);
    QHash<qint64, std::array<int, db::schema::PositionCount>> depth;
    TableWriter& players = m_writers[QStringLiteral("PlayerTable")];
    TableWriter& roster = m_writers[QStringLiteral("Roster")];
    TableWriter& freeAgents = m_writers[QStringLiteral("FreeAgents")];
    Row row;
    for (int i = 0; i < o.players; ++i) {
        PlayerPlan plan;
        plan.playerId = i + 1;
        plan.position = PlayerMaker::positionOfSlot(i);
        plan.last = i == o.players - 1;
        if (i < extraCount) {
            plan.teamId = o.extraTeamIds[i / perExtra];
        } else if (pool.chance(o.draftShare)) {
            plan.freeAgent = pool.chance(0.5);
        } else {
            plan.teamId = (i - extraCount) / block % m_regularTeams + 1;
        }
        maker.make(plan, row);
        if (db::Error e = players.insert(row))
            return e;
        db::Error e;
        if (plan.teamId != 0) {
            auto& order = depth[plan.teamId];
            e = roster.insert({plan.teamId, plan.playerId, row[PlayerMaker::JerseyNum],
                               plan.position, ++order[size_t(plan.position)]});
        } else if (plan.freeAgent) {
            e = freeAgents.insert({plan.playerId, plan.position, contracts.between(6, 80) * 50,
                                   contracts.between(1, 4)});
        }
        if (e)
            return e;
    }
    return {};
}

db::Error LeagueBuilder::writeNotes()
{
    TableWriter& writer = m_writers[QStringLiteral("Notes")];
    const std::array<const char*, 3> notes = {"Trade deadline after week 10.",
                                              "Roster limit is 53 players a team.",
                                              "Remember to run the converter after every edit."};
    for (int i = 0; i < int(notes.size()); ++i) {
        if (db::Error e = writer.insert({i + 1, "Commissioner", notes[size_t(i)]}))
            return e;
    }
    return {};
}

} // namespace leaguegen
