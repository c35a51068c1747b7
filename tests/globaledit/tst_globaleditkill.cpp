// A global edit killed at random moments leaves a sound league in which
// every player's ratings are all as before or all as after the edit.
#include "TestSupport.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "leaguegen/LeagueGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestGlobalEditKill : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void killedEditIsAllOrNothing();

private:
    QString copyOfBase(const QString& name);
    // Runs the edit to its end; returns its time from "started" in ms.
    qint64 runToEnd(const QString& path);

    QTemporaryDir m_dir;
    QString m_base;
    QString m_after;
    QString m_killee;
};

namespace {
constexpr int Kills = 8;

// Players whose 80 columns equal those of the same player in the attached
// league alias.
QString sameAs(const QString& alias)
{
    QStringList equal;
    for (const QString& c : db::schema::playerColumns())
        equal << QStringLiteral("p.%1 IS %2.%1").arg(c, alias);
    return equal.join(QStringLiteral(" AND "));
}

// A journal whose header is still zero was never synced, so the league file
// was not touched yet; SQLite leaves it and reuses it on the next write.
bool isHotJournal(const QString& path)
{
    QFile journal(path);
    if (!journal.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = journal.read(8);
    return !head.isEmpty() && head != QByteArray(head.size(), '\0');
}

struct Outcome {
    QString integrity;
    qint64 players = 0;
    qint64 asBefore = 0;
    qint64 asAfter = 0;
    qint64 neither = 0;
};

Outcome inspect(const QString& path, const QString& before, const QString& after)
{
    Outcome o;
    db::Database database; // opening rolls back what the killed edit left half-done
    if (db::Error e = database.open(path)) {
        o.integrity = e.message();
        return o;
    }
    database.query(QStringLiteral("PRAGMA integrity_check"), {},
                   [&](const QSqlQuery& q) { o.integrity += q.value(0).toString(); });
    database.execute(QStringLiteral("ATTACH ? AS b"), {before});
    database.execute(QStringLiteral("ATTACH ? AS a"), {after});
    const QString sql =
        QStringLiteral("SELECT count(*), sum(%1), sum(%2), sum(NOT (%1) AND NOT (%2)) "
                       "FROM PlayerTable p JOIN b.PlayerTable b ON b.rowid = p.rowid "
                       "JOIN a.PlayerTable a ON a.rowid = p.rowid")
            .arg(sameAs(QStringLiteral("b")), sameAs(QStringLiteral("a")));
    database.query(sql, {}, [&](const QSqlQuery& q) {
        o.players = q.value(0).toLongLong();
        o.asBefore = q.value(1).toLongLong();
        o.asAfter = q.value(2).toLongLong();
        o.neither = q.value(3).toLongLong();
    });
    return o;
}
} // namespace

void TestGlobalEditKill::initTestCase()
{
    TestSupport::initTestEnvironment();
    m_killee = QCoreApplication::applicationDirPath() + QStringLiteral("/globaledit_killee");
    QVERIFY2(QFile::exists(m_killee), qPrintable(m_killee));
    m_base = m_dir.filePath(QStringLiteral("base.sqlite"));
    leaguegen::LeagueOptions options;
    options.players = 15000;
    options.seed = 99;
    const db::Error e = leaguegen::writeLeague(m_base, options);
    QVERIFY2(!e, qPrintable(e.message()));
    m_after = copyOfBase(QStringLiteral("after.sqlite"));
}

QString TestGlobalEditKill::copyOfBase(const QString& name)
{
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    if (!QFile::copy(m_base, path))
        qWarning("cannot copy the league to %s", qPrintable(path));
    return path;
}

qint64 TestGlobalEditKill::runToEnd(const QString& path)
{
    QProcess process;
    process.start(m_killee, {path});
    if (!process.waitForReadyRead(30000))
        return -1;
    QElapsedTimer clock;
    clock.start();
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return -1;
    return clock.elapsed();
}

void TestGlobalEditKill::killedEditIsAllOrNothing()
{
    const qint64 duration = runToEnd(m_after);
    QVERIFY2(duration >= 0, "the edit did not run to its end");
    const Outcome whole = inspect(m_after, m_base, m_after);
    QVERIFY(whole.players > 0 && whole.asBefore < whole.players); // the edit changes players

    int interrupted = 0;
    int committed = 0;
    for (int i = 0; i < Kills; ++i) {
        const QString victim = copyOfBase(QStringLiteral("victim.sqlite"));
        QProcess process;
        process.start(m_killee, {victim});
        QVERIFY(process.waitForReadyRead(30000));
        // Alternately in the first half of the edit and around its commit.
        const qint64 half = qMax<qint64>(duration / 2, 1);
        const qint64 from = i % 2 ? half : 0;
        QTest::qSleep(int(from + QRandomGenerator::global()->bounded(i % 2 ? half * 3 / 2 : half)));
        process.kill(); // SIGKILL: no chance to roll back
        QVERIFY(process.waitForFinished(10000));
        // A journal with content: the kill caught pages already changed.
        const QString journal = victim + QStringLiteral("-journal");
        const bool halfDone = QFileInfo(journal).size() > 0;
        interrupted += halfDone ? 1 : 0;

        const Outcome o = inspect(victim, m_base, m_after);
        QCOMPARE(o.integrity, QStringLiteral("ok"));
        QCOMPARE(o.players, whole.players);
        QCOMPARE(o.neither, qint64(0));
        // One transaction: the league as a whole is before or after, never a mix.
        QVERIFY2(o.asBefore == o.players || o.asAfter == o.players,
                 qPrintable(QStringLiteral("%1 as before, %2 as after of %3")
                                .arg(o.asBefore)
                                .arg(o.asAfter)
                                .arg(o.players)));
        if (halfDone)
            QCOMPARE(o.asBefore, o.players); // an edit cut short is rolled back
        committed += o.asAfter == o.players ? 1 : 0;
        QVERIFY(!isHotJournal(journal)); // rolled back, or never live
    }
    qInfo("%d kills: %d inside the edit, %d after its commit", Kills, interrupted, committed);
    QVERIFY2(interrupted > 0, "no kill landed inside the edit");
}

QTEST_GUILESS_MAIN(TestGlobalEditKill)
#include "tst_globaleditkill.moc"
