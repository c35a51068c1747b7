// A global edit killed at random moments leaves a sound league whose
// ratings are all as before or all as after the edit.
#include "EditCheck.h"
#include "TestSupport.h"
#include "core/db/Database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using editcheck::Snapshot;

namespace {
constexpr int Kills = 8;

QString integrity(const QString& path)
{
    QString result;
    db::Database database; // opening rolls back what a killed edit left half-done
    if (const db::Error e = database.open(path))
        return e.message();
    database.query(QStringLiteral("PRAGMA integrity_check"), {},
                   [&](const db::Statement& q) { result += q.value(0).toString(); });
    return result;
}
} // namespace

class TestGlobalEditKill : public QObject
{
    Q_OBJECT
private slots:
    void killedEditIsAllOrNothing();
};

void TestGlobalEditKill::killedEditIsAllOrNothing()
{
    TestSupport::initTestEnvironment();
    const QString killee = QCoreApplication::applicationDirPath() + u"/globaledit_killee";
    QVERIFY2(QFile::exists(killee), qPrintable(killee));
    editcheck::Leagues leagues;
    leaguegen::LeagueOptions options;
    options.players = 15000;
    options.seed = 99;
    QCOMPARE(leagues.generate(options), QString());

    // One run to its end: how long the edit takes from "started", and what it leaves.
    const QString finished = leagues.copy();
    QProcess process;
    process.start(killee, {finished});
    QVERIFY(process.waitForReadyRead(30000));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
    const qint64 half = qMax<qint64>(clock.elapsed() / 2, 1);
    const Snapshot before = editcheck::snapshot(leagues.base());
    const Snapshot after = editcheck::snapshot(finished);
    QVERIFY(!editcheck::firstDifference(after, before).isEmpty());

    int interrupted = 0;
    for (int i = 0; i < Kills; ++i) {
        const QString victim = leagues.copy();
        process.start(killee, {victim});
        QVERIFY(process.waitForReadyRead(30000));
        // Alternately in the first half of the edit and around its commit.
        const qint64 from = i % 2 ? half : 0;
        QTest::qSleep(int(from + QRandomGenerator::global()->bounded(i % 2 ? half * 3 / 2 : half)));
        process.kill(); // SIGKILL: no chance to roll back
        QVERIFY(process.waitForFinished(10000));
        // A journal with content: the kill caught pages already changed, so
        // the edit must be rolled back.
        const bool halfDone = QFileInfo(victim + u"-journal").size() > 0;
        interrupted += halfDone ? 1 : 0;

        QCOMPARE(integrity(victim), QStringLiteral("ok"));
        const Snapshot left = editcheck::snapshot(victim);
        const QString fromBefore = editcheck::firstDifference(left, before);
        QVERIFY2(fromBefore.isEmpty() ||
                     (!halfDone && editcheck::firstDifference(left, after).isEmpty()),
                 qPrintable(fromBefore));
        QFile::remove(victim);
    }
    QVERIFY2(interrupted > 0, "no kill landed inside the edit");
}

QTEST_GUILESS_MAIN(TestGlobalEditKill)
#include "tst_globaleditkill.moc"
