#include "core/import/ImportAccess.h"

#include "core/db/AtomicFile.h"
#include "core/db/Database.h"
#include "core/db/LeagueFiles.h"
#include "core/db/Schema.h"
#include "core/db/Statement.h"
#include "core/import/AccessFile.h"
#include "core/import/AccessSource.h"
#include "core/import/CopyTables.h"
#include "core/import/ImportErrors.h"
#include "core/import/ImportTempFile.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace import {

namespace {
constexpr int PollMilliseconds = 100;

// What the child tells the parent, one record at a time: a length, a kind
// and the kind's fields.
enum Record : quint8 { TableStarted = 'T', RowsCopied = 'R', Failed = 'E', Done = 'D' };

class ChildReporter final : public CopyObserver
{
public:
    explicit ChildReporter(int fd) : m_fd(fd) {}

    void tableStarted(int index, const Table& table) override
    {
        send(TableStarted, [&](QDataStream& out) {
            out << qint32(index) << qint64(table.storedRows) << table.name
                << qint32(table.columns.size());
        });
    }
    void rowsCopied(qint64 rows) override
    {
        send(RowsCopied, [&](QDataStream& out) { out << rows; });
    }
    void failed(const db::Error& error)
    {
        send(Failed, [&](QDataStream& out) { out << qint32(error.number) << error.description; });
    }
    void done()
    {
        send(Done, [](QDataStream&) {});
    }
    void tableCount(qint32 count)
    {
        // Sent as the first table's header: index -1 carries the count.
        send(TableStarted, [&](QDataStream& out) {
            out << qint32(-1) << qint64(count) << QString() << qint32(0);
        });
    }

private:
    template <typename Fill> void send(Record kind, Fill fill)
    {
        QByteArray payload;
        QDataStream out(&payload, QIODevice::WriteOnly);
        out << quint8(kind);
        fill(out);
        QByteArray record;
        QDataStream(&record, QIODevice::WriteOnly) << quint32(payload.size());
        record += payload;
        for (qsizetype written = 0; written < record.size();) {
            const ssize_t n = ::write(m_fd, record.constData() + written,
                                      static_cast<size_t>(record.size() - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                _exit(3); // the parent is gone
            written += n;
        }
    }

    int m_fd;
};

[[noreturn]] void runChild(const SourceOpener& open, const QString& temp, int fd)
{
    // libmdb writes its own warnings to the error output; the parent reports.
    if (const int null = ::open("/dev/null", O_WRONLY); null >= 0)
        ::dup2(null, STDERR_FILENO);
    ChildReporter reporter(fd);
    db::Error error;
    if (std::unique_ptr<Source> source = open(error)) {
        reporter.tableCount(static_cast<qint32>(source->tables().size()));
        error = copyTables(*source, temp, &reporter);
    }
    if (error)
        reporter.failed(error);
    else
        reporter.done();
    _exit(0);
}

// The parent's side: the records read so far and what they said.
struct ChildState {
    QByteArray buffer;
    ImportProgress progress;
    int columns = 0; // of the table being copied
    ImportResult result;
    std::optional<db::Error> error;
    bool done = false;

    void parse()
    {
        while (buffer.size() >= 4) {
            quint32 size = 0;
            QDataStream(buffer) >> size;
            if (static_cast<quint32>(buffer.size() - 4) < size)
                return;
            QDataStream in(buffer.mid(4, size));
            buffer.remove(0, 4 + size);
            quint8 kind = 0;
            in >> kind;
            apply(kind, in);
        }
    }

    void apply(quint8 kind, QDataStream& in)
    {
        if (kind == TableStarted) {
            qint32 index = 0;
            qint64 rows = 0;
            QString name;
            qint32 columnCount = 0;
            in >> index >> rows >> name >> columnCount;
            if (index < 0) {
                progress.tableCount = static_cast<int>(rows);
                return;
            }
            tableDone();
            progress = {name, index, progress.tableCount, 0, rows};
            columns = columnCount;
            result.tables << name;
        } else if (kind == RowsCopied) {
            in >> progress.rows;
        } else if (kind == Failed) {
            qint32 number = 0;
            QString description;
            in >> number >> description;
            error = db::Error(number, description);
        } else if (kind == Done) {
            tableDone();
            done = true;
        }
    }

    void tableDone()
    {
        result.rows += progress.rows;
        result.cells += progress.rows * columns;
        progress.rows = 0;
    }
};

db::Error stopped(const ChildState& state, const QString& what)
{
    return {AccessDamaged, QStringLiteral("The database reader %1 while reading %2: the file is "
                                          "probably damaged. Nothing was imported.")
                               .arg(what, state.progress.table.isEmpty()
                                              ? QStringLiteral("the table list")
                                              : QString(QStringLiteral("table ") +
                                                        db::quotedPath(state.progress.table)))};
}

// Waits for the child, reporting progress; kills it on Cancel or when it
// falls silent.
db::Error watch(pid_t child, int fd, const ImportOptions& options, ChildState& state)
{
    auto kill = [child] {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    };
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
                state.buffer.append(chunk, n);
                state.parse();
                silent.restart();
            }
        }
        if (options.progress && !options.progress(state.progress)) {
            kill();
            return {db::Cancelled,
                    QStringLiteral("The import was cancelled; no file was written.")};
        }
        if (silent.elapsed() > options.stallMilliseconds) {
            kill();
            return stopped(state, QStringLiteral("stopped responding"));
        }
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (state.error)
        return *state.error;
    if (!state.done || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return stopped(state, WIFSIGNALED(status)
                                  ? QStringLiteral("crashed (signal %1)").arg(WTERMSIG(status))
                                  : QStringLiteral("ended early"));
    return {};
}

bool takenName(const QString& target)
{
    const QFileInfo info(target);
    return info.exists() || info.isSymLink();
}

db::Error exists(const QString& target)
{
    return {ImportTargetRefused,
            QStringLiteral("The file %1 already exists; choose a new name for the imported "
                           "league.")
                .arg(db::quotedPath(target))};
}

// The whole file takes the target's name, never over a file that appeared
// meanwhile.
db::Error moveIntoPlace(const QString& temp, const QString& target)
{
    const int error = db::placeFile(temp, target, db::Placing::NoReplace);
    if (error == EEXIST)
        return exists(target);
    if (error)
        return {db::WriteFailed,
                QStringLiteral("The imported league could not be saved as %1: %2")
                    .arg(db::quotedPath(target), QString::fromLocal8Bit(strerror(error)))};
    return {};
}

} // namespace

db::Error checkImportTarget(const QString& target, const QString& source,
                            const QStringList& heldLeagues)
{
    if (db::isLeagueFile(target, {source}))
        return {ImportTargetRefused,
                QStringLiteral("The imported league cannot be saved as %1: that is the file "
                               "being imported. Choose another name.")
                    .arg(db::quotedPath(target))};
    if (db::Error e = db::checkNotLeagueFile(target, heldLeagues))
        return e;
    if (QFileInfo(target).isDir())
        return {ImportTargetRefused,
                QStringLiteral("%1 is a folder; choose a file name for the imported league.")
                    .arg(db::quotedPath(target))};
    if (takenName(target))
        return exists(target);
    if (tempNameTooLong(target))
        return {ImportTargetRefused,
                QStringLiteral("The name of %1 is too long for a file in that folder; choose a "
                               "shorter name for the imported league.")
                    .arg(db::quotedPath(target))};
    // SQLite would play an unfinished write left beside the name back into
    // the new league the first time it opens it.
    for (const QLatin1String suffix : {QLatin1String("-journal"), QLatin1String("-wal")}) {
        if (QFileInfo::exists(target + suffix))
            return {ImportTargetRefused,
                    QStringLiteral("The imported league cannot be saved as %1: %2 beside it holds "
                                   "another program's unfinished write. Choose another name.")
                        .arg(db::quotedPath(target), db::quotedPath(target + suffix))};
    }
    return {};
}

db::Error importTables(const SourceOpener& open, const QString& target,
                       const ImportOptions& options, ImportResult* result)
{
    if (takenName(target))
        return exists(target);
    ImportTempFile tempFile;
    if (db::Error e = tempFile.create(target))
        return e;
    const QString temp = tempFile.path();

    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        return {db::WriteFailed, QStringLiteral("The import could not start: %1")
                                     .arg(QString::fromLocal8Bit(strerror(errno)))};
    std::fflush(nullptr); // nothing buffered is written twice
    const pid_t child = tempFile.forkWriter();
    if (child == 0) {
        ::close(channel[0]);
        runChild(open, temp, channel[1]);
    }
    ::close(channel[1]);
    if (child < 0) {
        ::close(channel[0]);
        return {db::WriteFailed, QStringLiteral("The import could not start: %1")
                                     .arg(QString::fromLocal8Bit(strerror(errno)))};
    }
    ChildState state;
    const db::Error error = watch(child, channel[0], options, state);
    ::close(channel[0]);
    if (error)
        return error;
    if (db::Error e = moveIntoPlace(temp, target))
        return e;
    tempFile.release();
    if (result)
        *result = state.result;
    return {};
}

db::Error importAccess(const QString& source, const QString& target, const ImportOptions& options,
                       ImportResult* result)
{
    if (db::Error e = checkAccessFile(source))
        return e;
    if (db::Error e = checkImportTarget(target, source, options.heldLeagues))
        return e;
    return importTables([source](db::Error& error) { return openAccessSource(source, error); },
                        target, options, result);
}

QString defaultImportTarget(const QString& source)
{
    const QFileInfo info(source);
    const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
    QString name = stem + QStringLiteral(" (imported).mdb");
    for (int n = 2; takenName(name) || takenName(name + QStringLiteral("-journal")) ||
                    takenName(name + QStringLiteral("-wal"));
         ++n)
        name = stem + QStringLiteral(" (imported %1).mdb").arg(n);
    return name;
}

QString importedText(const ImportResult& result)
{
    const QLocale english(QLocale::English);
    const qsizetype tables = result.tables.size();
    return QStringLiteral("Imported %1 %2 (%3 %4)")
        .arg(english.toString(tables),
             tables == 1 ? QStringLiteral("table") : QStringLiteral("tables"),
             english.toString(result.rows),
             result.rows == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
}

QStringList missingLeagueTables(const QString& path)
{
    db::Database league;
    if (league.openFile(path))
        return db::schema::leagueTables();
    return league.missingLeagueTables();
}

} // namespace import
