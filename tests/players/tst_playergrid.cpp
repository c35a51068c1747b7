// The player grid window through the real Table menu, on generated leagues,
// with the real settings store in a temporary home.
#include "TestSupport.h"
#include "ColumnLists.h"

#include "db/Database.h"
#include "db/RecordSet.h"
#include "grid/DataGridView.h"
#include "leaguegen/LeagueGenerator.h"
#include "players/PlayerColumns.h"
#include "players/frmDataGridPlayers.h"
#include "players/frmPlayerSettings.h"
#include "shell/MDIMain.h"
#include "shell/base/Globals.h"
#include "shell/base/Prompts.h"
#include "shell/base/Settings.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
constexpr int Players = 300;

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

QStringList sqlColumn(const QString& path, const QString& sql, const QVariantList& params = {})
{
    db::Database database;
    if (const db::Error error = database.open(path))
        qFatal("%s", qPrintable(error.message()));
    QStringList values;
    const db::Error error = database.query(sql, params, [&](const QSqlQuery& row) {
        values << shown(row.value(0));
    });
    if (error)
        qFatal("%s", qPrintable(error.message()));
    return values;
}
} // namespace

class tst_PlayerGrid : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstUseShowsEveryColumn();
    void okHidesExactlyTheBoxColumns_data();
    void okHidesExactlyTheBoxColumns();
    void cancelKeepsGridUntilReopened();
    void garbageSettingsReadAsDefaults();
    void hiddenColumnsSurviveSortFilterRefresh();
    void reorderedTableBindsEachColumnToItsField();
    void headerClickSortsByTheColumnsField_data();
    void headerClickSortsByTheColumnsField();
    void missingFieldFailsTheLoad();
    void editIsSavedOnlyOnYes_data();
    void editIsSavedOnlyOnYes();
    void noDeleteNoAppend();
    void commandTwiceGivesOneWindow();
    void tableAllTakesThePlayerStep();

private:
    frmDataGridPlayers* openThroughMenu();
    // Presses Settings and lets act work the dialog while it is up.
    void withSettingsDialog(frmDataGridPlayers* window,
                            const std::function<void(frmPlayerSettings*)>& act);
    QString m_league;
    QString m_shuffled;
    QTemporaryDir m_dir;
    std::unique_ptr<MDIMain> m_main;
};

void tst_PlayerGrid::initTestCase()
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

void tst_PlayerGrid::init()
{
    TestSupport::clearSettings();
    m_main = std::make_unique<MDIMain>();
    m_main->show();
    mMain::DBPath = m_league;
}

void tst_PlayerGrid::cleanup()
{
    if (frmDataGridPlayers* window = frmDataGridPlayers::instance()) {
        window->model()->discardPendingEdit();
        window->cmdClose_Click();
    }
    m_main.reset();
    QCOMPARE(Prompts::finishTest(), QString());
}

frmDataGridPlayers* tst_PlayerGrid::openThroughMenu()
{
    m_main->action(u"mnuPlayerTable"_s)->trigger();
    return frmDataGridPlayers::instance();
}

