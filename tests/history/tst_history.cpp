// The undo history: Edit > Undo and Redo of every kind of change, Restore
// Backup as a step, and the grids following them, driven through the main
// window's menus and grids on real league files.
#include "GuiFixture.h"
#include "LeagueChanges.h"
#include "TestSupport.h"
#include "core/backups/Backups.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "shell/MainWindow.h"
#include "shell/RestoreBackupWindow.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "windows/grid/GridView.h"
#include "windows/grid/RecordSetModel.h"
#include "windows/grid/TableConnection.h"
#include "windows/grid/TableWindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

using TestSupport::backupNames;
using TestSupport::cell;
using TestSupport::columns;
using TestSupport::content;
using TestSupport::fetch;
using TestSupport::fileBytes;
using TestSupport::messages;

namespace {
// Players whose row differs from the backup's.
qint64 changedPlayers(const QString& league, const QString& backup)
{
    db::Database file;
    qint64 changed = -1;
    if (!file.open(league) && !file.execute(u"ATTACH DATABASE ? AS kept"_s, {backup}))
        file.query(u"SELECT count(*) FROM (SELECT * FROM PlayerTable "
                   "EXCEPT SELECT * FROM kept.PlayerTable)"_s,
                   {}, [&](const db::Statement& q) { changed = q.value(0).toLongLong(); });
    return changed;
}
} // namespace

class TestHistory : public QObject, TestSupport::LeagueChanges
{
    Q_OBJECT

private slots:
    void init() { m_gui.setUp(); }
    void cleanup() { QCOMPARE(m_gui.tearDown(), QString()); }

