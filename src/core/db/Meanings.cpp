#include "core/db/Meanings.h"

#include "core/db/Database.h"
#include "core/db/Fields.h"
#include "core/db/Schema.h"

#include <algorithm>
#include <cmath>

namespace db {

namespace {
constexpr int RowidsPerQuery = 500;
// 2^63: the first double beyond the 64-bit range.
constexpr double Beyond64Bits = 9223372036854775808.0;

bool endsWith(const QString& field, const char* tail)
{
    return field.endsWith(QLatin1String(tail), Qt::CaseInsensitive);
}

bool is(const QString& name, const char* other)
{
    return name.compare(QLatin1String(other), Qt::CaseInsensitive) == 0;
}

QString storedText(const QVariant& stored)
{
    return stored.typeId() == QMetaType::QByteArray
               ? QStringLiteral("(%1 bytes)").arg(stored.toByteArray().size())
               : stored.toString();
}

// "TeamID 7", and how many rows share the code when more than one does.
QString storedTip(CodeKind kind, const QString& field, const QVariant& stored, int count)
{
    QString tip = field + QLatin1Char(' ') + storedText(stored);
    if (count > 1)
        tip += QStringLiteral(" (%1 %2s have it; the first is shown)")
                   .arg(count)
                   .arg(LeagueLookup::noun(kind));
    return tip;
}

// Names used by more than one code get the code after them: "Dragons (7)".
void tellApart(QHash<qint64, QString>& names, QList<qint64>* order)
{
    QHash<QString, int> uses;
    for (const QString& name : std::as_const(names))
        ++uses[name.toCaseFolded()];
    for (auto it = names.begin(); it != names.end(); ++it) {
        if (uses.value(it.value().toCaseFolded()) > 1 || it.value().isEmpty())
            it.value() = QStringLiteral("%1 (%2)").arg(it.value()).arg(it.key()).trimmed();
    }
    *order = names.keys();
    std::stable_sort(order->begin(), order->end(), [&](qint64 a, qint64 b) {
        const int byName = names.value(a).compare(names.value(b));
        return byName != 0 ? byName < 0 : a < b;
    });
}

QString personName(const Statement& row, int first)
{
    const QString name =
        QString(row.text(first).trimmed() + QLatin1Char(' ') + row.text(first + 1).trimmed())
            .trimmed();
    return name.isEmpty() ? QStringLiteral("(no name)") : name;
}
} // namespace

CodeKind codeKindOf(const QString& table, const QString& field)
{
    if (is(field, "CurrentPos") || is(field, "NaturalPos"))
        return CodeKind::Position;
    if (is(field, "Position") && (is(table, "Roster") || is(table, "FreeAgents")))
        return CodeKind::Position;
    if (endsWith(field, "TeamID"))
        return is(table, "Team") && is(field, "TeamID") ? CodeKind::None : CodeKind::Team;
    if (endsWith(field, "ConferenceID"))
        return is(table, "Conference") ? CodeKind::None : CodeKind::Conference;
    if (is(field, "PlayerId"))
        return is(table, "PlayerTable") ? CodeKind::None : CodeKind::Player;
    return CodeKind::None;
}

std::optional<qint64> codeOf(const QVariant& stored)
{
    switch (stored.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        return stored.toLongLong();
    case QMetaType::Double: {
        const double d = stored.toDouble();
        if (std::trunc(d) == d && d >= -Beyond64Bits && d < Beyond64Bits)
            return qint64(d);
        return std::nullopt;
    }
    case QMetaType::QString: {
        bool ok = false;
        const qint64 code = stored.toString().toLongLong(&ok);
        return ok ? std::optional<qint64>(code) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

QString LeagueLookup::noun(CodeKind kind)
{
    switch (kind) {
    case CodeKind::Position:
        return QStringLiteral("position");
    case CodeKind::Team:
        return QStringLiteral("team");
    case CodeKind::Conference:
        return QStringLiteral("conference");
    case CodeKind::Player:
        return QStringLiteral("player");
    case CodeKind::None:
        break;
    }
    return QStringLiteral("value");
}

QString LeagueLookup::noneHas(CodeKind kind, const QString& field, const QVariant& stored)
{
    if (stored.isNull())
        return QStringLiteral("%1 holds no value (Null), so no %2.").arg(field, noun(kind));
    return QStringLiteral("No %1 has %2 %3.").arg(noun(kind), field, storedText(stored));
}

Error LeagueLookup::readTeamsAndConferences(Database& database)
{
    // Each table on its own: a Team table of another shape still lets the
    // conferences show by name.
    const Error teams = readTeams(database);
    const Error conferences = readConferences(database);
    return teams ? teams : conferences;
}

Error LeagueLookup::readTeams(Database& database)
{
    m_teams.clear();
    m_teamOrder.clear();
    QHash<qint64, QString> names;
    const Error e = database.query(QStringLiteral("SELECT TeamID, TeamName FROM Team"), {},
                                   [&](const Statement& row) {
                                       const std::optional<qint64> code = codeOf(row.value(0));
                                       if (!code)
                                           return; // a Null or text id names no team
                                       if (m_teams[*code].count++ == 0)
                                           names.insert(*code, row.text(1).trimmed());
                                   });
    if (e) {
        m_teams.clear(); // another shape of the table: the ids stay unnamed
        return e;
    }
    tellApart(names, &m_teamOrder);
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        m_teams[it.key()].name = it.value();
    return {};
}

Error LeagueLookup::readConferences(Database& database)
{
    m_conferences.clear();
    m_conferenceOrder.clear();
    const QString table = database.storedTableName(QStringLiteral("Conference"));
    QString idField, nameField;
    Error e = database.query(QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table)),
                             {}, [&](const Statement& row) {
                                 const QString name = row.text(1);
                                 if (idField.isEmpty() && is(name, "ConferenceID"))
                                     idField = name;
                                 else if (!idField.isEmpty() && nameField.isEmpty() &&
                                          affinityOf(row.text(2)) == Affinity::Text)
                                     nameField = name;
                             });
    m_conferenceProblem.clear();
    if (!e && nameField.isEmpty())
        m_conferenceProblem = QStringLiteral("The Conference table has no column of names after "
                                             "ConferenceID.");
    if (e || nameField.isEmpty())
        return e;
    QHash<qint64, QString> names;
    e = database.query(
        QStringLiteral("SELECT %1, %2 FROM %3")
            .arg(quoteIdentifier(idField), quoteIdentifier(nameField), quoteIdentifier(table)),
        {}, [&](const Statement& row) {
            if (const std::optional<qint64> code = codeOf(row.value(0))) {
                if (m_conferences[*code].count++ == 0)
                    names.insert(*code, row.text(1).trimmed());
            }
        });
    tellApart(names, &m_conferenceOrder);
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        m_conferences[it.key()].name = it.value();
    return e;
}

void LeagueLookup::forgetPlayers()
{
    m_players.clear();
    m_playerIdsRead = false;
    m_allPlayersRead = false;
}

Error LeagueLookup::readPlayerIds(Database& database)
{
    if (m_playerIdsRead)
        return {};
    m_players.clear();
    const Error e = database.query(
        QStringLiteral("SELECT PlayerId, rowid FROM PlayerTable"), {}, [&](const Statement& row) {
            const std::optional<qint64> code = row.type(0) == Statement::Type::Integer
                                                   ? std::optional<qint64>(row.int64(0))
                                                   : codeOf(row.value(0));
            if (!code)
                return;
            Named& player = m_players[*code];
            if (player.count++ == 0)
                player.rowid = row.int64(1);
        });
    m_playerIdsRead = !e;
    return e;
}

Error LeagueLookup::readPlayers(Database& database, const QList<qint64>& ids)
{
    if (Error e = readPlayerIds(database))
        return e;
    QHash<qint64, qint64> idOfRowid;
    for (qint64 id : ids) {
        const auto it = m_players.constFind(id);
        if (it != m_players.cend() && !it->read)
            idOfRowid.insert(it->rowid, id);
    }
    const QList<qint64> rowids = idOfRowid.keys();
    for (qsizetype i = 0; i < rowids.size(); i += RowidsPerQuery) {
        const QList<qint64> chunk = rowids.mid(i, RowidsPerQuery);
        QVariantList params;
        for (qint64 rowid : chunk)
            params << rowid;
        const QString sql =
            QStringLiteral("SELECT rowid, FirstName, LastName FROM PlayerTable WHERE rowid IN (%1)")
                .arg(QStringList(chunk.size(), QStringLiteral("?")).join(QLatin1Char(',')));
        if (Error e = database.query(sql, params, [&](const Statement& row) {
                Named& player = m_players[idOfRowid.value(row.int64(0))];
                player.name = personName(row, 1);
                player.read = true;
            }))
            return e;
    }
    return {};
}

Error LeagueLookup::readAllPlayers(Database& database)
{
    if (m_allPlayersRead)
        return {};
    if (Error e = readPlayerIds(database))
        return e;
    const Error e =
        database.query(QStringLiteral("SELECT rowid, PlayerId, FirstName, LastName FROM "
                                      "PlayerTable"),
                       {}, [&](const Statement& row) {
                           const std::optional<qint64> code = codeOf(row.value(1));
                           const auto it = code ? m_players.find(*code) : m_players.end();
                           if (it != m_players.end() && it->rowid == row.int64(0)) {
                               it->name = personName(row, 2);
                               it->read = true;
                           }
                       });
    m_allPlayersRead = !e;
    return e;
}

const QHash<qint64, LeagueLookup::Named>* LeagueLookup::namesOf(CodeKind kind) const
{
    switch (kind) {
    case CodeKind::Team:
        return &m_teams;
    case CodeKind::Conference:
        return &m_conferences;
    case CodeKind::Player:
        return &m_players;
    default:
        return nullptr;
    }
}

Meaning LeagueLookup::meaning(CodeKind kind, const QString& field, const QVariant& stored) const
{
    Meaning unknown{storedText(stored), noneHas(kind, field, stored), false};
    const std::optional<qint64> code = codeOf(stored);
    if (!code || kind == CodeKind::None)
        return unknown;
    if (kind == CodeKind::Position) {
        if (*code < 0 || *code >= schema::PositionCount)
            return unknown;
        return {schema::positions().at(int(*code)), storedTip(kind, field, stored, 1), true};
    }
    if (kind == CodeKind::Conference && !m_conferenceProblem.isEmpty())
        return {unknown.text, m_conferenceProblem, false};
    const QHash<qint64, Named>& names = *namesOf(kind);
    const auto it = names.constFind(*code);
    if (it == names.cend()) {
        // 0 marks the college draft and the free agents, unless a team has it.
        if (kind == CodeKind::Team && *code == 0)
            return {QStringLiteral("College Draft/FA"), storedTip(kind, field, stored, 1), true};
        return unknown;
    }
    if (kind == CodeKind::Player && !it->read)
        return {unknown.text, storedTip(kind, field, stored, it->count), true};
    return {it->name, storedTip(kind, field, stored, it->count), true};
}

QList<CodeChoice> LeagueLookup::choices(CodeKind kind) const
{
    QList<CodeChoice> list;
    if (kind == CodeKind::Position) {
        for (int p = 0; p < schema::PositionCount; ++p)
            list.append({schema::positions().at(p), p});
    } else if (kind == CodeKind::Team || kind == CodeKind::Conference) {
        const bool teams = kind == CodeKind::Team;
        for (qint64 code : teams ? m_teamOrder : m_conferenceOrder)
            list.append({namesOf(kind)->value(code).name, code});
        if (teams && !m_teams.contains(0))
            list.append({QStringLiteral("College Draft/FA"), 0});
    }
    return list;
}

std::optional<qint64> LeagueLookup::codeNamed(CodeKind kind, const QString& name) const
{
    const QString wanted = name.trimmed();
    for (const CodeChoice& choice : choices(kind)) {
        if (choice.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return choice.code;
    }
    return std::nullopt;
}

Error LeagueLookup::codesShowing(Database& database, CodeKind kind, const QString& text,
                                 bool matchCase, QList<qint64>* codes)
{
    codes->clear();
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (kind == CodeKind::Player) {
        if (Error e = readAllPlayers(database))
            return e;
        for (auto it = m_players.cbegin(); it != m_players.cend(); ++it) {
            if (it->read && it->name.contains(text, cs))
                *codes << it.key();
        }
        return {};
    }
    for (const CodeChoice& choice : choices(kind)) {
        if (choice.name.contains(text, cs))
            *codes << choice.code;
    }
    return {};
}

} // namespace db
