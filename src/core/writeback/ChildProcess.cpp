#include "core/writeback/ChildProcess.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace writeback {

namespace {
constexpr int PollMilliseconds = 100;
constexpr int AliveEvery = 200; // ms between the child's signs of life
enum Kind : char { AliveKind = 'A', ResultKind = 'R', ErrorKind = 'E' };

void send(int fd, Kind kind, const QByteArray& payload)
{
    QByteArray record;
    QDataStream(&record, QIODevice::WriteOnly) << quint32(payload.size() + 1);
    record.append(kind);
    record += payload;
    for (qsizetype written = 0; written < record.size();) {
        const ssize_t n =
            ::write(fd, record.constData() + written, size_t(record.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            _exit(3); // the parent is gone
        written += n;
    }
}

[[noreturn]] void runChild(const ChildWork& work, int fd)
{
    // libmdb writes its warnings to the error output; the parent reports.
    if (const int null = ::open("/dev/null", O_WRONLY); null >= 0)
        ::dup2(null, STDERR_FILENO);
    // A crash on a damaged file ends the child at once, whatever handler the
    // parent had; the parent reports it.
    for (const int crash : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        std::signal(crash, SIG_DFL);
    QElapsedTimer since;
    since.start();
    const Alive alive = [&] {
        if (since.elapsed() >= AliveEvery) {
            send(fd, AliveKind, {});
            since.restart();
        }
    };
    QByteArray result;
    const db::Error e = work(alive, &result);
    if (e) {
        QByteArray payload;
        QDataStream(&payload, QIODevice::WriteOnly) << qint32(e.number) << e.description;
        send(fd, ErrorKind, payload);
    } else {
        send(fd, ResultKind, result);
    }
    _exit(0);
}

struct Reading {
    QByteArray buffer;
    std::optional<db::Error> error;
    bool done = false;

    // Takes whole records off the buffer.
    void parse(QByteArray* result)
    {
        while (buffer.size() >= 4) {
            quint32 size = 0;
            QDataStream(buffer) >> size;
            if (quint32(buffer.size() - 4) < size || size == 0)
                return;
            const char kind = buffer[4];
            if (kind == ResultKind) {
                *result = buffer.mid(5, size - 1);
                done = true;
            } else if (kind == ErrorKind) {
                QDataStream in(buffer.mid(5, size - 1));
                qint32 number = 0;
                QString description;
                in >> number >> description;
                error = db::Error(number, description);
            }
            buffer.remove(0, 4 + size);
        }
    }
};

db::Error stopped(const QString& what, const QString& how)
{
    return {db::WriteFailed, QStringLiteral("The Access file reader %1 while reading %2: the file "
                                            "is probably damaged. Nothing was written.")
                                 .arg(how, what)};
}

db::Error watch(pid_t child, int fd, const ChildOptions& options, const QString& what,
                QByteArray* result)
{
    const auto kill = [child] {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    };
    Reading reading;
    QElapsedTimer silent;
    silent.start();
    for (;;) {
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, PollMilliseconds) > 0) {
            char chunk[65536];
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n == 0)
                break;
            if (n > 0) {
                reading.buffer.append(chunk, n);
                reading.parse(result);
                silent.restart();
            }
        }
        if (options.keepGoing && !options.keepGoing()) {
            kill();
            return {db::Cancelled, QStringLiteral("The write-back was cancelled; nothing was "
                                                  "written.")};
        }
        if (silent.elapsed() > options.stallMilliseconds) {
            kill();
            return stopped(what, QStringLiteral("stopped responding"));
        }
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (reading.error)
        return *reading.error;
    if (!reading.done || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return stopped(what, WIFSIGNALED(status)
                                 ? QStringLiteral("crashed (signal %1)").arg(WTERMSIG(status))
                                 : QStringLiteral("ended early"));
    return {};
}
} // namespace

db::Error runInChild(const ChildWork& work, const ChildOptions& options, const QString& what,
                     QByteArray* result, const std::function<db::Error()>& meanwhile)
{
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return {db::WriteFailed, QStringLiteral("The write-back could not start: %1")
                                     .arg(QString::fromLocal8Bit(strerror(errno)))};
    std::fflush(nullptr); // nothing buffered is written twice
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        runChild(work, channel[1]);
    }
    ::close(channel[1]);
    if (child < 0) {
        ::close(channel[0]);
        return {db::WriteFailed, QStringLiteral("The write-back could not start: %1")
                                     .arg(QString::fromLocal8Bit(strerror(errno)))};
    }
    if (const db::Error e = meanwhile ? meanwhile() : db::Error()) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(channel[0]);
        return e;
    }
    QByteArray ignored;
    const db::Error e = watch(child, channel[0], options, what, result ? result : &ignored);
    ::close(channel[0]);
    return e;
}

} // namespace writeback
