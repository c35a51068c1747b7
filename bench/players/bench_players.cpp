// Opening the player grid window through Table > PlayerTable, against the
// bare SQLite work it cannot go below: reading the keyset of PlayerTable
// and one page of the 80 player fields. Then the player card over that grid:
// opening it from the grid's menu, and its Next, each until drawn.
//
// bench_players [players ...]   (default: 2000 20000 200000)
#include "TestSupport.h"

#include "core/db/RecordSet.h"
#include "core/db/Schema.h"
#include "core/db/SqlExtensions.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "windows/grid/GridView.h"
#include "windows/players/PlayerCard.h"
#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <utility>
#include <vector>

namespace {
using TestSupport::bestMs;
constexpr int Runs = 5;

void check(int rc, sqlite3* handle)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        qFatal("sqlite: %s", sqlite3_errmsg(handle));
}

// The floor: open the file with the program's collation, read every key in
// the window's order, then read the first page of the 80 fields by key.
void bareKeysetAndPage(const QString& path)
{
    sqlite3* handle = nullptr;
    check(sqlite3_open_v2(path.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE, nullptr),
          handle);
    db::registerExtensions(handle);
    std::vector<sqlite3_int64> keys;
    sqlite3_stmt* statement = nullptr;
    check(sqlite3_prepare_v2(handle, "SELECT rowid FROM PlayerTable ORDER BY rowid", -1, &statement,
                             nullptr),
          handle);
    while (sqlite3_step(statement) == SQLITE_ROW)
        keys.push_back(sqlite3_column_int64(statement, 0));
    sqlite3_finalize(statement);

    const int page = std::min<int>(db::PageCache::PageSize, int(keys.size()));
    QString sql = QStringLiteral("SELECT rowid, ") +
                  db::schema::playerColumns().join(QStringLiteral(", ")) +
                  QStringLiteral(" FROM PlayerTable WHERE rowid IN (");
    for (int i = 0; i < page; ++i)
        sql += i ? QStringLiteral(",?") : QStringLiteral("?");
    sql += QStringLiteral(")");
    check(sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &statement, nullptr), handle);
    for (int i = 0; i < page; ++i)
        sqlite3_bind_int64(statement, i + 1, keys[size_t(i)]);
    qint64 sink = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c <= db::schema::PlayerColumnCount; ++c)
            sink += sqlite3_column_bytes(statement, c);
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    if (sink < 0)
        qFatal("unreachable");
}

// Table > PlayerTable until the first page is on screen, then Close.
void openPlayerGrid(MainWindow& main)
{
    main.action(QStringLiteral("mnuPlayerTable"))->trigger();
    PlayerWindow* window = main.playerWindows().grid;
    if (!window)
        qFatal("the player grid window did not open: %s",
               qPrintable(Prompts::shown().value(0).text));
    window->gridView()->viewport()->repaint(); // what the user waits for: the first page drawn
    window->closeWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Times of one step: the best, and the median, which one busy moment of
// a shared machine does not move.
struct Spread {
    QList<double> times;
    void add(double ms) { times.append(ms); }
    double best() const { return *std::min_element(times.begin(), times.end()); }
    double median() const
    {
        QList<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        return sorted.at(sorted.size() / 2);
    }
};

double elapsedMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

PlayerCard* drawnCard(MainWindow& main)
{
    PlayerCard* card = main.playerWindows().card;
    if (!card)
        qFatal("the player card did not open: %s", qPrintable(Prompts::shown().value(0).text));
    // The chart lays its bars out in posted events: drawn means after them.
    QCoreApplication::processEvents();
    card->repaint();
    return card;
}

// The card opened from the grid's menu, and Next, each until drawn. Every
// Next moves to a player the card has not shown.
void measureCard(MainWindow& main, Spread* open, Spread* next)
{
    main.action(QStringLiteral("mnuPlayerTable"))->trigger();
    PlayerWindow* grid = main.playerWindows().grid;
    for (int i = 0; i <= Runs; ++i) {
        const double ms = elapsedMs([&] {
            grid->findChild<QAction*>(QStringLiteral("mnuPlayerCard"))->trigger();
            drawnCard(main);
        });
        if (i > 0) // the first run warms the file cache
            open->add(ms);
        for (int step = 0; step < Runs; ++step) {
            const double stepMs = elapsedMs([&] {
                main.playerWindows().card->next();
                drawnCard(main);
            });
            if (i > 0)
                next->add(stepMs);
        }
        main.playerWindows().card->closeWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    grid->closeWindow();
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

    std::printf("Opening the player grid window (Table > PlayerTable, first page drawn)\n"
                "vs bare SQLite (keys + one page of %d rows), best of %d\n\n",
                db::PageCache::PageSize, Runs);
    std::printf("%10s %14s %14s %8s\n", "players", "window (ms)", "bare (ms)", "ratio");
    double lastRatio = 0;
    QList<std::pair<Spread, Spread>> cards;
    for (int players : sizes) {
        leaguegen::LeagueOptions options;
        options.players = players;
        const QString path = dir.filePath(QStringLiteral("league%1.sqlite").arg(players));
        if (const db::Error error = leaguegen::writeLeague(path, options))
            qFatal("%s", qPrintable(error.message()));
        main.setLeaguePath(path);

        const double bare = bestMs(Runs, [&] { bareKeysetAndPage(path); });
        const double window = bestMs(Runs, [&] { openPlayerGrid(main); });
        lastRatio = window / bare;
        std::printf("%10d %14.2f %14.2f %8.2f\n", players, window, bare, lastRatio);
        std::fflush(stdout);
        Spread open, next;
        measureCard(main, &open, &next);
        cards.append({open, next});
    }
    std::printf("\nGoal: on %d players within 2x the bare query: %s\n", sizes.last(),
                lastRatio <= 2.0 ? "met" : "NOT met");

    std::printf("\nThe player card over the grid (until drawn): %d opens, %d Nexts\n\n", Runs,
                Runs * Runs);
    std::printf("%10s %16s %16s %16s %16s\n", "players", "open best (ms)", "open median (ms)",
                "next best (ms)", "next median (ms)");
    for (int i = 0; i < sizes.size(); ++i)
        std::printf("%10d %16.2f %16.2f %16.2f %16.2f\n", sizes[i], cards[i].first.best(),
                    cards[i].first.median(), cards[i].second.best(), cards[i].second.median());
    const bool cardMet = cards.last().first.median() < 100 && cards.last().second.median() < 100;
    std::printf("\nGoal: on %d players the card opens and moves on within 100 ms: %s\n",
                sizes.last(), cardMet ? "met" : "NOT met");
    return Prompts::finishTest().isEmpty() ? 0 : 1;
}
