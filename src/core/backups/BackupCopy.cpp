#include "core/backups/BackupFiles.h"

#include "core/db/AtomicFile.h"
#include "core/db/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace backups {

namespace {

std::atomic<int> simulatedWriteError{0};
std::atomic<int> simulatedReadError{0};
// Reads bytes at an offset into the buffer; 0 or an errno value.
using Reader = std::function<int(char* into, qint64 bytes, qint64 offset)>;

// Writes size bytes under a name no listing takes for a backup, flushes them
// to the disk and only then gives the file its name: a file that has its name
// is whole. beforeRename runs just before that. Returns 0 or an errno value.
int writeFile(const Reader& read, qint64 size, const QString& to,
              const std::function<int()>& beforeRename = {})
{
    db::AtomicFile file(to, QFileInfo(to).fileName() + QStringLiteral(".part"));
    int error = file.open();
    std::vector<char> buffer(size_t(1) << 20);
    for (qint64 offset = 0; offset < size && !error;) {
        const qint64 n = std::min<qint64>(qint64(buffer.size()), size - offset);
        error = read(buffer.data(), n, offset);
        if (!error)
            error = simulatedWriteError.load();
        if (!error)
            error = file.write(buffer.data(), n);
        offset += n;
    }
    return error ? error : file.commit(db::Placing::Replace, beforeRename);
}

// The league file as the connection holds it open.
sqlite3_file* fileOf(db::Database& league)
{
    sqlite3_file* file = nullptr;
    if (!league.isOpen() || sqlite3_file_control(league.sqliteHandle(), "main",
                                                 SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK)
        return nullptr;
    return file && file->pMethods ? file : nullptr;
}
} // namespace

namespace detail {

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Why a backup could not be written; a full disk says so and names the file.
db::Error backupFailed(const QString& where, int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return {db::WriteFailed,
                QStringLiteral("The disk is full: the backup %1 could not be written, so the "
                               "command was stopped before it changed anything. Free some disk "
                               "space and try again.")
                    .arg(db::quotedPath(where))};
    return {db::WriteFailed,
            QStringLiteral("The league could not be backed up to %1 (%2), so the command was "
                           "stopped before it changed anything.")
                .arg(db::quotedPath(where), systemText(error))};
}

db::Error makeFolder(const QString& leaguePath)
{
    const QString folder = folderFor(leaguePath);
    if (QDir().mkpath(folder))
        return {};
    return {db::WriteFailed,
            QStringLiteral("The league could not be backed up to %1 (the folder cannot be made), "
                           "so the command was stopped before it changed anything.")
                .arg(db::quotedPath(folder))};
}
int copyPlainFile(const QString& from, const QString& to, const std::function<int()>& beforeRename)
{
    const int fd = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat info {
    };
    int error = ::fstat(fd, &info) == 0 ? 0 : errno;
    if (!error) {
        const Reader read = [fd](char* into, qint64 bytes, qint64 offset) {
            while (bytes > 0) {
                const int simulated = simulatedReadError.load();
                const ssize_t n =
                    simulated ? (errno = simulated, -1) : ::pread(fd, into, size_t(bytes), offset);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    return n < 0 ? errno : EIO;
                into += n;
                bytes -= n;
                offset += n;
            }
            return 0;
        };
        error = writeFile(read, info.st_size, to, beforeRename);
    }
    ::close(fd);
    return error;
}

} // namespace detail

using namespace detail;

db::Error take(db::Database& league, const QString& command, QString* backupPath)
{
    if (db::Error e = makeFolder(league.path()))
        return e;
    const QString path = newPath(league.path(), command);
    sqlite3_file* file = fileOf(league);
    sqlite3_int64 size = 0;
    if (!file || file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        return backupFailed(path, EIO);
    const Reader read = [file](char* into, qint64 bytes, qint64 offset) {
        return file->pMethods->xRead(file, into, int(bytes), offset) == SQLITE_OK ? 0 : EIO;
    };
    if (const int error = writeFile(read, size, path))
        return backupFailed(path, error);
    if (backupPath)
        *backupPath = path;
    return {};
}

db::Error copyFile(const QString& path, const QString& command, QString* backupPath)
{
    if (db::Error e = makeFolder(path))
        return e;
    const QString to = newPath(path, command, QFileInfo(path).suffix());
    if (const int error = copyPlainFile(path, to))
        return backupFailed(to, error);
    if (backupPath)
        *backupPath = to;
    return {};
}
void simulateWriteFailure(int error)
{
    simulatedWriteError = error;
}

void simulateReadFailure(int error)
{
    simulatedReadError = error;
}

} // namespace backups
