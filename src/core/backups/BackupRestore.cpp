#include "core/backups/BackupFiles.h"

#include "core/db/Database.h"
#include "core/db/LeagueFiles.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sqlite3.h>
#include <unistd.h>

namespace backups {

namespace {

using namespace detail;

db::Error sqliteError(int code)
{
    return db::engineError(code, QString::fromUtf8(sqlite3_errstr(code)));
}

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

// Opens the backup and checks every page of it: SQLite's backup copies pages
// as they are, so a damaged backup would make a damaged league.
db::Error openBackup(const QString& backupPath, db::Database& source)
{
    db::Error e = source.open(backupPath);
    QStringList problems;
    if (!e)
        e = source.query(QStringLiteral("PRAGMA quick_check"), {},
                         [&](const db::Statement& q) { problems << q.text(0); });
    if (!e && problems != QStringList{QStringLiteral("ok")})
        e = {SQLITE_CORRUPT, problems.join(QStringLiteral("; "))};
    if (!e)
        return {};
    return {e.number,
            QStringLiteral("The backup %1 is damaged or is not a league, so the league was "
                           "not changed. %2")
                .arg(db::quotedText(fileName(backupPath)), e.description)};
}

// The restore of a league that opens: SQLite's backup API writes the pages
// in one journaled transaction on a connection to the league.
db::Error restoreInto(db::Database& league, db::Database& source, const QString& command,
                      const KeepRule& keep, const QStringList& spared,
                      std::optional<quint32> unchangedSince, RestoreResult* result)
{
    sqlite3_backup* copy =
        sqlite3_backup_init(league.sqliteHandle(), "main", source.sqliteHandle(), "main");
    if (!copy)
        return db::engineError(league.sqliteHandle());
    CommandBackup kept(league.path(), command, keep);
    kept.spare(spared);
    // A first step of no pages takes the league's exclusive lock and writes
    // nothing: from here the file on disk is the state being replaced.
    int rc = sqlite3_backup_step(copy, 0);
    db::Error e;
    std::optional<quint32> before;
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        e = sqliteError(rc);
    else if (before = league.changeCounter(); unchangedSince && before != unchangedSince)
        e = {db::LeagueChanged, QStringLiteral("The league has changed since.")};
    else
        e = kept.take(league);
    if (!e) {
        // One step copies every page in one journaled transaction.
        rc = sqlite3_backup_step(copy, -1);
        if (rc != SQLITE_DONE)
            e = sqliteError(rc);
    }
    sqlite3_backup_finish(copy); // rolls back what an unfinished copy wrote
    if (!e) {
        const QString pruned = kept.committed();
        // The copy is one commit on the league, which counts up by one.
        if (result)
            *result = {pruned, kept.path(), before ? std::optional(*before + 1) : std::nullopt,
                       false};
    }
    return e;
}

// The restore of a league file that no longer opens, so no lock can be
// taken on it: what is there is copied aside as it is, then the backup is
// written beside it and renamed over it, all or nothing.
db::Error replaceDamaged(const QString& leaguePath, const QString& backupPath, const KeepRule& keep,
                         const QStringList& spared, std::optional<quint32> backupCounter,
                         RestoreResult* result)
{
    const QFileInfo info(leaguePath);
    // Through a link, the file it leads to is the league.
    const QString target = info.exists()      ? info.canonicalFilePath()
                           : info.isSymLink() ? info.symLinkTarget()
                                              : info.absoluteFilePath();
    if (db::Error e = makeFolder(leaguePath))
        return e;
    CommandBackup kept(leaguePath, DamagedLeague, keep);
    kept.spare(spared);
    QString keptText = QStringLiteral("There was no league file to keep.");
    if (info.exists() && info.size() > 0) {
        const QString path = newPath(leaguePath, DamagedLeague);
        if (const int error = copyPlainFile(target, path))
            return backupFailed(path, error);
        kept.adopt(path);
        keptText =
            QStringLiteral("The league file as it was is kept as \"%1\".").arg(fileName(path));
    }
    // A journal left beside the old file would be played back into the new one.
    const QString journal = target + QStringLiteral("-journal");
    const int error = copyPlainFile(backupPath, target, [&] {
        return ::unlink(QFile::encodeName(journal).constData()) == 0 || errno == ENOENT ? 0 : errno;
    });
    if (error) {
        if (error == ENOSPC || error == EDQUOT)
            return backupFailed(target, error);
        return {db::WriteFailed, QStringLiteral("The backup could not be written over the league "
                                                "%1 (%2); the league was not changed.")
                                     .arg(db::quotedPath(target), systemText(error))};
    }
    const QString pruned = kept.committed();
    // The league is now the backup byte for byte.
    if (result)
        *result = {pruned.isEmpty() ? keptText : keptText + QLatin1Char(' ') + pruned, kept.path(),
                   backupCounter, true};
    return {};
}

} // namespace
bool isDamagedLeague(const db::Error& e)
{
    switch (e.number) {
    case db::FileNotFound:
    case db::NotSQLite:
    case db::AccessFile:
    case db::MissingTable:
    case db::MissingField:
        return true;
    default:
        return e.number < db::NoLeagueFileChosen &&
               ((e.number & 0xff) == SQLITE_CORRUPT || (e.number & 0xff) == SQLITE_NOTADB ||
                e.number == SQLITE_IOERR_SHORT_READ);
    }
}

db::Error restore(const QString& leaguePath, const QString& backupPath, const QString& command,
                  const KeepRule& keep, const QStringList& spared,
                  std::optional<quint32> unchangedSince, RestoreResult* result)
{
    if (db::sameFile(backupPath, leaguePath))
        return {db::IsLeagueFile,
                QStringLiteral("The backup \"%1\" is the league file itself (a link to it, not a "
                               "copy), so there is nothing to restore from it; the league was not "
                               "changed.")
                    .arg(fileName(backupPath))};
    db::Database source;
    if (db::Error e = openBackup(backupPath, source))
        return e;
    db::Database league;
    if (db::Error e = league.open(leaguePath)) {
        if (!isDamagedLeague(e))
            return e;
        // A sound SQLite file that lacks a table may be open in another
        // program: it is replaced under its lock, never behind its back.
        const bool sound = e.number == db::MissingTable || e.number == db::MissingField;
        if (sound && !league.openFile(leaguePath)) {
            e = restoreInto(league, source, command, keep, spared, unchangedSince, result);
            if (!e && result)
                result->damaged = true; // its copy is no league either
            return e;
        }
        if (unchangedSince) // it is not what the command left
            return {db::LeagueChanged, QStringLiteral("The league has changed since.")};
        const std::optional<quint32> backupCounter = source.changeCounter();
        source.close();
        return replaceDamaged(leaguePath, backupPath, keep, spared, backupCounter, result);
    }
    return restoreInto(league, source, command, keep, spared, unchangedSince, result);
}

} // namespace backups
