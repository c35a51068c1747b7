#pragma once

#include "core/db/Error.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

// What the league's stored codes mean: positions (0..14), teams (TeamID; 0
// is the college draft and the free agents), conferences and players. The
// values in the file never change for it; windows show and pick by these
// meanings, and sort, filter and write the codes.
namespace db {

class Database;

enum class CodeKind { None, Position, Team, Conference, Player };

// Which kind of code a table's field holds (names without regard to case):
// CurrentPos and NaturalPos, Position in Roster and FreeAgents; TeamID and
// any name ending in TeamID (but the Team table's own key); a name ending in
// ConferenceID outside Conference; PlayerId outside PlayerTable.
CodeKind codeKindOf(const QString& table, const QString& field);

// The whole number a stored value stands for as a code: an integer, a real
// without a fraction, or text that is a whole number. None for null, other
// text and binary data.
std::optional<qint64> codeOf(const QVariant& stored);

// A stored value as a person reads it.
struct Meaning {
    QString text;    // the meaning, or the value as stored when it has none
    QString toolTip; // the stored value ("TeamID 7"), or why it means nothing
    bool known = false;
};

// One entry of a drop-down: the name shown and the code it stands for.
struct CodeChoice {
    QString name;
    qint64 code = 0;
};

class LeagueLookup
{
public:
    // Reads the teams and the conferences, one query each. A table of another
    // shape (no TeamName, no name column after ConferenceID) gives no names
    // and no error: the codes show as stored.
    Error readTeamsAndConferences(Database& database);
    // Reads the players with these ids that are not known yet: the first
    // time after forgetPlayers() every PlayerId with its first rowid (one
    // query), then the names of those asked for, by rowid (one query).
    Error readPlayers(Database& database, const QList<qint64>& ids);
    // Reads every player's name, for a whole-table export.
    Error readAllPlayers(Database& database);
    void forgetPlayers();

    Meaning meaning(CodeKind kind, const QString& field, const QVariant& stored) const;
    // What a drop-down offers: positions in index order; teams by name, then
    // "College Draft/FA"; conferences by name. Players are not offered.
    QList<CodeChoice> choices(CodeKind kind) const;
    // The code of a shown name, without regard to case; none when no code has it.
    std::optional<qint64> codeNamed(CodeKind kind, const QString& name) const;
    // The codes whose shown name contains text (for Find); players that are
    // not read yet are read first.
    Error codesShowing(Database& database, CodeKind kind, const QString& text, bool matchCase,
                       QList<qint64>* codes);

    // "No team has TeamID 99." and its kin.
    static QString noneHas(CodeKind kind, const QString& field, const QVariant& stored);
    // "team", "position", ...
    static QString noun(CodeKind kind);

private:
    struct Named {
        QString name;  // as shown: "Dragons (7)" when two teams share "Dragons"
        int count = 0; // rows of the table with this code
        qint64 rowid = 0;
        bool read = false; // players: the name has been read
    };
    Error readTeams(Database& database);
    Error readConferences(Database& database);
    Error readPlayerIds(Database& database);
    const QHash<qint64, Named>* namesOf(CodeKind kind) const;

    QHash<qint64, Named> m_teams;
    QList<qint64> m_teamOrder; // by name
    QHash<qint64, Named> m_conferences;
    QList<qint64> m_conferenceOrder;
    QString m_conferenceProblem; // why conferences have no names, when they have none
    QHash<qint64, Named> m_players;
    bool m_playerIdsRead = false;
    bool m_allPlayersRead = false;
};

} // namespace db
