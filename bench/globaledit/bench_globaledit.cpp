// Global edit of every position of every team, engine alone and through the
// dialog and progress window, against the bare SQLite work it cannot go
// below: one UPDATE of the same 48 columns of the same rows with the same
// arithmetic in one transaction. Usage: bench_globaledit [largest-league-size]
#include "db/Database.h"
#include "globaledit/engine/GlobalEditEngine.h"
#include "leaguegen/LeagueGenerator.h"

#include "globaledit/frmGlobal.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>
#include <vector>

using namespace globaledit;

namespace {

constexpr int Repeats = 3;

[[noreturn]] void fail(const QString& what, const db::Error& e)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(what), qPrintable(e.message()));
    std::exit(1);
}

// Peak resident memory since the last reset, in kB (Linux).
qint64 statusField(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(int(qstrlen(name))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

GlobalEdit everyPositionEdit()
{
    GlobalEdit edit;
    for (size_t i = 0; i < size_t(EditedRatingCount); ++i) {
        edit.parameters.actualPercent[i] = 10;
        edit.parameters.potentialPercent[i] = -5;
    }
    edit.positions.set();
    return edit;
}

// The floor: the same 48 columns of the same rows in one plain statement.
QString floorSql()
{
    QStringList sets;
    for (int n = 1; n <= EditedRatingCount; ++n) {
        sets << QStringLiteral("%1 = MIN(MAX(ROUND(%1 * 1.1), 0), 99)")
                    .arg(db::schema::actualColumn(n))
             << QStringLiteral("%1 = MIN(MAX(ROUND(%1 * 0.95), 0), 99)")
                    .arg(db::schema::potentialColumn(n));
    }
    return QStringLiteral("UPDATE PlayerTable SET ") + sets.join(QStringLiteral(", ")) +
           QStringLiteral(" WHERE CurrentPos BETWEEN 0 AND 14");
}

// Runs the statements in one transaction on their own connection.
void runPlainSql(const QString& path, const QStringList& statements,
                 const QList<QVariantList>& params)
{
    db::Database database;
    if (db::Error e = database.open(path))
        fail(QStringLiteral("open"), e);
    db::Transaction transaction(database);
    db::Error e = transaction.begin();
    for (qsizetype i = 0; !e && i < statements.size(); ++i)
        e = database.execute(statements[i], params.value(i));
    if (!e)
        e = transaction.commit();
    if (e)
        fail(QStringLiteral("plain SQL"), e);
}

void runFloor(const QString& path)
{
    runPlainSql(path, {floorSql()}, {});
}

void runEngine(const QString& path)
{
    if (db::Error e = runGlobalEdit(path, everyPositionEdit()))
        fail(QStringLiteral("engine"), e);
}

// The whole window path: the dialog's OK with every position checked, the
// progress window shown and updated, until it has gone again.
void runWindow(const QString& path)
{
    frmGlobal dialog(path);
    if (db::Error e = dialog.Form_Load())
        fail(QStringLiteral("dialog"), e);
    for (QLineEdit* box : dialog.findChildren<QLineEdit*>()) {
        const QString name = box->objectName();
        if (!name.startsWith(QLatin1String("txt")))
            continue; // the Teams box's own line
        if (name.startsWith(QLatin1String("txtP_")) || name == QLatin1String("txtp_VI"))
            box->setText(QStringLiteral("-5"));
        else if (!name.contains(QLatin1String("Max")) && !name.contains(QLatin1String("Min")))
            box->setText(QStringLiteral("10"));
    }
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        box->setChecked(true);
    dialog.show();
    dialog.cmdOK_Click();
}

struct Measurement {
    double seconds;    // wall clock
    double cpuSeconds; // user + system: steadier on a busy machine
    qint64 peakGrowthKb;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One run on a fresh copy of the league.
Measurement measureOnce(const QString& league, const QString& scratch, void (*run)(const QString&))
{
    QFile::remove(scratch);
    if (!QFile::copy(league, scratch))
        fail(QStringLiteral("copy"), {1, scratch});
    resetPeakMemory();
    const qint64 before = statusField("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = cpuSeconds();
    run(scratch);
    return {double(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpuBefore,
            statusField("VmHWM:") - before};
}

void keepBest(Measurement& best, const Measurement& m)
{
    best.seconds = std::min(best.seconds, m.seconds);
    best.cpuSeconds = std::min(best.cpuSeconds, m.cpuSeconds);
    best.peakGrowthKb = std::max(best.peakGrowthKb, m.peakGrowthKb);
}

struct Measurements {
    Measurement floor, engine, window;
};

// The runs take turns, so a busy spell of the machine hits all of them.
Measurements measureAll(const QString& league, const QString& scratch)
{
    const Measurement none{1e300, 1e300, 0};
    Measurements m{none, none, none};
    for (int i = 0; i < Repeats; ++i) {
        keepBest(m.floor, measureOnce(league, scratch, &runFloor));
        keepBest(m.engine, measureOnce(league, scratch, &runEngine));
        keepBest(m.window, measureOnce(league, scratch, &runWindow));
    }
    return m;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int largest = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200000;
    std::vector<int> sizes;
    for (int n : {2000, 20000, 200000})
        if (n <= largest)
            sizes.push_back(n);
    if (sizes.empty())
        sizes.push_back(std::max(largest, 1));

    QTemporaryDir dir;
    QTextStream out(stdout);
    out << "Global edit, every position, all teams, 48 percentages non-zero; best of " << Repeats
        << ".\nFloor: one plain UPDATE of the same 48 columns of the same rows with the same "
           "arithmetic (scale, round, clamp) in one transaction.\nEngine: runGlobalEdit alone. "
           "Window: the dialog's OK until the progress window has gone.\nPeak: growth of the "
           "resident set during the run (the engine's page cache holds up to 100 MB).\n";
    const QString header = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10\n");
    out << header.arg(QStringLiteral("players"), 8)
               .arg(QStringLiteral("floor s"), 8)
               .arg(QStringLiteral("engine s"), 9)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("window s"), 9)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("goal"), 6)
               .arg(QStringLiteral("cpu ratio"), 9)
               .arg(QStringLiteral("engine +MB"), 10)
               .arg(QStringLiteral("window +MB"), 10);
    out.flush();
    for (int players : sizes) {
        const QString league = dir.filePath(QStringLiteral("league%1.sqlite").arg(players));
        leaguegen::LeagueOptions options;
        options.players = players;
        if (db::Error e = leaguegen::writeLeague(league, options))
            fail(QStringLiteral("leaguegen"), e);
        const QString scratch = dir.filePath(QStringLiteral("scratch.sqlite"));
        const auto [floor, engine, window] = measureAll(league, scratch);
        const double ratio = window.seconds / floor.seconds;
        out << header.arg(players, 8)
                   .arg(floor.seconds, 8, 'f', 3)
                   .arg(engine.seconds, 9, 'f', 3)
                   .arg(engine.seconds / floor.seconds, 6, 'f', 2)
                   .arg(window.seconds, 9, 'f', 3)
                   .arg(ratio, 6, 'f', 2)
                   .arg(ratio <= 1.5 ? QStringLiteral("ok") : QStringLiteral("MISSED"), 6)
                   .arg(window.cpuSeconds / floor.cpuSeconds, 9, 'f', 2)
                   .arg(double(engine.peakGrowthKb) / 1024.0, 10, 'f', 1)
                   .arg(double(window.peakGrowthKb) / 1024.0, 10, 'f', 1);
        out.flush();
        QFile::remove(scratch);
        QFile::remove(league);
    }
    return 0;
}
