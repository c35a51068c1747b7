// The grid's context menu, Copy, Find and Export as CSV through the real
// windows on real league files.
#include "GuiFixture.h"
#include "TestSupport.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "windows/grid/GridCommands.h"
#include "windows/grid/GridView.h"
#include "windows/grid/TableCommands.h"
#include "windows/grid/TableConnection.h"
#include "windows/grid/TableWindow.h"

#include <QtTest>
#include <QtWidgets>
#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace TestSupport;

namespace {
// The file's records: how each value is quoted and guarded is the record
// set's, so the values here hold no comma, quote or line break.
QList<QStringList> readCsv(const QString& path)
{
    QList<QStringList> records;
    for (const QString& line :
         QString::fromUtf8(fileBytes(path)).split(u"\r\n"_s, Qt::SkipEmptyParts))
        records << line.split(u',');
    return records;
}
} // namespace

class TestGridCommands : public QObject
{
    Q_OBJECT

    TestSupport::GuiFixture m_gui;
    // Runs sql on the league as another program would; it must run.
    void execute(const QString& sql) const { QCOMPARE(m_gui.execute(sql), QString()); }

    // Right-clicks the cell (or, for an invalid cell, the column's header)
    // and chooses the menu item.
    static void choose(TableWindow* w, const QModelIndex& at, const QString& item, int column = -1)
    {
        GridView* grid = w->gridView();
        QWidget* surface = grid->viewport();
        QPoint point;
        if (at.isValid()) {
            grid->scrollTo(at);
            point = grid->visualRect(at).center();
        } else {
            QHeaderView* header = grid->horizontalHeader();
            grid->scrollTo(w->model()->index(0, column));
            surface = header->viewport();
            point = {header->sectionViewportPosition(column) + 2, header->height() / 2};
        }
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, surface->mapToGlobal(point));
        QApplication::sendEvent(surface, &event);
        QMenu* menu = w->commands()->menu();
        QVERIFY(menu->isVisible());
        QAction* action = w->commands()->action(item);
        QVERIFY(action && action->isEnabled());
        action->trigger();
        menu->hide();
    }

