// The Access import against mdb-export writing the same tables as CSV, per
// 100,000 cells. No large Access file can be made here, so each real sample
// file is imported over and over for a stable figure; mdb-export runs once
// per table, as it exports one table a run. Then the write-back: every
// fixed-size cell of nwind that can be written changed and written (the
// check of the written copy included), against mdb-export reading its tables.
#include "core/import/ImportAccess.h"
#include "core/writeback/WriteBack.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>

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
// Changes every cell of the imported league that can be written back.
bool changeEveryFixedCell(const QString& league)
{
    sqlite3* handle = nullptr;
    if (sqlite3_open(QFile::encodeName(league).constData(), &handle) != SQLITE_OK)
        return false;
    // libmdb's type numbers: Yes/No 1, Byte 2, Integer 3, Long 4, Currency 5,
    // Single 6, Double 7, Date/Time 8.
    const char* sql =
        "SELECT 'UPDATE [' || tbl || '] SET [' || name || '] = ' || CASE type "
        "WHEN 1 THEN '1 - [' || name || ']' "
        "WHEN 5 THEN 'printf(''%.4f'', [' || name || '] + 1)' "
        "WHEN 8 THEN 'strftime(''%Y-%m-%d %H:%M:%S'', [' || name || '], ''+1 day'')' "
        "ELSE 'CASE WHEN [' || name || '] > 0 THEN [' || name || '] - 1 ELSE [' || name || "
        "'] + 1 END' END "
        "FROM [yardmark99.columns] WHERE notWritable IS NULL AND type BETWEEN 1 AND 8";
    QStringList updates;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        updates << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    bool ok = !updates.isEmpty();
    for (const QString& update : updates)
        ok = ok && sqlite3_exec(handle, update.toUtf8().constData(), nullptr, nullptr, nullptr) ==
                       SQLITE_OK;
    sqlite3_close(handle);
    return ok;
}

int writeBackFigure(const QString& file, const QDir& dir)
{
    const QString league = dir.filePath(QStringLiteral("writeback league.mdb"));
    import::ImportResult result;
    if (import::importAccess(file, league, {}, &result) || !changeEveryFixedCell(league))
        return 1;
    double written = 0;
    double exported = 0;
    writeback::WriteResult write;
    for (int round = 0; round < Rounds / 4; ++round) {
        const QString access = dir.filePath(QStringLiteral("round %1.mdb").arg(round));
        QFile::copy(file, access);
        QFile::setPermissions(access, QFile::ReadOwner | QFile::WriteOwner);
        QElapsedTimer timer;
        timer.start();
        if (const db::Error e = writeback::writeBack(league, access, {}, &write)) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(e.message()));
            return 1;
        }
        written += timer.nsecsElapsed() / 1e9;
        exported += exportSeconds(file, result.tables);
    }
    // The goal: at most 2x mdb-export reading the file's tables.
    std::printf("\n%-22s %8s %11s %13s %13s %6s\n", "write-back", "cells", "", "write", "export",
                "ratio");
    std::printf("%-22s %8lld %11s %11.1fms %11.1fms %6.2f\n",
                qPrintable(QFileInfo(file).fileName()), static_cast<long long>(write.plan.cells),
                "", written * 1000 / (Rounds / 4), exported * 1000 / (Rounds / 4),
                written / exported);
    return 0;
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
    const QString nwind = samples.filePath(QStringLiteral("nwind.mdb"));
    return QFileInfo::exists(nwind) ? writeBackFigure(nwind, QDir(dir.path())) : 0;
}
