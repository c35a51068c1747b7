#include "core/db/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db {

namespace {
QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

void syncFolderOf(const QString& path)
{
    const int fd = ::open(encoded(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A name ending in "XXXXXX" with random letters there instead.
QString uniqueName(const QString& pattern)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString name = pattern.chopped(6);
    for (int i = 0; i < 6; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    return name;
}
} // namespace

int syncFile(const QString& path)
{
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

int placeFile(const QString& temp, const QString& target, Placing placing)
{
    const QByteArray from = encoded(temp);
    const QByteArray to = encoded(target);
    if (placing == Placing::Replace) {
        if (::rename(from.constData(), to.constData()) != 0)
            return errno;
    } else if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                           RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        // A file system without it: a hard link fails when the name exists.
        if (::link(from.constData(), to.constData()) != 0)
            return errno;
        ::unlink(from.constData());
    }
    syncFolderOf(target);
    return 0;
}

QString landingPath(const QString& path)
{
    QString landing = path;
    for (int hop = 0; hop < 16; ++hop) {
        const QFileInfo info(landing);
        if (!info.isSymLink())
            break;
        landing = info.symLinkTarget();
    }
    return QFileInfo(landing).absoluteFilePath();
}

AtomicFile::AtomicFile(const QString& target, const QString& temp) : m_target(landingPath(target))
{
    const QFileInfo info(m_target);
    m_temp =
        info.absolutePath() + QLatin1Char('/') +
        (temp.isEmpty() ? QLatin1Char('.') + info.fileName() + QStringLiteral(".XXXXXX") : temp);
}

AtomicFile::~AtomicFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_made)
        ::unlink(encoded(m_temp).constData());
}

int AtomicFile::open()
{
    struct stat target {
    };
    const bool exists = ::stat(encoded(m_target).constData(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode))
        return EISDIR;
    // A file its owner made read-only is not replaced behind that.
    if (exists && ::access(encoded(m_target).constData(), W_OK) != 0)
        return errno;
    const bool unique = m_temp.endsWith(QStringLiteral("XXXXXX"));
    const QString pattern = m_temp;
    for (int attempt = 0; m_fd < 0 && attempt < 100; ++attempt) {
        if (unique)
            m_temp = uniqueName(pattern);
        const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (unique ? O_EXCL : O_TRUNC);
        m_fd = ::open(encoded(m_temp).constData(), flags, 0666);
        if (m_fd < 0 && (!unique || errno != EEXIST))
            return errno;
    }
    if (m_fd < 0)
        return EEXIST;
    m_made = true;
    if (exists && ::fchmod(m_fd, target.st_mode & 07777) != 0)
        return fail(errno);
    return 0;
}

int AtomicFile::write(const char* data, qint64 bytes)
{
    while (bytes > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(bytes));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        data += n;
        bytes -= n;
    }
    return 0;
}

int AtomicFile::finish()
{
    if (m_fd < 0)
        return 0;
    int error = ::fsync(m_fd) == 0 ? 0 : errno;
    if (::close(m_fd) != 0 && !error)
        error = errno;
    m_fd = -1;
    return error;
}

int AtomicFile::commit(Placing placing, const std::function<int()>& beforePlace)
{
    int error = finish();
    if (!error && beforePlace)
        error = beforePlace();
    if (!error)
        error = placeFile(m_temp, m_target, placing);
    if (error)
        return fail(error);
    m_made = false; // it is the target now
    return 0;
}

int AtomicFile::fail(int error)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_made)
        ::unlink(encoded(m_temp).constData());
    m_made = false;
    return error;
}

} // namespace db
