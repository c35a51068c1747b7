#include "core/import/ImportTempFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace import {

namespace {
const QByteArray Suffix = ".import-XXXXXX";
constexpr std::array<int, 3> EndingSignals{SIGTERM, SIGINT, SIGHUP};
constexpr int Attempts = 5;

// What a signal handler may read: the file to remove and the child to end.
// An import runs one at a time in a process.
char guardedPath[PATH_MAX + 1];
volatile pid_t guardedChild = 0;
pid_t guardingParent = 0;
struct sigaction previous[NSIG];

extern "C" void removeAndEnd(int signal)
{
    // The child must be gone first: one just starting would create the file
    // again. Only a child not yet waited for is ours to kill.
    if (guardedChild > 0 && ::waitpid(guardedChild, nullptr, WNOHANG) == 0) {
        ::kill(guardedChild, SIGKILL);
        while (::waitpid(guardedChild, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    if (guardedPath[0] != '\0')
        ::unlink(guardedPath);
    // Ends the program as the signal would have (or runs the handler that
    // was there before).
    ::sigaction(signal, &previous[signal], nullptr);
    ::raise(signal);
}

// Installs the handler; the path follows once the file is there.
void guard()
{
    guardedPath[0] = '\0';
    struct sigaction action {
    };
    action.sa_handler = removeAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int signal : EndingSignals) {
        // An ignored signal (nohup) stays ignored.
        if (::sigaction(signal, nullptr, &previous[signal]) == 0 &&
            previous[signal].sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
}

void unguard()
{
    for (const int signal : EndingSignals) {
        if (previous[signal].sa_handler != SIG_IGN)
            ::sigaction(signal, &previous[signal], nullptr);
    }
    guardedChild = 0;
    guardedPath[0] = '\0';
}

// Holds the ending signals back; returns the mask to restore.
sigset_t blockEnding()
{
    sigset_t ending, before;
    sigemptyset(&ending);
    for (const int signal : EndingSignals)
        sigaddset(&ending, signal);
    ::pthread_sigmask(SIG_BLOCK, &ending, &before);
    return before;
}

// A lock on the first byte: SQLite's own locks lie far past it.
bool lock(int fd)
{
    struct flock range {
    };
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 1;
    return ::fcntl(fd, F_SETLK, &range) == 0;
}

// Whether path still names the file open as fd.
bool namesFile(const QByteArray& path, int fd)
{
    struct stat byPath {
    }, byFd{};
    return ::lstat(path.constData(), &byPath) == 0 && ::fstat(fd, &byFd) == 0 &&
           byPath.st_dev == byFd.st_dev && byPath.st_ino == byFd.st_ino;
}

// An import's temporary file is empty until its writer starts, then SQLite's.
bool looksLikeImport(int fd)
{
    char head[16] = {};
    const ssize_t n = ::pread(fd, head, sizeof head, 0);
    return n == 0 || (n == sizeof head && std::memcmp(head, "SQLite format 3", 16) == 0);
}

// Removes the folder's temporary import files that no live import holds.
void removeStale(const QString& folder)
{
    const QStringList names = QDir(folder).entryList({QStringLiteral(".*.import-??????")},
                                                     QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QByteArray path = QFile::encodeName(QDir(folder).filePath(name));
        const int fd = ::open(path.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (lock(fd) && looksLikeImport(fd) && namesFile(path, fd))
            ::unlink(path.constData());
        ::close(fd);
    }
}
} // namespace

ImportTempFile::~ImportTempFile()
{
    if (m_fd < 0)
        return;
    if (!m_path.isEmpty())
        QFile::remove(m_path);
    unguard();
    ::close(m_fd);
}

db::Error ImportTempFile::create(const QString& target)
{
    const QFileInfo info(target);
    removeStale(info.absolutePath());
    const QByteArray name =
        QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + Suffix;
    // A signal waits until the file is guarded.
    const sigset_t before = blockEnding();
    guard(); // another thread may take a signal meanwhile
    int error = 0;
    for (int attempt = 0; attempt < Attempts && m_fd < 0 && error == 0; ++attempt) {
        QByteArray pattern = name;
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) {
            error = errno;
        } else if (lock(fd) && namesFile(pattern, fd)) {
            m_fd = fd;
            m_path = QFile::decodeName(pattern);
            guardingParent = ::getpid();
            std::strncpy(guardedPath, pattern.constData(), PATH_MAX);
        } else {
            ::close(fd); // another import's clean-up took it before the lock
        }
    }
    if (m_fd < 0)
        unguard();
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (m_fd >= 0)
        return {};
    return {db::WriteFailed, QStringLiteral("No file can be written in the folder %1: %2")
                                 .arg(db::quotedPath(info.absolutePath()),
                                      QString::fromLocal8Bit(strerror(error ? error : EAGAIN)))};
}

pid_t ImportTempFile::forkWriter()
{
    // No signal may come between the fork and the parent's knowing the child.
    const sigset_t before = blockEnding();
    const pid_t child = ::fork();
    if (child == 0) {
        unguard();
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != guardingParent)
            _exit(3); // the parent ended before the line above
    } else if (child > 0) {
        guardedChild = child;
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return child;
}

void ImportTempFile::release()
{
    guardedPath[0] = '\0';
    m_path.clear();
}

bool tempNameTooLong(const QString& target)
{
    const QFileInfo info(target);
    long longest = ::pathconf(QFile::encodeName(info.absolutePath()).constData(), _PC_NAME_MAX);
    if (longest <= 0)
        longest = NAME_MAX;
    return QFile::encodeName(info.fileName()).size() + 1 + Suffix.size() > longest;
}

} // namespace import
