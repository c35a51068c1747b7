// Backups and their restore, driven through the main window's menus on real
// league files; a restore killed half-way and another instance editing the
// same league run as separate processes: this program started again as the
// other instance.
#include "GuiFixture.h"
#include "LeagueChanges.h"
#include "TestSupport.h"
#include "core/backups/Backups.h"
#include "core/db/Database.h"
#include "core/globaledit/GlobalEditEngine.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"

#include <QtTest>
#include <QtWidgets>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace Qt::StringLiterals;

using TestSupport::backupNames;
using TestSupport::columns;
using TestSupport::content;
using TestSupport::fetch;
using TestSupport::fileBytes;
using TestSupport::messages;

namespace {

// Every file in the backups folder, the user's own and half-written ones too.
QStringList folderFiles(const QString& league)
{
    return QDir(backups::folderFor(league)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The other instance's side of a test:
//   restore <league> <backup>  restores the backup over the league (the kill
//                              test kills it half-way);
//   edit <league>              runs the global edit the tests run with its
//                              backup; once the backup is taken under the
//                              write lock, it waits for a line on standard
//                              input, then for as many milliseconds as it says.
// Prints "started" (or "locked" for edit) when it has got that far, then
// "done" or the error.
void say(const char* text)
{
    std::puts(text);
    std::fflush(stdout);
}

globaledit::GlobalEdit testEdit() // SP +10% for QB and HB of all teams
{
    globaledit::GlobalEdit edit;
    edit.parameters.actualPercent[0] = 10;
    edit.positions.set(0).set(1);
    return edit;
}

int runOtherInstance(const QString& command, const QString& league, const QString& backup)
{
    db::Error e;
    if (command == u"restore"_s) {
        say("started");
        e = backups::restore(league, backup, u"Restore Backup"_s, {});
    } else {
        backups::CommandBackup taken(league, u"Global Edit"_s, {});
        globaledit::RunOptions options;
        options.beforeChanges = [&](db::Database& database) {
            const db::Error e = taken.take(database);
            say("locked");
            char line[16];
            if (!std::fgets(line, sizeof line, stdin))
                return db::Error(db::Cancelled, u"no line to go on"_s);
            QThread::msleep(std::strtoul(line, nullptr, 10));
            return e;
        };
        if (!(e = globaledit::runGlobalEdit(league, testEdit(), options)))
            taken.committed();
    }

    std::fprintf(e ? stderr : stdout, "%s\n", e ? qPrintable(e.message()) : "done");
    return e ? 1 : 0;
}

} // namespace

class TestBackups : public QObject, TestSupport::LeagueChanges
{
    Q_OBJECT

private slots:
    void init() { m_gui.setUp(); }
    void cleanup() { QCOMPARE(m_gui.tearDown(), QString()); }

    // fault: what stands in the way (SQL: a trigger another program left that
    // fails the command after its backup); answer: to Clear Database's question,
    // NoButton when none may be asked; shown: what follows the question.
    void commandChangesNothing_data()
    {
        // error: the pattern the message matches, empty for none
        columns<QString, QString, QMessageBox::StandardButton, QString>("command", "fault",
                                                                        "answer", "error");
        const QString global = u"Global Edit"_s, clear = u"Clear Database"_s;
        const auto none = QMessageBox::NoButton, yes = QMessageBox::Yes;
        const QString trigger =
            u"CREATE TRIGGER keep BEFORE %1 BEGIN SELECT RAISE(ABORT, '%2'); END"_s;
        for (const QString& command : {global, clear}) {
            const auto answer = command == global ? none : yes;
            QTest::addRow("%s, no folder", qPrintable(command))
                << command << u"folder"_s << answer
                << u"^Error:1041 The league could not be backed up to .* \\(the folder cannot be "
                   "made\\), so the command was stopped before it changed anything"_s;
            QTest::addRow("%s, disk full", qPrintable(command))
                << command << u"full"_s << answer
                << u"^Error:1041 The disk is full: the backup \".*\\.backups/\\S+ \\S+ #0001 "
                   "%1.mdb\" could not be written, so the command was stopped before"_s.arg(
                       command);
        }
        QTest::newRow("Global Edit fails after its backup")
            << global << trigger.arg(u"UPDATE ON PlayerTable"_s, u"ratings are protected"_s) << none
            << u"^Error:\\d+ Updating QB failed: ratings are protected. .*no rating was changed"_s;
        // Team is emptied last, so the refusal comes after six tables were
        // already emptied inside the transaction.
        QTest::newRow("Clear Database fails after its backup")
            << clear << trigger.arg(u"DELETE ON Team"_s, u"teams are protected"_s) << yes
            << u"^Error:\\d+ .*teams are protected.*No table was emptied"_s;
        QTest::newRow("Clear Database, No") << clear << QString() << QMessageBox::No << QString();
        QTest::newRow("Clear Database, closed")
            << clear << QString() << QMessageBox::Cancel << QString();
        // No question about deleting rows of a file that is no league.
        QTest::newRow("Clear Database, text file")
            << clear << u"text"_s << none << u"^Error:%1 "_s.arg(db::NotSQLite);
        QTest::newRow("Clear Database, locked")
            << clear << u"locked"_s << yes << u"^Error:5 .*locked"_s;
    }

    void commandChangesNothing()
    {
        auto [command, fault, answer, error] =
            fetch<QString, QString, QMessageBox::StandardButton, QString>("command", "fault",
                                                                          "answer", "error");
        db::Database other;
        if (fault == u"folder"_s) // a file where the folder should be
            QVERIFY(TestSupport::writeFile(backups::folderFor(league()), {}));
        else if (fault == u"full"_s)
            backups::simulateWriteFailure(ENOSPC);
        else if (fault == u"text"_s)
            QVERIFY(QFile::remove(league()) && TestSupport::writeFile(league(), "league notes\n"));
        else if (fault == u"locked"_s) // another program's write lock
            QVERIFY(!other.open(league()) && !other.beginImmediate());
        else if (!fault.isEmpty())
            QCOMPARE(m_gui.execute(fault), QString());
        const QByteArray before = fileBytes(league());
        const QStringList kept = folderFiles(league());

        const QStringList told = command == u"Global Edit"_s ? globalEdit() : clearDatabase(answer);
        backups::simulateWriteFailure(0);
        other.close();

        QCOMPARE(told.size(), error.isEmpty() ? 0 : 1);
        QVERIFY(error.isEmpty() || told[0].contains(QRegularExpression(error)));
        QCOMPARE(fileBytes(league()), before);
        QCOMPARE(folderFiles(league()), kept); // no backup of a command that changed nothing
        QCOMPARE(main()->commandResultText(), QString());
        QCOMPARE(undoText(), u"&Undo (off)"_s);
    }

    // A command that commits without writing keeps no backup and gives no
    // undo step, which would wipe the Redo the user may still want.
    void commitWithoutWritesLeavesNothing()
    {
        db::Database file;
        QVERIFY(!file.open(league()));
        bool undoable = false;
        {
            backups::CommandBackup backup(league(), u"Global Edit"_s, {},
                                          [&](const backups::UndoPoint&) {
                                              undoable = true;
                                              return QString();
                                          });
            QVERIFY(!file.beginImmediate() && !backup.take(file) && !file.commit());
            QCOMPARE(backup.committed(), QString());
        }
        QVERIFY(!undoable);
        QCOMPARE(folderFiles(league()), QStringList());
    }

    // The stored [Backups] Keep (null when absent) and the count it keeps, -1
    // for every backup; ignored: the value is no count, said in the status bar.
    void keepRule_data()
    {
        columns<QString, qint64, bool>("keep", "count", "ignored");
        QTest::newRow("absent: 10") << QString() << qint64(10) << false;
        QTest::newRow("1") << u"1"_s << qint64(1) << false;
        QTest::newRow("blanks around") << u" 4 "_s << qint64(4) << false;
        QTest::newRow("large") << u"99999999999"_s << qint64(99999999999) << false;
        QTest::newRow("beyond any count") << u"99999999999999999999999"_s << qint64(-1) << false;
        for (const char* bad : {"0", "00", "-1", "many", "", "1e3", "+5"})
            QTest::addRow("\"%s\" is ignored", bad)
                << QString::fromLatin1(bad) << qint64(-1) << true;
    }

    void keepRule()
    {
        auto [keep, count, ignored] = fetch<QString, qint64, bool>("keep", "count", "ignored");
        if (!keep.isNull())
            writeSetting(u"Backups"_s, u"Keep"_s, keep);
        const backups::KeepRule rule = backups::keepRule(readSetting(settings::BackupsKeep));
        QCOMPARE(rule.count.value_or(-1), count);
        QCOMPARE(rule.ignored.isNull(), !ignored);
    }

    // Pruning goes by the numbers in the names, not the dates, and never
    // touches the user's own files; a Keep setting that is no count deletes
    // nothing and says so.
    void pruningKeepsNewest_data()
    {
        // kept: -1 for all
        columns<QString, int>("keep", "kept");
        QTest::newRow("3") << u"3"_s << 3;
        QTest::newRow("many") << u"many"_s << -1;
    }

    void pruningKeepsNewest()
    {
        auto [keep, kept] = fetch<QString, int>("keep", "kept");
        writeSetting(u"Backups"_s, u"Keep"_s, keep);
        const QString folder = backups::folderFor(league());
        QVERIFY(QDir().mkpath(folder));
        // Ours, oldest first: names of earlier versions, then numbered ones whose
        // clock ran ahead of today's (another time zone, a clock set back since).
        QStringList ours{u"2026-01-10 10-00-00 Global Edit.mdb"_s,
                         u"2026-01-10 10-00-00 Global Edit (2).mdb"_s,
                         u"2026-01-11 10-00-00 Undo Global Edit.mdb"_s};
        const QStringList commands = backups::commandNames();
        for (int n = 1; n <= 9; ++n)
            ours << u"2099-12-%1 23-59-59 #%2 %3.mdb"_s.arg(30 - n)
                        .arg(n, 4, 10, QLatin1Char('0'))
                        .arg(commands[n % commands.size()]);
        const QStringList users{u"notes.mdb"_s,
                                u"2019-05-01 09-00-00 before the season.mdb"_s,
                                u"2019-05-01 09-00-00 Global Edit copy.mdb"_s,
                                u"2019-05-01 09-00-00 Global Edit (1).mdb"_s,
                                u"2019-02-30 09-00-00 Global Edit.mdb"_s,
                                u"2019-05-01 09-00-00 #00012 Global Edit.mdb"_s};
        for (const QString& name : ours + users)
            QVERIFY(QFile::copy(league(), folder + u'/' + name));

        QCOMPARE(clearDatabase(), QStringList());

        QStringList expected = ours;
        std::reverse(expected.begin(), expected.end());
        const QString taken = backupNames(league()).value(0);
        QVERIFY(taken.contains(
            QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d #0010 Clear "
                               "Database\\.mdb$"_s)));
        expected.prepend(taken);
        // #0009, a Damaged League copy, is the user's: never pruned.
        QCOMPARE(backupNames(league()), kept < 0 ? expected : expected.mid(0, kept + 1));
        for (const QString& name : users)
            QVERIFY2(QFile::exists(folder + u'/' + name), qPrintable(name));
        QCOMPARE(
            main()->commandResultText().contains(u"Keep setting \"%1\" was ignored"_s.arg(keep)),
            kept < 0);
    }

    // damaged: the backup or the league; bytes: what that file then holds, null
    // for no file; shown: the error, or empty when the restore is done.
    void restoreOverDamage_data()
    {
        columns<QString, QByteArray, QString>("damaged", "bytes", "shown");
        const QString refused =
            u"^Error:\\d+ The backup \"\\S+ \\S+ #0001 Clear Database.mdb\" is damaged "
            "or is not a league, so the league was not changed. .+"_s;
        QByteArray pages = fileBytes(m_gui.pristine());
        pages.replace(8192, 16384, QByteArray(16384, '\x55'));
        const QByteArray text = "Kickvale 99 league notes\n";
        QTest::newRow("backup is no league") << u"backup"_s << text << refused;
        QTest::newRow("backup damaged") << u"backup"_s << pages << refused;
        QTest::newRow("backup is a hard link to the league")
            << u"link"_s << QByteArray()
            << u"^Error:1060 The backup \"\\S+ \\S+ #0001 Clear Database.mdb\" is the league "
               "file itself \\(a link to it, not a copy\\)"_s;
        QTest::newRow("league truncated") << u"league"_s << pages.left(1000) << QString();
        QTest::newRow("league is text") << u"league"_s << text << QString();
        QTest::newRow("league is text, reads fail")
            << u"league"_s << text << u"^Error:\\d+ .+Input/output error"_s;
        QTest::newRow("league missing") << u"league"_s << QByteArray() << QString();
        // A sound SQLite file is replaced under its lock, its copy a plain backup.
        const QString lacking = m_gui.filePath(u"noroster.mdb"_s);
        QVERIFY(QFile::copy(m_gui.pristine(), lacking));
        QCOMPARE(TestSupport::executeOn(lacking, u"DROP TABLE Roster"_s), QString());
        QTest::newRow("league lacks a table") << u"league"_s << fileBytes(lacking) << QString();
    }

    // A league that no longer opens is kept aside and replaced; a backup that is
    // no sound league changes nothing.
    void restoreOverDamage()
    {
        auto [damaged, bytes, shown] =
            fetch<QString, QByteArray, QString>("damaged", "bytes", "shown");
        const QByteArray full = content(league());
        QCOMPARE(clearDatabase(), QStringList());
        const QString file =
            damaged == u"league"_s ? league() : backups::list(league()).value(0).path;
        QVERIFY(QFile::remove(file));
        QVERIFY(bytes.isNull() || TestSupport::writeFile(file, bytes));
        if (damaged == u"link"_s)
            QCOMPARE(::link(QFile::encodeName(league()).data(), QFile::encodeName(file).data()), 0);
        const QByteArray before = fileBytes(league());
        const QStringList kept = folderFiles(league());
        const bool failing = QTest::currentDataTag() == QByteArray("league is text, reads fail");
        backups::simulateReadFailure(failing ? EIO : 0);

        const QStringList errors = restoreNewest(QMessageBox::Yes).mid(1);
        backups::simulateReadFailure(0);

        if (!shown.isEmpty()) {
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors[0].contains(QRegularExpression(shown)), qPrintable(errors[0]));
            QCOMPARE(fileBytes(league()), before);
            QCOMPARE(folderFiles(league()), kept);
            return;
        }
        QCOMPARE(errors, QStringList());
        QCOMPARE(content(league()), full);
        const QList<backups::Backup> now = backups::list(league());
        QCOMPARE(now.size(), bytes.isNull() ? 1 : 2);
        const bool sound = QTest::currentDataTag() == QByteArray("league lacks a table");
        if (!bytes.isNull()) {
            QCOMPARE(now[0].command, sound ? u"Restore Backup"_s : u"Damaged League"_s);
            QCOMPARE(fileBytes(now[0].path), bytes);
        }
        const QString note = bytes.isNull() ? u"There was no league file to keep"_s
                             : sound        ? u"the league is back as it was"_s
                                            : u"The league file as it was is kept as"_s;
        QVERIFY(main()->commandResultText().contains(note));
        // A league that did not open leaves no undo, nor a copy to restore;
        // the step before stays.
        QVERIFY(main()->commandResultText().contains(u"Undo Restore Backup is not offered"_s));
        QStringList listed;
        QCOMPARE(restoreNewest(QMessageBox::No, &listed).size(), 1);
        QVERIFY(!listed.contains(u"Damaged League"_s));
        // Opening it again, a new file in the league's place, keeps its history.
        QVERIFY(main()->openLeague(league()));
        QCOMPARE(undoText(), u"&Undo Clear Database"_s);
        undo();
        QCOMPARE(messages().join(u"|"_s), QString());
    }

