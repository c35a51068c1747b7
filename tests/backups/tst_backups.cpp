// Backups, the undo history (Edit > Undo and Redo of every kind of change)
// and Restore Backup, driven through the main window's menus and grids on
// real league files; a restore killed half-way and another instance editing
// the same league run as separate processes.
#include "TestSupport.h"
#include "core/backups/Backups.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/globaledit/GlobalEditEngine.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MainWindow.h"
#include "shell/RestoreBackupWindow.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "windows/globaledit/GlobalEditDialog.h"
#include "windows/grid/DataControl.h"
#include "windows/grid/DataGridView.h"
#include "windows/grid/RecordSetModel.h"
#include "windows/grid/TableWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QMdiArea>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

using TestSupport::fileBytes;
using TestSupport::messages;

namespace {

// What the league holds, row by row in every table, and its integrity
// check: equal for a sound league and its restored copy, whose file headers
// differ.
QByteArray content(const QString& path)
{
    db::Database league; // opening rolls back what a killed restore left half-done
    if (const db::Error e = league.open(path))
        return e.message().toUtf8();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QStringList tables;
    league.query(u"SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"_s, {},
                 [&](const db::Statement& q) { tables << q.value(0).toString(); });
    // Each value with its storage type, each row with its id.
    const auto add = [&](const db::Statement& q) {
        for (int c = 0; c < q.columnCount(); ++c)
            hash.addData(QByteArray(q.value(c).toString().toUtf8() + "\x1f" +
                                    QByteArray::number(q.value(c).typeId()) + "\x1f"));
    };
    for (const QString& table : tables) {
        hash.addData(table.toUtf8());
        league.query(u"SELECT rowid, * FROM \"%1\" ORDER BY rowid"_s.arg(table), {}, add);
    }
    league.query(u"PRAGMA integrity_check"_s, {}, add);
    return hash.result();
}

QStringList backupNames(const QString& league)
{
    QStringList names;
    for (const backups::Backup& b : backups::list(league))
        names << QFileInfo(b.path).fileName();
    return names;
}

// Every file in the backups folder, the user's own and half-written ones too.
QStringList folderFiles(const QString& league)
{
    return QDir(backups::folderFor(league)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString otherInstance()
{
    return QCoreApplication::applicationDirPath() + u"/other_instance"_s;
}

} // namespace

class TestBackups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { QCOMPARE(Prompts::finishTest(), QString()); }

    void backsUpAndUndoes_data();
    void backsUpAndUndoes();
    void backupFailureChangesNothing_data();
    void backupFailureChangesNothing();
    void pruningKeepsNewest_data();
    void pruningKeepsNewest();
    void restoreBackupFromTheMenu();
    void restoreOverDamage_data();
    void restoreOverDamage();
    void killedRestoreIsAllOrNothing();
    void undoAndRedoEachKindOfChange_data();
    void undoAndRedoEachKindOfChange();
    void undoRefusedAfterOutsideChange_data();
    void undoRefusedAfterOutsideChange();
    void gridsFollowTheProgramsOwnChanges();
    void gridOfAnEarlierLeagueRecordsNoStep();
    void twoInstancesOnOneLeague();

private:
    TableWindow* openGrid(const QString& item, const QString& table);
    // The change kind names, written through the real windows.
    void makeChange(const QString& kind);
    QString undoText() const { return m_main->action(u"mnuUndoGlobalEdit"_s)->text(); }
    QString redoText() const { return m_main->action(u"mnuRedo"_s)->text(); }
    QString makeLeague(const QString& name, int players = 120, quint32 seed = 1);
    QStringList clearDatabase();
    QStringList globalEdit();

    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_main;
};

void TestBackups::initTestCase()
{
    TestSupport::initTestEnvironment();
    QVERIFY(m_dir.isValid());
    m_main = std::make_unique<MainWindow>();
    m_main->show();
}

void TestBackups::init()
{
    TestSupport::clearSettings();
    m_main->mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // closed windows go
}

QString TestBackups::makeLeague(const QString& name, int players, quint32 seed)
{
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    QDir(backups::folderFor(path)).removeRecursively();
    QFile::remove(backups::folderFor(path));
    leaguegen::LeagueOptions options;
    options.players = players;
    options.seed = seed;
    return leaguegen::writeLeague(path, options) ? QString() : path;
}

// File > Clear Database, Yes: what it showed after its question.
QStringList TestBackups::clearDatabase()
{
    Prompts::setNextAnswer(QMessageBox::Yes);
    m_main->action(u"ClearDatabase"_s)->trigger();
    const QStringList shown = messages().mid(1);
    Prompts::finishTest();
    return shown;
}

// Edit > Global Edit: SP +10% for QB and HB of all teams, OK; what it showed.
QStringList TestBackups::globalEdit()
{
    m_main->action(u"mnuGlobalEdit"_s)->trigger();
    auto* dialog = m_main->findChild<GlobalEditDialog*>(u"frmGlobal"_s);
    if (!dialog)
        return {u"no dialog"_s};
    dialog->findChild<QLineEdit*>(u"txtSP"_s)->setText(u"10"_s);
    for (int p : {0, 1})
        dialog->findChild<QCheckBox*>(u"chkPosition_%1"_s.arg(p))->setChecked(true);
    dialog->confirm();
    const QStringList shown = messages();
    Prompts::finishTest();
    return shown;
}

void TestBackups::backsUpAndUndoes_data()
{
    QTest::addColumn<bool>("global");
    QTest::newRow("Clear Database") << false;
    QTest::newRow("Global Edit") << true;
}

// The backup is the league's file as it was, byte for byte, and the status
// bar counts the players an edit changed. Undo brings that league back,
// after asking about an open window's edited row, and the window shows it.
void TestBackups::backsUpAndUndoes()
{
    QFETCH(bool, global);
    const QString command = global ? u"Global Edit"_s : u"Clear Database"_s;
    QAction* undo = m_main->action(u"mnuUndoGlobalEdit"_s);
    m_main->setLeaguePath(makeLeague(u"undo.mdb"_s, 400));
    QVERIFY(!undo->isEnabled()); // nothing done yet on this league
    const QByteArray before = fileBytes(m_main->leaguePath());
    const QByteArray held = content(m_main->leaguePath());

    QCOMPARE(global ? globalEdit() : clearDatabase(), QStringList());
    const QList<backups::Backup> taken = backups::list(m_main->leaguePath());
    QCOMPARE(taken.size(), 1);
    QCOMPARE(taken[0].command, command);
    QCOMPARE(fileBytes(taken[0].path), before);
    QVERIFY(content(m_main->leaguePath()) != held);
    QVERIFY(undo->isEnabled());
    if (global) {
        // Players whose row differs from the backup's: the count the edit reports.
        qint64 changed = -1;
        db::Database league;
        QVERIFY(!league.open(m_main->leaguePath()));
        QVERIFY(!league.execute(u"ATTACH DATABASE ? AS kept"_s, {taken[0].path}));
        QVERIFY(!league.query(u"SELECT count(*) FROM (SELECT * FROM PlayerTable "
                              "EXCEPT SELECT * FROM kept.PlayerTable)"_s,
                              {},
                              [&](const db::Statement& q) { changed = q.value(0).toLongLong(); }));
        QVERIFY(changed > 0);
        QCOMPARE(m_main->commandResultText(),
                 u"Global edit: %1 players changed in QB, HB (team All)"_s.arg(changed));
    }

    m_main->action(u"mnuTeam"_s)->trigger();
    auto* grid = m_main->findChild<TableWindow*>(u"frmDataGrid"_s);
    QVERIFY(grid);
    const int teams = grid->dataControl()->recordset()->count();
    grid->model()->setData(grid->model()->index(0, 1), u"Expansion"_s);
    QVERIFY(grid->model()->hasPendingEdit());
    Prompts::setNextAnswer(QMessageBox::No);
    undo->trigger();

    QCOMPARE(messages(), QStringList{u"Commit changes?"_s});
    QCOMPARE(content(m_main->leaguePath()), held);
    QVERIFY(grid->dataControl()->recordset()->count() > (global ? teams - 1 : 0));
    QVERIFY(!undo->isEnabled());
    QVERIFY2(m_main->commandResultText().startsWith(
                 u"Undo %1: the league is back as it was before %1 of "_s.arg(command)),
             qPrintable(m_main->commandResultText()));
    // The undone state is kept too, so the undo can itself be taken back.
    QCOMPARE(backups::list(m_main->leaguePath()).first().command, u"Undo "_s + command);
}

// fault: the backup folder cannot be made, the disk is full, or the
// command itself fails after its backup was taken.
void TestBackups::backupFailureChangesNothing_data()
{
    QTest::addColumn<bool>("global");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("error"); // the pattern the message matches
    for (const bool global : {false, true}) {
        const QString command = global ? u"Global Edit"_s : u"Clear Database"_s;
        QTest::addRow("%s, no folder", qPrintable(command))
            << global << u"folder"_s
            << u"^Error:1041 The league could not be backed up to .* \\(the folder cannot be "
               "made\\), so the command was stopped before it changed anything"_s;
        QTest::addRow("%s, disk full", qPrintable(command))
            << global << u"full"_s
            << u"^Error:1041 The disk is full: the backup \".*/blocked.mdb.backups/\\S+ \\S+ #0001 "
               "%1.mdb\" could not be written, so the command was stopped before"_s.arg(command);
    }
    QTest::newRow("Global Edit fails after its backup")
        << true << u"trigger"_s
        << u"^Error:\\d+ Updating QB failed: ratings are protected. .*no rating was changed"_s;
}

void TestBackups::backupFailureChangesNothing()
{
    QFETCH(bool, global);
    QFETCH(QString, fault);
    QFETCH(QString, error);
    m_main->setLeaguePath(makeLeague(u"blocked.mdb"_s));
    const QString league = m_main->leaguePath();
    if (fault == u"folder"_s) {
        // A file where the backup folder should be: the folder cannot be made.
        QVERIFY(TestSupport::writeFile(backups::folderFor(league), {}));
    } else if (fault == u"full"_s) {
        backups::simulateWriteFailure(ENOSPC);
    } else {
        db::Database other;
        QVERIFY(!other.open(league));
        QVERIFY(!other.execute(u"CREATE TRIGGER keep BEFORE UPDATE ON PlayerTable "
                               "BEGIN SELECT RAISE(ABORT, 'ratings are protected'); END"_s));
    }
    const QByteArray before = fileBytes(league);
    const QStringList kept = folderFiles(league);

    const QStringList shown = global ? globalEdit() : clearDatabase();
    backups::simulateWriteFailure(0);

    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].contains(QRegularExpression(error)), qPrintable(shown[0]));
    QCOMPARE(fileBytes(league), before);
    QCOMPARE(folderFiles(league), kept); // no backup of a command that changed nothing
    QCOMPARE(m_main->commandResultText(), QString());
}