void tst_PlayerGrid::withSettingsDialog(frmDataGridPlayers* window,
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

void tst_PlayerGrid::firstUseShowsEveryColumn()
{
    frmDataGridPlayers* window = openThroughMenu();
    QVERIFY(window);
    QVERIFY(m_main->action(u"mnuPlayerTable"_s)->isChecked());
    QCOMPARE(window->windowTitle(), u"PlayerTable"_s);
    QCOMPARE(window->model()->columnCount(), 80);
    QCOMPARE(window->model()->rowCount(), Players);
    QCOMPARE(hiddenColumns(window), QList<int>());
    for (int c : {0, 19, 20, 21, 42, 79}) {
        QCOMPARE(window->model()->headerData(c, Qt::Horizontal).toString(),
                 players::playerGridColumns()[size_t(c)].caption);
    }
    QVERIFY(window->button(u"cmdSettings"_s)->x() > window->button(u"cmdClose"_s)->x());

    withSettingsDialog(window, [](frmPlayerSettings* dialog) {
        for (const QString& key : players::columnSettingKeys())
            QCOMPARE(GetSetting(u"PlayerTable"_s, key), u"True"_s);
        dialog->cmdOK_Click();
    });
    QCOMPARE(hiddenColumns(window), QList<int>());
}

void tst_PlayerGrid::okHidesExactlyTheBoxColumns_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QList<int>>("hidden");
    QTest::newRow("Actual Ratings") << QStringList{u"chkActualRatings"_s} << everyOther(20);
    QTest::newRow("Potential Ratings") << QStringList{u"chkPotRatings"_s} << everyOther(21);
    QTest::newRow("Weight") << QStringList{u"chkWeight"_s} << QList<int>{8};
    QTest::newRow("Team ID") << QStringList{u"chkTeamID"_s} << QList<int>{19};
    QTest::newRow("First Name and Actual Ratings")
        << QStringList{u"chkFirstName"_s, u"chkActualRatings"_s} << (QList<int>{1} + everyOther(20));
}

void tst_PlayerGrid::okHidesExactlyTheBoxColumns()
{
    QFETCH(QStringList, boxes);
    QFETCH(QList<int>, hidden);
    frmDataGridPlayers* window = openThroughMenu();
    QVERIFY(window);
    withSettingsDialog(window, [&](frmPlayerSettings* dialog) {
        for (const QString& box : boxes)
            dialog->checkBox(box)->click();
        QCOMPARE(hiddenColumns(window), QList<int>()); // nothing applied before OK
        dialog->cmdOK_Click();
    });
    QCOMPARE(hiddenColumns(window), hidden);

    // Checking them again and OK shows every column once more.
    withSettingsDialog(window, [&](frmPlayerSettings* dialog) {
        for (const QString& box : boxes)
            dialog->checkBox(box)->click();
        dialog->cmdOK_Click();
    });
    QCOMPARE(hiddenColumns(window), QList<int>());
}

void tst_PlayerGrid::cancelKeepsGridUntilReopened()
{
    frmDataGridPlayers* window = openThroughMenu();
    QVERIFY(window);
    withSettingsDialog(window, [](frmPlayerSettings* dialog) {
        dialog->checkBox(u"chkWeight"_s)->click();
        dialog->cmdCancel_Click();
    });
    QCOMPARE(GetSetting(u"PlayerTable"_s, u"Item8"_s), u"False"_s);
    QCOMPARE(hiddenColumns(window), QList<int>());

    // The close box unloads it like Close; the next opening reads the store.
    window->parentWidget()->close();
    QVERIFY(!frmDataGridPlayers::instance());
    QVERIFY(!m_main->action(u"mnuPlayerTable"_s)->isChecked());
    window = openThroughMenu();
    QVERIFY(window);
    QCOMPARE(hiddenColumns(window), QList<int>{8});
}

void tst_PlayerGrid::garbageSettingsReadAsDefaults()
{
    QSettings store;
    store.setValue(u"PlayerTable/Item1"_s, u"yes please"_s);
    store.setValue(u"PlayerTable/Actual"_s, QString());
    store.setValue(u"PlayerTable/Potential"_s, u"Tru"_s);
    store.setValue(u"PlayerTable/Item8"_s, QStringList{u"a"_s, u"b"_s});
    store.setValue(u"PlayerTable/Item9"_s, u"0"_s);
    store.sync();
    frmDataGridPlayers* window = openThroughMenu();
    QVERIFY(window);
    QCOMPARE(hiddenColumns(window), QList<int>{9});
}

