// Find and Export as CSV on PlayerTable, as the grid's context menu runs
// them (db::RecordSet::find and exportCsv):
// - Find of a row five from the end, from the first row, in one column and in
//   all 80, by letters, by digits (every number is read as text) and by
//   letters beyond ASCII in the other case: goal 1 s;
// - Export of all 80 columns against the bare loop that reads the same rows
//   with SQLite and writes them with the same quoting: goal 2x.
//
// bench_gridsearch [largest]   (leagues of 2000, 20000 and largest players; default 200000)
// BENCH_FIND_ONLY=1 in the environment leaves out the exports.
#include "TestSupport.h"
#include "core/db/Csv.h"
#include "core/db/CsvExport.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/db/RowSearch.h"
#include "core/db/Schema.h"
#include "core/db/SqlExtensions.h"
#include "leaguegen/LeagueGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sqlite3.h>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
using TestSupport::bestMs;
constexpr int Runs = 3;
const QString Needle = u"Zyzzyva"_s;
const QString DigitsNeedle = u"9081726354"_s;

void fail(const QString& what)
{
    std::fprintf(stderr, "bench_gridsearch: %s\n", qPrintable(what));
    std::exit(1);
}

void check(const db::Error& e)
{
    if (e)
        fail(e.message());
}

// The floor of an export: one statement, the same quoting, the same buffer.
void bareExport(const QString& league, const QString& orderBy, const QString& out)
{
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(league.toUtf8().constData(), &handle, SQLITE_OPEN_READONLY, nullptr))
        fail(u"cannot open the league"_s);
    db::registerExtensions(handle);
    QStringList names;
    for (const QString& f : db::schema::playerColumns())
        names << u"\""_s + f + u"\""_s;
    const QByteArray sql =
        (u"SELECT "_s + names.join(u", "_s) + u" FROM PlayerTable ORDER BY "_s + orderBy).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &stmt, nullptr);
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly))
        fail(u"cannot write "_s + out);
    QByteArray buffer;
    buffer.reserve((1 << 20) + 65536);
    const int columns = sqlite3_column_count(stmt);
    for (int c = 0; c < columns; ++c) {
        if (c)
            buffer.append(',');
        const QByteArray name = db::schema::playerColumns().at(c).toUtf8();
        db::csv::appendField(buffer, {name.constData(), size_t(name.size())});
    }
    db::csv::endRecord(buffer);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            if (c)
                buffer.append(',');
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            db::csv::appendField(buffer, {text ? text : "", size_t(sqlite3_column_bytes(stmt, c))});
        }
        db::csv::endRecord(buffer);
        if (buffer.size() >= (1 << 20)) {
            file.write(buffer);
            buffer.clear();
        }
    }
    file.write(buffer);
    sqlite3_finalize(stmt);
    sqlite3_close(handle);
}

struct Row {
    int players;
    QString step;
    double ms;
    double bareMs; // 0: no floor, the goal is absolute
};

QList<Row> runOne(const QString& league, const QString& dir, int players)
{
    db::Database database;
    check(database.open(league));
    // Near the end: a name found by letters, one found by digits (every
    // number of every row is read as text first) and one by letters beyond
    // ASCII, each typed in the other case.
    check(database.execute(u"UPDATE PlayerTable SET LastName = ?, FirstName = ?, LeagueName = ? "
                           u"WHERE rowid = (SELECT max(rowid) - 4 FROM PlayerTable)"_s,
                           {Needle, DigitsNeedle, u"Øster Ålby"_s}));
    std::unique_ptr<db::RecordSet> all, sorted;
    check(db::RecordSet::open(database, u"PlayerTable"_s, &all));
    check(all->openSorted(u"[LastName]"_s, &sorted));
    QList<int> fields;
    for (int f = 0; f < all->fields().count(); ++f)
        fields << f;
    const int lastName = all->fields().indexOf(u"LastName"_s);
    QList<Row> rows;

    const auto find = [&](const QString& text, QList<int> where) {
        int found = -1;
        check(db::findRow(*all, {text, where, false, false}, 0, &found));
        if (found != all->count() - 5)
            fail(u"found row %1, not %2"_s.arg(found).arg(all->count() - 5));
    };
    rows << Row{players, u"Find, one column"_s, bestMs(Runs, [&] { find(Needle, {lastName}); }), 0};
    rows << Row{players, u"Find, all 80 columns"_s, bestMs(Runs, [&] { find(Needle, fields); }), 0};
    rows << Row{players, u"Find digits, all 80 columns"_s,
                bestMs(Runs, [&] { find(DigitsNeedle, fields); }), 0};
    rows << Row{players, u"Find \"øSTER\", all 80 columns"_s,
                bestMs(Runs, [&] { find(u"øSTER"_s, fields); }), 0};
    if (qEnvironmentVariableIsSet("BENCH_FIND_ONLY"))
        return rows;

    const QString out = dir + u"/out.csv"_s, bare = dir + u"/bare.csv"_s;
    const auto exportOf = [&](db::RecordSet& rs) {
        check(db::exportCsv(rs, out, db::schema::playerColumns(), fields));
    };
    rows << Row{players, u"Export, stored order"_s, bestMs(Runs, [&] { exportOf(*all); }),
                bestMs(Runs, [&] { bareExport(league, u"rowid"_s, bare); })};
    rows << Row{
        players, u"Export, sorted by LastName"_s, bestMs(Runs, [&] { exportOf(*sorted); }),
        bestMs(Runs, [&] { bareExport(league, u"LastName COLLATE YM_NOCASE, rowid"_s, bare); })};
    QFile a(out), b(bare);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.readAll() != b.readAll())
        fail(u"the export and the bare loop wrote different files"_s);
    return rows;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int largest = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200000;
    if (largest <= 0)
        fail(u"usage: bench_gridsearch [largest-league-size]"_s);
    QTemporaryDir dir;
    QList<Row> rows;
    QList<int> sizes;
    for (int size : {2000, 20000, largest}) {
        if (size <= largest && !sizes.contains(size))
            sizes << size;
    }
    for (int size : std::as_const(sizes)) {
        const QString league = dir.filePath(u"league-%1.db"_s.arg(size));
        leaguegen::LeagueOptions options;
        options.players = size;
        options.seed = 99;
        check(leaguegen::writeLeague(league, options));
        rows << runOne(league, dir.path(), size);
        std::fprintf(stderr, "  %d players done\n", size);
    }

    bool met = true;
    std::printf("\nFind and Export as CSV on PlayerTable, best of %d\n\n", Runs);
    std::printf("%9s  %-30s %10s %10s %7s\n", "players", "step", "ms", "bare ms", "ratio");
    for (const Row& r : std::as_const(rows)) {
        const bool last = r.players == sizes.last();
        if (r.bareMs > 0) {
            const double ratio = r.ms / std::max(r.bareMs, 1e-6);
            met = met && (!last || ratio <= 2.0);
            std::printf("%9d  %-30s %10.2f %10.2f %7.2f\n", r.players, qPrintable(r.step), r.ms,
                        r.bareMs, ratio);
        } else {
            met = met && (!last || r.ms <= 1000.0);
            std::printf("%9d  %-30s %10.2f %10s %7s\n", r.players, qPrintable(r.step), r.ms, "-",
                        "-");
        }
    }
    std::printf("\nGoals on %d players: Find of a row near the end within 1000 ms; Export within "
                "2x the bare loop: %s\n",
                sizes.last(), met ? "met" : "NOT met");
    return 0;
}
