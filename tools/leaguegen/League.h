#pragma once

#include "leaguegen/LeagueGenerator.h"
#include "leaguegen/Random.h"
#include "leaguegen/SqliteFile.h"
#include "leaguegen/Tables.h"

#include <map>
#include <vector>

namespace leaguegen {

// Fills a new, empty SQLite file with one league, in one transaction.
class LeagueBuilder
{
public:
    LeagueBuilder(const LeagueOptions& options, SqliteFile& file);
    db::Error build();

private:
    struct Team {
        qint64 id;
        QString city, nickname;
    };

    // Each part of the league draws from its own stream, so leaving a table
    // or a column out does not change what the others hold.
    Random stream(quint32 salt) const;

    db::Error createTables();
    QStringList storedPlayerColumns() const;
    void chooseTeams();
    db::Error writeLeague();
    db::Error writeConferences();
    db::Error writeTeams();
    db::Error writeSchedule();
    db::Error writePlayers();
    db::Error writeNotes();

    const LeagueOptions& m_options;
    SqliteFile& m_file;
    int m_regularTeams;
    QString m_leagueName;
    std::vector<Team> m_teams; // regular ones first, then the extra ones
    std::map<QString, TableWriter> m_writers;
};

} // namespace leaguegen
