// The engine on real league files: which players change, into what, and
// that an edit is applied whole or not at all.
#include "EditCheck.h"
#include "TestSupport.h"
#include "db/Database.h"
#include "globaledit/engine/GlobalEditEngine.h"
#include "leaguegen/LeagueGenerator.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

using namespace globaledit;
using editcheck::Snapshot;

Q_DECLARE_METATYPE(globaledit::TeamFilter)

namespace {
constexpr qint64 BigTeam = 5'000'000'000; // beyond 32 bits

struct Recorder {
    QList<QPair<int, qint64>> started; // position, players
    qint64 done = 0;
    EditProgress progress()
    {
        return {[this](int p, qint64 n) { started.append({p, n}); }, [this] { ++done; }};
    }
};
} // namespace

class TestGlobalEditEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void selection_data();
    void selection();
    void emptySelectionIsQuiet();
    void storesOnlyWholeNumbers();
    void foreignValuesPassThrough();
    void failureRollsBackEverything();
    void lockedLeague_data();
    void lockedLeague();
    void badInput_data();
    void badInput();

private:
    QString m_base;
    QString m_file; // a fresh copy of m_base for each test
    QTemporaryDir m_dir;
    int m_copies = 0;
};

void TestGlobalEditEngine::initTestCase()
{
    TestSupport::initTestEnvironment();
    QVERIFY(m_dir.isValid());
    m_base = m_dir.filePath(QStringLiteral("base.sqlite"));
    leaguegen::LeagueOptions options;
    options.players = 900;
    options.seed = 7;
    options.extraTeamIds = {1001, 70000, BigTeam};
    const db::Error e = leaguegen::writeLeague(m_base, options);
    QVERIFY2(!e, qPrintable(e.message()));
}

void TestGlobalEditEngine::init()
{
    m_file = m_dir.filePath(QStringLiteral("league%1.sqlite").arg(++m_copies));
    QVERIFY(QFile::copy(m_base, m_file));
}

void TestGlobalEditEngine::selection_data()
{
    QTest::addColumn<TeamFilter>("team");
    QTest::addColumn<QList<int>>("positions");

    QTest::newRow("all teams, QB") << TeamFilter() << QList<int>{0};
    QTest::newRow("all teams, QB and K") << TeamFilter() << QList<int>{0, 8};
    const QList<int> every{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    QTest::newRow("all teams, every position") << TeamFilter() << every;
    QTest::newRow("draft and free agents") << TeamFilter(0) << QList<int>{0, 3, 14};
    QTest::newRow("team 1 alone") << TeamFilter(1) << QList<int>{0, 1, 2, 3, 4, 12};
    QTest::newRow("team 1001 alone") << TeamFilter(1001) << every;
    QTest::newRow("team 70000") << TeamFilter(70000) << every;
    QTest::newRow("64-bit team id") << TeamFilter(BigTeam) << every;
}

void TestGlobalEditEngine::selection()
{
    QFETCH(TeamFilter, team);
    QFETCH(QList<int>, positions);
    GlobalEdit edit = editcheck::sampleEdit();
    edit.team = team;
    edit.positions.reset();
    for (int p : positions)
        edit.positions.set(size_t(p));

    const Snapshot before = editcheck::snapshot(m_file);
    const Snapshot expected = editcheck::expectedAfter(before, edit);
    QVERIFY(editcheck::firstDifference(before, expected) != QString()); // the edit does something
    Recorder recorder;
    const db::Error e = runGlobalEdit(m_file, edit, recorder.progress());
    QVERIFY2(!e, qPrintable(e.message()));
    const QString difference = editcheck::firstDifference(editcheck::snapshot(m_file), expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));

    // Progress: the positions with players, in index order, with their counts.
    static const int teamColumn = db::schema::playerColumnIndex(QStringLiteral("TeamId"));
    static const int positionColumn = db::schema::playerColumnIndex(QStringLiteral("CurrentPos"));
    QList<QPair<int, qint64>> counts;
    for (int p : positions) {
        const qint64 n =
            std::count_if(before.cbegin(), before.cend(), [&](const QVariantList& row) {
                return row.at(positionColumn).toInt() == p &&
                       (!team || row.at(teamColumn).toLongLong() == *team);
            });
        if (n > 0)
            counts.append({p, n});
    }
    QCOMPARE(recorder.started, counts);
    qint64 total = 0;
    for (const auto& c : counts)
        total += c.second;
    QCOMPARE(recorder.done, total);
}

void TestGlobalEditEngine::emptySelectionIsQuiet()
{
    GlobalEdit edit = editcheck::sampleEdit();
    edit.team = 424242; // no such team
    const Snapshot before = editcheck::snapshot(m_file);
    Recorder recorder;
    const db::Error e = runGlobalEdit(m_file, edit, recorder.progress());
    QVERIFY2(!e, qPrintable(e.message()));
    QVERIFY(recorder.started.isEmpty());
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(m_file), before), QString());

    edit.team = std::nullopt;
    edit.positions.reset(); // no position checked
    QVERIFY(!runGlobalEdit(m_file, edit, recorder.progress()));
    QVERIFY(recorder.started.isEmpty());
}

void TestGlobalEditEngine::storesOnlyWholeNumbers()
{
    // Percentages whose products land on halves and odd fractions.
    GlobalEdit edit;
    edit.parameters.actualPercent.fill(12.5);
    edit.parameters.potentialPercent.fill(-33.3);
    edit.parameters.bounds = {0.5, 250.5, -10.5, 300};
    edit.positions.set();
    QCOMPARE(editcheck::nonWholeRatingCells(m_file), 0);
    QVERIFY(!runGlobalEdit(m_file, edit));
    QCOMPARE(editcheck::nonWholeRatingCells(m_file), 0);
}

