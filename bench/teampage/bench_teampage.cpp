// Opening the Team Page through Table > Team Page…, and its Next team, each
// until drawn, against the query a user would write by hand for the same
// answer: SELECT TeamID, CurrentPos, count(*), avg(...) of the 48 ratings
// ... GROUP BY TeamID, CurrentPos.
//
// bench_teampage [players ...]   (default: 2000 20000 200000)
#include "TestSupport.h"

#include "core/db/Database.h"
#include "core/teams/TeamFigures.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "windows/teampage/TeamPage.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

namespace {
using TestSupport::bestMs;
constexpr int Runs = 5;

void check(int rc, sqlite3* handle)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        qFatal("sqlite: %s", sqlite3_errmsg(handle));
}

// The floor: every team's count and averages by position in one query.
void bareGroupBy(const QString& path)
{
    sqlite3* handle = nullptr;
    check(sqlite3_open_v2(path.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE, nullptr),
          handle);
    QString sql = QStringLiteral("SELECT TeamID, CurrentPos, count(*)");
    for (int side = 0; side < teams::SideCount; ++side)
        sql += QStringLiteral(", avg(%1)").arg(teams::sideColumn(side));
    sql += QStringLiteral(" FROM PlayerTable GROUP BY TeamID, CurrentPos");
    sqlite3_stmt* statement = nullptr;
    check(sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &statement, nullptr), handle);
    double sink = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 2; c < sqlite3_column_count(statement); ++c)
            sink += sqlite3_column_double(statement, c);
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    if (sink < 0)
        qFatal("unreachable");
}

// The page's own pass over the league, without a window.
void figuresOnly(const QString& path)
{
    db::Database database;
    teams::LeagueFigures figures;
    if (database.open(path) || teams::computeLeagueFigures(database, figures))
        qFatal("the league's figures could not be read");
}

TeamPage* drawnPage(MainWindow& main)
{
    auto* page = main.findChild<TeamPage*>(QStringLiteral("frmTeamPage"));
    if (!page)
        qFatal("the Team Page did not open: %s", qPrintable(Prompts::shown().value(0).text));
    QCoreApplication::processEvents(); // the chart lays its bars out in posted events
    page->repaint();
    return page;
}

void openAndClose(MainWindow& main)
{
    main.action(QStringLiteral("mnuTeamPage"))->trigger();
    TeamPage* page = drawnPage(main);
    qobject_cast<QMdiSubWindow*>(page->parentWidget())->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestSupport::initTestEnvironment();
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QString::fromLocal8Bit(argv[i]).toInt();
    if (sizes.isEmpty())
        sizes = {2000, 20000, 200000};

    QTemporaryDir dir;
    MainWindow main;
    main.resize(1200, 800);
    main.show();
    std::printf("The Team Page (until drawn) vs the bare GROUP BY TeamID, CurrentPos with the\n"
                "48 averages, best of %d\n\n",
                Runs);
    std::printf("%10s %12s %12s %12s %12s %10s %10s\n", "players", "bare (ms)", "pass (ms)",
                "open (ms)", "next (ms)", "open/bare", "next/bare");
    double openRatio = 0;
    double nextRatio = 0;
    for (int players : sizes) {
        leaguegen::LeagueOptions options;
        options.players = players;
        const QString path = dir.filePath(QStringLiteral("league%1.sqlite").arg(players));
        if (const db::Error error = leaguegen::writeLeague(path, options))
            qFatal("%s", qPrintable(error.message()));
        main.setLeaguePath(path);
        const double bare = bestMs(Runs, [&] { bareGroupBy(path); });
        const double pass = bestMs(Runs, [&] { figuresOnly(path); });
        const double open = bestMs(Runs, [&] { openAndClose(main); });
        main.action(QStringLiteral("mnuTeamPage"))->trigger();
        const double next = bestMs(Runs, [&] {
            drawnPage(main)->nextTeam();
            drawnPage(main);
        });
        qobject_cast<QMdiSubWindow*>(drawnPage(main)->parentWidget())->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        openRatio = open / bare;
        nextRatio = next / bare;
        std::printf("%10d %12.2f %12.2f %12.2f %12.2f %10.2f %10.2f\n", players, bare, pass, open,
                    next, openRatio, nextRatio);
        std::fflush(stdout);
    }
    std::printf("\nGoal: on %d players opening and the next team within 2x the bare query: %s\n",
                sizes.last(), openRatio <= 2.0 && nextRatio <= 2.0 ? "met" : "NOT met");
    return Prompts::finishTest().isEmpty() ? 0 : 1;
}
