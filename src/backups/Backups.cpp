#include "backups/Backups.h"

#include "db/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QtEndian>
#include <algorithm>
#include <sqlite3.h>
#include <unistd.h>
#include <utility>

namespace backups {

namespace {

constexpr int DefaultKeep = 10;
const QString StampFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss");

QString quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

// "<stamp> <command>[ (n)].mdb": n tells apart backups of the same second.
const QRegularExpression& namePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{4}-\d\d-\d\d \d\d-\d\d-\d\d) (.+?)(?: \((\d+)\))?\.mdb$)"));
    return pattern;
}

struct Entry {
    Backup backup;
    int sequence = 1;
};

QList<Entry> entries(const QString& leaguePath)
{
    QList<Entry> found;
    const QDir folder(folderFor(leaguePath));
    for (const QFileInfo& file : folder.entryInfoList({QStringLiteral("*.mdb")}, QDir::Files)) {
        const QRegularExpressionMatch m = namePattern().match(file.fileName());
        const QDateTime taken = QDateTime::fromString(m.captured(1), StampFormat);
        if (!m.hasMatch() || !taken.isValid())
            continue; // not one of ours
        found.append({{file.absoluteFilePath(), taken, m.captured(2), file.size()},
                      m.captured(3).isEmpty() ? 1 : m.captured(3).toInt()});
    }
    std::sort(found.begin(), found.end(), [](const Entry& a, const Entry& b) {
        return std::pair(a.backup.taken, a.sequence) > std::pair(b.backup.taken, b.sequence);
    });
    return found;
}

db::Error backupFailed(const QString& where, const QString& reason)
{
    return {db::WriteFailed,
            QStringLiteral("The league could not be backed up to %1 (%2), so the command was "
                           "stopped before it changed anything.")
                .arg(quoted(where), reason)};
}

// Writes the copy under a name no listing takes for a backup, flushes it to
// the disk and only then gives it its name: a backup that is listed is whole.
db::Error copyFile(const QString& from, const QString& to)
{
    const QString part = to + QStringLiteral(".part");
    QFile source(from);
    QFile target(part);
    if (!source.open(QIODevice::ReadOnly))
        return backupFailed(to, source.errorString());
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return backupFailed(to, target.errorString());
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = source.read(buffer.data(), buffer.size());
        if (n < 0)
            return target.remove(), backupFailed(to, source.errorString());
        if (n == 0)
            break;
        if (target.write(buffer.constData(), n) != n)
            return target.remove(), backupFailed(to, target.errorString());
    }
    if (!target.flush() || ::fsync(target.handle()) != 0)
        return target.remove(), backupFailed(to, target.errorString());
    target.close();
    if (!QFile::rename(part, to))
        return QFile::remove(part), backupFailed(to, QStringLiteral("the copy cannot be named"));
    return {};
}

// Backups of the same second are told apart, and ordered, by " (n)".
QString newName(const QString& leaguePath, const QString& command)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime second = QDateTime::fromString(now.toString(StampFormat), StampFormat);
    int sequence = 0;
    for (const Entry& e : entries(leaguePath))
        if (e.backup.taken == second)
            sequence = std::max(sequence, e.sequence);
    QString name = now.toString(StampFormat) + QLatin1Char(' ') + command;
    if (sequence > 0)
        name += QStringLiteral(" (%1)").arg(sequence + 1);
    return folderFor(leaguePath) + QLatin1Char('/') + name + QStringLiteral(".mdb");
}

db::Error sqliteError(int code)
{
    return db::engineError(code, QString::fromUtf8(sqlite3_errstr(code)));
}

} // namespace

QString folderFor(const QString& leaguePath)
{
    return QFileInfo(leaguePath).absoluteFilePath() + QStringLiteral(".backups");
}

int keepCount()
{
    bool ok = false;
    const int keep = QSettings().value(QStringLiteral("Backups/Keep")).toString().toInt(&ok);
    return ok && keep >= 1 ? keep : DefaultKeep;
}

