// The backup taken before a global edit, two ways: a copy of the league
// file under the write lock (what the program does) and SQLite's online
// backup API into a new file, both flushed to the disk; then a restore.
// Usage: bench_backups [players]
#include "core/backups/Backups.h"
#include "core/db/Database.h"
#include "leaguegen/LeagueGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sqlite3.h>
#include <unistd.h>

namespace {

constexpr int Repeats = 3;

[[noreturn]] void fail(const QString& what, const db::Error& e)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(what), qPrintable(e.message()));
    std::exit(1);
}

void check(const QString& what, const db::Error& e)
{
    if (e)
        fail(what, e);
}

// The work under the league's write lock, as a command holds it.
void underLock(const QString& league, const std::function<void(db::Database&)>& work)
{
    db::Database database;
    check(QStringLiteral("open"), database.open(league));
    check(QStringLiteral("lock"), database.beginImmediate());
    work(database);
    database.rollback();
}

void fileCopy(const QString& league)
{
    underLock(league, [&](db::Database& database) {
        check(QStringLiteral("file copy"), backups::take(database, QStringLiteral("Bench")));
    });
}

void backupApi(const QString& league)
{
    const QString target = backups::folderFor(league) + QStringLiteral("/api.mdb");
    QDir().mkpath(backups::folderFor(league));
    QFile::remove(target);
    // SQLite refuses to back up from a connection inside a write transaction,
    // so a second connection reads the league while the first holds the lock.
    underLock(league, [&](db::Database&) {
        sqlite3* source = nullptr;
        sqlite3* dest = nullptr;
        sqlite3_open_v2(QFile::encodeName(league).constData(), &source, SQLITE_OPEN_READONLY,
                        nullptr);
        sqlite3_open_v2(QFile::encodeName(target).constData(), &dest,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_exec(dest, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr,
                     nullptr);
        sqlite3_backup* copy = sqlite3_backup_init(dest, "main", source, "main");
        const int rc = copy ? sqlite3_backup_step(copy, -1) : SQLITE_ERROR;
        sqlite3_backup_finish(copy);
        sqlite3_close(dest);
        sqlite3_close(source);
        if (rc != SQLITE_DONE)
            fail(QStringLiteral("backup API"), {rc, QString::fromUtf8(sqlite3_errstr(rc))});
        QFile file(target);
        if (!file.open(QIODevice::ReadOnly) || ::fsync(file.handle()) != 0)
            fail(QStringLiteral("backup API"), {1, file.errorString()});
    });
}

// Best of Repeats, each on a fresh copy of the league with no backups yet.
double measure(const QString& league, const QString& scratch, void (*run)(const QString&))
{
    double best = 1e300;
    for (int i = 0; i < Repeats; ++i) {
        QFile::remove(scratch);
        QDir(backups::folderFor(scratch)).removeRecursively();
        if (!QFile::copy(league, scratch))
            fail(QStringLiteral("copy"), {1, scratch});
        QElapsedTimer clock;
        clock.start();
        run(scratch);
        best = std::min(best, double(clock.nsecsElapsed()) / 1e9);
    }
    return best;
}

QString restoreSource;

void restoreLeague(const QString& league)
{
    check(QStringLiteral("restore"),
          backups::restore(league, restoreSource, QStringLiteral("Restore Backup"), {}));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int players = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200000;
    QTemporaryDir dir;
    const QString league = dir.filePath(QStringLiteral("league.mdb"));
    leaguegen::LeagueOptions options;
    options.players = players;
    check(QStringLiteral("leaguegen"), leaguegen::writeLeague(league, options));
    restoreSource = dir.filePath(QStringLiteral("other.mdb"));
    options.seed = 2;
    check(QStringLiteral("leaguegen"), leaguegen::writeLeague(restoreSource, options));
    const QString scratch = dir.filePath(QStringLiteral("scratch.mdb"));

    const double copy = measure(league, scratch, &fileCopy);
    const double api = measure(league, scratch, &backupApi);
    const double restore = measure(league, scratch, &restoreLeague);

    QTextStream out(stdout);
    out << QStringLiteral("League of %1 players, %2 MB; best of %3, flushed to the disk.\n")
               .arg(players)
               .arg(double(QFileInfo(league).size()) / 1e6, 0, 'f', 1)
               .arg(Repeats);
    const QString row = QStringLiteral("%1 %2 s\n");
    out << row.arg(QStringLiteral("backup, file copy under the lock:"), -42).arg(copy, 7, 'f', 3)
        << row.arg(QStringLiteral("backup, SQLite backup API:"), -42).arg(api, 7, 'f', 3)
        << row.arg(QStringLiteral("restore (with its own backup first):"), -42)
               .arg(restore, 7, 'f', 3);
    out << QStringLiteral("file copy / backup API: %1 (the global edit with and without its "
                          "backup: bench_globaledit)\n")
               .arg(copy / api, 0, 'f', 2);
    return 0;
}
