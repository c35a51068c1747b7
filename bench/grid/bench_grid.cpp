// The table grid window on PlayerTable, each step against the bare SQLite
// work it cannot go below: the query that selects the same keys in the same
// order, plus one page of values. Also the memory the open window holds, and
// the write of an Undo (and Redo) of a cell change, which must stay under
// 50 ms on the largest league.
//
// bench_grid [largest]   (leagues of 2000, 20000 and largest players; default 200000)
//
// Each league size runs in a child process of its own, so one size's memory
// does not colour the next one's figures.
#include "TestSupport.h"
#include "core/db/Database.h"
#include "core/db/Expression.h"
#include "core/db/SqlExtensions.h"
#include "history/RowStep.h"
#include "leaguegen/LeagueGenerator.h"
#include "ui/Prompts.h"
#include "windows/grid/GridView.h"
#include "windows/grid/RecordSetModel.h"
#include "windows/grid/SharedMeanings.h"
#include "windows/grid/TableCommands.h"
#include "windows/grid/TableConnection.h"
#include "windows/grid/TableWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {
constexpr int Runs = 3;
constexpr int PageRows = 200;
const QString Table = u"PlayerTable"_s;
const QString TextSort = u"[LastName]"_s;
const QString NumberSort = u"[RATING1] desc"_s;
const QString Filter = u"[RATING1] > 50 And [CurrentPos] <> 8"_s;

struct Step {
    QString name;
    double windowMs = 1e300;
    double bareMs = 1e300;
};

void fail(const QString& what)
{
    std::fprintf(stderr, "bench_grid: %s\n", qPrintable(what));
    std::exit(1);
}

double elapsedMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// The time this thread ran the work: on a machine shared with other work the
// wall clock measures the others too, which colours a ratio of two runs.
double cpuMs(const std::function<void()>& work)
{
    timespec start{}, end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    work();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_nsec - start.tv_nsec) / 1e6;
}

// Memory the process holds now; freed memory is handed back first, so a
// sort's passing high-water mark does not count as held.
qint64 residentBytes()
{
    malloc_trim(0);
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

// The floor, straight on the SQLite library.
class Bare
{
public:
    explicit Bare(const QString& path) : m_path(path)
    {
        db::Database database;
        if (db::Error e = database.open(path))
            fail(e.message());
        m_fields = TestSupport::fieldDefs(database, Table);
        QStringList names;
        for (const db::FieldDef& f : std::as_const(m_fields))
            names << u"\""_s + f.name + u"\""_s;
        m_pageSql = (u"SELECT rowid, "_s + names.join(u", "_s) +
                     u" FROM \"PlayerTable\" WHERE rowid IN ("_s +
                     QStringList(PageRows, u"?"_s).join(u',') + u")"_s)
                        .toUtf8();
    }
    ~Bare() { sqlite3_close(m_handle); }

    void open()
    {
        sqlite3_close(m_handle);
        m_handle = nullptr;
        if (sqlite3_open_v2(m_path.toUtf8().constData(), &m_handle, SQLITE_OPEN_READWRITE, nullptr))
            fail(u"cannot open the league"_s);
        db::registerExtensions(m_handle);
        m_sorts.clear();
        m_filter = {};
        keysAndPage();
    }
    void sort(const QString& text)
    {
        db::CompiledSort sort;
        if (db::compileSort(text, m_fields, &sort))
            fail(u"bad sort"_s);
        m_sorts.prepend(sort.sql);
        keysAndPage();
    }
    void filter(const QString& text)
    {
        if (db::compileFilter(text, m_fields, &m_filter))
            fail(u"bad filter"_s);
        keysAndPage();
    }
    void keysAndPage()
    {
        QString sql = u"SELECT rowid FROM \"PlayerTable\""_s;
        if (!m_filter.sql.isEmpty())
            sql += u" WHERE ("_s + m_filter.sql + u")"_s;
        sql += u" ORDER BY "_s + (m_sorts + QStringList{u"rowid"_s}).join(u", "_s);
        std::vector<sqlite3_int64> keys;
        sqlite3_stmt* statement = prepare(sql.toUtf8());
        for (int i = 0; i < m_filter.params.size(); ++i)
            bindParam(statement, i + 1, m_filter.params.at(i));
        while (sqlite3_step(statement) == SQLITE_ROW)
            keys.push_back(sqlite3_column_int64(statement, 0));
        sqlite3_finalize(statement);

        statement = prepare(m_pageSql);
        for (int i = 0; i < PageRows; ++i)
            sqlite3_bind_int64(statement, i + 1, i < int(keys.size()) ? keys[size_t(i)] : -1);
        const int columns = sqlite3_column_count(statement);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c)
                sqlite3_column_text(statement, c);
        }
        sqlite3_finalize(statement);
    }

