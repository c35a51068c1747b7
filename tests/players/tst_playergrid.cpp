// The player grid window and its column settings through the real Table menu,
// on generated leagues, with the real settings store in a temporary home.
#include "TestSupport.h"

#include "db/Database.h"
#include "db/RecordSet.h"
#include "grid/DataControl.h"
#include "grid/DataGridView.h"
#include "grid/GridCommands.h"
#include "leaguegen/LeagueGenerator.h"
#include "players/PlayerColumns.h"
#include "players/frmDataGridPlayers.h"
#include "players/frmPlayerSettings.h"
#include "shell/MDIMain.h"
#include "shell/base/ContextIDs.h"
#include "shell/base/Prompts.h"
#include "shell/base/Settings.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
constexpr int Players = 300;

// Grid indices from `from` to the last, every other one by default: 20 gives
// the 30 actual-rating columns, 21 the 30 potential ones.
QList<int> columnsFrom(int from, int step = 2)
{
    QList<int> list;
    for (int i = from; i < db::schema::PlayerColumnCount; i += step)
        list << i;
    return list;
}

QList<int> hiddenColumns(const frmDataGridPlayers* window)
{
    QList<int> hidden;
    for (int c = 0; c < window->model()->columnCount(); ++c) {
        if (window->grdDataGrid()->isColumnHidden(c))
            hidden << c;
    }
    return hidden;
}

// A value as the tests compare it: nulls apart from empty text.
QString shown(const QVariant& value)
{
    return value.isNull() ? u"<null>"_s : value.toString();
}

// Every value of every row the query yields, read straight from the file.
QStringList sqlValues(const QString& path, const QString& sql, const QVariantList& params = {})
{
    db::Database database;
    QStringList values;
    db::Error error = database.open(path);
    if (!error)
        error = database.query(sql, params, [&](const db::Statement& row) {
            for (int i = 0; i < row.columnCount(); ++i)
                values << shown(row.value(i));
        });
    return error ? QStringList{error.message()} : values;
}
} // namespace

class tst_PlayerGrid : public QObject
{
    Q_OBJECT

    QString m_league;
    QString m_shuffled;
    QTemporaryDir m_dir;
    std::unique_ptr<MDIMain> m_main;

    frmDataGridPlayers* openThroughMenu()
    {
        m_main->action(u"mnuPlayerTable"_s)->trigger();
        return frmDataGridPlayers::instance();
    }

    void withSettingsDialog(frmDataGridPlayers* window,
                            const std::function<void(frmPlayerSettings*)>& act)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            frmPlayerSettings* dialog = frmPlayerSettings::current();
            QVERIFY(dialog && dialog->isVisible());
            ran = true;
            act(dialog);
            if (dialog->isVisible()) {
                dialog->cmdCancel_Click();
                QFAIL("the dialog was left open");
            }
        });
        window->button(u"cmdSettings"_s)->click();
        QVERIFY(ran);
        QVERIFY(!frmPlayerSettings::current() || !frmPlayerSettings::current()->isVisible());
    }

    void clickBoxes(frmDataGridPlayers* window, const QStringList& boxes, bool ok)
    {
        withSettingsDialog(window, [&](frmPlayerSettings* dialog) {
            for (const QString& box : boxes)
                dialog->checkBox(box)->click();
            ok ? dialog->cmdOK_Click() : dialog->cmdCancel_Click();
        });
    }

