// Runs the sample global edit on the league named on the command line, so
// that tst_globaleditkill can kill it half-way. Prints "started" once the
// edit's transaction is under way.
#include "EditCheck.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    globaledit::EditProgress progress;
    progress.positionStarted = [](int position, qint64) {
        if (position == 0) { // the sample edit runs every position, QB first
            std::puts("started");
            std::fflush(stdout);
        }
    };
    const db::Error e = globaledit::runGlobalEdit(QString::fromLocal8Bit(argv[1]),
                                                  editcheck::sampleEdit(), progress);
    std::fprintf(e ? stderr : stdout, "%s\n", e ? qPrintable(e.message()) : "done");
    return e ? 1 : 0;
}