private slots:
    void init() { m_gui.setUp(); }

    void cleanup()
    {
        QCOMPARE(m_gui.tearDown(), QString());
        QVERIFY(!QApplication::overrideCursor());
    }

    void menuSortsFiltersAndRemovesBoth()
    {
        execute(u"UPDATE Roster SET JerseyNum = NULL WHERE rowid IN (3, 4)"_s);
        execute(u"UPDATE Roster SET TeamID = 1 WHERE rowid IN (3, 4, 5)"_s);
        TableWindow* w = m_gui.openTable(u"Roster"_s);
        QHeaderView* header = w->gridView()->horizontalHeader();
        const int jersey = cell(w, 0, u"JerseyNum"_s).column();
        const QString all = keys(w);

        choose(w, {}, u"mnuSortDescending"_s, jersey);
        QCOMPARE(keys(w),
                 m_gui.firstColumn(u"SELECT rowid FROM Roster ORDER BY JerseyNum DESC, rowid"_s));
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), jersey);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        // A typed sort shows as the compiler reads it: one key, any spelling;
        // two keys show none.
        for (const auto& [typed, shown] :
             {std::pair{u"jerseynum   ASC"_s, true}, {u"JerseyNum desc, TeamID"_s, false}}) {
            Prompts::setNextInput(typed);
            w->sort();
            QCOMPARE(header->isSortIndicatorShown(), shown);
        }
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        choose(w, {}, u"mnuSortDescending"_s, jersey);

        const int row = w->connection()->recordSet()->count() - 1; // rowid 3 or 4: a null jersey
        choose(w, cell(w, row, u"TeamID"_s), u"mnuFilterByValue"_s);
        // Nulls sort last, descending.
        choose(w, cell(w, w->connection()->recordSet()->count() - 1, u"JerseyNum"_s),
               u"mnuFilterByValue"_s);
        // The filter on a team is named by the team, and is its stored id.
        QCOMPARE(w->connection()->recordSet()->selection().filterTexts(),
                 (QStringList{u"TeamID = "_s + m_gui.firstColumn(u"SELECT TeamName FROM Team "
                                                                 u"WHERE TeamID = 1"_s),
                              u"JerseyNum Is Null"_s}));
        QCOMPARE(keys(w), u"3,4"_s);

        choose(w, cell(w, 0, u"TeamID"_s), u"mnuSortAscending"_s);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        // An edited row is asked about first; then every row shows, in stored order.
        w->gridView()->setCurrentIndex(cell(w, 0, u"PlayerID"_s));
        QVERIFY(w->model()->setData(cell(w, 0, u"PlayerID"_s), 77));
        Prompts::setNextAnswer(QMessageBox::No);
        choose(w, cell(w, 1, u"TeamID"_s), u"mnuRemoveFilterAndSort"_s);
        QCOMPARE(Prompts::shown().last().text, u"Commit changes?"_s);
        QCOMPARE(keys(w), all);
        QVERIFY(w->connection()->recordSet()->selection().filterTexts().isEmpty());
        QVERIFY(!header->isSortIndicatorShown());
        // The header has no value to filter by.
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                header->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(header->viewport(), &event);
        QVERIFY(!w->commands()->action(u"mnuFilterByValue"_s)->isEnabled());
        w->commands()->menu()->hide();
    }

    // Any stored value, never passed through expression text: the rows that
    // hold it, as the Filter's "=" compares (case, 1 as 1.0). The keyboard's
    // Shift+F10 opens the menu at the current cell.
    void filterByValueShowsTheRowsHoldingIt_data()
    {
        // rows: their keys
        columns<int, QString, QString>("row", "rows", "filter");
        QTest::newRow("text with quotes, in any case")
            << 0 << u"1,2"_s << u"v = O\"Brien's ') OR 1=1 --"_s;
        QTest::newRow("text of 5,000 characters")
            << 2 << u"3"_s << u"v = "_s + QString(80, u'a') + u'\u2026';
        QTest::newRow("blob") << 3 << u"4"_s << u"v = (5 bytes)"_s;
        QTest::newRow("infinity") << 4 << u"5"_s << u"v = inf"_s;
        QTest::newRow("minus infinity") << 5 << u"6"_s << u"v = -inf"_s;
        QTest::newRow("null") << 6 << u"7"_s << u"v Is Null"_s;
        QTest::newRow("1 and 1.0") << 7 << u"8,9"_s << u"v = 1"_s;
        QTest::newRow("an id, in English") << 10 << u"11"_s << u"v = 1001"_s; // not 1,001
    }

    void filterByValueShowsTheRowsHoldingIt()
    {
        auto [row, rows, filter] = fetch<int, QString, QString>("row", "rows", "filter");
        execute(u"CREATE TABLE V (v)"_s);
        execute(u"INSERT INTO V VALUES ('O\"Brien''s '') OR 1=1 --'), ('o\"BRIEN''s '') or "
                u"1=1 --'), "
                "(printf('%.5000c', 'a')), (x'DEADBEEF00'), (9e999), (-9e999), (NULL), (1), "
                "(1.0), ('1'), (1001)"_s);
        const auto restore = qScopeGuard([before = QLocale()] { QLocale::setDefault(before); });
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TableWindow* w = m_gui.openTable(u"V"_s);
        w->gridView()->setCurrentIndex(cell(w, row, u"v"_s));
        QTest::keyClick(w->gridView(), Qt::Key_F10, Qt::ShiftModifier); // the menu at the cell
        QVERIFY(w->commands()->menu()->isVisible());
        w->commands()->action(u"mnuFilterByValue"_s)->trigger();
        w->commands()->menu()->hide();
        QCOMPARE(keys(w), rows);
        QCOMPARE(w->connection()->recordSet()->selection().filterTexts(), QStringList{filter});
        QVERIFY(w->statusText().endsWith(u"Filter: "_s + filter));
    }

    void copyGivesTabSeparatedCells()
    {
        execute(u"UPDATE Team SET City = 'Tab\tand \"quote\"' WHERE rowid = 2"_s);
        TableWindow* w = m_gui.openTable(u"Team"_s);
        GridView* grid = w->gridView();
        const QModelIndex from = cell(w, 0, u"TeamName"_s);
        const QModelIndex to = cell(w, 1, u"City"_s);
        grid->setFocus();
        grid->setCurrentIndex(from);
        grid->selectionModel()->select(QItemSelection(from, to), QItemSelectionModel::Select);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        const QString expected = cell(w, 0, u"TeamName"_s).data().toString() + u"\t"_s +
                                 cell(w, 0, u"City"_s).data().toString() + u"\n"_s +
                                 cell(w, 1, u"TeamName"_s).data().toString() +
                                 u"\t\"Tab\tand \"\"quote\"\"\"\n"_s;
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    }

    void find_data()
    {
        // found: -1: "No row holds"
        columns<QString, bool, bool, bool, int, int, bool>("text", "allColumns", "matchCase",
                                                           "backward", "from", "found", "wrapped");
        const auto row = [](const char* name, const QString& text, bool all, bool matchCase,
                            bool backward, int from, int found, bool wrapped = false) {
            QTest::newRow(name) << text << all << matchCase << backward << from << found << wrapped;
        };
        row("forward past one", u"alpha"_s, false, false, false, 1, 4);
        row("forward wraps", u"alpha"_s, false, false, false, 4, 1, true);
        row("back wraps", u"alpha"_s, false, false, true, 0, 4, true);
        row("back", u"ALPHA"_s, false, false, true, 4, 1);
        row("match case", u"Alpha"_s, false, true, false, 1, 1, true);
        row("non-ASCII", u"\u00e9cluse"_s, false, false, false, 0, 5);
        row("current column only", u"Omega"_s, false, false, false, 0, -1);
        row("all columns", u"Omega"_s, true, false, false, 0, 3);
        row("no match", u"qqq"_s, true, false, false, 0, -1);
        // Numbers are searched as the text they show; text in a number column as text.
        row("negative number", u"-19"_s, true, false, false, 0, 2);
        row("real", u"01.5"_s, true, false, false, 0, 3);
        row("text in a number column", u"NORTH7"_s, true, false, false, 0, 4);
        // The Kelvin sign folds to an ASCII k, either way round.
        row("non-ASCII letter folding to ASCII in the row", u"korvex"_s, true, false, false, 0, 5);
        row("non-ASCII letter folding to ASCII in the text", u"\u212AORVAX"_s, true, false, false,
            0, 1);
    }

    void find()
    {
        auto [text, allColumns, matchCase, backward, from, found, wrapped] =
            fetch<QString, bool, bool, bool, int, int, bool>(
                "text", "allColumns", "matchCase", "backward", "from", "found", "wrapped");
        execute(u"UPDATE Team SET City = CASE rowid WHEN 2 THEN 'Alpha' WHEN 5 THEN "
                u"'alpha town' WHEN 6 THEN '\u00c9CLUSE' ELSE 'Zeta' END, "
                u"TeamName = iif(rowid = 4, 'Omega', TeamName), "
                u"Founded = CASE rowid WHEN 3 THEN -1987 WHEN 4 THEN 1901.5 ELSE Founded END, "
                u"Division = iif(rowid = 5, 'North7', Division), "
                u"Nickname = CASE rowid WHEN 6 THEN '\u212Aorvex' WHEN 2 THEN 'korvax' "
                u"ELSE Nickname END"_s);
        TableWindow* w = m_gui.openTable(u"Team"_s);
        GridView* grid = w->gridView();
        grid->setFocus();
        grid->setCurrentIndex(cell(w, from, u"City"_s));
        QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
        FindDialog* dialog = w->commands()->findDialog();
        QVERIFY(dialog && dialog->isVisible());
        dialog->findTextBox()->setText(text);
        dialog->findChild<QRadioButton*>(allColumns ? u"optAllColumns"_s : u"optCurrentColumn"_s)
            ->setChecked(true);
        dialog->findChild<QCheckBox*>(u"chkMatchCase"_s)->setChecked(matchCase);
        (backward ? dialog->findPreviousButton() : dialog->findNextButton())->click();
        if (found < 0) {
            QCOMPARE(Prompts::shown().size(), 1);
            QCOMPARE(Prompts::shown().first().text, u"No row holds \"%1\"."_s.arg(text));
            QCOMPARE(grid->currentIndex(), cell(w, from, u"City"_s));
            return;
        }
        QCOMPARE(grid->currentIndex().row(), found);
        QCOMPARE(grid->currentIndex().column(), cell(w, 0, u"City"_s).column());
        QCOMPARE(!dialog->findChild<QLabel*>(u"lblStatus"_s)->text().isEmpty(), wrapped);
    }

    // The file holds the rows as the window shows them after a Refresh:
    // rows another program removed leave no empty record, the user is told
    // when the table changed under the window, and an edited row is written
    // first, so the file holds the new value.
    void exportEqualsTheView_data()
    {
        QTest::addColumn<QString>("meanwhile"); // what another program does first
        QTest::addColumn<QString>("edited");    // typed into the first row's TeamName, not written
        QTest::newRow("as read") << QString() << QString();
        QTest::newRow("rows removed and renamed by another program")
            << u"DELETE FROM Team WHERE rowid IN (3, 5); UPDATE Team SET TeamName = 'New' "
               "WHERE rowid = 4"_s
            << QString();
        QTest::newRow("an edited row pending") << QString() << u"Edited"_s;
    }

    void exportEqualsTheView()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QString, edited);
        execute(u"UPDATE Team SET City = iif(rowid = 3, NULL, City), Nickname = "
                u"'Z\u00fcrich \u6771\u4eac' WHERE rowid IN (2, 3)"_s);
        TableWindow* w = m_gui.openTable(u"Team"_s);
        Prompts::setNextInput(u"TeamID <= 6"_s);
        w->filter();
        Prompts::setNextInput(u"TeamID DESC"_s);
        w->sort();
        QHeaderView* header = w->gridView()->horizontalHeader();
        header->moveSection(cell(w, 0, u"City"_s).column(), 0);
        w->gridView()->setColumnHidden(cell(w, 0, u"Stadium"_s).column(), true);
        if (!meanwhile.isEmpty())
            execute(meanwhile);
        if (!edited.isEmpty()) {
            QVERIFY(typeInto(w, 0, u"TeamName"_s, edited, true));
            Prompts::setNextAnswer(QMessageBox::Yes); // "Commit changes?"
        }

        const QString path = m_gui.filePath(u"view.csv"_s);
        Prompts::setNextFileName(path);
        choose(w, cell(w, 0, u"TeamName"_s), u"mnuExportCsv"_s);
        // "Commit changes?" first, for an edited row.
        QCOMPARE(TestSupport::messages().size(),
                 int(!edited.isEmpty()) + int(!meanwhile.isEmpty()));
        w->refresh();

        QList<QStringList> view; // the captions, then each row, in the columns shown
        for (int row = -1; row < w->connection()->recordSet()->count(); ++row) {
            QStringList values;
            for (int visual = 0; visual < header->count(); ++visual) {
                const int column = header->logicalIndex(visual);
                if (!header->isSectionHidden(column))
                    values << (row < 0 ? w->model()->headerData(column, Qt::Horizontal)
                                       : w->model()->index(row, column).data())
                                  .toString();
            }
            view << values;
        }
        QCOMPARE(view.size(), meanwhile.isEmpty() ? 7 : 5);
        QCOMPARE(view.first().first(), u"City"_s);
        QVERIFY(!view.first().contains(u"Stadium"_s));
        QCOMPARE(readCsv(path), view);
    }

    // No path that reaches a league any window holds is written: not by
    // another spelling, a link, a companion file not made yet, nor a backup.
    void exportRefusesEveryPathToAHeldLeague_data()
    {
        QTest::addColumn<QString>("target"); // in the test's folder; the league is L/league.db
        QTest::newRow("another spelling") << u"L/../L/./league.db"_s;
        QTest::newRow("symbolic link") << u"link.csv"_s;
        QTest::newRow("hard link") << u"hard.csv"_s;
        QTest::newRow("journal not made yet") << u"L/league.db-journal"_s;
        QTest::newRow("journal, league opened through a link") << u"L/league.db-journal"_s;
        QTest::newRow("a backup") << u"L/league.db.backups/old.mdb"_s;
        QTest::newRow("hard link to a backup") << u"hard-backup.csv"_s;
        QTest::newRow("new file among the backups") << u"L/league.db.backups/new.csv"_s;
        QTest::newRow("league an older grid holds") << u"older/older.db"_s;
    }

    void exportRefusesEveryPathToAHeldLeague()
    {
        QFETCH(QString, target);
        QTemporaryDir dir;
        QDir folder(dir.path());
        QVERIFY(folder.mkpath(u"L/league.db.backups"_s) && folder.mkpath(u"older"_s));
        const QString league = folder.filePath(u"L/league.db"_s);
        const QString older = folder.filePath(u"older/older.db"_s);
        for (const QString& copy : QStringList{league, older, league + u".backups/old.mdb"_s})
            QVERIFY(QFile::copy(m_gui.path(), copy));
        QVERIFY(QFile::link(league, folder.filePath(u"link.csv"_s)));
        for (const auto& [from, to] : {std::pair{league, u"hard.csv"_s},
                                       {league + u".backups/old.mdb"_s, u"hard-backup.csv"_s}})
            QCOMPARE(::link(QFile::encodeName(from).constData(),
                            QFile::encodeName(folder.filePath(to)).constData()),
                     0);
        m_gui.main()->setLeaguePath(older);
        m_gui.main()->action(u"mnuConference"_s)->trigger();
        const bool viaLink =
            QTest::currentDataTag() == QByteArray("journal, league opened through a link");
        m_gui.main()->setLeaguePath(viaLink ? folder.filePath(u"link.csv"_s) : league);
        m_gui.main()->action(u"mnuTeam"_s)->trigger();
        auto* w = qobject_cast<TableWindow*>(m_gui.main()->mdiArea()->activeSubWindow()->widget());
        QCOMPARE(w->windowTitle(), u"Team"_s);

        const QString path = folder.filePath(target);
        const QByteArray leagueBefore = TestSupport::fileBytes(league);
        const QByteArray targetBefore = TestSupport::fileBytes(path);
        Prompts::setNextFileName(path);
        choose(w, cell(w, 0, u"TeamName"_s), u"mnuExportCsv"_s);
        const QStringList messages = TestSupport::messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith(u"Error:1060 "_s), qPrintable(messages.first()));
        QVERIFY(messages.first().endsWith(u"Nothing was written."_s));
        QCOMPARE(TestSupport::fileBytes(league), leagueBefore);
        QCOMPARE(TestSupport::fileBytes(path), targetBefore);
        QCOMPARE(TestSupport::fileBytes(older), TestSupport::fileBytes(m_gui.path()));
    }

    void failedExportsLeaveNoFile_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancelled") << true;
        QTest::newRow("folder missing") << false;
    }

    void failedExportsLeaveNoFile()
    {
        QFETCH(bool, cancel);
        // Rows enough that the export is still running when Cancel comes,
        // even on a fast machine: a Cancel after the last row keeps the file.
        execute(u"CREATE TABLE Big AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                u"SELECT i + 1 FROM n WHERE i < 300000) SELECT i, 'row ' || i AS t FROM n"_s);
        TableWindow* w = m_gui.openTable(u"Big"_s);
        const QString path =
            cancel ? m_gui.filePath(u"cancelled.csv"_s) : m_gui.filePath(u"none/x.csv"_s);
        Prompts::setNextFileName(path);
        bool sawProgress = false;
        if (cancel) {
            QTimer::singleShot(0, w, [&] {
                auto* progress = w->findChild<QProgressDialog*>(u"frmExportProgress"_s);
                sawProgress = progress && progress->isVisible();
                if (progress) // as the user does: the window stays until the export stops
                    QTest::keyClick(progress, Qt::Key_Escape);
            });
        }
        w->commands()->exportView();
        QVERIFY(!QFile::exists(path));
        QCOMPARE(sawProgress, cancel);
        QCOMPARE(Prompts::shown().size(), cancel ? 1 : 2); // the file dialog, an error
        if (!cancel)
            QVERIFY(Prompts::shown().last().text.startsWith(u"Error:1041 "_s));
        QCOMPARE(QDir(QFileInfo(m_gui.path()).path()).entryList({u"cancelled*"_s}), QStringList());
    }

    // Widths fit the values; a width the user sets holds through every way
    // the rows are replaced, and comes back in the next window on the table.
    // A stored width that makes no sense is fitted instead and not written
    // back; a field the table lacks is forgotten.
    void widthsFitAndAreRemembered()
    {
        execute(
            u"UPDATE Team SET City = 'Harbor City of the Long Northern Shore' WHERE rowid = 2"_s);
        writeSetting(u"ColumnWidths"_s, u"Team"_s, u"gone=50;teamid=1000000000"_s);
        TableWindow* w = m_gui.openTable(u"Team"_s);
        GridView* grid = w->gridView();
        const int city = cell(w, 0, u"City"_s).column();
        const int id = cell(w, 0, u"TeamID"_s).column();
        const QFontMetrics metrics = grid->fontMetrics();
        QVERIFY(grid->columnWidth(city) >
                metrics.horizontalAdvance(u"Harbor City of the Long Northern Shore"_s));
        QVERIFY(grid->columnWidth(id) < metrics.horizontalAdvance(u"TeamID"_s) * 2);

        grid->horizontalHeader()->resizeSection(city, 333);
        Prompts::setNextInput(u"City DESC"_s);
        w->sort();
        Prompts::setNextInput(u"TeamID > 1"_s);
        w->filter();
        w->refresh();
        choose(w, cell(w, 0, u"City"_s), u"mnuRemoveFilterAndSort"_s);
        QCOMPARE(grid->columnWidth(city), 333);
        const int idWidth = grid->columnWidth(id);
        w->closeWindow();
        QTRY_COMPARE(readSetting(u"ColumnWidths"_s, u"Team"_s), u"city=333"_s);

        w = m_gui.openTable(u"Team"_s);
        QCOMPARE(w->gridView()->columnWidth(city), 333);
        QCOMPARE(w->gridView()->columnWidth(id), idWidth);
        // File > Exit ends the program with the window still open.
        w->gridView()->horizontalHeader()->resizeSection(id, 44);
        m_gui.closeMain();
        QCOMPARE(readSetting(u"ColumnWidths"_s, u"Team"_s), u"city=333;teamid=44"_s);
    }
};

QTEST_MAIN(TestGridCommands)
#include "tst_gridcommands.moc"