private:
    sqlite3_stmt* prepare(const QByteArray& sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_handle, sql.constData(), int(sql.size()), &statement, nullptr))
            fail(QString::fromUtf8(sqlite3_errmsg(m_handle)));
        return statement;
    }
    static void bindParam(sqlite3_stmt* statement, int position, const QVariant& value)
    {
        if (value.typeId() == QMetaType::QString)
            sqlite3_bind_text(statement, position, value.toString().toUtf8().constData(), -1,
                              SQLITE_TRANSIENT);
        else if (value.typeId() == QMetaType::Double)
            sqlite3_bind_double(statement, position, value.toDouble());
        else
            sqlite3_bind_int64(statement, position, value.toLongLong());
    }

    QString m_path;
    sqlite3* m_handle = nullptr;
    QList<db::FieldDef> m_fields;
    QByteArray m_pageSql;
    QStringList m_sorts; // newest first, as the record set keeps them
    db::CompiledFilter m_filter;
};

// The window, driven through its own handlers.
class Window
{
public:
    Window(QMdiArea* area, const QString& path) : m_area(area), m_path(path) {}

    void open()
    {
        m_window = openTableWindow(m_area, m_path, Table);
        if (!m_window)
            fail(u"the window did not open"_s);
        paint();
    }
    void headerClick(const QString& field, bool descending)
    {
        m_window->headerClicked(m_window->connection()->recordSet()->fields().indexOf(field),
                                descending ? Qt::ShiftModifier : Qt::NoModifier);
        paint();
    }
    void filter(const QString& text)
    {
        Prompts::setNextInput(text);
        m_window->filter();
        paint();
    }
    void refresh()
    {
        m_window->refresh();
        paint();
    }
    void close()
    {
        m_window->closeWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_window = nullptr;
    }
    int rows() const { return m_window->connection()->recordSet()->count(); }
    // Changes the first player's first rating through the grid, as a user
    // does, and returns what the grid wrote.
    RowChange editCell()
    {
        RowChange written;
        QObject::connect(m_window, &TableWindow::rowsWritten, m_window,
                         [&written](const RowChange& c) { written = c; });
        RecordSetModel* model = m_window->model();
        const int column = m_window->connection()->recordSet()->fields().indexOf(u"RATING1"_s);
        const QModelIndex cell = model->index(0, column);
        model->setData(cell, QString::number(model->data(cell).toInt() % 90 + 1));
        Prompts::setNextAnswer(QMessageBox::Yes);
        if (db::Error e = model->commitPendingEdit())
            fail(e.message());
        return written;
    }

private:
    // What the user waits for: the visible page drawn.
    void paint() { m_window->gridView()->viewport()->repaint(); }

    QMdiArea* m_area;
    QString m_path;
    TableWindow* m_window = nullptr;
};

// A window shown by name against the same with Show Codes on: open, a
// header click on the coded column and a page scrolled, the two ways in
// turns; then Refresh, which reads the names again, apart, since it makes the
// next window read them too. Prints "names|table|step|names ms|codes ms".
constexpr int NameRuns = 7;