    // A restore killed at many moments leaves a sound league that is wholly
    // the old one or wholly the backup.
    void killedRestoreIsAllOrNothing()
    {
        const QString killee = QCoreApplication::applicationFilePath(); // as the other instance
        const QString base = writeLeague(u"killbase.mdb"_s, 15000, 1);
        const QString backup = writeLeague(u"killbackup.mdb"_s, 12000, 2);
        const QByteArray oldLeague = content(base), restored = content(backup);
        QVERIFY(oldLeague != restored);
        const QString victim = m_gui.filePath(u"victim.mdb"_s);
        const auto fresh = [&] {
            QFile::remove(victim);
            QFile::remove(victim + u"-journal"_s);
            QDir(backups::folderFor(victim)).removeRecursively();
            return QFile::copy(base, victim);
        };

        QVERIFY(fresh());
        QProcess process;
        process.start(killee, {u"restore"_s, victim, backup});
        QVERIFY(process.waitForReadyRead(30000));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
        const qint64 whole = qMax<qint64>(clock.elapsed(), 2);
        QCOMPARE(content(victim), restored);

        // Kills spread over the restore's second half, again until a few land
        // inside the copy: a busy machine stretches the restore unevenly.
        int interrupted = 0;
        for (int i = 0; i < 24 && interrupted < 3; ++i) {
            QVERIFY(fresh());
            process.start(killee, {u"restore"_s, victim, backup});
            QVERIFY(process.waitForReadyRead(30000));
            // The backup is checked first; the pages are written in the later part.
            QTest::qSleep(int(whole * (3 + i % 8) / 10));
            process.kill(); // SIGKILL: no chance to roll back
            QVERIFY(process.waitForFinished(10000));
            interrupted += QFileInfo(victim + u"-journal"_s).size() > 0 ? 1 : 0;
            const QByteArray left = content(victim);
            QVERIFY(left == oldLeague || left == restored);
        }
        QVERIFY2(interrupted > 0, "no kill landed inside the restore");
    }