// kept: backups left, -1 for all; ignored: the status bar says the setting was.
void TestBackups::pruningKeepsNewest_data()
{
    QTest::addColumn<QString>("keep"); // the stored [Backups] Keep, null when absent
    QTest::addColumn<int>("kept");
    QTest::addColumn<bool>("ignored");
    QTest::newRow("3") << u"3"_s << 3 << false;
    QTest::newRow("1: the new one, whatever its date") << u"1"_s << 1 << false;
    QTest::newRow("blanks around") << u" 4 "_s << 4 << false;
    QTest::newRow("absent: 10") << QString() << 10 << false;
    QTest::newRow("large") << u"99999999999"_s << -1 << false;
    QTest::newRow("beyond any count") << u"99999999999999999999999"_s << -1 << false;
    for (const char* bad : {"0", "-1", "many", "", "1e3", "+5"})
        QTest::addRow("\"%s\" is ignored", bad) << QString::fromLatin1(bad) << -1 << true;
}

void TestBackups::pruningKeepsNewest()
{
    QFETCH(QString, keep);
    QFETCH(int, kept);
    QFETCH(bool, ignored);
    if (!keep.isNull())
        writeSetting(u"Backups"_s, u"Keep"_s, keep);
    m_main->setLeaguePath(makeLeague(u"prune.mdb"_s));
    const QString folder = backups::folderFor(m_main->leaguePath());
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
                            u"2019-05-01 09-00-00 #12 Global Edit.mdb"_s};
    for (const QString& name : ours + users)
        QVERIFY(QFile::copy(m_main->leaguePath(), folder + u'/' + name));

    QCOMPARE(clearDatabase(), QStringList());

    QStringList expected = ours;
    std::reverse(expected.begin(), expected.end());
    const QString taken = backupNames(m_main->leaguePath()).value(0);
    QVERIFY2(
        taken.contains(QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d #0010 Clear "
                                          "Database\\.mdb$"_s)),
        qPrintable(taken));
    expected.prepend(taken);
    QCOMPARE(backupNames(m_main->leaguePath()), kept < 0 ? expected : expected.mid(0, kept));
    for (const QString& name : users)
        QVERIFY2(QFile::exists(folder + u'/' + name), qPrintable(name));
    QCOMPARE(m_main->commandResultText().contains(u"Keep setting \"%1\" was ignored"_s.arg(keep)),
             ignored);
}