void tst_PlayerGrid::hiddenColumnsSurviveSortFilterRefresh()
{
    SaveSetting(u"PlayerTable"_s, u"Actual"_s, u"False"_s);
    SaveSetting(u"PlayerTable"_s, u"Item2"_s, u"False"_s);
    frmDataGridPlayers* window = openThroughMenu();
    QVERIFY(window);
    const QList<int> hidden = QList<int>{2} + everyOther(20);
    QCOMPARE(hiddenColumns(window), hidden);

    window->grdDataGrid_HeadClick(8);
    QCOMPARE(hiddenColumns(window), hidden);
    Prompts::setNextInput(u"Weight > 200"_s);
    window->cmdFilter_Click();
    QVERIFY(window->model()->rowCount() < Players);
    QCOMPARE(hiddenColumns(window), hidden);
    window->cmdRefresh_Click();
    QCOMPARE(hiddenColumns(window), hidden);
}

void tst_PlayerGrid::reorderedTableBindsEachColumnToItsField()
{
    db::Database database;
    QVERIFY(!database.open(m_shuffled));
    QVERIFY(database.columns(u"PlayerTable"_s) != db::schema::playerColumns());
    database.close();

    mMain::DBPath = m_shuffled;
    frmDataGridPlayers* window = openThroughMenu();
    QVERIFY(window);
    for (int row : {0, Players / 2, Players - 1}) {
        const qint64 key = window->model()->recordSet()->key(row);
        for (int c = 0; c < 80; ++c) {
            const QString field = players::playerGridColumns()[size_t(c)].field;
            const QStringList expected = sqlColumn(
                m_shuffled, u"SELECT "_s + field + u" FROM PlayerTable WHERE rowid = ?"_s, {key});
            QCOMPARE(shown(window->model()->index(row, c).data()), expected.value(0));
        }
    }
}

void tst_PlayerGrid::headerClickSortsByTheColumnsField_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("descending");
    QTest::newRow("Weight") << 8 << false;
    QTest::newRow("Weight, Shift held") << 8 << true;
    QTest::newRow("LastName") << 2 << false;
    QTest::newRow("KA_P") << 33 << false;
    QTest::newRow("YF, Shift held") << 78 << true;
}

void tst_PlayerGrid::headerClickSortsByTheColumnsField()
{
    QFETCH(int, column);
    QFETCH(bool, descending);
    mMain::DBPath = m_shuffled;
    frmDataGridPlayers* window = openThroughMenu();
    QVERIFY(window);
    QHeaderView* header = window->grdDataGrid()->horizontalHeader();
    window->grdDataGrid()->scrollTo(window->model()->index(0, column));
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton,
                      descending ? Qt::ShiftModifier : Qt::NoModifier, at);

    const QString field = players::playerGridColumns()[size_t(column)].field;
    const QStringList expected =
        sqlColumn(m_shuffled, u"SELECT "_s + field + u" FROM PlayerTable ORDER BY "_s + field +
                                  u" COLLATE YM_NOCASE"_s + (descending ? u" DESC"_s : u""_s));
    QStringList actual;
    for (int row = 0; row < window->model()->rowCount(); ++row)
        actual << shown(window->model()->index(row, column).data());
    QCOMPARE(actual, expected);
}

void tst_PlayerGrid::missingFieldFailsTheLoad()
{
    leaguegen::LeagueOptions options;
    options.players = 20;
    options.omitPlayerColumns = {u"InjuryType"_s};
    const QString path = m_dir.filePath(u"missing.sqlite"_s);
    QVERIFY(!leaguegen::writeLeague(path, options));
    mMain::DBPath = path;

    QVERIFY(!openThroughMenu());
    QCOMPARE(Prompts::shown().size(), 1);
    QVERIFY2(Prompts::shown()[0].text.startsWith(u"Error:"_s), qPrintable(Prompts::shown()[0].text));
    QVERIFY2(Prompts::shown()[0].text.contains(u"InjuryType"_s), qPrintable(Prompts::shown()[0].text));
    QVERIFY(m_main->mdiArea()->subWindowList().isEmpty());
    QVERIFY(!m_main->action(u"mnuPlayerTable"_s)->isChecked());

    // Once the file is right the command works again.
    mMain::DBPath = m_league;
    QVERIFY(openThroughMenu());
    QVERIFY(m_main->action(u"mnuPlayerTable"_s)->isChecked());
}

