// The Team Page and Compare Players, through the real main window on a
// league generated for the suite, or on players the test writes itself.
#include "GuiFixture.h"
#include "TestSupport.h"
#include "history/LeagueHistory.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "windows/compare/ComparePlayersWindow.h"
#include "windows/grid/GridView.h"
#include "windows/grid/TableWindow.h"
#include "windows/players/PlayerCard.h"
#include "windows/players/PlayerWindow.h"
#include "windows/teampage/TeamPage.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;
using TestSupport::columns;
using TestSupport::fetch;

namespace {
// Worked by hand: (team, position, SP, SP_P). QB of team 1: 60 and 71; of
// team 2: 50, no value, text; a draft QB at 121, out of range, still counts.
// A whole real position is that position; text or 99 is none ("Other").
const char* const SmallLeague =
    "INSERT INTO PlayerTable (FirstName, LastName, TeamId, CurrentPos, JerseyNum, RATING1, "
    "RATING_POT1) VALUES ('Al', 'One', 1, 0, 7, 60, 70), ('Bo', 'Two', 1, 0, 8, 71, 80),"
    "('Cy', 'Three', 2, 0, 9, 50, NULL), ('Di', 'Four', 2, 0, 10, NULL, 90),"
    "('Ed', 'Five', 2, 0, 11, 'abc', 91), ('Fu', 'Six', 0, 0, 12, 121, 99),"
    "('Gil', 'Seven', 1, 3.0, 80, 40, 50), ('Hal', 'Eight', 1, 'x', 1, 30, 30),"
    "('Ike', 'Nine', 1, 99, 2, 20, 20)";
} // namespace