    // Another instance edits the league at the same moment as this one: each
    // waits for the other's write lock, both edits land, and an Undo that finds
    // the other's edit under the lock is refused.
    void twoInstancesOnOneLeague()
    {
        db::Database::setBusyTimeout(5000);
        const auto restoreTimeout = qScopeGuard([] { db::Database::setBusyTimeout(300); });
        // The same edit run one after the other on a copy: what both must leave.
        const QString expected = m_gui.filePath(u"expected.mdb"_s);
        QVERIFY(QFile::copy(league(), expected));
        const auto editExpected = [&] { return !globaledit::runGlobalEdit(expected, testEdit()); };

        QProcess other;
        // Its edit holds the write lock, its backup taken, until told to go on
        // (after 200 ms).
        const auto otherHoldsTheLockThenGoesOn = [&] {
            other.start(QCoreApplication::applicationFilePath(), {u"edit"_s, league()});
            if (!other.waitForReadyRead(30000) || other.readLine() != "locked\n")
                return false;
            db::Database probe;
            if (probe.open(league()) || probe.execute(u"PRAGMA busy_timeout = 0"_s) ||
                (probe.beginImmediate().number & 0xff) != 5) // SQLITE_BUSY: the lock held
                return false;
            other.write("200\n");
            return other.waitForBytesWritten(5000);
        };
        const auto otherSucceeded = [&]() -> QByteArray {
            other.waitForFinished(30000);
            return other.readAllStandardOutput() + other.readAllStandardError();
        };

        QVERIFY(otherHoldsTheLockThenGoesOn());
        QCOMPARE(globalEdit(), QStringList()); // waits, then edits what the other left
        QCOMPARE(otherSucceeded(), QByteArray("done\n"));
        QVERIFY(editExpected() && editExpected());
        QCOMPARE(content(league()), content(expected));
        QCOMPARE(backups::list(league()).size(), 2);

        QVERIFY(otherHoldsTheLockThenGoesOn());
        undo(); // waits for the lock, then sees the change
        QCOMPARE(otherSucceeded(), QByteArray("done\n"));
        QCOMPARE(Prompts::shown().size(), 2); // a refusal: a beep, then the message
        const Prompts::Shown refusal = Prompts::shown().last();
        QCOMPARE(refusal.icon, QMessageBox::Warning);
        QVERIFY(refusal.text.contains(u"has changed since the last Global Edit"_s) &&
                refusal.text.contains(u"Restore Backup"_s));
        QVERIFY(editExpected());
        QCOMPARE(content(league()), content(expected));
    }
};

int main(int argc, char* argv[])
{
    if (argc > 2 && (qstrcmp(argv[1], "restore") == 0 || qstrcmp(argv[1], "edit") == 0)) {
        QCoreApplication app(argc, argv);
        return runOtherInstance(app.arguments()[1], app.arguments()[2], app.arguments().value(3));
    }

    QApplication app(argc, argv);
    TestBackups test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_backups.moc"