// Restore Backup lists the backups newest first, asks, backs up the league
// as it is and restores the chosen one; No changes nothing. With Keep 1 the
// backup Undo would restore stays too.
void TestBackups::restoreBackupFromTheMenu()
{
    writeSetting(u"Backups"_s, u"Keep"_s, u"1"_s);
    m_main->setLeaguePath(makeLeague(u"restore.mdb"_s));
    m_main->action(u"mnuRestoreBackup"_s)->trigger(); // none yet
    QCOMPARE(messages().size(), 1);
    QVERIFY(messages()[0].startsWith(u"There are no backups"_s));
    Prompts::finishTest();

    const QByteArray full = content(m_main->leaguePath());
    QCOMPARE(clearDatabase(), QStringList());
    const QByteArray cleared = fileBytes(m_main->leaguePath());
    const QByteArray emptied = content(m_main->leaguePath());

    for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        m_main->action(u"mnuRestoreBackup"_s)->trigger();
        auto* form = m_main->findChild<RestoreBackupWindow*>();
        QVERIFY(form);
        auto* list = form->findChild<QTreeWidget*>(u"lstBackups"_s);
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(1), u"Clear Database"_s);
        Prompts::setNextAnswer(answer);
        form->findChild<QPushButton*>(u"cmdRestore"_s)->click();
        QVERIFY(Prompts::shown().last().text.startsWith(u"Replace the league"_s));
        QCOMPARE(content(m_main->leaguePath()), answer == QMessageBox::Yes ? full : emptied);
        if (answer == QMessageBox::No)
            form->findChild<QPushButton*>(u"cmdCancel"_s)->click();
        QTest::qWait(0); // closed windows go at the next turn of the loop
    }
    QVERIFY(!m_main->findChild<RestoreBackupWindow*>());
    const QList<backups::Backup> now = backups::list(m_main->leaguePath());
    QCOMPARE(now.size(), 2);
    QCOMPARE(now[0].command, u"Restore Backup"_s);
    QCOMPARE(fileBytes(now[0].path), cleared);
}