void tst_PlayerGrid::editIsSavedOnlyOnYes_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("saved");
    QTest::newRow("Yes") << QMessageBox::Yes << true;
    QTest::newRow("No") << QMessageBox::No << false;
}

void tst_PlayerGrid::editIsSavedOnlyOnYes()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, saved);
    // A copy, so the edit does not leak into the other tests' league.
    const QString path = m_dir.filePath(u"edit.sqlite"_s);
    QFile::remove(path);
    QVERIFY(QFile::copy(m_shuffled, path));
    mMain::DBPath = path;
    frmDataGridPlayers* window = openThroughMenu();
    QVERIFY(window);
    DataGridView* grid = window->grdDataGrid();
    const qint64 key = window->model()->recordSet()->key(0);
    const QStringList before = sqlColumn(path, u"SELECT Weight FROM PlayerTable WHERE rowid = ?"_s, {key});

    grid->setCurrentIndex(window->model()->index(0, 8));
    QVERIFY(window->model()->setData(window->model()->index(0, 8), u"321"_s));
    Prompts::setNextAnswer(answer);
    grid->setCurrentIndex(window->model()->index(1, 8)); // leaving the row writes it
    QCOMPARE(Prompts::shown().size(), 1);
    QCOMPARE(Prompts::shown()[0].text, u"Commit changes?"_s);
    QCOMPARE(Prompts::shown()[0].icon, QMessageBox::Question);

    const QStringList after = sqlColumn(path, u"SELECT Weight FROM PlayerTable WHERE rowid = ?"_s, {key});
    QCOMPARE(after, saved ? QStringList{u"321"_s} : before);
}

void tst_PlayerGrid::noDeleteNoAppend()
{
    frmDataGridPlayers* window = openThroughMenu();
    QVERIFY(window);
    DataGridView* grid = window->grdDataGrid();
    QCOMPARE(window->model()->newRowLine(), -1);
    QCOMPARE(window->model()->rowCount(), Players);

    grid->setFocus();
    grid->selectRow(0);
    QTest::keyClick(grid, Qt::Key_Delete);
    window->grdDataGrid_DeleteRequested();
    QCOMPARE(window->model()->rowCount(), Players);
    QCOMPARE(sqlColumn(m_league, u"SELECT count(*) FROM PlayerTable"_s),
             QStringList{QString::number(Players)});
    QVERIFY(Prompts::shown().isEmpty());

    // Moving past the last row does not open a new-row line either.
    grid->setCurrentIndex(window->model()->index(Players - 1, 1));
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->currentIndex().row(), Players - 1);
    QCOMPARE(window->model()->rowCount(), Players);
}

void tst_PlayerGrid::commandTwiceGivesOneWindow()
{
    frmDataGridPlayers* first = openThroughMenu();
    QVERIFY(first);
    m_main->action(u"mnuConference"_s)->trigger();
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 2);
    QVERIFY(m_main->mdiArea()->activeSubWindow()->widget() != first);

    QCOMPARE(openThroughMenu(), first);
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 2);
    QCOMPARE(m_main->mdiArea()->activeSubWindow()->widget(), first);
    QVERIFY(m_main->action(u"mnuPlayerTable"_s)->isChecked());

    first->cmdClose_Click();
    QVERIFY(!m_main->action(u"mnuPlayerTable"_s)->isChecked());
    QVERIFY(m_main->action(u"mnuConference"_s)->isChecked());
    QVERIFY(!frmDataGridPlayers::instance());
}

void tst_PlayerGrid::tableAllTakesThePlayerStep()
{
    m_main->action(u"mnuAll"_s)->trigger();
    frmDataGridPlayers* window = frmDataGridPlayers::instance();
    QVERIFY(window);
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 7);
    QVERIFY(m_main->action(u"mnuPlayerTable"_s)->isChecked());

    // Again: the open tables are skipped, the player grid is not doubled.
    m_main->action(u"mnuAll"_s)->trigger();
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 7);
    QCOMPARE(frmDataGridPlayers::instance(), window);
}

QTEST_MAIN(tst_PlayerGrid)
#include "tst_playergrid.moc"
