#include "core/writeback/AccessTarget.h"

#include "core/backups/Backups.h"
#include "core/db/LeagueFiles.h"
#include "core/import/AccessFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace writeback {

namespace {
QString versionsFile(const QString& path)
{
    return backups::folderFor(path) + QStringLiteral("/Write Back versions.txt");
}

QByteArray versionLine(const QString& leagueId, const Identity& identity)
{
    return leagueId.toLatin1() + ' ' + QByteArray::number(identity.size) + ' ' + identity.sha256;
}

db::Error refused(int number, const QString& path, const QString& why)
{
    return {number, QStringLiteral("Nothing was written to the Access file %1: %2")
                        .arg(db::quotedPath(path), why)};
}

db::Error checkLockFile(const QString& path)
{
    const QFileInfo info(path);
    const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
    const QStringList locks{base + QStringLiteral(".ldb"), base + QStringLiteral(".laccdb")};
    for (const QString& lock : locks) {
        if (QFileInfo::exists(lock))
            return refused(AccessInUse, path,
                           QStringLiteral("the lock file %1 beside it says Microsoft Access or "
                                          "the league converter has it open. Close them and try "
                                          "again; if neither runs, the lock file was left by one "
                                          "that ended early: delete it, then try again.")
                               .arg(db::quotedPath(lock)));
    }
    return {};
}
} // namespace

QString realAccessPath(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

db::Error checkAccessTarget(const QString& path, const QStringList& leagues)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {db::FileNotFound,
                QStringLiteral("The Access file %1 is missing. Choose the file the league was "
                               "imported from.")
                    .arg(db::quotedPath(path))};
    if (const std::optional<QString> league = db::isLeagueFile(path, leagues))
        return refused(AccessNotWritable, path,
                       QStringLiteral("it is the league %1 (or its journal or a backup). Choose "
                                      "the Access file the league was imported from.")
                           .arg(db::quotedPath(*league)));
    if (db::Error e = import::checkAccessFile(path))
        return e;
    if (import::isEncodedAccessFile(path))
        return refused(AccessNotWritable, path,
                       QStringLiteral("its pages are encoded, which Yardmark '99 cannot write. "
                                      "Decode it in Access (or save it without encoding), import "
                                      "it again and make the changes there."));
    struct stat st {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    if (st.st_nlink > 1)
        return refused(AccessNotWritable, path,
                       QStringLiteral("it has %1 names (hard links); the written file would "
                                      "replace only this one. Copy it to a file of its own and "
                                      "write into that.")
                           .arg(st.st_nlink));
    // The mode too: root may write a file that says it is read-only.
    if ((st.st_mode & 0222) == 0 || ::access(QFile::encodeName(path).constData(), W_OK) != 0 ||
        ::access(QFile::encodeName(info.absolutePath()).constData(), W_OK) != 0)
        return refused(AccessNotWritable, path,
                       QStringLiteral("it or its folder is read-only. Allow writing to both, "
                                      "then try again."));
    return checkLockFile(path);
}

Identity identityOf(const QByteArray& bytes)
{
    return {bytes.size(), QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()};
}

bool wroteVersion(const QString& path, const QString& leagueId, const Identity& identity)
{
    QFile file(versionsFile(path));
    if (leagueId.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray wanted = versionLine(leagueId, identity);
    while (!file.atEnd()) {
        if (file.readLine().trimmed() == wanted)
            return true;
    }
    return false;
}

db::Error recordVersion(const QString& path, const QString& leagueId, const Identity& identity)
{
    QDir().mkpath(backups::folderFor(path));
    const QByteArray name = QFile::encodeName(versionsFile(path));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    const QByteArray line = versionLine(leagueId, identity) + '\n';
    const bool ok = fd >= 0 && ::write(fd, line.constData(), size_t(line.size())) == line.size() &&
                    ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!ok)
        return {db::WriteFailed,
                QStringLiteral("The record of written versions %1 could not be written; nothing "
                               "was written to the Access file.")
                    .arg(db::quotedPath(versionsFile(path)))};
    return {};
}

} // namespace writeback
