#include "TestSupport.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "leaguegen/LeagueGenerator.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace Qt::StringLiterals;
using leaguegen::LeagueOptions;
Q_DECLARE_METATYPE(LeagueOptions)

namespace {
// One column of every row a query yields, as text ("NULL" for no value).
QStringList values(db::Database& db, const QString& sql)
{
    QStringList out;
    const db::Error e = db.query(sql, {}, [&](const QSqlQuery& q) {
        out << (q.isNull(0) ? u"NULL"_s : q.value(0).toString());
    });
    if (e)
        qWarning() << e.message();
    return out;
}

int number(db::Database& db, const QString& sql)
{
    const QStringList v = values(db, sql);
    return v.isEmpty() ? -1 : v.first().toInt();
}

// A digest of every table's rows, in stored order, so two files compare by content.
QByteArray contentDigest(const QString& path)
{
    db::Database db;
    if (db.open(path))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& table :
         values(db, u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"_s)) {
        db.query(u"SELECT * FROM \"%1\" ORDER BY rowid"_s.arg(table), {}, [&](const QSqlQuery& q) {
            for (int i = 0; i < q.record().count(); ++i)
                hash.addData((q.isNull(i) ? u"<null>"_s : q.value(i).toString() + u'|').toUtf8());
        });
    }
    return hash.result();
}
} // namespace

class TestLeagueGen : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file(const QString& name) const { return m_dir.filePath(name); }

    // Writes a league and opens it; the test fails when either goes wrong.
    void writeAndOpen(const QString& path, const LeagueOptions& options, db::Database& db)
    {
        const db::Error e = leaguegen::writeLeague(path, options);
        QVERIFY2(!e, qPrintable(e.message()));
        const db::Error o = db.open(path);
        QVERIFY2(!o, qPrintable(o.message()));
    }