// damaged: the backup or the league; bytes: what that file then holds, null
// for no file; shown: the error, or empty when the restore is done.
void TestBackups::restoreOverDamage_data()
{
    QTest::addColumn<QString>("damaged");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    const QString refused =
        u"^Error:\\d+ The backup \"\\S+ \\S+ #0001 Clear Database.mdb\" is damaged "
        "or is not a league, so the league was not changed. .+"_s;
    QByteArray pages = fileBytes(makeLeague(u"pages.mdb"_s));
    pages.replace(8192, 16384, QByteArray(16384, '\x55'));
    const QByteArray text = "Kickvale 99 league notes\n";
    QTest::newRow("backup is no league") << u"backup"_s << text << refused;
    QTest::newRow("backup damaged") << u"backup"_s << pages << refused;
    QTest::newRow("league truncated") << u"league"_s << pages.left(1000) << QString();
    QTest::newRow("league is text") << u"league"_s << text << QString();
    QTest::newRow("league missing") << u"league"_s << QByteArray() << QString();
}

// A league that no longer opens is kept aside and replaced; a backup that is
// no sound league changes nothing.
void TestBackups::restoreOverDamage()
{
    QFETCH(QString, damaged);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    m_main->setLeaguePath(makeLeague(u"damage.mdb"_s));
    const QString league = m_main->leaguePath();
    const QByteArray full = content(league);
    QCOMPARE(clearDatabase(), QStringList());
    const QString backup = backups::list(league).value(0).path;
    const QString file = damaged == u"backup"_s ? backup : league;
    QVERIFY(QFile::remove(file));
    QVERIFY(bytes.isNull() || TestSupport::writeFile(file, bytes));
    const QByteArray before = fileBytes(league);
    const QStringList kept = folderFiles(league);

    m_main->action(u"mnuRestoreBackup"_s)->trigger();
    auto* form = m_main->findChild<RestoreBackupWindow*>();
    QVERIFY(form);
    Prompts::setNextAnswer(QMessageBox::Yes);
    form->findChild<QPushButton*>(u"cmdRestore"_s)->click();
    const QStringList errors = messages().mid(1);
    Prompts::finishTest();
    QTest::qWait(0);

    if (!shown.isEmpty()) {
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(QRegularExpression(shown)), qPrintable(errors[0]));
        QCOMPARE(fileBytes(league), before);
        QCOMPARE(folderFiles(league), kept);
        m_main->mdiArea()->closeAllSubWindows();
        return;
    }
    QCOMPARE(errors, QStringList());
    QCOMPARE(content(league), full);
    const QList<backups::Backup> now = backups::list(league);
    QCOMPARE(now.size(), bytes.isNull() ? 1 : 2);
    if (!bytes.isNull()) {
        QCOMPARE(now[0].command, u"Damaged League"_s);
        QCOMPARE(fileBytes(now[0].path), bytes);
    }
    const QString note = bytes.isNull() ? u"There was no league file to keep."_s
                                        : u"The league file as it was is kept as"_s;
    QVERIFY2(m_main->commandResultText().contains(note), qPrintable(m_main->commandResultText()));
}