class TestTeamPage : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_gui.setUp(); }
    void cleanup() { QCOMPARE(m_gui.tearDown(), QString()); }

    void averages_data()
    {
        // team: TeamID shown; group: position index (15: Other); cells: team,
        // league, difference of SP (actual, or potential when asked)
        columns<qint64, int, bool, QString, QString>("team", "group", "potential", "cells",
                                                     "title");
        auto row = [](const char* name, qint64 team, int group, bool potential, const char* cells,
                      const char* title) {
            QTest::newRow(name) << team << group << potential << QString::fromUtf8(cells)
                                << QString::fromUtf8(title);
        };
        row("team 1 QB", 1, 0, false, "65.5 75.5 -10.0", "QB \u2014 2 players");
        row("team 1 QB potential", 1, 0, true, "75.0 86.0 -11.0", "QB \u2014 2 players");
        row("team 2 QB, null and text left out", 2, 0, false, "50.0 75.5 -25.5",
            "QB \u2014 3 players");
        row("draft QB out of range", 0, 0, false, "121.0 75.5 +45.5", "QB \u2014 1 player");
        row("real 3.0 is WR", 1, 3, false, "40.0 40.0 +0.0", "WR \u2014 1 player");
        row("team 2 without WR", 2, 3, false, "\u2013 40.0 \u2013", "WR \u2014 0 players");
        row("Other", 1, 15, false, "25.0 25.0 +0.0", "Other \u2014 2 players");
    }

    void averages()
    {
        auto [team, group, potential, cells, title] = fetch<qint64, int, bool, QString, QString>(
            "team", "group", "potential", "cells", "title");
        QCOMPARE(m_gui.execute(u"DELETE FROM PlayerTable"_s), QString());
        QCOMPARE(m_gui.execute(QString::fromLatin1(SmallLeague)), QString());
        TeamPage* page = openPage();
        auto* teams = page->findChild<QComboBox*>(u"cboTeam"_s);
        QCOMPARE(teams->itemText(teams->count() - 1), u"College Draft/FA"_s);
        page->showTeam(teams->findData(team));
        page->setPotential(potential);
        auto* averages = page->findChild<QTableWidget*>(u"grdAverages_%1"_s.arg(group));
        QStringList shown;
        for (int row = 0; row < 3; ++row)
            shown << averages->item(row, 0)->text(); // SP comes first
        QCOMPARE(shown.join(u' '), cells);
        QCOMPARE(page->findChild<QLabel*>(u"lblGroup_%1"_s.arg(group))->text(), title);
        QCOMPARE(page->findChild<QWidget*>(u"picGroup_15"_s)->isVisibleTo(page), team == 1);
        QCOMPARE(page->windowTitle(), u"Team Page - "_s + teams->currentText());
        const QColor ink = averages->item(2, 0)->foreground().color();
        QCOMPARE(ink == QColor(170, 0, 0), cells.contains(u" -"_s));
    }

    // The page follows the grid's edits and their undo; a double click shows
    // the player on the card, which then walks the page's list.
    void followsChangesAndCard()
    {
        TeamPage* page = openPage();
        const QString qb = u"SELECT %1 FROM PlayerTable WHERE TeamId = %2 AND CurrentPos = 0"_s;
        const QString id = QString::number(page->teamId());
        auto* averages = page->findChild<QTableWidget*>(u"grdAverages_0"_s);
        const QString before = averages->item(0, 0)->text();
        auto* grid = m_gui.openVia(u"mnuPlayerTable"_s);
        const QString key = m_gui.firstColumn(qb.arg(u"min(rowid)"_s, id));
        const int row = TestSupport::keys(grid).split(u',').indexOf(key);
        QVERIFY(TestSupport::typeInto(grid, row, u"RATING1"_s, u"0"_s));
        Prompts::setNextAnswer(QMessageBox::Yes); // "Commit changes?" on leaving the row
        grid->gridView()->setCurrentIndex(TestSupport::cell(grid, row + 1, u"RATING1"_s));
        const double mean = m_gui.firstColumn(qb.arg(u"avg(RATING1)"_s, id)).toDouble();
        QCOMPARE(averages->item(0, 0)->text(), QString::number(mean, 'f', 1));
        QVERIFY(averages->item(0, 0)->text() != before);
        // A minimized page reads the undone edit when it shows again.
        auto* frame = qobject_cast<QMdiSubWindow*>(page->parentWidget());
        frame->showMinimized();
        m_gui.main()->action(u"mnuUndoGlobalEdit"_s)->trigger();
        QVERIFY(averages->item(0, 0)->text() != before);
        frame->showNormal();
        QCOMPARE(averages->item(0, 0)->text(), before);

        auto* view = page->findChild<QTableView*>(u"grdPlayers_0"_s);
        QAbstractItemModelTester tester(view->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        view->sortByColumn(0, Qt::DescendingOrder);
        const QVector<qint64> listed = page->listedKeys();
        emit view->doubleClicked(view->model()->index(1, 0));
        auto* card = m_gui.main()->findChild<PlayerCard*>(u"frmPlayerCard"_s);
        QVERIFY(card);
        QCOMPARE(card->playerKey(), listed.at(1));
        card->next();
        QCOMPARE(card->playerKey(), listed.at(2));
        card->previous();
        card->previous();
        QCOMPARE(card->playerKey(), listed.at(0));
        QVERIFY(!card->findChild<QPushButton*>(u"cmdPrevious"_s)->isEnabled());
        // Its saves are steps of the history, also once the page is closed.
        page->parentWidget()->close();
        QVERIFY(!m_gui.main()->history()->nextUndo()); // the grid's edit is undone
        card->typeValue(20, u"1"_s);                   // RATING1
        card->saveChanges();
        QVERIFY(m_gui.main()->history()->nextUndo());
    }

    void exportCsv_data()
    {
        columns<QString, QString>("showCodes", "team");
        QTest::newRow("names") << u"False"_s << u"name"_s;
        QTest::newRow("codes") << u"True"_s << u"id"_s;
    }

    void exportCsv()
    {
        auto [showCodes, team] = fetch<QString, QString>("showCodes", "team");
        writeSetting(u"Settings"_s, u"ShowCodes"_s, showCodes);
        TeamPage* page = openPage();
        page->nextTeam();
        const QString path = m_gui.filePath(u"page.csv"_s);
        Prompts::setNextFileName(path);
        page->findChild<QPushButton*>(u"cmdExport"_s)->click();
        const QStringList lines =
            QString::fromUtf8(TestSupport::fileBytes(path)).split(u"\r\n"_s, Qt::SkipEmptyParts);
        QVERIFY(lines.at(0).startsWith(u"Team,Position,Player,Jersey,SP,AG,"_s));
        const QString teamText = team == u"name"_s
                                     ? page->findChild<QComboBox*>(u"cboTeam"_s)->currentText()
                                     : QString::number(page->teamId());
        QVERIFY(lines.at(1).startsWith(teamText + (team == u"name"_s ? u",QB,"_s : u",0,"_s)));
        // Every player of the team, and two averages per position shown.
        const int players =
            m_gui
                .firstColumn(
                    u"SELECT count(*) FROM PlayerTable WHERE TeamId = %1"_s.arg(page->teamId()))
                .toInt();
        QCOMPARE(lines.size(), 1 + players + 2 * 15);
    }

    void compare_data()
    {
        // rows: the player grid's rows selected; deleted: of them, removed by
        // another program before the window reads again
        columns<QList<int>, int, QString>("rows", "deleted", "refusal");
        QTest::newRow("two") << QList<int>{0, 1} << 0 << QString();
        QTest::newRow("four") << QList<int>{0, 1, 2, 3} << 0 << QString();
        QTest::newRow("four, one deleted") << QList<int>{0, 1, 2, 3} << 1 << QString();
        QTest::newRow("one") << QList<int>{0} << 0 << u"Select 2 to 4 players to compare."_s;
        QTest::newRow("five") << QList<int>{0, 1, 2, 3, 4} << 0
                              << u"Select 2 to 4 players to compare."_s;
    }

    void compare()
    {
        auto [rows, deleted, refusal] =
            fetch<QList<int>, int, QString>("rows", "deleted", "refusal");
        TableWindow* grid = m_gui.openVia(u"mnuPlayerTable"_s);
        const QStringList keys = TestSupport::keys(grid).split(u',');
        for (int row : rows)
            grid->gridView()->selectionModel()->select(grid->model()->index(row, 0),
                                                       QItemSelectionModel::Select);
        grid->findChild<QAction*>(u"mnuComparePlayers"_s)->trigger();
        auto* window = m_gui.main()->findChild<ComparePlayersWindow*>(u"frmComparePlayers"_s);
        if (!refusal.isEmpty()) {
            QVERIFY(!window);
            QCOMPARE(TestSupport::messages(), QStringList{refusal});
            return;
        }
        QVERIFY(window);
        if (deleted) {
            QCOMPARE(m_gui.execute(u"DELETE FROM PlayerTable WHERE rowid = "_s + keys.at(0)),
                     QString());
            window->refresh();
            QVERIFY(window->findChild<QLabel*>(u"lblCompareNote"_s)->text().startsWith(u"1 of"_s));
        }
        auto* table = window->findChild<QTableWidget*>(u"grdCompare"_s);
        QCOMPARE(table->columnCount(), rows.size() - deleted);
        for (int c = 0; c < table->columnCount(); ++c) {
            const QString key = keys.at(rows.at(c + deleted));
            QCOMPARE(table->horizontalHeaderItem(c)->text(),
                     m_gui.firstColumn(u"SELECT FirstName || ' ' || LastName FROM PlayerTable "
                                       "WHERE rowid = "_s +
                                       key));
        }
        // The best of each rating row is bold, and only it.
        for (int row = 7; row < table->rowCount(); ++row) {
            double best = -1e300;
            for (int c = 0; c < table->columnCount(); ++c)
                best = std::max(best, table->item(row, c)->text().toDouble());
            for (int c = 0; c < table->columnCount(); ++c)
                QCOMPARE(table->item(row, c)->font().bold(),
                         table->columnCount() > 1 &&
                             table->item(row, c)->text().toDouble() == best);
        }
        // Remove takes out the current cell's player; Add Player… puts him
        // back by name, unless the name is not his alone.
        const QString first = table->horizontalHeaderItem(0)->text();
        table->setCurrentCell(7, 0);
        window->findChild<QPushButton*>(u"cmdRemove"_s)->click();
        QCOMPARE(table->columnCount(), rows.size() - deleted - 1);
        Prompts::setNextInput(u" "_s + first.toUpper());
        window->findChild<QPushButton*>(u"cmdAdd"_s)->click();
        const bool alone = m_gui.firstColumn(u"SELECT count(*) FROM PlayerTable WHERE FirstName "
                                             "|| ' ' || LastName = '%1'"_s.arg(first)) == u"1"_s;
        QCOMPARE(table->columnCount(), rows.size() - deleted - (alone ? 0 : 1));
        if (alone)
            QCOMPARE(table->horizontalHeaderItem(table->columnCount() - 1)->text(), first);
        if (!alone)
            window->addPlayers({keys.at(rows.at(deleted)).toLongLong()});
        // The card's Compare adds its player; a fifth is refused.
        const qsizetype shown = Prompts::shown().size();
        grid->gridView()->setCurrentIndex(grid->model()->index(8, 0));
        emit qobject_cast<PlayerWindow*>(grid)->playerCardRequested();
        m_gui.main()->findChild<PlayerCard*>()->compare();
        QCOMPARE(window->keys().size(), rows.size() - deleted + (rows.size() - deleted < 4));
        QCOMPARE(TestSupport::messages(shown).size(), rows.size() - deleted < 4 ? 0 : 1);
    }

private:
    TeamPage* openPage()
    {
        m_gui.main()->action(u"mnuTeamPage"_s)->trigger();
        return m_gui.main()->findChild<TeamPage*>(u"frmTeamPage"_s);
    }

    TestSupport::GuiFixture m_gui{400};
};

QTEST_MAIN(TestTeamPage)
#include "tst_teampage.moc"
