#include "GuiFixture.h"
#include "TestSupport.h"
#include "core/db/Database.h"
#include "core/db/Schema.h"
#include "leaguegen/LeagueGenerator.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using leaguegen::LeagueOptions;
using TestSupport::columns;
using TestSupport::fetch;
using TestSupport::firstColumn;
Q_DECLARE_METATYPE(LeagueOptions)

class TestLeagueGen : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QByteArray m_stderr;
    QString file(const QString& name) const { return m_dir.filePath(name); }

    int run(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(LEAGUEGEN_PROGRAM), args);
        if (!p.waitForFinished(60000))
            return -1;
        m_stderr = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

private slots:
    void initTestCase()
    {
        TestSupport::initTestEnvironment();
        QVERIFY(TestSupport::writeFile(file(u"kept.mdb"_s), "keep me"));
    }

    // What the other suites and the benchmarks build on; the ratings' spread
    // is the generator's own business.
    void completeLeague_data()
    {
        columns<int, int>("players", "teams");
        QTest::newRow("none") << 0 << 2;
        QTest::newRow("three") << 3 << 2;
        QTest::newRow("3000") << 3000 << 57;
    }

    void completeLeague()
    {
        auto [players, teams] = fetch<int, int>("players", "teams");
        LeagueOptions options;
        options.players = players;
        const QString path = file(u"league%1.mdb"_s.arg(players));
        QVERIFY(!leaguegen::writeLeague(path, options));
        QCOMPARE(firstColumn(path, u"SELECT name FROM pragma_table_info('PlayerTable')"_s),
                 db::schema::playerColumns().join(u','));
        QCOMPARE(firstColumn(path, u"SELECT count(*) || ' ' || count(DISTINCT PlayerId) || ' ' || "
                                   "(SELECT count(*) FROM Team) FROM PlayerTable"_s),
                 u"%1 %1 %2"_s.arg(players).arg(teams));
        // No stray TeamId; Roster holds the team players, FreeAgents the pool's free agents.
        QCOMPARE(firstColumn(path, u"SELECT total(TeamId <> 0 AND TeamId NOT IN "
                                   "(SELECT TeamID FROM Team)) = 0 "
                                   "AND total(TeamId <> 0) = (SELECT count(*) FROM Roster) "
                                   "AND total(TeamId = 0 AND FreeAgent = 1) = "
                                   "(SELECT count(*) FROM FreeAgents) "
                                   "AND total(TeamId = 0 AND FreeAgent = 1 AND PlayerId IN "
                                   "(SELECT PlayerID FROM FreeAgents)) = "
                                   "(SELECT count(*) FROM FreeAgents) FROM PlayerTable"_s),
                 u"1"_s);
        // Even three players carry a blank rating, for the global edit to meet.
        QCOMPARE(firstColumn(path, u"SELECT count(*) > 0 FROM PlayerTable WHERE "_s +
                                       db::schema::playerColumns().mid(20).join(u" IS NULL OR "_s) +
                                       u" IS NULL"_s),
                 players ? u"1"_s : u"0"_s);
        if (players < 3000)
            return; // small leagues may leave a table or a position empty
        // Every table holds rows; all 15 positions and a draft pool.
        QCOMPARE(firstColumn(path, u"SELECT min(n) > 0 FROM (SELECT count(*) AS n FROM "_s +
                                       db::schema::leagueTables().join(
                                           u" UNION ALL SELECT count(*) FROM "_s) +
                                       u')'),
                 u"1"_s);
        QCOMPARE(firstColumn(path, u"SELECT count(DISTINCT CurrentPos) || ' ' || min(CurrentPos) "
                                   "|| ' ' || max(CurrentPos) || ' ' || (sum(TeamId = 0) > 150) "
                                   "FROM PlayerTable"_s),
                 u"15 0 14 1"_s);
    }

    // The odd leagues other tests are built on.
    void fixtureOptions()
    {
        LeagueOptions options;
        options.players = 200;
        options.shufflePlayerColumns = true;
        options.omitPlayerColumns = QStringList{u"rating_pot7"_s, u"InjuryType"_s};
        options.extraTeamIds = {1001, 70000};
        const QString path = file(u"fixture.mdb"_s);
        QVERIFY(!leaguegen::writeLeague(path, options));
        QStringList expected = db::schema::playerColumns();
        expected.removeOne(u"RATING_POT7"_s);
        expected.removeOne(u"InjuryType"_s);
        const QString columns = u"SELECT name FROM pragma_table_info('PlayerTable')"_s;
        QVERIFY(firstColumn(path, columns) != expected.join(u','));
        expected.sort();
        QCOMPARE(firstColumn(path, columns + u" ORDER BY name"_s), expected.join(u','));
        // The values follow their columns, wherever those are stored.
        QCOMPARE(firstColumn(path, u"SELECT count(*) || ' ' || max(PlayerId) || ' ' || "
                                   "sum(CurrentPos NOT BETWEEN 0 AND 14) FROM PlayerTable"_s),
                 u"200 200 0"_s);
        QCOMPARE(firstColumn(path, u"SELECT t.TeamID || ' ' || count(*) FROM Team t JOIN "
                                   "PlayerTable p ON p.TeamId = t.TeamID WHERE t.TeamID > 100 "
                                   "GROUP BY t.TeamID"_s),
                 u"1001 5,70000 5"_s);
    }

    void badInputWritesNothing_data()
    {
        columns<QString, LeagueOptions, int>("name", "options", "error");
        const auto row = [](const char* tag, void (*change)(LeagueOptions&),
                            const QString& name = u"bad.mdb"_s, int error = db::ValueDoesNotFit) {
            LeagueOptions o;
            o.players = 50;
            change(o);
            QTest::newRow(tag) << name << o << error;
        };
        row("negative players", [](LeagueOptions& o) { o.players = -1; });
        row("share over 1", [](LeagueOptions& o) { o.draftShare = 1.5; });
        row("unknown column", [](LeagueOptions& o) { o.omitPlayerColumns = {u"RATING31"_s}; });
        row("no columns left",
            [](LeagueOptions& o) { o.omitPlayerColumns = db::schema::playerColumns(); });
        row("extra team taken", [](LeagueOptions& o) { o.extraTeamIds = {2}; });
        const auto asIs = [](LeagueOptions&) {};
        row("existing file", asIs, u"kept.mdb"_s, leaguegen::TargetExists);
        row("missing folder", asIs, u"nofolder/l.mdb"_s, db::WriteFailed);
        row("folder", asIs, u"."_s, db::NotAFile);
        row("no path", asIs, QString(), db::WriteFailed);
    }

    void badInputWritesNothing()
    {
        auto [name, options] = fetch<QString, LeagueOptions>("name", "options");
        const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
        const db::Error e = leaguegen::writeLeague(name.isEmpty() ? name : file(name), options);
        QTEST(e.number, "error");
        QVERIFY(!e.description.isEmpty());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
        QCOMPARE(TestSupport::fileBytes(file(u"kept.mdb"_s)), QByteArray("keep me"));
    }

    void commandLineAndSeed()
    {
        const QString path = file(u"demo.mdb"_s);
        // A crashed run's unfinished file is replaced.
        QVERIFY(TestSupport::writeFile(path + u".part"_s, "half a league"));
        QCOMPARE(run({u"--players"_s, u"100"_s, u"--seed"_s, u"99"_s, path}), 0);
        QVERIFY(!QFile::exists(path + u".part"_s));
        LeagueOptions options;
        options.players = 100;
        options.seed = 99;
        QVERIFY(!leaguegen::writeLeague(file(u"same.mdb"_s), options));
        const QByteArray league = TestSupport::fileBytes(path);
        QCOMPARE(league, TestSupport::fileBytes(file(u"same.mdb"_s))); // same seed, same league

        QCOMPARE(run({u"--seed"_s, u"98"_s, path}), 1); // never replaces a league unasked
        QVERIFY(m_stderr.contains("--force"));
        QCOMPARE(TestSupport::fileBytes(path), league);
        QCOMPARE(run({u"--force"_s, u"--players"_s, u"100"_s, u"--seed"_s, u"98"_s, path}), 0);
        QVERIFY(TestSupport::fileBytes(path) != league);
        QVERIFY(!db::Database().open(path));

        QCOMPARE(run({u"--players"_s, u"many"_s, file(u"bad.mdb"_s)}), 1);
        QVERIFY(m_stderr.contains("many"));
        QVERIFY(!QFile::exists(file(u"bad.mdb"_s)));
    }
};

QTEST_GUILESS_MAIN(TestLeagueGen)
#include "tst_leaguegen.moc"