// A restore killed at random moments leaves a sound league that is wholly
// the old one or wholly the backup.
void TestBackups::killedRestoreIsAllOrNothing()
{
    const QString killee = otherInstance();
    QVERIFY2(QFile::exists(killee), qPrintable(killee));
    const QString base = makeLeague(u"killbase.mdb"_s, 15000, 1);
    const QString backup = makeLeague(u"killbackup.mdb"_s, 12000, 2);
    const QByteArray oldLeague = content(base), restored = content(backup);
    QVERIFY(oldLeague != restored);
    const QString victim = m_dir.filePath(u"victim.mdb"_s);
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

    int interrupted = 0;
    for (int i = 0; i < 8; ++i) {
        QVERIFY(fresh());
        process.start(killee, {u"restore"_s, victim, backup});
        QVERIFY(process.waitForReadyRead(30000));
        // The backup is checked first; the pages are written in the later part.
        QTest::qSleep(int(whole / 3 + QRandomGenerator::global()->bounded(whole)));
        process.kill(); // SIGKILL: no chance to roll back
        QVERIFY(process.waitForFinished(10000));
        interrupted += QFileInfo(victim + u"-journal"_s).size() > 0 ? 1 : 0;
        const QByteArray left = content(victim);
        QVERIFY(left == oldLeague || left == restored);
    }
    QVERIFY2(interrupted > 0, "no kill landed inside the restore");
}

TableWindow* TestBackups::openGrid(const QString& item, const QString& table)
{
    m_main->action(item)->trigger();
    for (TableWindow* grid : m_main->findChildren<TableWindow*>()) {
        if (grid->dataControl()->recordSource() == table && grid->isVisible())
            return grid;
    }
    return nullptr;
}