private slots:
    void initTestCase()
    {
        TestSupport::initTestEnvironment();
        QVERIFY(m_dir.isValid());
        leaguegen::LeagueOptions options;
        options.players = Players;
        m_league = m_dir.filePath(u"league.sqlite"_s);
        QCOMPARE(leaguegen::writeLeague(m_league, options).message(), db::Error().message());
        options.shufflePlayerColumns = true;
        options.seed = 7;
        m_shuffled = m_dir.filePath(u"shuffled.sqlite"_s);
        QCOMPARE(leaguegen::writeLeague(m_shuffled, options).message(), db::Error().message());
    }

    // Each test starts like a fresh run of the program.
    void init()
    {
        TestSupport::clearSettings();
        m_main = std::make_unique<MDIMain>();
        m_main->show();
        m_main->setLeaguePath(m_league);
    }

    void cleanup()
    {
        if (frmDataGridPlayers* window = frmDataGridPlayers::instance()) {
            window->model()->discardPendingEdit();
            window->cmdClose_Click();
        }
        m_main.reset();
        QCOMPARE(Prompts::finishTest(), QString());
    }

    void firstUse()
    {
        frmDataGridPlayers* window = openThroughMenu();
        QVERIFY(window);
        QCOMPARE(window->model()->rowCount(), Players);
        QCOMPARE(hiddenColumns(window), QList<int>());

        // Opening the dialog stores "True" under all 21 keys.
        withSettingsDialog(window, [](frmPlayerSettings* dialog) {
            QSettings store;
            store.beginGroup(u"PlayerTable"_s);
            QCOMPARE(store.childKeys().size(), 21);
            for (const QString& key : store.childKeys())
                QCOMPARE(store.value(key).toString(), u"True"_s);
            dialog->cmdOK_Click();
        });
        QCOMPARE(hiddenColumns(window), QList<int>());

        // Delete and moving past the last row neither remove nor add a row, silently.
        DataGridView* grid = window->grdDataGrid();
        grid->setFocus();
        grid->selectRow(0);
        QTest::keyClick(grid, Qt::Key_Delete);
        window->grdDataGrid_DeleteRequested();
        grid->setCurrentIndex(window->model()->index(Players - 1, 1));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->currentIndex().row(), Players - 1);
        QCOMPARE(window->model()->rowCount(), Players);
        QCOMPARE(sqlValues(m_league, u"SELECT count(*) FROM PlayerTable"_s),
                 QStringList{QString::number(Players)});
        QVERIFY(Prompts::shown().isEmpty());
    }

    void okHidesExactlyTheBoxColumns_data()
    {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QList<int>>("hidden");
        QTest::newRow("Actual Ratings") << QStringList{u"chkActualRatings"_s} << columnsFrom(20);
        QTest::newRow("Potential Ratings") << QStringList{u"chkPotRatings"_s} << columnsFrom(21);
        QTest::newRow("Weight") << QStringList{u"chkWeight"_s} << QList<int>{8};
        QTest::newRow("Team ID") << QStringList{u"chkTeamID"_s} << QList<int>{19};
    }

    void okHidesExactlyTheBoxColumns()
    {
        QFETCH(QStringList, boxes);
        QFETCH(QList<int>, hidden);
        frmDataGridPlayers* window = openThroughMenu();
        QVERIFY(window);
        clickBoxes(window, boxes, true);
        QCOMPARE(hiddenColumns(window), hidden);
        // The dialog opens with those boxes unchecked: checking them and OK shows all again.
        clickBoxes(window, boxes, true);
        QCOMPARE(hiddenColumns(window), QList<int>());
    }

    void cancelKeepsGridUntilReopened()
    {
        frmDataGridPlayers* window = openThroughMenu();
        QVERIFY(window);
        clickBoxes(window, {u"chkWeight"_s, u"chkWeight"_s, u"chkWeight"_s}, false);
        withSettingsDialog(window, [](frmPlayerSettings* dialog) {
            dialog->checkBox(u"chkHeight"_s)->click();
            dialog->close(); // the close box is Cancel
        });
        QCOMPARE(GetSetting(u"PlayerTable"_s, u"Item8"_s), u"False"_s);
        QCOMPARE(GetSetting(u"PlayerTable"_s, u"Item7"_s), u"False"_s);
        QCOMPARE(hiddenColumns(window), QList<int>());

        // The close box unloads the window; the next opening reads the store.
        window->parentWidget()->close();
        QVERIFY(!frmDataGridPlayers::instance());
        window = openThroughMenu();
        QVERIFY(window);
        const QList<int> hidden{7, 8};
        QCOMPARE(hiddenColumns(window), hidden);
        // A new record set (filter) or a requery (refresh) shows nothing the choice hid.
        Prompts::setNextInput(u"Weight > 200"_s);
        window->cmdFilter_Click();
        QVERIFY(window->model()->rowCount() < Players);
        QCOMPARE(hiddenColumns(window), hidden);
        window->cmdRefresh_Click();
        QCOMPARE(hiddenColumns(window), hidden);
    }

    // What a fresh run shows for what the settings file holds.
    void storedChoiceAppliesOnLoad_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QList<int>>("hidden");
        QVariantMap allFalse;
        for (const QString& key : players::columnSettingKeys())
            allFalse[key] = u"False"_s;
        QTest::newRow("all false keeps league name") << allFalse << columnsFrom(1, 1);
        QTest::newRow("lower case false") << QVariantMap{{u"Item2"_s, u"false"_s}} << QList<int>{2};
        QTest::newRow("numbers: zero hides")
            << QVariantMap{{u"Item3"_s, u"0"_s}, {u"Item4"_s, u"-1"_s}, {u"Item5"_s, u"2.5"_s}}
            << QList<int>{3};
        const QVariantMap garbage{{u"Item1"_s, u"yes please"_s},
                                  {u"Actual"_s, QString()},
                                  {u"Potential"_s, u"Tru"_s},
                                  {u"Item9"_s, u"0"_s},
                                  {u"Item8"_s, QStringList{u"a"_s, u"b"_s}}};
        QTest::newRow("garbage shows") << garbage << QList<int>{9};
    }

    void storedChoiceAppliesOnLoad()
    {
        QFETCH(QVariantMap, stored);
        {
            QSettings store;
            for (auto it = stored.cbegin(); it != stored.cend(); ++it)
                store.setValue(u"PlayerTable/"_s + it.key(), it.value());
        }
        frmDataGridPlayers* window = openThroughMenu();
        QVERIFY(window);
        QTEST(hiddenColumns(window), "hidden");
    }

    void reorderedTableBindsAndSortsByField()
    {
        QVERIFY(sqlValues(m_shuffled, u"SELECT name FROM pragma_table_info('PlayerTable')"_s) !=
                db::schema::playerColumns());
        m_main->setLeaguePath(m_shuffled);
        frmDataGridPlayers* window = openThroughMenu();
        QVERIFY(window);
        const QString byKey = u"SELECT "_s + db::schema::playerColumns().join(u", "_s) +
                              u" FROM PlayerTable WHERE rowid = ?"_s;
        for (int row : {0, Players / 2, Players - 1}) {
            QStringList cells;
            for (int c = 0; c < 80; ++c)
                cells << shown(window->model()->index(row, c).data());
            QCOMPARE(cells, sqlValues(m_shuffled, byKey, {window->model()->recordSet()->key(row)}));
        }

        // Header clicks, Shift for descending, on columns whose fields stand elsewhere in the file.
        QHeaderView* header = window->grdDataGrid()->horizontalHeader();
        for (const auto& [column, descending] :
             {std::pair{8, false}, {8, true}, {2, false}, {33, false}, {78, true}}) {
            window->grdDataGrid()->scrollTo(window->model()->index(0, column));
            const QPoint at(header->sectionViewportPosition(column) +
                                header->sectionSize(column) / 2,
                            header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton,
                              descending ? Qt::ShiftModifier : Qt::NoModifier, at);
            const QString field = db::schema::playerColumns()[column];
            QStringList sorted;
            for (int row = 0; row < window->model()->rowCount(); ++row)
                sorted << shown(window->model()->index(row, column).data());
            QCOMPARE(sorted,
                     sqlValues(m_shuffled, u"SELECT "_s + field + u" FROM PlayerTable ORDER BY "_s +
                                               field + u" COLLATE YM_NOCASE"_s +
                                               (descending ? u" DESC"_s : u""_s)));
        }
    }

    // An edit on a table whose fields stand elsewhere in the file is written
    // to its own field on Yes (No is the table grids' concern).
    void editIsWrittenToItsField()
    {
        // A copy, so the edit does not leak into the other tests' league.
        const QString path = m_dir.filePath(u"edit.sqlite"_s);
        QFile::remove(path);
        QVERIFY(QFile::copy(m_shuffled, path));
        m_main->setLeaguePath(path);
        frmDataGridPlayers* window = openThroughMenu();
        QVERIFY(window);
        const qint64 key = window->model()->recordSet()->key(0);
        window->grdDataGrid()->setCurrentIndex(window->model()->index(0, 8));
        QVERIFY(window->model()->setData(window->model()->index(0, 8), u"321"_s));
        Prompts::setNextAnswer(QMessageBox::Yes);
        window->grdDataGrid()->setCurrentIndex(window->model()->index(1, 8)); // leaves the row
        QCOMPARE(Prompts::shown().size(), 1);
        QCOMPARE(Prompts::shown()[0].text, u"Commit changes?"_s);
        QCOMPARE(sqlValues(path, u"SELECT Weight FROM PlayerTable WHERE rowid = ?"_s, {key}),
                 QStringList{u"321"_s});
    }

    void oneWindow()
    {
        frmDataGridPlayers* window = openThroughMenu();
        QVERIFY(window);
        // Table > All opens the six tables, Team's last and active, and no second player grid.
        m_main->action(u"mnuAll"_s)->trigger();
        QCOMPARE(m_main->mdiArea()->subWindowList().size(), 7);
        QVERIFY(m_main->mdiArea()->activeSubWindow()->widget() != window);
        QCOMPARE(openThroughMenu(), window);
        QCOMPARE(m_main->mdiArea()->activeSubWindow()->widget(), window);
        QVERIFY(m_main->action(u"mnuPlayerTable"_s)->isChecked());

        window->cmdClose_Click();
        QVERIFY(!frmDataGridPlayers::instance());
        QVERIFY(!m_main->action(u"mnuPlayerTable"_s)->isChecked());
        QVERIFY(m_main->action(u"mnuConference"_s)->isChecked());
    }

    void settingsDialog()
    {
        frmDataGridPlayers* window = openThroughMenu();
        QVERIFY(window);
        withSettingsDialog(window, [](frmPlayerSettings* dialog) {
            // Enter presses no button, wherever the focus is.
            const int helpBefore = lastHelpRequest();
            dialog->activateWindow();
            for (const QString& focus :
                 {u"cmdOK"_s, u"cmdCancel"_s, u"cmdHelp"_s, u"chkWeight"_s}) {
                for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
                    auto* target = dialog->findChild<QWidget*>(focus);
                    target->setFocus();
                    QTest::keyClick(target, key);
                    QCoreApplication::processEvents();
                    QVERIFY2(dialog->isVisible(), qPrintable(focus));
                }
            }
            QCOMPARE(lastHelpRequest(), helpBefore);
            QVERIFY(dialog->checkBox(u"chkWeight"_s)->isChecked());

            dialog->findChild<QPushButton*>(u"cmdHelp"_s)->click();
            QVERIFY(dialog->isVisible());
            QCOMPARE(lastHelpRequest(), ContextIDs::PlayerSettingsTopic);
            QuitHelp();
            // Escape does what Cancel does.
            QTest::keyClick(dialog->findChild<QWidget*>(u"chkWeight"_s), Qt::Key_Escape);
            QVERIFY(!dialog->isVisible());
        });
    }

    // Captions name their fields in Sort and Filter, in the player grid only:
    // another table's own field of a caption's name stays that field.
    void captionsNameFields_data()
    {
        QTest::addColumn<bool>("players");
        QTest::addColumn<bool>("sort");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("sql"); // the keys expected; empty: refused
        QTest::newRow("SP DESC") << true << true << u"SP DESC"_s
                                 << u"SELECT rowid FROM PlayerTable ORDER BY RATING1 DESC, rowid"_s;
        QTest::newRow("SP_P > 80") << true << false << u"SP_P > 80"_s
                                   << u"SELECT rowid FROM PlayerTable WHERE RATING_POT1 > 80"_s;
        QTest::newRow("field name") << true << false << u"LastName Like \"M*\""_s
                                    << u"SELECT rowid FROM PlayerTable WHERE LastName LIKE 'M%'"_s;
        QTest::newRow("Age, players") << true << false << u"[Age] > 30"_s
                                      << u"SELECT rowid FROM PlayerTable WHERE RATING25 > 30"_s;
        QTest::newRow("Age, Team")
            << false << false << u"Age > 3"_s << u"SELECT rowid FROM Team WHERE Age > 3"_s;
        QTest::newRow("SP, Team") << false << true << u"SP"_s << QString();
    }

    void captionsNameFields()
    {
        QFETCH(bool, players);
        QFETCH(bool, sort);
        QFETCH(QString, expression);
        QFETCH(QString, sql);
        const QString path = m_dir.filePath(u"age.sqlite"_s);
        QFile::remove(path);
        QVERIFY(QFile::copy(m_league, path));
        QCOMPARE(sqlValues(path, u"ALTER TABLE Team ADD COLUMN Age INTEGER"_s), QStringList());
        sqlValues(path, u"UPDATE Team SET Age = rowid"_s);
        m_main->setLeaguePath(path);
        frmDataGrid* window = players ? openThroughMenu() : nullptr;
        if (!players) {
            m_main->action(u"mnuTeam"_s)->trigger();
            window = qobject_cast<frmDataGrid*>(m_main->mdiArea()->activeSubWindow()->widget());
        }
        QVERIFY(window);
        Prompts::setNextInput(expression);
        sort ? window->cmdSort_Click() : window->cmdFilter_Click();
        if (sql.isEmpty()) {
            QVERIFY(Prompts::shown().last().text.startsWith(u"Error:1011 "_s));
            return;
        }
        QStringList keys;
        const db::RecordSet* rs = window->Data1()->recordset();
        for (int row = 0; row < rs->count(); ++row)
            keys << QString::number(rs->key(row));
        QVERIFY(!keys.isEmpty());
        QCOMPARE(keys, sqlValues(path, sql));
    }

    // A Sort by caption marks the caption's column; a sort by several marks none.
    void sortIndicatorFollowsCaptions()
    {
        frmDataGridPlayers* window = openThroughMenu();
        QVERIFY(window);
        QHeaderView* header = window->grdDataGrid()->horizontalHeader();
        Prompts::setNextInput(u"SP_P DESC"_s);
        window->cmdSort_Click();
        QCOMPARE(header->sortIndicatorSection(), 21);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        Prompts::setNextInput(u"Weight, Height"_s); // no one column rules
        window->cmdSort_Click();
        QVERIFY(!header->isSortIndicatorShown());
    }

    // While the grid is scrolled right the names stand at its left edge, row
    // for row, through scrolling, a taller row and a Sort; a click on a name
    // is a click on the grid's name cell, questions and all.
    void namesStayInViewWhileScrollingRight()
    {
        frmDataGridPlayers* window = openThroughMenu();
        QVERIFY(window);
        DataGridView* grid = window->grdDataGrid();
        RecordSetModel* model = window->model();
        auto* names = grid->findChild<QTableView*>(u"grdFrozenNames"_s);
        QVERIFY(names && !names->accessibleName().isEmpty());
        QVERIFY(!names->isVisible()); // at rest the grid shows the names itself
        const auto alignedWithGrid = [&] {
            QVERIFY(names->isVisible());
            QCOMPARE(names->viewport()->mapTo(grid, QPoint()),
                     grid->viewport()->mapTo(grid, QPoint()));
            for (int c = 0; c < model->columnCount(); ++c) {
                QCOMPARE(names->isColumnHidden(c), c != 1 && c != 2);
                if (c == 1 || c == 2)
                    QCOMPARE(names->columnWidth(c), grid->columnWidth(c));
            }
            for (int y : {0, grid->viewport()->height() - 1}) {
                const int row = grid->rowAt(y);
                QCOMPARE(names->rowAt(y), row);
                QCOMPARE(names->rowViewportPosition(row), grid->rowViewportPosition(row));
            }
        };

        const int row = Players / 2;
        grid->verticalHeader()->resizeSection(row - 1, 60);
        grid->setCurrentIndex(model->index(row, 79));
        QVERIFY(grid->columnViewportPosition(2) < 0);
        alignedWithGrid();
        QCOMPARE(names->rowHeight(row - 1), 60);
        QTest::keyClick(grid, Qt::Key_PageDown);
        alignedWithGrid();
        // Going left by keyboard, the current cell never hides under the names.
        while (grid->currentIndex().column() > 3) {
            QTest::keyClick(grid, Qt::Key_Left);
            QVERIFY(!names->isVisible() || grid->visualRect(grid->currentIndex()).left() >
                                               names->geometry().right() - grid->viewport()->x());
        }
        grid->setCurrentIndex(model->index(grid->currentIndex().row(), 79));
        grid->horizontalHeader()->resizeSection(2, 150);
        alignedWithGrid();
        window->grdDataGrid_HeadClick(79);
        grid->scrollTo(model->index(Players - 1, 79));
        alignedWithGrid();

        // An edited rating, then a click on another player's name.
        grid->setCurrentIndex(model->index(row, 79));
        const QModelIndex rating = model->index(row, 79);
        QVERIFY(model->setData(rating, rating.data().toInt() == 1 ? u"2"_s : u"1"_s));
        QVERIFY(model->hasPendingEdit());
        Prompts::setNextAnswer(QMessageBox::No);
        QTest::mouseClick(names->viewport(), Qt::LeftButton, {},
                          names->visualRect(model->index(row + 1, 2)).center());
        QCOMPARE(Prompts::shown().size(), 1);
        QCOMPARE(Prompts::shown()[0].text, u"Commit changes?"_s);
        QVERIFY(!model->hasPendingEdit());
        QVERIFY(!names->isVisible());
        QCOMPARE(grid->currentIndex(), model->index(row + 1, 2));
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));

        grid->scrollTo(model->index(row, 79));
        QHeaderView* header = names->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          {header->sectionViewportPosition(2) + 5, header->height() / 2});
        QCOMPARE(window->Data1()->recordset()->sortTexts().first(), u"[LastName]"_s);

        // A right-click there opens the grid's menu for that name.
        grid->scrollTo(model->index(0, 79));
        const QModelIndex first = model->index(0, 1);
        const QPoint at = names->visualRect(first).center();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at,
                                    names->viewport()->mapToGlobal(at));
        QApplication::sendEvent(names->viewport(), &menuEvent);
        QVERIFY(window->commands()->menu()->isVisible());
        window->commands()->action(u"mnuFilterByValue"_s)->trigger();
        window->commands()->menu()->hide();
        QCOMPARE(window->Data1()->recordset()->filterTexts(),
                 QStringList{u"FirstName = "_s + first.data().toString()});
    }
};

QTEST_MAIN(tst_PlayerGrid)
#include "tst_playergrid.moc"