    // Restore Backup lists the backups newest first, asks, backs up the league
    // as it is and restores the chosen one; No changes nothing. With Keep 1 the
    // restore pushes Clear Database out of the history and its backup goes.
    void restoreBackupFromTheMenu()
    {
        writeSetting(u"Backups"_s, u"Keep"_s, u"1"_s);
        const QStringList none = restoreNewest(QMessageBox::Yes);
        QVERIFY(none.size() == 1 && none[0].startsWith(u"There are no backups"_s));

        const QByteArray full = content(league());
        QCOMPARE(clearDatabase(), QStringList());
        const QByteArray emptied = content(league());

        for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            QStringList listed;
            const QStringList shown = restoreNewest(answer, &listed);
            QCOMPARE(listed, QStringList{u"Clear Database"_s});
            QVERIFY(shown.size() == 1 && shown[0].startsWith(u"Replace the league"_s));
            QCOMPARE(content(league()), answer == QMessageBox::Yes ? full : emptied);
        }
        QVERIFY(!main()->findChild<RestoreBackupWindow*>());
        QCOMPARE(backupNames(league()).size(), 1);
        QVERIFY(
            main()->commandResultText().endsWith(u"oldest undo steps were dropped: Keep is 1"_s));
        undo();
        QCOMPARE(content(league()), emptied);
        QCOMPARE(undoText(), u"&Undo (off)"_s);
    }

    void undoAndRedoEachKindOfChange_data()
    {
        // step: as the menu names it; first: changes made before it, of which
        // Undo then still takes back the last reach; keep: [Backups] Keep, 0
        // for none
        columns<QString, QString, QStringList, int, int>("kind", "step", "first", "keep", "reach");
        const QString global = u"Global Edit"_s, clear = u"Clear Database"_s;
        const auto row = [](const char* name, const QString& kind, const QString& step,
                            const QStringList& first = {}, int keep = 0) {
            QTest::newRow(name) << kind << step << first << keep
                                << int(keep ? keep - 1 : first.size());
        };
        row("cell change", u"cell"_s, u"Change of SP, SP_P for %1"_s);
        row("added row", u"added"_s, u"Add Row in Team"_s);
        row("deleted rows", u"deleted"_s, u"Delete 2 Rows in Team"_s);
        row("global edit", global, global);
        row("clear database", clear, clear);
        row("restore", u"Restore Backup"_s, u"Restore Backup"_s);
        // The history's own writes move the league's change counter: none of
        // them is a change made outside it.
        row("global edit after a global edit", global, global, {global});
        row("cell change after a global edit", u"cell"_s, u"Change of SP, SP_P for %1"_s, {global});
        row("restore after clear database", u"Restore Backup"_s, u"Restore Backup"_s, {clear});
        // Keep bounds the history: the two oldest edits and their backups go.
        row("global edit past Keep 3", global, global, {global, global, global, global}, 3);
    }

    // Undo puts back every table's rows, ids and storage types exactly; Redo
    // makes the change again, and it can be undone once more. A command on the
    // whole league first keeps the file as it was, byte for byte, and its undo
    // is kept too, so that it can itself be taken back.
    void undoAndRedoEachKindOfChange()
    {
        auto [kind, step, first, keep, reach] = fetch<QString, QString, QStringList, int, int>(
            "kind", "step", "first", "keep", "reach");
        const bool whole = kind == step; // a command on the whole league
        if (kind == u"cell"_s)
            step =
                step.arg(m_gui.firstColumn(u"SELECT FirstName || ' ' || LastName FROM PlayerTable "
                                           "ORDER BY rowid LIMIT 1"_s));
        QCOMPARE(undoText(), u"&Undo (off)"_s);
        if (keep)
            writeSetting(u"Backups"_s, u"Keep"_s, QString::number(keep));
        QList<QByteArray> states; // before each of the first changes
        for (const QString& earlier : first) {
            states << content(league());
            makeChange(earlier);
        }
        if (kind == u"Restore Backup"_s && first.isEmpty()) {
            QCOMPARE(clearDatabase(), QStringList());
            undo();
        }
        const QByteArray bytes = fileBytes(league()), before = content(league());
        makeChange(kind);
        QCOMPARE(undoText(), u"&Undo "_s + step);
        const QByteArray changed = content(league());
        QVERIFY(before != changed);
        if (whole) {
            const backups::Backup taken = backups::list(league()).value(0);
            QCOMPARE(taken.command, kind);
            QCOMPARE(fileBytes(taken.path), bytes);
            if (kind == u"Global Edit"_s)
                QVERIFY(main()->commandResultText().startsWith(
                    u"Global edit: %1 players changed in QB, HB (team All)"_s.arg(
                        changedPlayers(league(), taken.path))));
        }
        if (keep) {
            QVERIFY(main()->commandResultText().endsWith(
                u"the oldest undo steps were dropped: Keep is %1"_s.arg(keep)));
            QCOMPARE(backups::list(league()).size(), keep);
        }

        undo();
        QCOMPARE(content(league()), before);
        if (whole) {
            QVERIFY(main()->commandResultText().startsWith(
                u"Undo %1: the league is back as it was before %1 of "_s.arg(kind)));
            QCOMPARE(backups::list(league()).value(0).command, u"Undo "_s + kind);
        }
        QCOMPARE(redoText(), u"&Redo "_s + step);
        main()->action(u"mnuRedo"_s)->trigger();
        QCOMPARE(content(league()), changed);
        QCOMPARE(undoText(), u"&Undo "_s + step);
        undo();
        QCOMPARE(content(league()), before);
        for (int i = 0; i < reach; ++i)
            undo();
        QCOMPARE(messages(), QStringList()); // nothing refused
        QCOMPARE(content(league()), states.value(first.size() - reach, before));
        QCOMPARE(undoText(), u"&Undo (off)"_s);
    }

    void undoRefusedAfterOutsideChange_data()
    {
        // outside: what another program does meanwhile
        // answer: the start of what the user is told
        columns<QString, QString, QString>("kind", "outside", "answer");
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
            << u"Error:1008 Another row has taken the id 1 in \"Team\" since"_s;
        QTest::newRow("clear database")
            << u"Clear Database"_s << u"INSERT INTO Team (TeamID, TeamName) VALUES (7, 'Later')"_s
            << u"The league \"%1\" has changed since the last Clear Database"_s;
    }

    // The undo is refused with the row's or the league's answer, writes nothing
    // and leaves the history where it was.
    void undoRefusedAfterOutsideChange()
    {
        auto [kind, outside, answer] =
            fetch<QString, QString, QString>("kind", "outside", "answer");
        makeChange(kind);
        const QString step = undoText();
        const qsizetype backupsBefore = backups::list(league()).size();
        QCOMPARE(m_gui.execute(outside), QString());
        const QByteArray after = fileBytes(league());

        undo();

        const QString told = Prompts::shown().last().text;
        QVERIFY2(told.startsWith(answer.arg(QDir::toNativeSeparators(league()))), qPrintable(told));
        Prompts::finishTest();
        QCOMPARE(fileBytes(league()), after);
        QCOMPARE(backups::list(league()).size(), backupsBefore);
        QCOMPARE(undoText(), step);
        QCOMPARE(redoText(), u"&Redo (off)"_s);
    }

    // After a global edit and its undo the open grid shows the file's values at
    // once, with its filter, sort and current row; its edited row was asked
    // about first. Once another league is open, its edits are no step.
    void gridsFollowTheProgramsOwnChanges()
    {
        TableWindow* grid = m_gui.openVia(u"mnuPlayerTable"_s);
        Prompts::setNextInput(u"[CurrentPos] In (0, 1)"_s);
        grid->filter();
        RecordSetModel* model = grid->model();
        const int sp = cell(grid, 0, u"RATING1"_s).column();
        grid->sortByColumn(sp, true);
        db::RecordSet* rs = grid->connection()->recordSet();
        const QStringList filters = rs->selection().filterTexts(),
                          sorts = rs->selection().sortTexts();
        grid->gridView()->setCurrentIndex(model->index(5, sp));
        const qint64 current = rs->key(5);
        const auto shownMatchesFile = [&] {
            const QModelIndex at = grid->gridView()->currentIndex();
            return at.column() == sp && grid->connection()->recordSet()->key(at.row()) == current &&
                   model->data(at).toString() ==
                       m_gui.firstColumn(
                           u"SELECT RATING1 FROM PlayerTable WHERE rowid = %1"_s.arg(current));
        };
        QVERIFY(shownMatchesFile());
        const QVariant old = model->data(model->index(5, sp));
        for (const bool undoing : {false, true}) {
            QVERIFY(model->setData(cell(grid, 0, u"LastName"_s), u"Pending"_s));
            Prompts::setNextAnswer(QMessageBox::No);
            if (undoing)
                undo();
            const QStringList shown = undoing ? messages() : globalEdit();
            QCOMPARE(shown, QStringList{u"Commit changes?"_s});
            Prompts::finishTest();
            rs = grid->connection()->recordSet();
            QCOMPARE(rs->selection().filterTexts(), filters);
            QCOMPARE(rs->selection().sortTexts(), sorts);
            QVERIFY(shownMatchesFile());
            QCOMPARE(model->data(grid->gridView()->currentIndex()) == old, undoing);
        }
        // Still on the league opened before, it writes there, but that is no
        // step of this league's history: the status bar says so.
        QVERIFY(main()->openLeague(writeLeague(u"later.mdb"_s, 120)));
        QVERIFY(model->setData(cell(grid, 0, u"LastName"_s), u"Renamed"_s));
        Prompts::setNextAnswer(QMessageBox::Yes);
        QVERIFY(!model->commitPendingEdit());
        Prompts::finishTest();
        QVERIFY(main()->commandResultText().contains(u"not the league open now"_s));
        QCOMPARE(undoText(), u"&Undo (off)"_s);
    }

    // Edit > Undo asks about a grid's edited row first. Yes writes it as the
    // newest step, so the global edit the menu named is no longer the last:
    // nothing is undone, and the next Undo takes back the row.
    void undoAfterCommittingAnEditedRow()
    {
        const QByteArray before = content(league());
        QCOMPARE(globalEdit(), QStringList());
        const QByteArray edited = content(league());
        TableWindow* grid = m_gui.openVia(u"mnuPlayerTable"_s);
        QVERIFY(grid->model()->setData(cell(grid, 0, u"LastName"_s), u"Pending"_s));
        Prompts::setNextAnswer(QMessageBox::Yes);
        undo();
        QCOMPARE(messages(), QStringList{u"Commit changes?"_s});
        Prompts::finishTest();
        QVERIFY(main()->commandResultText().contains(u"written first, so nothing was undone"_s));
        QCOMPARE(
            m_gui.firstColumn(u"SELECT count(*) FROM PlayerTable WHERE LastName = 'Pending'"_s),
            u"1"_s);
        QVERIFY(undoText().startsWith(u"&Undo Change of "_s));
        undo();
        QCOMPARE(content(league()), edited);
        undo();
        QCOMPARE(content(league()), before);
    }

private:
    // The change kind names, written through the real windows.
    void makeChange(const QString& kind)
    {
        if (kind == u"Global Edit"_s) {
            QCOMPARE(globalEdit(), QStringList());
        } else if (kind == u"Clear Database"_s) {
            QCOMPARE(clearDatabase(), QStringList());
        } else if (kind == u"Restore Backup"_s) {
            // The newest backup, "Undo Clear Database", holds the cleared league.
            QCOMPARE(restoreNewest(QMessageBox::Yes).size(), 1);
        } else if (kind == u"cell"_s) {
            TableWindow* grid = m_gui.openVia(u"mnuPlayerTable"_s);
            QVERIFY(grid->model()->setData(cell(grid, 0, u"RATING1"_s), u"1"_s));
            QVERIFY(
                grid->model()->setData(cell(grid, 0, u"RATING_POT1"_s), u"2"_s)); // in the same row
            Prompts::setNextAnswer(QMessageBox::Yes);
            QVERIFY(!grid->model()->commitPendingEdit());
        } else {
            TableWindow* grid = m_gui.openVia(u"mnuTeam"_s);
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
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
