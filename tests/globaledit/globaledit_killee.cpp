// Runs the sample global edit on the league named on the command line, so
// that tst_globaleditkill can kill it half-way. Prints "started" once the
// edit's transaction is under way.
#include "EditCheck.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: globaledit_killee LEAGUE\n");
        return 2;
    }
    bool announced = false;
    globaledit::EditProgress progress;
    progress.positionStarted = [&](int, qint64) {
        if (!announced) {
            std::puts("started");
            std::fflush(stdout);
            announced = true;
        }
    };
    const db::Error e = globaledit::runGlobalEdit(QString::fromLocal8Bit(argv[1]),
                                                  editcheck::sampleEdit(), progress);
    if (e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    std::puts("done");
    return 0;
}
