// The league database layer on real files: good leagues open, and every kind
// of bad file gets its own clear error and is left exactly as it was.
#include "GuiFixture.h"
#include "TestSupport.h"
#include "core/db/Database.h"
#include "core/db/Expression.h"
#include "core/db/LeagueFiles.h"
#include "core/db/Schema.h"
#include "leaguegen/LeagueGenerator.h"

#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using TestSupport::columns;
using TestSupport::fetch;
using TestSupport::fileBytes;
using TestSupport::firstColumn;

class TestDatabase : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_league = m_dir.filePath(u"AccessConvert.mdb"_s);

private slots:
    void initTestCase()
    {
        TestSupport::initTestEnvironment();
        leaguegen::LeagueOptions options;
        options.players = 300;
        QVERIFY(!leaguegen::writeLeague(m_league, options));
    }

    void badFilesGetClearErrors_data()
    {
        // content: "<dir>" makes a folder, "<none>" nothing, "<noroster>" a league without Roster
        columns<QString, QByteArray, int, QString>("name", "content", "number", "says");
        const auto row = [](const char* tag, const char* name, const QByteArray& content,
                            int number, const char* says) {
            QTest::newRow(tag) << QString::fromUtf8(name) << content << number
                               << QString::fromUtf8(says);
        };
        row("empty DBPath", "", "<none>", db::NoLeagueFileChosen, "File > Open");
        row("no file at the path", "missing.mdb", "<none>", db::FileNotFound, "does not exist");
        row("a folder", "folder.mdb", "<dir>", db::NotAFile, "is a folder");
        row("a text file", "notes.mdb", "Kickvale league notes\n", db::NotSQLite,
            "not a league database");
        row("an empty file", "empty.mdb", "", db::NotSQLite, "is empty");
        row("a pipe", "pipe.mdb", "<fifo>", db::NotAFile, "not a regular file");
        row("a loop of links", "loop.mdb", "<loop>", db::NotAFile, "leads back to itself");
        QByteArray jet(2048, '\0');
        jet.replace(0, 19, QByteArray("\x00\x01\x00\x00Standard Jet DB", 19));
        row("a Jet/Access file", "jet.mdb", jet, db::AccessFile, "Microsoft Access");
        row("a league without one table", "noroster.mdb", "<noroster>", db::MissingTable,
            "\"Roster\"");
    }

    void badFilesGetClearErrors()
    {
        auto [name, content, number, says] =
            fetch<QString, QByteArray, int, QString>("name", "content", "number", "says");

        const QString file = name.isEmpty() ? QString() : m_dir.filePath(name);
        leaguegen::LeagueOptions noRoster;
        noRoster.players = 20;
        noRoster.omitTables = {u"Roster"_s};
        if (content == "<dir>")
            QVERIFY(QDir().mkpath(file));
        else if (content == "<fifo>")
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else if (content == "<loop>")
            QVERIFY(QFile::link(file + u'2', file) && QFile::link(file, file + u'2'));
        else if (content == "<noroster>") {
            QVERIFY(!leaguegen::writeLeague(file, noRoster));
            // In WAL mode, as an open league leaves it: the check comes first.
            db::Database plain;
            QVERIFY(!plain.openFile(file) && !plain.execute(u"PRAGMA journal_mode=WAL"_s));
        } else if (content != "<none>")
            QVERIFY(TestSupport::writeFile(file, content));
        const bool pipe = content == "<fifo>"; // reading it would block
        const QByteArray before = pipe ? QByteArray() : fileBytes(file);

        db::Database database;
        const db::Error e = database.open(file);
        QCOMPARE(e.number, number);
        QVERIFY2(e.description.contains(says), qPrintable(e.description));
        QVERIFY(!database.isOpen());
        if (content == "<none>" && !file.isEmpty())
            QVERIFY2(!QFile::exists(file), "opening must never create a file");
        QCOMPARE(pipe ? QByteArray() : fileBytes(file), before);
        if (content == "<noroster>") { // any SQLite file opens as a file
            QVERIFY(!database.openFile(file));
            QCOMPARE(database.missingLeagueTables(), QStringList{u"Roster"_s});
        }
    }

    // The one test of "the same file" (every refused target, the history's
    // league): by identity through any link; a file not made yet by its place.
    void sameFile_data()
    {
        columns<QString, QString, bool>("a", "b", "same");
        const QString league = u"AccessConvert.mdb"_s;
        QTest::newRow("another spelling") << league << u"./AccessConvert.mdb"_s << true;
        QTest::newRow("symbolic link") << league << u"soft.mdb"_s << true;
        QTest::newRow("hard link") << league << u"hard.mdb"_s << true;
        QTest::newRow("a copy") << league << u"copy.mdb"_s << false;
        QTest::newRow("not made yet, linked folder") << u"new.mdb"_s << u"here/new.mdb"_s << true;
        QTest::newRow("not made yet, other name") << u"new.mdb"_s << u"here/old.mdb"_s << false;
        QTest::newRow("one made, one not") << league << u"here/new.mdb"_s << false;
    }

    void sameFile()
    {
        auto [a, b, same] = fetch<QString, QString, bool>("a", "b", "same");
        QFile::link(m_league, m_dir.filePath(u"soft.mdb"_s));
        QFile::link(m_dir.path(), m_dir.filePath(u"here"_s));
        QFile::copy(m_league, m_dir.filePath(u"copy.mdb"_s));
        ::link(QFile::encodeName(m_league).constData(),
               QFile::encodeName(m_dir.filePath(u"hard.mdb"_s)).constData());
        QCOMPARE(db::sameFile(m_dir.filePath(a), m_dir.filePath(b)), same);
        QCOMPARE(db::sameFile(m_dir.filePath(b), m_dir.filePath(a)), same);
    }

    // Another program's write lock leaves reading; its exclusive lock refuses the open.
    void lockedLeague()
    {
        db::Database holder, database;
        QVERIFY(!holder.open(m_league));
        QVERIFY(!holder.beginImmediate());
        QVERIFY(!database.open(m_league));
        QCOMPARE(firstColumn(m_league, u"SELECT count(*) > 0 FROM Team"_s), u"1"_s);
        const db::Error e = database.execute(u"UPDATE Team SET TeamName = 'X'"_s);
        QCOMPARE(e.number & 0xff, 5); // SQLITE_BUSY, after the busy timeout
        QVERIFY(e.description.contains(u"locked by another program"_s));
        QVERIFY(e.message().startsWith(u"Error:5 "_s));
        holder.rollback();

        QVERIFY(!holder.execute(u"BEGIN EXCLUSIVE"_s));
        const QString refused = db::Database().open(m_league).description;
        QVERIFY2(refused.contains(u"locked"_s), qPrintable(refused));
        holder.rollback();
    }

    void readOnlyFileReadsButSaysWhyAWriteFails()
    {
        if (geteuid() == 0)
            QSKIP("running as root: file permissions do not stop root from writing");
        const QString file = m_dir.filePath(u"readonly.mdb"_s);
        QVERIFY(QFile::copy(m_league, file));
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        db::Database database;
        QVERIFY(!database.open(file));
        QVERIFY(database.execute(u"DELETE FROM Team"_s).description.contains(u"read-only"_s));
    }

    // A league opens with names matched without case. Left without commit, a
    // transaction is as if nothing happened; bound parameters are stored as
    // data, never run as SQL.
    void transactionRollsBackAndParametersAreData()
    {
        db::Database database;
        QVERIFY(!database.open(m_league));
        QCOMPARE(TestSupport::fieldDefs(database, u"playertable"_s).size(),
                 db::schema::PlayerColumnCount);
        QCOMPARE(database.storedTableName(u"TEAM"_s), u"Team"_s);
        const auto teamCount = [&] {
            int n = -1;
            database.query(u"SELECT COUNT(*) FROM Team"_s, {},
                           [&](const db::Statement& q) { n = q.value(0).toInt(); });
            return n;
        };
        const int before = teamCount();
        {
            db::Transaction transaction(database);
            QVERIFY(!transaction.begin());
            QVERIFY(!database.execute(u"DELETE FROM Team"_s));
            QCOMPARE(teamCount(), 0);
        }
        QCOMPARE(teamCount(), before);

        const QString hostile = u"x'); DROP TABLE Team; --"_s;
        QVERIFY(!database.execute(u"UPDATE League SET LeagueName = ?"_s, {hostile}));
        QCOMPARE(firstColumn(m_league, u"SELECT LeagueName FROM League"_s), hostile);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
