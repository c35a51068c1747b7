// Global edit of every position of every team, engine alone, with its backup
// and through the dialog and progress window, and its preview, against the
// bare SQLite work it cannot go below: one UPDATE of the same 48 columns of
// the same rows with the same arithmetic in one transaction.
// Usage: bench_globaledit [largest-league-size]
#include "backups/Backups.h"
#include "db/Database.h"
#include "globaledit/engine/GlobalEditEngine.h"
#include "globaledit/engine/GlobalEditPreview.h"
#include "leaguegen/LeagueGenerator.h"

#include "globaledit/frmGlobal.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <sys/resource.h>
#include <vector>

using namespace globaledit;

namespace {

constexpr int Repeats = 3;
constexpr double GoalRatio = 1.5;
constexpr int GoalPlayers = 200000;

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

// The engine with the backup the dialog takes under the write lock.
void runEngineWithBackup(const QString& path)
{
    backups::CommandBackup backup(path, QStringLiteral("Global Edit"));
    RunOptions options;
    options.beforeChanges = [&backup](db::Database& league) { return backup.take(league); };
    if (db::Error e = runGlobalEdit(path, everyPositionEdit(), options))
        fail(QStringLiteral("engine with backup"), e);
    backup.committed();
}

void runPreview(const QString& path)
{
    PreviewResult result;
    if (db::Error e = computePreview(path, everyPositionEdit(), result))
        fail(QStringLiteral("preview"), e);
}

// The whole window path: the dialog's OK with every position checked, its
// backup taken, the progress window shown and updated, until it has gone.
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
    double seconds = 1e300;    // wall clock
    double cpuSeconds = 1e300; // user + system: steadier on a busy machine
    qint64 peakGrowthKb = 0;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One run on a fresh copy of the league, with no backups beside it yet.
Measurement measureOnce(const QString& league, const QString& scratch, void (*run)(const QString&))
{
    QFile::remove(scratch);
    QDir(backups::folderFor(scratch)).removeRecursively();
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

enum Goal { NoGoal, WithinGoalOfFloor, WithinEngine };

struct Path {
    const char* name;
    void (*run)(const QString&);
    Goal goal;
    Measurement best;
};

// The paths take turns, so a busy spell of the machine hits all of them.
void measureAll(std::vector<Path>& paths, const QString& league, const QString& scratch)
{
    for (int i = 0; i < Repeats; ++i) {
        for (Path& path : paths)
            keepBest(path.best, measureOnce(league, scratch, path.run));
    }
}

// The goal against the floor is set at 200,000 players; on small leagues
// opening the dialog and its windows outweighs the edit.
QString verdict(const Path& path, int players, double floorSeconds, double engineSeconds)
{
    switch (path.goal) {
    case WithinGoalOfFloor:
        if (players < GoalPlayers)
            return {};
        return path.best.seconds <= GoalRatio * floorSeconds ? QStringLiteral("ok <= 1.5x floor")
                                                             : QStringLiteral("MISSED 1.5x floor");
    case WithinEngine:
        return path.best.seconds <= engineSeconds ? QStringLiteral("ok <= engine")
                                                  : QStringLiteral("MISSED: over engine");
    case NoGoal:
        break;
    }
    return {};
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
           "arithmetic (scale, round, clamp) in one transaction.\nWindow: the dialog's OK, "
           "with its backup, until the progress window has gone. Preview: computePreview of "
           "the same edit.\nPeak: growth of the resident set during the run (the edit's page "
           "cache holds up to 100 MB).\n";
    const QString row = QStringLiteral("%1 %2 %3 %4 %5 %6 %7\n");
    out << row.arg(QStringLiteral("players"), 8)
               .arg(QStringLiteral("path"), -20)
               .arg(QStringLiteral("seconds"), 8)
               .arg(QStringLiteral("x floor"), 8)
               .arg(QStringLiteral("cpu x"), 6)
               .arg(QStringLiteral("peak +MB"), 9)
               .arg(QStringLiteral("goal"));
    out.flush();
    for (int players : sizes) {
        const QString league = dir.filePath(QStringLiteral("league%1.sqlite").arg(players));
        leaguegen::LeagueOptions options;
        options.players = players;
        if (db::Error e = leaguegen::writeLeague(league, options))
            fail(QStringLiteral("leaguegen"), e);
        const QString scratch = dir.filePath(QStringLiteral("scratch.sqlite"));
        std::vector<Path> paths{{"floor", &runFloor, NoGoal, {}},
                                {"engine", &runEngine, NoGoal, {}},
                                {"engine + backup", &runEngineWithBackup, NoGoal, {}},
                                {"window + backup", &runWindow, WithinGoalOfFloor, {}},
                                {"preview", &runPreview, WithinEngine, {}}};
        measureAll(paths, league, scratch);
        const Measurement& floor = paths[0].best;
        for (const Path& path : paths) {
            out << row.arg(players, 8)
                       .arg(QString::fromLatin1(path.name), -20)
                       .arg(path.best.seconds, 8, 'f', 3)
                       .arg(path.best.seconds / floor.seconds, 8, 'f', 2)
                       .arg(path.best.cpuSeconds / floor.cpuSeconds, 6, 'f', 2)
                       .arg(double(path.best.peakGrowthKb) / 1024.0, 9, 'f', 1)
                       .arg(verdict(path, players, floor.seconds, paths[1].best.seconds));
        }
        out.flush();
        QFile::remove(scratch);
        QDir(backups::folderFor(scratch)).removeRecursively();
        QFile::remove(league);
    }
    return 0;
}
