// Global edit of every position of every team, all 48 ratings +5%: the engine
// alone, with its backup, through the dialog and progress window, and its
// preview, against two floors measured in the same run on a copy of the same
// file, each one plain UPDATE of all 48 columns in one BEGIN IMMEDIATE ...
// COMMIT (synchronous=FULL): the strict floor scales, rounds and clamps
// (MIN(MAX(ROUND(x * 1.05), 0), 99)); the bare floor only rewrites (x + 1).
// Usage: bench_globaledit [largest-league-size]
#include "core/backups/Backups.h"
#include "core/db/Database.h"
#include "core/globaledit/GlobalEditEngine.h"
#include "core/globaledit/GlobalEditPreview.h"
#include "leaguegen/LeagueGenerator.h"

#include "windows/globaledit/GlobalEditDialog.h"

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
#include <optional>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace globaledit;

namespace {

constexpr int Repeats = 3;
constexpr double GoalRatio = 1.4; // the window path against the strict floor
constexpr double Percent = 5;
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
        edit.parameters.actualPercent[i] = Percent;
        edit.parameters.potentialPercent[i] = Percent;
    }
    edit.positions.set();
    return edit;
}

// A floor: the 48 edited columns of every player in one plain statement,
// each set to the expression (with %1 for the column).
QString floorSql(const QString& expression)
{
    QStringList sets;
    for (int n = 1; n <= EditedRatingCount; ++n) {
        for (const QString& column : {db::schema::actualColumn(n), db::schema::potentialColumn(n)})
            sets << column + QStringLiteral(" = ") + expression.arg(column);
    }
    return QStringLiteral("UPDATE PlayerTable SET ") + sets.join(QStringLiteral(", "));
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

// Times one run. A run whose setup and teardown are not part of the figure
// (opening and closing the dialog) restarts and stops it around its work.
class Stopwatch
{
public:
    Stopwatch() { restart(); }
    void restart()
    {
        resetPeakMemory();
        m_rssBefore = statusField("VmRSS:");
        m_cpuBefore = cpuSeconds();
        m_clock.start();
        m_stopped.reset();
    }
    void stop()
    {
        m_stopped = Measurement{double(m_clock.nsecsElapsed()) / 1e9, cpuSeconds() - m_cpuBefore,
                                statusField("VmHWM:") - m_rssBefore};
    }
    Measurement read()
    {
        if (!m_stopped)
            stop();
        return *m_stopped;
    }

private:
    std::optional<Measurement> m_stopped;
    QElapsedTimer m_clock;
    double m_cpuBefore = 0;
    qint64 m_rssBefore = 0;
};

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

void runStrictFloor(const QString& path, Stopwatch&)
{
    runPlainSql(path, {floorSql(QStringLiteral("MIN(MAX(ROUND(%1 * 1.05), 0), 99)"))}, {});
}

void runBareFloor(const QString& path, Stopwatch&)
{
    runPlainSql(path, {floorSql(QStringLiteral("%1 + 1"))}, {});
}

// The backup alone, as the edit takes it: under the write lock, nothing changed.
void runBackup(const QString& path, Stopwatch&)
{
    db::Database database;
    if (db::Error e = database.open(path))
        fail(QStringLiteral("open"), e);
    db::Transaction transaction(database);
    db::Error e = transaction.begin();
    if (!e)
        e = backups::take(database, QStringLiteral("Global Edit"));
    if (e)
        fail(QStringLiteral("backup"), e);
}

void runEngine(const QString& path, Stopwatch&)
{
    if (db::Error e = runGlobalEdit(path, everyPositionEdit()))
        fail(QStringLiteral("engine"), e);
}

// The engine with the backup the dialog takes under the write lock.
void runEngineWithBackup(const QString& path, Stopwatch&)
{
    backups::CommandBackup backup(path, QStringLiteral("Global Edit"), {10, {}});
    RunOptions options;
    options.beforeChanges = [&backup](db::Database& league) { return backup.take(league); };
    if (db::Error e = runGlobalEdit(path, everyPositionEdit(), options))
        fail(QStringLiteral("engine with backup"), e);
    backup.committed();
}

void runPreview(const QString& path, Stopwatch&)
{
    PreviewResult result;
    if (db::Error e = computePreview(path, everyPositionEdit(), result))
        fail(QStringLiteral("preview"), e);
}

// The whole window path: the dialog's OK with every position checked, its
// backup taken, the progress window shown and updated, until it has gone.
void runWindow(const QString& path, Stopwatch& stopwatch)
{
    GlobalEditDialog dialog(path);
    if (db::Error e = dialog.readTeams())
        fail(QStringLiteral("dialog"), e);
    for (QLineEdit* box : dialog.findChildren<QLineEdit*>()) {
        const QString name = box->objectName();
        if (!name.startsWith(QLatin1String("txt")))
            continue; // the Teams box's own line
        if (!name.contains(QLatin1String("Max")) && !name.contains(QLatin1String("Min")))
            box->setText(QString::number(Percent));
    }
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        box->setChecked(true);
    dialog.show();
    QCoreApplication::processEvents();
    stopwatch.restart();
    dialog.confirm();
    while (dialog.isRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    stopwatch.stop();
}

// One run on a fresh copy of the league, with no backups beside it yet.
using Run = void (*)(const QString&, Stopwatch&);

Measurement measureOnce(const QString& league, const QString& scratch, Run run)
{
    QFile::remove(scratch);
    QDir(backups::folderFor(scratch)).removeRecursively();
    if (!QFile::copy(league, scratch))
        fail(QStringLiteral("copy"), {1, scratch});
    // On the disk before the clock starts, so no run pays for writing back
    // the copy, and none gains from a setup that gives the writeback time.
    QFile copy(scratch);
    if (!copy.open(QIODevice::ReadWrite) || ::fsync(copy.handle()) != 0)
        fail(QStringLiteral("sync"), {1, scratch});
    copy.close();
    Stopwatch stopwatch;
    run(scratch, stopwatch);
    return stopwatch.read();
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
    Run run;
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

// The goal against the strict floor is set at 200,000 players; on small
// leagues opening the dialog and its windows outweighs the edit.
QString verdict(const Path& path, int players, double floorSeconds, double engineSeconds)
{
    switch (path.goal) {
    case WithinGoalOfFloor:
        if (players < GoalPlayers)
            return {};
        return path.best.seconds <= GoalRatio * floorSeconds
                   ? QStringLiteral("ok <= %1x strict").arg(GoalRatio)
                   : QStringLiteral("MISSED %1x strict").arg(GoalRatio);
    case WithinEngine:
        return path.best.seconds <= engineSeconds ? QStringLiteral("ok <= engine")
                                                  : QStringLiteral("MISSED: over engine");
    case NoGoal:
        break;
    }
    return {};
}

// The machine's load: the figures mean little when it is busy.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
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
    out << "Global edit, every position, all teams, all 48 ratings +" << Percent << "%; best of "
        << Repeats
        << " (wall clock; cpu = user + system, steadier on a busy machine).\n"
           "Strict floor: one UPDATE PlayerTable SET RATINGn = MIN(MAX(ROUND(RATINGn * 1.05), 0), "
           "99), ... of all 48 columns in one BEGIN IMMEDIATE ... COMMIT, synchronous=FULL.\n"
           "Bare floor: the same with RATINGn = RATINGn + 1.\n"
           "Window: the dialog's OK, with its backup, until the progress window has gone. "
           "Preview: computePreview of the same edit.\n"
           "Peak: growth of the resident set during the run.\n"
        << "Load average at start: " << loadAverage() << "\n";
    const QString row = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8\n");
    out << row.arg(QStringLiteral("players"), 8)
               .arg(QStringLiteral("path"), -16)
               .arg(QStringLiteral("seconds"), 8)
               .arg(QStringLiteral("x strict"), 8)
               .arg(QStringLiteral("x bare"), 7)
               .arg(QStringLiteral("cpu x strict"), 12)
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
        enum { Bare, Strict, Engine };
        std::vector<Path> paths{{"bare floor", &runBareFloor, NoGoal, {}},
                                {"strict floor", &runStrictFloor, NoGoal, {}},
                                {"engine", &runEngine, NoGoal, {}},
                                {"backup alone", &runBackup, NoGoal, {}},
                                {"engine + backup", &runEngineWithBackup, NoGoal, {}},
                                {"window + backup", &runWindow, WithinGoalOfFloor, {}},
                                {"preview", &runPreview, WithinEngine, {}}};
        measureAll(paths, league, scratch);
        const Measurement& strict = paths[Strict].best;
        const Measurement& bare = paths[Bare].best;
        for (const Path& path : paths) {
            out << row.arg(players, 8)
                       .arg(QString::fromLatin1(path.name), -16)
                       .arg(path.best.seconds, 8, 'f', 3)
                       .arg(path.best.seconds / strict.seconds, 8, 'f', 2)
                       .arg(path.best.seconds / bare.seconds, 7, 'f', 2)
                       .arg(path.best.cpuSeconds / strict.cpuSeconds, 12, 'f', 2)
                       .arg(double(path.best.peakGrowthKb) / 1024.0, 9, 'f', 1)
                       .arg(verdict(path, players, strict.seconds, paths[Engine].best.seconds));
        }
        out.flush();
        QFile::remove(scratch);
        QDir(backups::folderFor(scratch)).removeRecursively();
        QFile::remove(league);
    }
    out << "Load average at end: " << loadAverage() << "\n";
    return 0;
}