void TestBackups::makeChange(const QString& kind)
{
    if (kind == u"Global Edit"_s) {
        QCOMPARE(globalEdit(), QStringList());
    } else if (kind == u"Clear Database"_s) {
        QCOMPARE(clearDatabase(), QStringList());
    } else if (kind == u"Restore Backup"_s) {
        m_main->action(u"mnuRestoreBackup"_s)->trigger();
        auto* form = m_main->findChild<RestoreBackupWindow*>();
        QVERIFY(form);
        auto* list = form->findChild<QTreeWidget*>(u"lstBackups"_s);
        list->setCurrentItem(list->topLevelItem(0)); // "Undo Clear Database": the empty league
        Prompts::setNextAnswer(QMessageBox::Yes);
        form->findChild<QPushButton*>(u"cmdRestore"_s)->click();
        Prompts::finishTest();
        QTest::qWait(0);
    } else if (kind == u"cell"_s) {
        TableWindow* grid = openGrid(u"mnuPlayerTable"_s, u"PlayerTable"_s);
        QVERIFY(grid);
        RecordSetModel* model = grid->model();
        int sp = 0;
        while (model->headerData(sp, Qt::Horizontal).toString() != u"SP"_s)
            ++sp;
        QVERIFY(model->setData(model->index(0, sp), u"1"_s));
        QVERIFY(model->setData(model->index(0, sp + 1), u"2"_s)); // SP_P, in the same row
        Prompts::setNextAnswer(QMessageBox::Yes);
        QVERIFY(!model->commitPendingEdit());
    } else {
        TableWindow* grid = openGrid(u"mnuTeam"_s, u"Team"_s);
        QVERIFY(grid);
        RecordSetModel* model = grid->model();
        Prompts::setNextAnswer(QMessageBox::Yes);
        if (kind == u"added"_s) {
            QVERIFY(model->setData(model->index(model->newRowLine(), 1), u"Expansion"_s));
            QVERIFY(!model->commitPendingEdit());
        } else {
            QVERIFY(!model->deleteRows({0, 2}));
        }
    }
    Prompts::finishTest();
}

void TestBackups::undoAndRedoEachKindOfChange_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("step"); // as the menu names it
    QTest::newRow("cell change") << u"cell"_s << u"Change of SP, SP_P for %1"_s;
    QTest::newRow("added row") << u"added"_s << u"Add Row in Team"_s;
    QTest::newRow("deleted rows") << u"deleted"_s << u"Delete 2 Rows in Team"_s;
    QTest::newRow("global edit") << u"Global Edit"_s << u"Global Edit"_s;
    QTest::newRow("clear database") << u"Clear Database"_s << u"Clear Database"_s;
    QTest::newRow("restore") << u"Restore Backup"_s << u"Restore Backup"_s;
}

// Undo puts back every table's rows, ids and storage types exactly; Redo
// makes the change again, and it can be undone once more.
void TestBackups::undoAndRedoEachKindOfChange()
{
    QFETCH(QString, kind);
    QFETCH(QString, step);
    m_main->setLeaguePath(makeLeague(u"history.mdb"_s, 300));
    {
        db::Database league;
        QVERIFY(!league.open(m_main->leaguePath()));
        league.query(
            u"SELECT FirstName || ' ' || LastName FROM PlayerTable ORDER BY rowid LIMIT 1"_s, {},
            [&](const db::Statement& q) { step = step.arg(q.value(0).toString()); });
    }
    QCOMPARE(undoText(), u"&Undo"_s);
    if (kind == u"Restore Backup"_s) {
        // The newest backup, kept by this undo, holds the cleared league.
        QCOMPARE(clearDatabase(), QStringList());
        m_main->action(u"mnuUndoGlobalEdit"_s)->trigger();
    }
    const QByteArray before = content(m_main->leaguePath());
    makeChange(kind);
    QCOMPARE(undoText(), u"&Undo "_s + step);
    const QByteArray changed = content(m_main->leaguePath());

    m_main->action(u"mnuUndoGlobalEdit"_s)->trigger();
    QCOMPARE(content(m_main->leaguePath()), before);
    QVERIFY(before != changed);
    QCOMPARE(redoText(), u"&Redo "_s + step);
    m_main->action(u"mnuRedo"_s)->trigger();
    QCOMPARE(content(m_main->leaguePath()), changed);
    QCOMPARE(undoText(), u"&Undo "_s + step);
    m_main->action(u"mnuUndoGlobalEdit"_s)->trigger();
    QCOMPARE(content(m_main->leaguePath()), before);
    QCOMPARE(Prompts::finishTest(), QString());
}

