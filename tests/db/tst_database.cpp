// The league database layer on real files: good leagues open, and every kind
// of bad file gets its own clear error and is left exactly as it was.
#include "TestSupport.h"
#include "core/db/Database.h"
#include "core/db/Expression.h"
#include "core/db/Schema.h"
#include "leaguegen/LeagueGenerator.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

class TestDatabase : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_league;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    static QByteArray fingerprint(const QString& file)
    {
        QFile f(file);
        if (file.isEmpty() || !f.open(QIODevice::ReadOnly))
            return {};
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
    }

    static void writeFile(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void initTestCase()
    {
        TestSupport::initTestEnvironment();
        m_league = path(QStringLiteral("AccessConvert.mdb"));
        leaguegen::LeagueOptions options;
        options.players = 300;
        QVERIFY(!leaguegen::writeLeague(m_league, options));
    }

    void opensLeagueAndMatchesNamesWithoutCase()
    {
        db::Database database;
        QVERIFY(!database.open(m_league));
        QCOMPARE(TestSupport::fieldDefs(database, QStringLiteral("playertable")).size(),
                 db::schema::PlayerColumnCount);
        int count = -1;
        QVERIFY(
            !database.query(QStringLiteral("SELECT COUNT(Rating_pot10), COUNT(rating1) FROM TEAM "
                                           "JOIN PlayerTable USING (TeamID)"),
                            {}, [&](const db::Statement& q) { count = q.value(0).toInt(); }));
        QVERIFY(count > 0);
        QCOMPARE(database.storedTableName(QStringLiteral("TEAM")), QStringLiteral("Team"));
    }

    void badFilesGetClearErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // "<dir>" makes a folder, "<none>" nothing
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("says");

        QTest::newRow("empty DBPath")
            << QString() << QByteArray("<none>") << int(db::NoLeagueFileChosen) << "File > Open";
        QTest::newRow("no file at the path")
            << "missing.mdb" << QByteArray("<none>") << int(db::FileNotFound) << "does not exist";
        QTest::newRow("a folder") << "folder.mdb" << QByteArray("<dir>") << int(db::NotAFile)
                                  << "is a folder";
        QTest::newRow("a text file") << "notes.mdb" << QByteArray("Kickvale league notes\n")
                                     << int(db::NotSQLite) << "not a league database";
        QTest::newRow("an empty file")
            << "empty.mdb" << QByteArray() << int(db::NotSQLite) << "is empty";
        QByteArray jet(2048, '\0');
        jet.replace(0, 19, QByteArray("\x00\x01\x00\x00Standard Jet DB", 19));
        QTest::newRow("a Jet/Access file")
            << "jet.mdb" << jet << int(db::AccessFile) << "Microsoft Access";
    }

    void badFilesGetClearErrors()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, number);
        QFETCH(QString, says);

        const QString file = name.isEmpty() ? QString() : path(name);
        if (content == "<dir>")
            QVERIFY(QDir().mkpath(file));
        else if (content != "<none>")
            writeFile(file, content);
        const QByteArray before = fingerprint(file);

        db::Database database;
        const db::Error e = database.open(file);
        QCOMPARE(e.number, number);
        QVERIFY2(e.description.contains(says), qPrintable(e.description));
        QVERIFY(!database.isOpen());
        if (content == "<none>" && !file.isEmpty())
            QVERIFY2(!QFile::exists(file), "opening must never create a file");
        QCOMPARE(fingerprint(file), before);
    }

    void leagueWithoutOneTableIsRefused()
    {
        const QString file = path(QStringLiteral("noroster.mdb"));
        leaguegen::LeagueOptions options;
        options.players = 20;
        options.omitTables = {QStringLiteral("Roster")};
        QVERIFY(!leaguegen::writeLeague(file, options));
        db::Database database;
        // In WAL mode, which an open league leaves: the check comes before that.
        QVERIFY(!database.openFile(file));
        QVERIFY(!database.execute(QStringLiteral("PRAGMA journal_mode=WAL")));
        database.close();
        const QByteArray before = fingerprint(file);

        const db::Error e = database.open(file);
        QCOMPARE(e.number, int(db::MissingTable));
        QVERIFY(e.description.contains(QStringLiteral("\"Roster\"")));
        QCOMPARE(fingerprint(file), before);
        // Any SQLite file opens as a file; the league check names what it lacks.
        QVERIFY(!database.openFile(file));
        QCOMPARE(database.missingLeagueTables(), QStringList{QStringLiteral("Roster")});
    }

    void lockedLeagueReadsButRefusesWrites()
    {
        db::Database holder;
        QVERIFY(!holder.open(m_league));
        QVERIFY(!holder.beginImmediate()); // another program is writing

        db::Database database;
        QVERIFY(!database.open(m_league));
        int teams = 0;
        QVERIFY(!database.query(QStringLiteral("SELECT COUNT(*) FROM Team"), {},
                                [&](const db::Statement& q) { teams = q.value(0).toInt(); }));
        QVERIFY(teams > 0);

        const db::Error e = database.execute(QStringLiteral("UPDATE Team SET TeamName = 'X'"));
        QCOMPARE(e.number & 0xff, 5); // SQLITE_BUSY, after the busy timeout
        QVERIFY(e.description.contains(QStringLiteral("locked by another program")));
        QVERIFY(e.message().startsWith(QStringLiteral("Error:5 ")));
        holder.rollback();
    }

    void exclusiveLockFailsTheOpenWithLockedMessage()
    {
        db::Database holder;
        QVERIFY(!holder.open(m_league));
        QVERIFY(!holder.execute(QStringLiteral("BEGIN EXCLUSIVE")));

        db::Database database;
        const db::Error e = database.open(m_league);
        QVERIFY(e.isError());
        QVERIFY2(e.description.contains(QStringLiteral("locked")), qPrintable(e.description));
        holder.rollback();
    }

    void readOnlyFileReadsButSaysWhyAWriteFails()
    {
        if (geteuid() == 0)
            QSKIP("running as root: file permissions do not stop root from writing");
        const QString file = path(QStringLiteral("readonly.mdb"));
        QVERIFY(QFile::copy(m_league, file));
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));

        db::Database database;
        QVERIFY(!database.open(file));
        const db::Error e = database.execute(QStringLiteral("DELETE FROM Team"));
        QVERIFY(e.isError());
        QVERIFY(e.description.contains(QStringLiteral("read-only")));
    }

    void transactionRollsBackUnlessCommitted()
    {
        db::Database database;
        QVERIFY(!database.open(m_league));
        auto teamCount = [&] {
            int n = -1;
            database.query(QStringLiteral("SELECT COUNT(*) FROM Team"), {},
                           [&](const db::Statement& q) { n = q.value(0).toInt(); });
            return n;
        };
        const int before = teamCount();
        {
            db::Transaction transaction(database);
            QVERIFY(!transaction.begin());
            QVERIFY(!database.execute(QStringLiteral("DELETE FROM Team")));
            QCOMPARE(teamCount(), 0);
        } // left without commit: as if nothing happened
        QCOMPARE(teamCount(), before);
    }

    void boundParametersAreData()
    {
        db::Database database;
        QVERIFY(!database.open(m_league));
        const QString hostile = QStringLiteral("x'); DROP TABLE Team; --");
        QVERIFY(!database.execute(QStringLiteral("UPDATE League SET LeagueName = ?"), {hostile}));
        QVERIFY(!database.storedTableName(QStringLiteral("Team")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
