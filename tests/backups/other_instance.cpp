// Another instance of the program working on a league, for tst_backups:
//   restore <league> <backup>  restores the backup over the league (the kill
//                              test kills it half-way);
//   edit <league>              runs the global edit the tests run (SP +10%,
//                              QB and HB of all teams) with its backup; once
//                              the backup is taken under the write lock, it
//                              waits for a line on standard input, then for
//                              as many milliseconds as the line says.
// Prints "started" (or "locked" for edit) when it has got that far, then
// "done" or the error.
#include "core/backups/Backups.h"
#include "core/db/Database.h"
#include "core/globaledit/GlobalEditEngine.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void say(const char* text)
{
    std::puts(text);
    std::fflush(stdout);
}

db::Error edit(const QString& league)
{
    globaledit::GlobalEdit edit;
    edit.parameters.actualPercent[0] = 10;
    edit.positions.set(0).set(1);
    backups::CommandBackup backup(league, QStringLiteral("Global Edit"));
    globaledit::RunOptions options;
    options.beforeChanges = [&](db::Database& database) {
        const db::Error e = backup.take(database);
        say("locked");
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return db::Error(db::Cancelled, QStringLiteral("no line to go on"));
        QThread::msleep(std::strtoul(line, nullptr, 10));
        return e;
    };
    const db::Error e = globaledit::runGlobalEdit(league, edit, options);
    if (!e)
        backup.committed();
    return e;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    db::Error e(2,
                QStringLiteral("usage: other_instance restore <league> <backup> | edit <league>"));
    const QString league = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (argc == 4 && std::strcmp(argv[1], "restore") == 0) {
        say("started");
        e = backups::restore(league, QString::fromLocal8Bit(argv[3]),
                             QStringLiteral("Restore Backup"));
    } else if (argc == 3 && std::strcmp(argv[1], "edit") == 0) {
        e = edit(league);
    }
    std::fprintf(e ? stderr : stdout, "%s\n", e ? qPrintable(e.message()) : "done");
    return e ? 1 : 0;
}