void TestBackups::undoRefusedAfterOutsideChange_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("outside"); // what another program does meanwhile
    QTest::addColumn<QString>("answer");  // the start of what the user is told
    const QString rowChanged = u"Error:1008 Another program (or Clear Database) changed or "
                               u"removed this row since the grid read it"_s;
    QTest::newRow("cell change, row changed")
        << u"cell"_s << u"UPDATE PlayerTable SET LastName = 'Other' WHERE rowid = 1"_s
        << rowChanged;
    QTest::newRow("added row, row changed")
        << u"added"_s << u"UPDATE Team SET City = 'Other' WHERE TeamName = 'Expansion'"_s
        << rowChanged;
    QTest::newRow("deleted row, id taken")
        << u"deleted"_s << u"INSERT INTO Team (rowid, TeamName) VALUES (1, 'Taken')"_s
        << rowChanged;
    QTest::newRow("global edit") << u"Global Edit"_s
                                 << u"INSERT INTO Team (TeamID, TeamName) VALUES (77, 'Later')"_s
                                 << u"The league \"%1\" has changed since the last Global Edit"_s;
    QTest::newRow("clear database")
        << u"Clear Database"_s << u"INSERT INTO Team (TeamID, TeamName) VALUES (7, 'Later')"_s
        << u"The league \"%1\" has changed since the last Clear Database"_s;
}

// The undo is refused with the row's or the league's answer, writes nothing
// and leaves the history where it was.
void TestBackups::undoRefusedAfterOutsideChange()
{
    QFETCH(QString, kind);
    QFETCH(QString, outside);
    QFETCH(QString, answer);
    m_main->setLeaguePath(makeLeague(u"refused.mdb"_s));
    makeChange(kind);
    const QString step = undoText();
    const qsizetype backupsBefore = backups::list(m_main->leaguePath()).size();
    {
        db::Database other;
        QVERIFY(!other.open(m_main->leaguePath()));
        QVERIFY(!other.execute(outside));
    }
    const QByteArray after = fileBytes(m_main->leaguePath());

    m_main->action(u"mnuUndoGlobalEdit"_s)->trigger();

    const QString told = Prompts::shown().last().text;
    QVERIFY2(told.startsWith(answer.arg(QDir::toNativeSeparators(m_main->leaguePath()))),
             qPrintable(told));
    Prompts::finishTest();
    QCOMPARE(fileBytes(m_main->leaguePath()), after);
    QCOMPARE(backups::list(m_main->leaguePath()).size(), backupsBefore);
    QCOMPARE(undoText(), step);
    QCOMPARE(redoText(), u"&Redo"_s);
}

// After a global edit (and its undo) the open grid shows the file's values
// at once, with its filter, sort and current row; its edited row was asked
// about first.
void TestBackups::gridsFollowTheProgramsOwnChanges()
{
    m_main->setLeaguePath(makeLeague(u"follow.mdb"_s, 400));
    TableWindow* grid = openGrid(u"mnuPlayerTable"_s, u"PlayerTable"_s);
    QVERIFY(grid);
    Prompts::setNextInput(u"[CurrentPos] In (0, 1)"_s);
    grid->filter();
    RecordSetModel* model = grid->model();
    int sp = 0, last = 0;
    while (model->headerData(sp, Qt::Horizontal).toString() != u"SP"_s)
        ++sp;
    while (model->headerData(last, Qt::Horizontal).toString() != u"LastName"_s)
        ++last;
    grid->sortByColumn(sp, true);
    db::RecordSet* rs = grid->dataControl()->recordset();
    const QStringList filters = rs->filterTexts(), sorts = rs->sortTexts();
    grid->gridView()->setCurrentIndex(model->index(5, sp));
    const qint64 current = rs->key(5);
    const auto shownMatchesFile = [&] {
        db::Database league;
        QVariant stored;
        league.open(m_main->leaguePath());
        league.query(u"SELECT RATING1 FROM PlayerTable WHERE rowid = ?"_s, {current},
                     [&](const db::Statement& q) { stored = q.value(0); });
        const QModelIndex at = grid->gridView()->currentIndex();
        return at.column() == sp && grid->dataControl()->recordset()->key(at.row()) == current &&
               model->data(at) == stored;
    };
    QVERIFY(shownMatchesFile());
    const QVariant old = model->data(model->index(5, sp));
    QVERIFY(model->setData(model->index(0, last), u"Pending"_s));
    Prompts::setNextAnswer(QMessageBox::No);

    QCOMPARE(globalEdit(), QStringList{u"Commit changes?"_s});

    rs = grid->dataControl()->recordset();
    QCOMPARE(rs->filterTexts(), filters);
    QCOMPARE(rs->sortTexts(), sorts);
    QVERIFY(shownMatchesFile());
    QVERIFY(model->data(grid->gridView()->currentIndex()) != old);
    m_main->action(u"mnuUndoGlobalEdit"_s)->trigger();
    QVERIFY(shownMatchesFile());
    QCOMPARE(model->data(grid->gridView()->currentIndex()), old);
}