QList<Backup> list(const QString& leaguePath)
{
    QList<Backup> result;
    for (const Entry& e : entries(leaguePath))
        result.append(e.backup);
    return result;
}

db::Error take(const QString& leaguePath, const QString& command, QString* backupPath)
{
    const QString folder = folderFor(leaguePath);
    if (!QDir().mkpath(folder))
        return backupFailed(folder, QStringLiteral("the folder cannot be made"));
    const QString path = newName(leaguePath, command);
    if (db::Error e = copyFile(leaguePath, path))
        return e;
    if (backupPath)
        *backupPath = path;
    return {};
}

void prune(const QString& leaguePath, int keep)
{
    const QList<Entry> all = entries(leaguePath);
    const QStringList needed = neededBackups();
    for (qsizetype i = keep; i < all.size(); ++i) {
        if (!needed.contains(all[i].backup.path))
            QFile::remove(all[i].backup.path);
    }
}

namespace {
QStringList& needed()
{
    static QStringList paths;
    return paths;
}
} // namespace

void setNeededBackups(const QStringList& paths)
{
    needed() = paths;
}

QStringList neededBackups()
{
    return needed();
}

std::optional<quint32> changeCounter(const QString& path)
{
    QFile file(path);
    uchar bytes[4];
    if (!file.open(QIODevice::ReadOnly) || !file.seek(24) ||
        file.read(reinterpret_cast<char*>(bytes), 4) != 4)
        return std::nullopt;
    return qFromBigEndian<quint32>(bytes);
}

db::Error restore(const QString& leaguePath, const QString& backupPath, const QString& command,
                  std::optional<quint32> unchangedSince, QString* savedAs)
{
    db::Database source; // checks that the backup is a whole league
    if (db::Error e = source.open(backupPath))
        return e;
    db::Database league;
    if (db::Error e = league.open(leaguePath))
        return e;
    sqlite3_backup* copy =
        sqlite3_backup_init(league.sqliteHandle(), "main", source.sqliteHandle(), "main");
    if (!copy)
        return sqliteError(sqlite3_errcode(league.sqliteHandle()));

    // A first step of no pages takes the league's exclusive lock and writes
    // nothing: from here the file on disk is the state being replaced.
    int rc = sqlite3_backup_step(copy, 0);
    db::Error e;
    if (rc != SQLITE_OK && rc != SQLITE_DONE)
        e = sqliteError(rc);
    else if (unchangedSince && changeCounter(leaguePath) != unchangedSince)
        e = {db::LeagueChanged, QStringLiteral("The league has changed since.")};
    else
        e = take(leaguePath, command, savedAs);
    if (!e) {
        // One step copies every page in one journaled transaction.
        rc = sqlite3_backup_step(copy, -1);
        if (rc != SQLITE_DONE)
            e = sqliteError(rc);
    }
    sqlite3_backup_finish(copy); // rolls back what an unfinished copy wrote
    if (!e)
        prune(leaguePath, keepCount());
    return e;
}

CommandBackup::CommandBackup(QString leaguePath, QString command)
    : m_league(std::move(leaguePath)), m_command(std::move(command))
{
}

db::Error CommandBackup::take()
{
    return backups::take(m_league, m_command, &m_backup);
}

void CommandBackup::committed()
{
    if (m_backup.isEmpty())
        return; // the command ended before changing anything: nothing to undo
    prune(m_league, keepCount());
    if (const std::optional<quint32> counter = changeCounter(m_league))
        UndoRecord::instance().set({m_league, m_backup, m_command, *counter});
}

UndoRecord& UndoRecord::instance()
{
    static UndoRecord record;
    return record;
}

void UndoRecord::set(const UndoPoint& point)
{
    m_point = point;
    emit changed();
}

void UndoRecord::clear()
{
    m_point.reset();
    emit changed();
}

} // namespace backups