void namesAgainstCodes(QMdiArea* area, const QString& path)
{
    const struct {
        QString table;
        QString sortField;
    } tables[] = {{u"PlayerTable"_s, u"TeamId"_s}, {u"Roster"_s, u"PlayerID"_s}};
    const QStringList stepNames = {u"open"_s, u"header click"_s, u"scroll a page"_s, u"Refresh"_s};
    for (const auto& t : tables) {
        std::vector<double> best[2]; // [codes][step]
        for (auto& b : best)
            b.assign(size_t(stepNames.size()), 1e300);
        TableWindow* w = nullptr;
        const auto paint = [&] { w->gridView()->viewport()->repaint(); };
        const std::vector<std::function<void()>> steps = {
            [&] {
                w = openTableWindow(area, path, t.table);
                paint();
            },
            [&] {
                w->headerClicked(w->connection()->recordSet()->fields().indexOf(t.sortField));
                paint();
            },
            [&] {
                QScrollBar* bar = w->gridView()->verticalScrollBar();
                bar->setValue(bar->value() + bar->pageStep());
                paint();
            },
            [&] {
                w->refresh();
                paint();
            }};
        const auto close = [&] {
            w->closeWindow();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        for (size_t last : {size_t(2), size_t(3)}) {    // the three steps, then Refresh
            for (int run = 0; run <= NameRuns; ++run) { // run 0 warms the file cache and names
                for (int codes = 0; codes < 2; ++codes) {
                    SharedMeanings::of(area)->setShowCodes(codes == 1);
                    for (size_t i = 0; i <= last; ++i) {
                        const double ms = cpuMs(steps[i]);
                        if (run > 0 && (last == 2 || i == 3))
                            best[codes][i] = std::min(best[codes][i], ms);
                    }
                    close();
                }
            }
        }
        for (int i = 0; i < stepNames.size(); ++i)
            std::printf("names|%s|%s|%.3f|%.3f\n", qPrintable(t.table), qPrintable(stepNames[i]),
                        best[0][size_t(i)], best[1][size_t(i)]);
    }
    SharedMeanings::of(area)->setShowCodes(false);
}

// One league, in this process: prints "step|window ms|bare ms" lines and
// "held|bytes|rows".
int runOne(const QString& path)
{
    TestSupport::initTestEnvironment(); // Show Codes goes to a settings store of its own
    QMdiArea area;
    area.resize(1200, 800);
    area.show();
    QCoreApplication::processEvents();

    Window window(&area, path);
    Bare bare(path);
    std::vector<Step> steps = {{u"open PlayerTable"_s},
                               {u"header click, text (LastName)"_s},
                               {u"header click, number (RATING1 desc)"_s},
                               {u"filter"_s},
                               {u"Refresh"_s}};
    const std::vector<std::function<void()>> windowSteps = {
        [&] { window.open(); }, [&] { window.headerClick(u"LastName"_s, false); },
        [&] { window.headerClick(u"RATING1"_s, true); }, [&] { window.filter(Filter); },
        [&] { window.refresh(); }};
    const std::vector<std::function<void()>> bareSteps = {
        [&] { bare.open(); }, [&] { bare.sort(TextSort); }, [&] { bare.sort(NumberSort); },
        [&] { bare.filter(Filter); }, [&] { bare.keysAndPage(); }};

    for (int run = 0; run <= Runs; ++run) { // run 0 warms the file cache
        for (size_t i = 0; i < steps.size(); ++i) {
            const double ms = elapsedMs(windowSteps[i]);
            if (run > 0)
                steps[i].windowMs = std::min(steps[i].windowMs, ms);
        }
        window.close();
        for (size_t i = 0; i < steps.size(); ++i) {
            const double ms = elapsedMs(bareSteps[i]);
            if (run > 0)
                steps[i].bareMs = std::min(steps[i].bareMs, ms);
        }
    }

    // What the open window holds, on the whole table.
    const qint64 before = residentBytes();
    window.open();
    window.headerClick(u"LastName"_s, false);
    const qint64 held = residentBytes() - before;
    window.filter(Filter);
    const int filteredRows = window.rows();
    window.close();

    // The write of Undo and Redo of a cell change, in turns.
    window.open();
    RowStep step(window.editCell());
    window.close();
    double undoMs = 1e300, redoMs = 1e300;
    for (int run = 0; run <= Runs; ++run) {
        db::Error e;
        const double undo = elapsedMs([&] { e = step.writeUndo({}); });
        const double redo = elapsedMs([&] { e = e ? e : step.writeRedo({}); });
        if (e)
            fail(e.message());
        if (run > 0)
            undoMs = std::min(undoMs, undo), redoMs = std::min(redoMs, redo);
    }

    for (const Step& s : steps)
        std::printf("step|%s|%.3f|%.3f\n", qPrintable(s.name), s.windowMs, s.bareMs);
    std::printf("held|%lld|%d\n", static_cast<long long>(held), filteredRows);
    std::printf("undo|%.3f|%.3f\n", undoMs, redoMs);
    namesAgainstCodes(&area, path);
    return Prompts::finishTest().isEmpty() ? 0 : 1;
}

// Goals on the largest league, for the sequence open, header click, scroll a
// page: PlayerTable by name within 1.1x of the same with Show Codes on,
// Roster with player names within 1.2x. Refresh reads the names again and
// has no goal.
void printNamesTable(const QList<int>& sizes, const QList<QStringList>& output)
{
    bool met = true;
    std::printf("\nNames shown vs Show Codes on, cpu time of the window's thread, best of %d\n\n",
                NameRuns);
    std::printf("%9s  %-12s %-24s %10s %10s %7s %6s\n", "players", "table", "step", "names ms",
                "codes ms", "ratio", "goal");
    const auto print = [](int size, const QString& table, const QString& step, double names,
                          double codes, double goal) {
        std::printf("%9d  %-12s %-24s %10.2f %10.2f %7.2f %6s\n", size, qPrintable(table),
                    qPrintable(step), names, codes, names / std::max(codes, 1e-6),
                    goal > 0 ? qPrintable(QString::number(goal) + u'x') : "");
    };
    for (int i = 0; i < sizes.size(); ++i) {
        QHash<QString, std::pair<double, double>> sequence; // by table: names, codes
        for (const QString& line : output.at(i)) {
            const QStringList f = line.split(u'|');
            if (f.value(0) != u"names"_s)
                continue;
            const double names = f.value(3).toDouble(), codes = f.value(4).toDouble();
            print(sizes.at(i), f.value(1), f.value(2), names, codes, 0);
            if (f.value(2) == u"Refresh"_s) {
                const auto [n, c] = sequence.value(f.value(1));
                const double goal = f.value(1) == u"Roster"_s ? 1.2 : 1.1;
                print(sizes.at(i), f.value(1), u"open + click + scroll"_s, n, c, goal);
                if (i == sizes.size() - 1)
                    met = met && n / std::max(c, 1e-6) <= goal;
            } else {
                sequence[f.value(1)].first += names;
                sequence[f.value(1)].second += codes;
            }
        }
    }
    std::printf("\nGoal: on %d players open + click + scroll by name within 1.1x (PlayerTable) "
                "and 1.2x (Roster) of Show Codes: %s\n",
                sizes.last(), met ? "met" : "NOT met");
}

void printTables(const QList<int>& sizes, const QList<QStringList>& output)
{
    bool met = true;
    std::printf("\nTable grid window vs bare SQLite (keys + one page of %d rows), best of %d\n\n",
                PageRows, Runs);
    std::printf("%9s  %-38s %11s %10s %7s\n", "players", "step", "window ms", "bare ms", "ratio");
    for (int i = 0; i < sizes.size(); ++i) {
        for (const QString& line : output.at(i)) {
            const QStringList f = line.split(u'|');
            if (f.value(0) != u"step"_s)
                continue;
            const double window = f.value(2).toDouble(), bare = f.value(3).toDouble();
            const double ratio = window / std::max(bare, 1e-6);
            if (i == sizes.size() - 1)
                met = met && ratio <= 2.0;
            std::printf("%9d  %-38s %11.2f %10.2f %7.2f\n", sizes.at(i), qPrintable(f.value(1)),
                        window, bare, ratio);
        }
    }
    std::printf(
        "\nMemory the open window holds (PlayerTable sorted by LastName, first page shown)\n\n");
    std::printf("%9s %12s %14s %12s\n", "players", "held MB", "bytes/player", "keys MB");
    for (int i = 0; i < sizes.size(); ++i) {
        for (const QString& line : output.at(i)) {
            const QStringList f = line.split(u'|');
            if (f.value(0) != u"held"_s)
                continue;
            const double held = f.value(1).toDouble();
            std::printf("%9d %12.2f %14.1f %12.2f\n", sizes.at(i), held / 1048576.0,
                        held / sizes.at(i), 8.0 * sizes.at(i) / 1048576.0);
        }
    }
    std::printf("\nGoal: on %d players every step within 2x the bare query: %s\n", sizes.last(),
                met ? "met" : "NOT met");

    std::printf("\nThe write of Undo and Redo of a cell change (RATING1 of one player), best of "
                "%d\n\n",
                Runs);
    std::printf("%9s %10s %10s\n", "players", "undo ms", "redo ms");
    double largestUndo = 0;
    for (int i = 0; i < sizes.size(); ++i) {
        for (const QString& line : output.at(i)) {
            const QStringList f = line.split(u'|');
            if (f.value(0) != u"undo"_s)
                continue;
            largestUndo = f.value(1).toDouble();
            std::printf("%9d %10.2f %10.2f\n", sizes.at(i), largestUndo, f.value(2).toDouble());
        }
    }
    std::printf("\nGoal: on %d players the undo's write under 50 ms: %s\n", sizes.last(),
                largestUndo < 50 ? "met" : "NOT met");
    printNamesTable(sizes, output);
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == u"--one"_s)
        return runOne(args.value(2));

    const int largest = args.size() > 1 ? args.value(1).toInt() : 200000;
    if (largest <= 0)
        fail(u"usage: bench_grid [largest-league-size]"_s);
    QList<int> sizes;
    for (int size : {2000, 20000, largest}) {
        if (size <= largest && !sizes.contains(size))
            sizes << size;
    }

    QTemporaryDir dir;
    QList<QStringList> output;
    for (int size : std::as_const(sizes)) {
        const QString path = dir.filePath(u"league-%1.db"_s.arg(size));
        leaguegen::LeagueOptions options;
        options.players = size;
        options.seed = 99;
        if (db::Error e = leaguegen::writeLeague(path, options))
            fail(e.message());
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {u"--one"_s, path});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            fail(u"the run on %1 players failed"_s.arg(size));
        output << QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        std::fprintf(stderr, "  %d players done\n", size);
    }
    printTables(sizes, output);
    return 0;
}
