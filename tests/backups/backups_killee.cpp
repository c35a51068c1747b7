// Restores the backup named second on the command line over the league named
// first, so that tst_backups can kill it half-way. Prints "started" first.
#include "backups/Backups.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    std::puts("started");
    std::fflush(stdout);
    const db::Error e =
        backups::restore(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                         QStringLiteral("Restore Backup"));
    std::fprintf(e ? stderr : stdout, "%s\n", e ? qPrintable(e.message()) : "done");
    return e ? 1 : 0;
}