// A grid still on the league opened before writes there, but that is no
// step of this league's history: the status bar says so.
void TestBackups::gridOfAnEarlierLeagueRecordsNoStep()
{
    m_main->setLeaguePath(makeLeague(u"earlier.mdb"_s));
    TableWindow* grid = openGrid(u"mnuTeam"_s, u"Team"_s);
    QVERIFY(grid);
    QVERIFY(m_main->openLeague(makeLeague(u"later.mdb"_s)));
    QVERIFY(grid->model()->setData(grid->model()->index(0, 1), u"Renamed"_s));
    Prompts::setNextAnswer(QMessageBox::Yes);
    QVERIFY(!grid->model()->commitPendingEdit());
    Prompts::finishTest();

    QVERIFY2(m_main->commandResultText().contains(u"not the league open now"_s),
             qPrintable(m_main->commandResultText()));
    QCOMPARE(undoText(), u"&Undo"_s);
}

// Another instance edits the league at the same moment as this one: each
// waits for the other's write lock, both edits land, and an Undo that finds
// the other's edit under the lock is refused.
void TestBackups::twoInstancesOnOneLeague()
{
    db::Database::setBusyTimeout(5000);
    const auto restoreTimeout = qScopeGuard([] { db::Database::setBusyTimeout(300); });
    m_main->setLeaguePath(makeLeague(u"shared.mdb"_s, 2000));
    const QString league = m_main->leaguePath();
    // The same edit run one after the other on a copy: what both must leave.
    const QString expected = m_dir.filePath(u"expected.mdb"_s);
    QFile::remove(expected);
    QVERIFY(QFile::copy(league, expected));
    globaledit::GlobalEdit edit;
    edit.parameters.actualPercent[0] = 10;
    edit.positions.set(0).set(1);
    const auto editExpected = [&] { return !globaledit::runGlobalEdit(expected, edit); };

    QProcess other;
    // Its edit holds the write lock, its backup taken, until told to go on.
    const auto otherHoldsTheLock = [&] {
        other.start(otherInstance(), {u"edit"_s, league});
        return other.waitForReadyRead(30000) && other.readLine() == "locked\n";
    };
    const auto otherGoesOn = [&] { // after 200 ms
        other.write("200\n");
        return other.waitForBytesWritten(5000);
    };
    const auto otherSucceeded = [&]() -> QByteArray {
        other.waitForFinished(30000);
        return other.readAllStandardOutput() + other.readAllStandardError();
    };

    QVERIFY(otherHoldsTheLock());
    {
        db::Database probe;
        QVERIFY(!probe.open(league) && !probe.execute(u"PRAGMA busy_timeout = 0"_s));
        QCOMPARE(probe.beginImmediate().number & 0xff, 5); // SQLITE_BUSY: the lock held
    }
    QVERIFY(otherGoesOn());
    QCOMPARE(globalEdit(), QStringList()); // waits, then edits what the other left
    QCOMPARE(otherSucceeded(), QByteArray("done\n"));
    QVERIFY(editExpected() && editExpected());
    QCOMPARE(content(league), content(expected));
    QCOMPARE(backups::list(league).size(), 2);

    QVERIFY(otherHoldsTheLock());
    QVERIFY(otherGoesOn());
    m_main->action(u"mnuUndoGlobalEdit"_s)->trigger(); // waits for the lock, then sees the change
    QCOMPARE(otherSucceeded(), QByteArray("done\n"));
    QCOMPARE(Prompts::shown().size(), 2); // a refusal: a beep, then the message
    const Prompts::Shown refusal = Prompts::shown().last();
    QCOMPARE(refusal.icon, QMessageBox::Warning);
    QVERIFY2(refusal.text.contains(u"has changed since the last Global Edit"_s) &&
                 refusal.text.contains(u"Restore Backup"_s),
             qPrintable(refusal.text));
    QVERIFY(editExpected());
    QCOMPARE(content(league), content(expected));
}

QTEST_MAIN(TestBackups)
#include "tst_backups.moc"