private slots:
    void initTestCase() { TestSupport::initTestEnvironment(); }

    void writesACompleteLeague()
    {
        LeagueOptions options;
        options.players = 600;
        options.seed = 7;
        db::Database db;
        writeAndOpen(file(u"complete.mdb"_s), options, db);

        QCOMPARE(db.columns(u"PlayerTable"_s), db::schema::playerColumns());
        QCOMPARE(number(db, u"SELECT count(*) FROM PlayerTable"_s), 600);
        QCOMPARE(number(db, u"SELECT count(DISTINCT PlayerId) FROM PlayerTable"_s), 600);
        QCOMPARE(number(db, u"SELECT count(*) FROM Team"_s), leaguegen::teamCount(options));
        for (const QString& table : db::schema::leagueTables())
            QVERIFY2(number(db, u"SELECT count(*) FROM "_s + table) > 0, qPrintable(table));
        QCOMPARE(values(db, u"PRAGMA journal_mode"_s), QStringList{u"delete"_s});

        // Every position is there; every player belongs to a team or to the pool.
        QCOMPARE(
            number(
                db,
                u"SELECT count(DISTINCT CurrentPos) FROM PlayerTable WHERE CurrentPos BETWEEN 0 AND 14"_s),
            15);
        QCOMPARE(
            number(
                db,
                u"SELECT count(*) FROM PlayerTable WHERE TeamId <> 0 AND TeamId NOT IN (SELECT TeamID FROM Team)"_s),
            0);
        QVERIFY(number(db, u"SELECT count(*) FROM PlayerTable WHERE TeamId = 0"_s) > 20);
        QCOMPARE(
            values(db, u"SELECT PlayerID FROM FreeAgents ORDER BY 1"_s),
            values(
                db,
                u"SELECT PlayerId FROM PlayerTable WHERE TeamId = 0 AND FreeAgent = 1 ORDER BY 1"_s));
        QCOMPARE(number(db, u"SELECT count(*) FROM Roster"_s),
                 number(db, u"SELECT count(*) FROM PlayerTable WHERE TeamId <> 0"_s));

        // The cases the global edit has to meet: blank ratings, potential below actual.
        QVERIFY(
            number(db,
                   u"SELECT count(*) FROM PlayerTable WHERE RATING3 IS NULL OR RATING_POT3 IS NULL "
                   "OR RATING17 IS NULL OR RATING_POT17 IS NULL"_s) > 0);
        QVERIFY(number(db, u"SELECT count(*) FROM PlayerTable WHERE RATING_POT1 < RATING1"_s) > 10);
        QVERIFY(number(db, u"SELECT count(*) FROM PlayerTable WHERE RATING_POT1 > RATING1"_s) >
                200);
        QCOMPARE(
            number(db, u"SELECT count(*) FROM PlayerTable WHERE RATING25 NOT BETWEEN 21 AND 38"_s),
            0);
        QCOMPARE(
            values(db, u"SELECT DISTINCT type FROM pragma_table_info('PlayerTable') ORDER BY 1"_s),
            (QStringList{u"INTEGER"_s, u"TEXT"_s}));
    }

    void ratingsFitPositions_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("rating");
        QTest::newRow("QB arm strength") << 0 << 4;
        QTest::newRow("QB throw accuracy") << 0 << 5;
        QTest::newRow("WR catching") << 3 << 15;
        QTest::newRow("G pass blocking") << 6 << 9;
        QTest::newRow("K kick distance") << 8 << 6;
        QTest::newRow("P kick accuracy") << 9 << 7;
        QTest::newRow("DT pass rushing") << 11 << 12;
        QTest::newRow("CB pass defense") << 13 << 16;
    }

    void ratingsFitPositions()
    {
        QFETCH(int, position);
        QFETCH(int, rating);
        db::Database db;
        QVERIFY(!db.open(fitLeague()));
        const QString column = db::schema::actualColumn(rating);
        const QStringList avg = values(
            db, u"SELECT avg(%1) FROM PlayerTable WHERE CurrentPos = %2 "
                "UNION ALL SELECT avg(%1) FROM PlayerTable WHERE CurrentPos <> %2"_s.arg(column)
                    .arg(position));
        QVERIFY2(avg[0].toDouble() > avg[1].toDouble() + 20, qPrintable(avg.join(u" vs "_s)));
    }

    void sameSeedSameContent()
    {
        LeagueOptions options;
        options.players = 300;
        options.seed = 42;
        QVERIFY(!leaguegen::writeLeague(file(u"a.mdb"_s), options));
        QVERIFY(!leaguegen::writeLeague(file(u"b.mdb"_s), options));
        options.seed = 43;
        QVERIFY(!leaguegen::writeLeague(file(u"c.mdb"_s), options));
        const QByteArray a = contentDigest(file(u"a.mdb"_s));
        QVERIFY(!a.isEmpty());
        QCOMPARE(contentDigest(file(u"b.mdb"_s)), a);
        QVERIFY(contentDigest(file(u"c.mdb"_s)) != a);
    }

    void tinyLeagues_data()
    {
        QTest::addColumn<int>("players");
        QTest::newRow("none") << 0;
        QTest::newRow("three") << 3;
    }

    void tinyLeagues()
    {
        QFETCH(int, players);
        LeagueOptions options;
        options.players = players;
        db::Database db;
        writeAndOpen(file(u"tiny%1.mdb"_s.arg(players)), options, db);
        QCOMPARE(number(db, u"SELECT count(*) FROM PlayerTable"_s), players);
        QCOMPARE(number(db, u"SELECT count(*) FROM Team"_s), 2);
        if (players > 0) // even three players carry a blank rating
            QCOMPARE(number(db, u"SELECT count(*) FROM PlayerTable WHERE "_s +
                                    db::schema::playerColumns().mid(20).join(u" IS NULL OR "_s) +
                                    u" IS NULL"_s),
                     1);
    }

    void shuffledAndOmittedColumns()
    {
        LeagueOptions options;
        options.players = 100;
        options.shufflePlayerColumns = true;
        options.omitPlayerColumns = QStringList{u"rating_pot7"_s, u"InjuryType"_s};
        db::Database db;
        writeAndOpen(file(u"columns.mdb"_s), options, db);
        QStringList expected = db::schema::playerColumns();
        expected.removeOne(u"RATING_POT7"_s);
        expected.removeOne(u"InjuryType"_s);
        QStringList stored = db.columns(u"PlayerTable"_s);
        QVERIFY(stored != expected);
        stored.sort();
        expected.sort();
        QCOMPARE(stored, expected);
        // The values follow their columns, wherever those are stored.
        QCOMPARE(
            number(db, u"SELECT count(*) FROM PlayerTable WHERE CurrentPos NOT BETWEEN 0 AND 14"_s),
            0);
        QCOMPARE(number(db, u"SELECT max(PlayerId) FROM PlayerTable"_s), 100);
    }

    void omittedTableFailsToOpen()
    {
        LeagueOptions options;
        options.players = 60;
        options.omitTables = QStringList{u"schedule"_s};
        options.extraUnrelatedTable = true;
        const QString path = file(u"noschedule.mdb"_s);
        QVERIFY(!leaguegen::writeLeague(path, options));
        db::Database db;
        QCOMPARE(db.open(path).number, int(db::MissingTable));
    }

    void extraTeams()
    {
        LeagueOptions options;
        options.players = 200;
        options.extraTeamIds = {1001, 70000};
        options.extraUnrelatedTable = true;
        db::Database db;
        writeAndOpen(file(u"extra.mdb"_s), options, db);
        QCOMPARE(values(db, u"SELECT TeamID FROM Team WHERE TeamID > 100 ORDER BY 1"_s),
                 (QStringList{u"1001"_s, u"70000"_s}));
        QCOMPARE(
            values(
                db,
                u"SELECT count(*) FROM PlayerTable WHERE TeamId IN (1001, 70000) GROUP BY TeamId"_s),
            (QStringList{u"5"_s, u"5"_s}));
        QCOMPARE(number(db, u"SELECT count(*) FROM Notes"_s), 3);
        QCOMPARE(number(db, u"SELECT count(*) FROM PlayerTable"_s), 200);
    }

    void refusesToOverwrite()
    {
        const QString path = file(u"kept.mdb"_s);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("keep me");
        }
        LeagueOptions options;
        options.players = 30;
        QCOMPARE(leaguegen::writeLeague(path, options).number, int(db::TargetExists));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep me"));
        f.close();

        options.overwrite = true;
        QVERIFY(!leaguegen::writeLeague(path, options));
        db::Database db;
        QVERIFY(!db.open(path));
        QVERIFY(!QFile::exists(path + u".part"_s));
    }

    void badInputWritesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<LeagueOptions>("options");
        QTest::addColumn<int>("error");
        LeagueOptions o;
        o.players = 50;
        auto with = [&](auto change) {
            LeagueOptions c = o;
            change(c);
            return c;
        };
        QTest::newRow("negative players")
            << u"n.mdb"_s << with([](LeagueOptions& c) { c.players = -1; })
            << int(db::ValueDoesNotFit);
        QTest::newRow("share over 1")
            << u"s.mdb"_s << with([](LeagueOptions& c) { c.draftShare = 1.5; })
            << int(db::ValueDoesNotFit);
        QTest::newRow("unknown table")
            << u"t.mdb"_s << with([](LeagueOptions& c) { c.omitTables = {u"Teams"_s}; })
            << int(db::ValueDoesNotFit);
        QTest::newRow("unknown column")
            << u"c.mdb"_s << with([](LeagueOptions& c) { c.omitPlayerColumns = {u"RATING31"_s}; })
            << int(db::ValueDoesNotFit);
        QTest::newRow("no columns left") << u"e.mdb"_s << with([](LeagueOptions& c) {
            c.omitPlayerColumns = db::schema::playerColumns();
        }) << int(db::ValueDoesNotFit);
        QTest::newRow("extra team 0")
            << u"z.mdb"_s << with([](LeagueOptions& c) { c.extraTeamIds = {0}; })
            << int(db::ValueDoesNotFit);
        QTest::newRow("extra team taken")
            << u"x.mdb"_s << with([](LeagueOptions& c) { c.extraTeamIds = {2}; })
            << int(db::ValueDoesNotFit);
        QTest::newRow("missing folder") << u"nofolder/l.mdb"_s << o << int(db::WriteFailed);
        QTest::newRow("folder") << u"."_s << o << int(db::NotAFile);
        QTest::newRow("no path") << QString() << o << int(db::WriteFailed);
    }

    void badInputWritesNothing()
    {
        QFETCH(QString, name);
        QFETCH(LeagueOptions, options);
        QFETCH(int, error);
        const QString path = name.isEmpty() ? name : file(name);
        const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
        const db::Error e = leaguegen::writeLeague(path, options);
        QCOMPARE(e.number, error);
        QVERIFY(!e.description.isEmpty());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
    }

    void leftoverUnfinishedFile()
    {
        LeagueOptions options;
        options.players = 20;
        // A crashed run's file is replaced...
        const QString stale = file(u"stale.mdb"_s);
        QFile junk(stale + u".part"_s);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("half a league");
        junk.close();
        QVERIFY(!leaguegen::writeLeague(stale, options));
        QVERIFY(!QFile::exists(stale + u".part"_s));
        db::Database db;
        QVERIFY(!db.open(stale));

        // ...but a folder of that name is not ours to remove.
        const QString blocked = file(u"blocked.mdb"_s);
        QVERIFY(QDir(m_dir.path()).mkdir(u"blocked.mdb.part"_s));
        QCOMPARE(leaguegen::writeLeague(blocked, options).number, int(db::WriteFailed));
        QVERIFY(!QFile::exists(blocked));
    }

    void commandLine()
    {
        const QString path = file(u"demo.mdb"_s);
        const QStringList args = {u"--players"_s, u"2000"_s, u"--seed"_s, u"99"_s, path};
        QCOMPARE(run(args), 0);
        db::Database db;
        QVERIFY(!db.open(path));
        QCOMPARE(number(db, u"SELECT count(*) FROM PlayerTable"_s), 2000);
        db.close();

        QCOMPARE(run(args), 1); // never replaces a league unasked
        QVERIFY(m_stderr.contains("--force"));
        QCOMPARE(run(QStringList{u"--force"_s} + args), 0);
        QCOMPARE(run({u"--players"_s, u"many"_s, file(u"bad.mdb"_s)}), 1);
        QVERIFY(m_stderr.contains("many"));
        QVERIFY(!QFile::exists(file(u"bad.mdb"_s)));
    }

private:
    QByteArray m_stderr;

    int run(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(LEAGUEGEN_PROGRAM), args);
        if (!p.waitForFinished(60000))
            return -1;
        m_stderr = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // One league shared by the rating checks: large enough for stable averages.
    QString fitLeague()
    {
        const QString path = file(u"fit.mdb"_s);
        if (!QFile::exists(path)) {
            LeagueOptions options;
            options.players = 3000;
            options.seed = 11;
            leaguegen::writeLeague(path, options);
        }
        return path;
    }
};

QTEST_GUILESS_MAIN(TestLeagueGen)
#include "tst_leaguegen.moc"
