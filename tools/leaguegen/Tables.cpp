#include "leaguegen/Tables.h"

#include "core/db/Schema.h"

namespace leaguegen {

namespace {
QStringList words(const char* list)
{
    return QString::fromLatin1(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

TableDef table(const char* name, const char* columns, const char* textColumns)
{
    return {QString::fromLatin1(name), words(columns), words(textColumns)};
}

} // namespace

TableDef conferenceTable()
{
    return table("Conference", "ConferenceID ConferenceName Abbreviation Divisions",
                 "ConferenceName Abbreviation");
}

TableDef freeAgentsTable()
{
    return table("FreeAgents", "PlayerID Position AskingSalary ContractYears", "");
}

TableDef leagueTable()
{
    return table("League", "LeagueID LeagueName Season CurrentWeek Teams SalaryCap Commissioner",
                 "LeagueName Commissioner");
}

TableDef playerTable()
{
    return {QStringLiteral("PlayerTable"), db::schema::playerColumns(),
            words("LeagueName FirstName LastName InjuryType InjuryLocation")};
}

TableDef rosterTable()
{
    return table("Roster", "TeamID PlayerID JerseyNum Position DepthOrder", "");
}

TableDef scheduleTable()
{
    return table("Schedule",
                 "GameID Season Week GameDate HomeTeamID AwayTeamID HomeScore AwayScore",
                 "GameDate");
}

TableDef teamTable()
{
    return table("Team",
                 "TeamID TeamName City Nickname Abbreviation ConferenceID Division Stadium "
                 "HeadCoach Founded",
                 "TeamName City Nickname Abbreviation Stadium HeadCoach");
}

TableDef notesTable()
{
    return table("Notes", "NoteID Author Body", "Author Body");
}

db::Error TableWriter::create(SqliteFile& file, const TableDef& def,
                              const QStringList& storedColumns)
{
    QStringList declared, names, marks;
    m_source.clear();
    for (const QString& column : storedColumns) {
        const bool text = def.textColumns.contains(column);
        declared << db::quoteIdentifier(column) +
                        (text ? QStringLiteral(" TEXT") : QStringLiteral(" INTEGER"));
        names << db::quoteIdentifier(column);
        marks << QStringLiteral("?");
        m_source.push_back(int(def.columns.indexOf(column)));
    }
    const QString table = db::quoteIdentifier(def.name);
    if (db::Error e =
            file.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(table, declared.join(u", "))))
        return e;
    if (db::Error e =
            m_insert.prepare(file.handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                .arg(table, names.join(u", "), marks.join(u", "))))
        return e;
    m_open = true;
    return {};
}

db::Error TableWriter::insert(const Row& row)
{
    if (!m_open)
        return {}; // a table left out of the file takes no rows
    for (int i = 0; i < int(m_source.size()); ++i) {
        const Cell& cell = row[size_t(m_source[size_t(i)])];
        switch (cell.kind) {
        case Cell::Kind::Null:
            m_insert.bindNull(i + 1);
            break;
        case Cell::Kind::Number:
            m_insert.bindInt64(i + 1, cell.number);
            break;
        case Cell::Kind::Text:
            m_insert.bindText(i + 1, cell.text);
            break;
        }
    }
    return m_insert.run();
}

} // namespace leaguegen
