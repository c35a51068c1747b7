// The Access import against mdb-export writing the same tables as CSV, per
// 100,000 cells. No large Access file can be made here, so each real sample
// file is imported over and over for a stable figure; mdb-export runs once
// per table, as it exports one table a run.
#include "core/import/ImportAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {
constexpr int Rounds = 20;

double exportSeconds(const QString& file, const QStringList& tables)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString& table : tables) {
        QProcess tool;
        tool.setStandardOutputFile(QProcess::nullDevice());
        tool.start(QStringLiteral("mdb-export"), {file, table});
        tool.waitForFinished(-1);
    }
    return timer.nsecsElapsed() / 1e9;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QDir samples(QStringLiteral(JET_SAMPLES));
    QTemporaryDir dir;
    std::printf("%-22s %8s %11s %13s %13s %6s\n", "file", "cells", "1st import", "import/100k",
                "export/100k", "ratio");
    qint64 allCells = 0;
    double allImported = 0;
    double allExported = 0;
    for (const QString& name :
         samples.entryList({QStringLiteral("*.mdb"), QStringLiteral("*.accdb")})) {
        const QString file = samples.filePath(name);
        const QString target = dir.filePath(name);
        import::ImportResult result;
        double imported = 0;
        double first = 0;
        for (int round = 0; round < Rounds; ++round) {
            QFile::remove(target);
            QElapsedTimer timer;
            timer.start();
            if (const db::Error e = import::importAccess(file, target, {}, &result)) {
                std::fprintf(stderr, "%s\n", qUtf8Printable(e.message()));
                return 1;
            }
            imported += timer.nsecsElapsed() / 1e9;
            if (round == 0)
                first = imported;
        }
        double exported = 0;
        for (int round = 0; round < Rounds; ++round)
            exported += exportSeconds(file, result.tables);
        const double per100k = 100000.0 / double(result.cells) / Rounds * 1000;
        std::printf("%-22s %8lld %9.0fms %11.1fms %11.1fms %6.2f\n", qPrintable(name),
                    static_cast<long long>(result.cells), first * 1000, imported * per100k,
                    exported * per100k, imported / exported);
        allCells += result.cells;
        allImported += imported;
        allExported += exported;
    }
    // The figure to hold to: every cell of every file, at most 2x mdb-export.
    const double per100k = 100000.0 / double(allCells) / Rounds * 1000;
    std::printf("%-22s %8lld %11s %11.1fms %11.1fms %6.2f\n", "all files",
                static_cast<long long>(allCells), "", allImported * per100k, allExported * per100k,
                allImported / allExported);
    return 0;
}