void TestGlobalEditEngine::foreignValuesPassThrough()
{
    // Values that are not whole ratings: the steps leave what they do not write.
    {
        db::Database database;
        QVERIFY(!database.open(m_file));
        QVERIFY(!database.execute(QStringLiteral(
            "UPDATE PlayerTable SET RATING1 = 'fast', RATING2 = 49.5, RATING_POT2 = 99, "
            "RATING3 = 9007199254740993, RATING4 = 50, RATING_POT4 = 'high' WHERE rowid = 1")));
    }
    GlobalEdit edit;
    edit.parameters.bounds = {0, 1e16, 0, 1e16};
    edit.parameters.actualPercent[3] = 10; // rating 4
    edit.positions.set();
    QVERIFY(!runGlobalEdit(m_file, edit));
    db::Database database;
    QVERIFY(!database.open(m_file));
    QVariantList row;
    database.query(QStringLiteral("SELECT RATING1, RATING2, RATING3, RATING4, RATING_POT4 "
                                  "FROM PlayerTable WHERE rowid = 1"),
                   {}, [&](const QSqlQuery& q) {
                       for (int i = 0; i < 5; ++i)
                           row << q.value(i);
                   });
    QCOMPARE(row, (QVariantList{QStringLiteral("fast"), 49.5, Q_INT64_C(9007199254740993), 55,
                                QStringLiteral("high")}));
}

void TestGlobalEditEngine::failureRollsBackEverything()
{
    // A trigger refuses one kicker: the quarterbacks, done before him, must
    // not keep their new ratings either.
    qint64 kicker = 0;
    {
        db::Database database;
        QVERIFY(!database.open(m_file));
        database.query(QStringLiteral("SELECT max(rowid) FROM PlayerTable WHERE CurrentPos = 8"),
                       {}, [&](const QSqlQuery& q) { kicker = q.value(0).toLongLong(); });
        QVERIFY(kicker > 0);
        QVERIFY(!database.execute(
            QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON PlayerTable WHEN OLD.rowid = %1 "
                           "BEGIN SELECT RAISE(ABORT, 'this kicker cannot change'); END")
                .arg(kicker)));
    }
    GlobalEdit edit = editcheck::sampleEdit();
    edit.positions.reset();
    edit.positions.set(0).set(8).set(14);
    const Snapshot before = editcheck::snapshot(m_file);
    Recorder recorder;
    const db::Error e = runGlobalEdit(m_file, edit, recorder.progress());
    QVERIFY(e);
    QVERIFY2(e.description.contains(QStringLiteral("Updating K")), qPrintable(e.description));
    QVERIFY2(e.description.contains(QStringLiteral("this kicker cannot change")),
             qPrintable(e.description));
    QVERIFY2(e.description.contains(QStringLiteral("no rating was changed")),
             qPrintable(e.description));
    QCOMPARE(recorder.started.size(), 2); // the safeties never started
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(m_file), before), QString());
    QVERIFY(!QFile::exists(m_file + QStringLiteral("-journal")));
}

void TestGlobalEditEngine::lockedLeague_data()
{
    QTest::addColumn<QString>("holderStatements");
    QTest::newRow("another writer") << QStringLiteral("BEGIN IMMEDIATE");
    // A reader's lock lets the edit start but not commit.
    QTest::newRow("another reader") << QStringLiteral("BEGIN; SELECT count(*) FROM PlayerTable;");
}

void TestGlobalEditEngine::lockedLeague()
{
    QFETCH(QString, holderStatements);
    sqlite3* holder = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(m_file).constData(), &holder, SQLITE_OPEN_READWRITE,
                             nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(holder, holderStatements.toUtf8().constData(), nullptr, nullptr, nullptr),
             SQLITE_OK);
    const Snapshot before = editcheck::snapshot(m_file);

    const db::Error e = runGlobalEdit(m_file, editcheck::sampleEdit());
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    QCOMPARE(e.number & 0xff, SQLITE_BUSY);
    QVERIFY2(e.description.contains(QStringLiteral("locked")), qPrintable(e.description));
    QVERIFY2(e.description.contains(QStringLiteral("nothing was changed")),
             qPrintable(e.description));
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(m_file), before), QString());
}

void TestGlobalEditEngine::badInput_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<double>("percent");
    QTest::addColumn<int>("number");
    QTest::newRow("no league chosen") << QString() << 10.0 << int(db::NoLeagueFileChosen);
    QTest::newRow("missing file") << QStringLiteral("missing.sqlite") << 10.0
                                  << int(db::FileNotFound);
    QTest::newRow("infinite percentage") << QStringLiteral("*") << qInf() << int(db::NotANumber);
    QTest::newRow("NaN percentage") << QStringLiteral("*") << qQNaN() << int(db::NotANumber);
}

void TestGlobalEditEngine::badInput()
{
    QFETCH(QString, path);
    QFETCH(double, percent);
    QFETCH(int, number);
    if (path == QLatin1String("*"))
        path = m_file;
    else if (!path.isEmpty())
        path = m_dir.filePath(path);
    GlobalEdit edit = editcheck::sampleEdit();
    edit.parameters.actualPercent[5] = percent;
    const Snapshot before = editcheck::snapshot(m_file);
    QCOMPARE(runGlobalEdit(path, edit).number, number);
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(m_file), before), QString());
    QVERIFY(path.isEmpty() || QFile::exists(path) == (path == m_file)); // nothing created
}

QTEST_GUILESS_MAIN(TestGlobalEditEngine)
#include "tst_globaleditengine.moc"
