#include "leaguegen/LeagueGenerator.h"

#include "core/db/AtomicFile.h"
#include "core/db/Schema.h"
#include "leaguegen/League.h"
#include "leaguegen/Players.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace leaguegen {

namespace {
db::Error badOption(const QString& text)
{
    return {db::ValueDoesNotFit, text};
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

db::Error checkNames(const QStringList& names, const QStringList& known, const char* what)
{
    for (const QString& name : names) {
        if (!known.contains(name, Qt::CaseInsensitive))
            return badOption(QStringLiteral("%1 is not one of the %2 that can be left out.")
                                 .arg(quoted(name), QLatin1String(what)));
    }
    return {};
}

db::Error checkExtraTeams(const LeagueOptions& o)
{
    const int regular = teamCount(o);
    QSet<qint64> seen;
    for (qint64 id : o.extraTeamIds) {
        if (id == 0 || (id >= 1 && id <= regular) || seen.contains(id))
            return badOption(QStringLiteral("The extra TeamID %1 is taken: 0 is the draft pool, "
                                            "1 to %2 are the regular teams, and each extra team "
                                            "needs its own.")
                                 .arg(id)
                                 .arg(regular));
        seen.insert(id);
    }
    return {};
}

db::Error checkOptions(const LeagueOptions& o)
{
    if (o.players < 0)
        return badOption(
            QStringLiteral("The number of players must be 0 or more, not %1.").arg(o.players));
    if (o.teams < 0)
        return badOption(QStringLiteral("The number of teams must be 0 (chosen from the players) "
                                        "or more, not %1.")
                             .arg(o.teams));
    if (o.playersPerExtraTeam < 0)
        return badOption(
            QStringLiteral("An extra team cannot have %1 players.").arg(o.playersPerExtraTeam));
    for (double share : {o.nullRatingShare, o.draftShare}) {
        if (!(share >= 0 && share <= 1))
            return badOption(
                QStringLiteral("A share must lie between 0 and 1, not %1.").arg(share));
    }
    if (db::Error e = checkNames(o.omitTables, db::schema::leagueTables(), "league tables"))
        return e;
    if (db::Error e =
            checkNames(o.omitPlayerColumns, db::schema::playerColumns(), "PlayerTable columns"))
        return e;
    const QStringList& all = db::schema::playerColumns();
    if (std::all_of(all.begin(), all.end(), [&](const QString& c) {
            return o.omitPlayerColumns.contains(c, Qt::CaseInsensitive);
        }))
        return badOption(QStringLiteral("PlayerTable cannot be left without columns; leave the "
                                        "table out instead."));
    return checkExtraTeams(o);
}

db::Error writeFailed(const QString& what, const QString& path, const QString& why)
{
    return {db::WriteFailed, QStringLiteral("%1 %2: %3").arg(what, quoted(path), why)};
}

// Removes a file and the journal SQLite may have left beside it.
bool removeFiles(const QString& path)
{
    QFile::remove(path + QStringLiteral("-journal"));
    return !QFile::exists(path) || QFile::remove(path);
}

// The whole league reaches the disk, then takes its name: over the file there
// only when asked to, never over one that appeared meanwhile.
db::Error moveIntoPlace(const QString& from, const QString& to, bool overwrite)
{
    int error = db::syncFile(from);
    if (!error)
        error = db::placeFile(from, to, overwrite ? db::Placing::Replace : db::Placing::NoReplace);
    return error ? writeFailed(QStringLiteral("Cannot move the league to"), to,
                               QString::fromLocal8Bit(std::strerror(error)))
                 : db::Error();
}

db::Error checkTarget(const QString& path, bool overwrite)
{
    if (path.isEmpty())
        return {db::WriteFailed, QStringLiteral("No path was given for the league file.")};
    const QFileInfo info(path);
    if (info.isDir())
        return {db::NotAFile,
                QStringLiteral("%1 is a folder, not a league file.").arg(quoted(path))};
    if (info.exists() && !overwrite)
        return {
            TargetExists,
            QStringLiteral("The file %1 already exists and was left as it is.").arg(quoted(path))};
    return {};
}

db::Error buildFile(const QString& part, const LeagueOptions& options)
{
    SqliteFile file;
    if (db::Error e = file.create(part))
        return writeFailed(QStringLiteral("Cannot create"), part, e.description);
    if (db::Error e = LeagueBuilder(options, file).build())
        return e;
    file.close();
    return {};
}
} // namespace

int teamCount(const LeagueOptions& options)
{
    if (options.teams > 0)
        return options.teams;
    return std::clamp(int(std::lround(options.players / 53.0)), 2, 64);
}

db::Error writeLeague(const QString& path, const LeagueOptions& options)
{
    if (db::Error e = checkOptions(options))
        return e;
    if (db::Error e = checkTarget(path, options.overwrite))
        return e;
    const QString part = path + QStringLiteral(".part");
    if (!removeFiles(part))
        return writeFailed(QStringLiteral("Cannot remove the unfinished file"), part,
                           QStringLiteral("it is in the way of a new league"));
    db::Error e = buildFile(part, options);
    if (!e)
        e = moveIntoPlace(part, path, options.overwrite);
    if (e)
        removeFiles(part);
    return e;
}

} // namespace leaguegen
