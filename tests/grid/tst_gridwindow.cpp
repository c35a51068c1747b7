#include "TestSupport.h"
#include "db/Database.h"
#include "db/RecordSet.h"
#include "grid/DataControl.h"
#include "grid/DataGridView.h"
#include "grid/TableCommands.h"
#include "grid/frmDataGrid.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MDIMain.h"
#include "shell/base/Globals.h"
#include "shell/base/Prompts.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using db::Error;

// A twin window built on the extension API, as the player grid is.
class TwinGrid : public frmDataGrid
{
public:
    explicit TwinGrid(const QList<ColumnDef>& columns) : frmDataGrid(options(columns), nullptr)
    {
        addStripButton(u"cmdSettings"_s, u"&Settings"_s, 5880, 1437);
    }
    int loads = 0;

protected:
    void beforeLoad() override { ++loads; }

private:
    static GridOptions options(const QList<ColumnDef>& columns)
    {
        GridOptions o;
        o.fixedColumns = columns;
        o.allowAddNew = false;
        o.allowDelete = false;
        return o;
    }
};

// The table grid window through the real main window and its Table menu.
class TestGridWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void tableCommands_data();
    void tableCommands();
    void tableAll();
    void mainWindowCloseClearsChecks();
    void failedLoads_data();
    void failedLoads();
    void captionRule_data();
    void captionRule();
    void headerClicks();
    void filterAndSortAddUp();
    void refreshKeepsTheFilter();
    void cancelOrEmptyChangesNothing_data();
    void cancelOrEmptyChangesNothing();
    void failedSortLeavesNothingBehind();
    void filterTextIsData_data();
    void filterTextIsData();
    void deleteQuestion();
    void noPathDropsAnEdit_data();
    void noPathDropsAnEdit();
    void valueThatDoesNotFit();
    void vanishedRowSaysSo();
    void tableKindRefusals();
    void resizeRule();
    void twinWindow();
    void readOnlyTable();

private:
    frmDataGrid* openVia(const QString& item);
    frmDataGrid* activeGrid() const;
    QList<frmDataGrid*> tableWindows() const;
    QStringList values(frmDataGrid* w, const QString& field) const;
    QString storedText(const QString& sql);
    void typeInto(frmDataGrid* w, int row, const QString& field, const QString& text,
                  bool enter = true);
    void clickHeader(frmDataGrid* w, const QString& field, Qt::KeyboardModifiers modifiers);
    QStringList messages() const;
    void execute(const QString& sql);

    QTemporaryDir m_dir;
    QString m_pristine;
    QString m_path;
    MDIMain* m_main = nullptr;
};

void TestGridWindow::initTestCase()
{
    TestSupport::initTestEnvironment();
    m_pristine = m_dir.filePath(u"pristine.db"_s);
    leaguegen::LeagueOptions options;
    options.players = 300;
    QCOMPARE(leaguegen::writeLeague(m_pristine, options).message(), Error().message());
}

void TestGridWindow::init()
{
    m_path = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + u"_"_s +
                            QString::fromLatin1(QTest::currentDataTag()).remove(u' ') + u".db"_s);
    QFile::remove(m_path);
    QVERIFY(QFile::copy(m_pristine, m_path));
    m_main = new MDIMain;
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
    mMain::DBPath = m_path;
}

void TestGridWindow::cleanup()
{
    delete m_main; // no unload runs, so no question is asked
    m_main = nullptr;
    QCOMPARE(Prompts::finishTest(), QString());
    QVERIFY(!QApplication::overrideCursor());
}

frmDataGrid* TestGridWindow::openVia(const QString& item)
{
    m_main->action(item)->trigger();
    return activeGrid();
}

frmDataGrid* TestGridWindow::activeGrid() const
{
    QMdiSubWindow* sub = m_main->mdiArea()->activeSubWindow();
    return sub ? qobject_cast<frmDataGrid*>(sub->widget()) : nullptr;
}

QList<frmDataGrid*> TestGridWindow::tableWindows() const
{
    QList<frmDataGrid*> out;
    for (QMdiSubWindow* sub : m_main->mdiArea()->subWindowList()) {
        auto* w = qobject_cast<frmDataGrid*>(sub->widget());
        if (w && w->objectName() == u"frmDataGrid"_s)
            out << w;
    }
    return out;
}

QStringList TestGridWindow::values(frmDataGrid* w, const QString& field) const
{
    QStringList out;
    const int column = w->Data1()->recordset()->fieldIndex(field);
    for (int row = 0; row < w->Data1()->recordset()->count(); ++row)
        out << w->model()->index(row, column).data().toString();
    return out;
}

QString TestGridWindow::storedText(const QString& sql)
{
    db::Database check;
    if (check.open(m_path))
        return u"(cannot open)"_s;
    QStringList out;
    check.query(sql, {}, [&](const QSqlQuery& q) { out << q.value(0).toString(); });
    return out.join(u',');
}

void TestGridWindow::execute(const QString& sql)
{
    db::Database other;
    QVERIFY(!other.open(m_path));
    QCOMPARE(other.execute(sql).message(), Error().message());
}

void TestGridWindow::typeInto(frmDataGrid* w, int row, const QString& field, const QString& text,
                              bool enter)
{
    DataGridView* grid = w->grdDataGrid();
    const QModelIndex cell = w->model()->index(row, w->Data1()->recordset()->fieldIndex(field));
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>()) {
        if (e->isVisible()) // closed editors linger until deleted
            editor = e;
    }
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    if (enter)
        QTest::keyClick(editor, Qt::Key_Return);
}

void TestGridWindow::clickHeader(frmDataGrid* w, const QString& field,
                                 Qt::KeyboardModifiers modifiers)
{
    QHeaderView* header = w->grdDataGrid()->horizontalHeader();
    const int column = w->Data1()->recordset()->fieldIndex(field);
    w->grdDataGrid()->scrollTo(w->model()->index(0, column));
    const QPoint middle(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, middle);
}

QStringList TestGridWindow::messages() const
{
    QStringList out;
    for (const Prompts::Shown& s : Prompts::shown())
        out << s.kind + u": "_s + s.text;
    return out;
}

void TestGridWindow::tableCommands_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tag");
    QTest::newRow("Conference") << u"mnuConference"_s << u"Conference"_s << u"1"_s;
    QTest::newRow("Free Agents") << u"mnuFreeAgents"_s << u"FreeAgents"_s << u"2"_s;
    QTest::newRow("League") << u"mnuLeague"_s << u"League"_s << u"3"_s;
    QTest::newRow("Roster") << u"mnuRoster"_s << u"Roster"_s << u"5"_s;
    QTest::newRow("Schedule") << u"mnuSchedule"_s << u"Schedule"_s << u"6"_s;
    QTest::newRow("Team") << u"mnuTeam"_s << u"Team"_s << u"7"_s;
}

void TestGridWindow::tableCommands()
{
    QFETCH(QString, item);
    QFETCH(QString, caption);
    QFETCH(QString, tag);

    frmDataGrid* first = openVia(item);
    QVERIFY(first);
    QCOMPARE(first->windowTitle(), caption);
    QCOMPARE(first->Tag(), tag);
    QVERIFY(m_main->action(item)->isChecked());
    for (const char* name : {"cmdRefresh", "cmdSort", "cmdFilter", "cmdClose"})
        QVERIFY(first->button(QLatin1String(name))->isVisible());

    // A second choice opens nothing and does not bring the window forward.
    frmDataGrid* other = openVia(item == u"mnuTeam"_s ? u"mnuLeague"_s : u"mnuTeam"_s);
    m_main->action(item)->trigger();
    QCOMPARE(tableWindows().size(), 2);
    QCOMPARE(activeGrid(), other);

    QTest::mouseClick(first->button(u"cmdClose"_s), Qt::LeftButton);
    QTRY_COMPARE(tableWindows().size(), 1);
    QVERIFY(!m_main->action(item)->isChecked());
    frmDataGrid* again = openVia(item);
    QVERIFY(again && again != other);
    QCOMPARE(tableWindows().size(), 2);
}

void TestGridWindow::tableAll()
{
    frmDataGrid* league = openVia(u"mnuLeague"_s);
    m_main->action(u"mnuAll"_s)->trigger();
    QCOMPARE(tableWindows().size(), 6);
    QVERIFY(tableWindows().contains(league));
    for (const char* item :
         {"mnuConference", "mnuFreeAgents", "mnuLeague", "mnuRoster", "mnuSchedule", "mnuTeam"})
        QVERIFY2(m_main->action(QLatin1String(item))->isChecked(), item);
    QCOMPARE(activeGrid()->windowTitle(), u"Team"_s);
}

void TestGridWindow::mainWindowCloseClearsChecks()
{
    openVia(u"mnuConference"_s);
    openVia(u"mnuSchedule"_s);
    QVERIFY(m_main->close());
    QVERIFY(!m_main->action(u"mnuConference"_s)->isChecked());
    QVERIFY(!m_main->action(u"mnuSchedule"_s)->isChecked());
}

void TestGridWindow::failedLoads_data()
{
    QTest::addColumn<QString>("cause");
    QTest::newRow("empty DBPath") << u"empty"_s;
    QTest::newRow("no such file") << u"missing"_s;
    QTest::newRow("not a league") << u"text"_s;
    QTest::newRow("missing table") << u"table"_s;
    QTest::newRow("locked file") << u"locked"_s;
}

void TestGridWindow::failedLoads()
{
    QFETCH(QString, cause);
    db::Database locker;
    if (cause == u"empty"_s) {
        mMain::DBPath.clear();
    } else if (cause == u"missing"_s) {
        mMain::DBPath = m_dir.filePath(u"nowhere.db"_s);
    } else if (cause == u"text"_s) {
        mMain::DBPath = m_dir.filePath(u"notes.txt"_s);
        QFile text(mMain::DBPath);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("just some text\n");
    } else if (cause == u"table"_s) {
        mMain::DBPath = m_dir.filePath(u"noconference.db"_s);
        leaguegen::LeagueOptions options;
        options.players = 10;
        options.omitTables = QStringList{u"Conference"_s};
        options.overwrite = true;
        QVERIFY(!leaguegen::writeLeague(mMain::DBPath, options));
    } else {
        QVERIFY(!locker.open(m_path));
        QVERIFY(!locker.execute(u"BEGIN EXCLUSIVE"_s));
    }

    m_main->action(u"mnuConference"_s)->trigger();
    QCOMPARE(messages().size(), 1);
    QVERIFY2(messages().first().startsWith(u"message: Error:"_s), qPrintable(messages().first()));
    QVERIFY(m_main->mdiArea()->subWindowList().isEmpty());
    QVERIFY(!m_main->action(u"mnuConference"_s)->isChecked());
    QCOMPARE(Prompts::finishTest(), QString());

    // Once the cause is put right the table opens.
    if (locker.isOpen())
        locker.rollback();
    mMain::DBPath = m_path;
    QVERIFY(openVia(u"mnuConference"_s));
    QVERIFY(m_main->action(u"mnuConference"_s)->isChecked());
}

void TestGridWindow::captionRule_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("named");
    QTest::newRow("50 characters") << 50 << true;
    QTest::newRow("51 characters") << 51 << false;
}

void TestGridWindow::captionRule()
{
    QFETCH(int, length);
    QFETCH(bool, named);
    const QString name = u"T"_s.repeated(length);
    execute(u"CREATE TABLE %1 (a INTEGER)"_s.arg(name));
    openTableWindow(m_main->mdiArea(), nullptr, name, 1);
    QVERIFY(activeGrid());
    QCOMPARE(activeGrid()->windowTitle(), named ? name : u"SQL Statement"_s);
}

void TestGridWindow::headerClicks()
{
    frmDataGrid* w = openVia(u"mnuTeam"_s);
    const auto caseless = [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    };
    const struct {
        Qt::KeyboardModifiers modifiers;
        bool descending;
    } clicks[] = {{Qt::NoModifier, false},     {Qt::ShiftModifier, true}, {Qt::NoModifier, false},
                  {Qt::ControlModifier, true}, {Qt::NoModifier, false},   {Qt::AltModifier, true}};
    for (const auto& click : clicks) {
        clickHeader(w, u"City"_s, click.modifiers);
        QStringList cities = values(w, u"City"_s);
        if (click.descending)
            std::reverse(cities.begin(), cities.end());
        QVERIFY2(std::is_sorted(cities.begin(), cities.end(), caseless),
                 qPrintable(cities.join(u',')));
        QVERIFY(w->SortText().isEmpty());
        QCOMPARE(w->ShiftState(), 0);
        QCOMPARE(w->Data1()->recordset()->sortTexts().first(),
                 click.descending ? u"[City] desc"_s : u"[City]"_s);
    }
    QVERIFY(values(w, u"City"_s).size() >= 5);
}

void TestGridWindow::filterAndSortAddUp()
{
    frmDataGrid* w = openVia(u"mnuRoster"_s);
    const int all = w->Data1()->recordset()->count();
    Prompts::setNextInput(u"TeamID <= 3"_s);
    w->cmdFilter_Click();
    Prompts::setNextInput(u"JerseyNum > 40"_s);
    w->cmdFilter_Click();
    Prompts::setNextInput(u"JerseyNum desc"_s);
    w->cmdSort_Click();

    const QStringList teams = values(w, u"TeamID"_s);
    QStringList jerseys = values(w, u"JerseyNum"_s);
    QVERIFY(!teams.isEmpty() && teams.size() < all);
    QVERIFY(
        std::all_of(teams.begin(), teams.end(), [](const QString& t) { return t.toInt() <= 3; }));
    QVERIFY(std::all_of(jerseys.begin(), jerseys.end(),
                        [](const QString& j) { return j.toInt() > 40; }));
    QVERIFY(std::is_sorted(jerseys.begin(), jerseys.end(), [](const QString& a, const QString& b) {
        return a.toInt() > b.toInt();
    }));
    QCOMPARE(QString::number(teams.size()),
             storedText(u"SELECT count(*) FROM Roster WHERE TeamID <= 3 AND JerseyNum > 40"_s));
    QCOMPARE(messages().size(), 3); // the three input boxes, nothing else
}

void TestGridWindow::refreshKeepsTheFilter()
{
    frmDataGrid* w = openVia(u"mnuRoster"_s);
    Prompts::setNextInput(u"TeamID = 2"_s);
    w->cmdFilter_Click();
    const int before = w->Data1()->recordset()->count();
    execute(u"INSERT INTO Roster (TeamID, PlayerID) VALUES (2, 9001), (3, 9002)"_s);
    QTest::mouseClick(w->button(u"cmdRefresh"_s), Qt::LeftButton);
    QCOMPARE(w->Data1()->recordset()->count(), before + 1);
    QVERIFY(values(w, u"PlayerID"_s).contains(u"9001"_s));
    QCOMPARE(w->model()->rowCount(), before + 2); // and the new-row line
}

void TestGridWindow::cancelOrEmptyChangesNothing_data()
{
    QTest::addColumn<bool>("sort");
    QTest::addColumn<QString>("answer");
    QTest::newRow("Sort, Cancel") << true << QString();
    QTest::newRow("Sort, blank") << true << u"   "_s;
    QTest::newRow("Filter, Cancel") << false << QString();
    QTest::newRow("Filter, blank") << false << u" "_s;
}

void TestGridWindow::cancelOrEmptyChangesNothing()
{
    QFETCH(bool, sort);
    QFETCH(QString, answer);
    frmDataGrid* w = openVia(u"mnuTeam"_s);
    const db::RecordSet* before = w->Data1()->recordset();
    Prompts::setNextInput(answer);
    sort ? w->cmdSort_Click() : w->cmdFilter_Click();
    QCOMPARE(w->Data1()->recordset(), before);
    QCOMPARE(messages(), QStringList{(sort ? u"input: Enter Sort Column:"_s
                                           : u"input: Enter Filter Expression:"_s)});
}

void TestGridWindow::failedSortLeavesNothingBehind()
{
    frmDataGrid* w = openVia(u"mnuRoster"_s);
    const db::RecordSet* before = w->Data1()->recordset();
    Prompts::setNextInput(u"[NoSuchColumn] desc"_s);
    w->cmdSort_Click();
    QCOMPARE(messages().size(), 2);
    QVERIFY2(messages().last().startsWith(u"message: Error:%1 "_s.arg(int(db::UnknownField))) &&
                 messages().last().contains(u"NoSuchColumn"_s),
             qPrintable(messages().last()));
    QCOMPARE(w->Data1()->recordset(), before);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(Prompts::finishTest(), QString());

    // The next Filter does not fail on the old sort.
    Prompts::setNextInput(u"TeamID = 1"_s);
    w->cmdFilter_Click();
    QCOMPARE(messages().size(), 1);
    QCOMPARE(QString::number(w->Data1()->recordset()->count()),
             storedText(u"SELECT count(*) FROM Roster WHERE TeamID = 1"_s));
}

void TestGridWindow::filterTextIsData_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("rows"); // -1: refused with an error
    QTest::newRow("quote inside text") << u"TeamName = 'x'' OR ''a''=''a'"_s << 0;
    QTest::newRow("smuggled statement") << u"TeamID = 1; DROP TABLE Team"_s << -1;
    QTest::newRow("comment") << u"TeamID = 1 -- and more"_s << -1;
    QTest::newRow("percent is a character") << u"TeamName Like '%'"_s << 0;
    QTest::newRow("underscore is a character") << u"City Like '_*'"_s << 0;
    QTest::newRow("brackets name a field") << u"[TeamName] Like 'Élans*'"_s << 1;
    QTest::newRow("non-ASCII ignores case") << u"TeamName = \"ÉLANS DU NORD\""_s << 1;
}

void TestGridWindow::filterTextIsData()
{
    QFETCH(QString, filter);
    QFETCH(int, rows);
    execute(
        u"INSERT INTO Team (TeamID, TeamName, City) VALUES (90, 'Élans du Nord', 'Sept-Îles')"_s);
    const QString teams = storedText(u"SELECT count(*) FROM Team"_s);
    frmDataGrid* w = openVia(u"mnuTeam"_s);
    Prompts::setNextInput(filter);
    w->cmdFilter_Click();
    if (rows < 0)
        QVERIFY2(messages().last().startsWith(u"message: Error:"_s), qPrintable(messages().last()));
    else
        QCOMPARE(w->Data1()->recordset()->count(), rows);
    QCOMPARE(storedText(u"SELECT count(*) FROM Team"_s), teams);
}

void TestGridWindow::deleteQuestion()
{
    frmDataGrid* w = openVia(u"mnuRoster"_s);
    db::RecordSet* rs = w->Data1()->recordset();
    const int before = rs->count();
    const QString gone = u"%1,%2"_s.arg(rs->key(0)).arg(rs->key(2));
    DataGridView* grid = w->grdDataGrid();
    grid->selectRow(0);
    grid->selectionModel()->select(w->model()->index(2, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    Prompts::setNextAnswer(QMessageBox::No);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(messages(), QStringList{u"message: Delete Current Row?"_s});
    QCOMPARE(rs->count(), before);

    Prompts::setNextAnswer(QMessageBox::Yes);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(rs->count(), before - 2);
    QCOMPARE(storedText(u"SELECT count(*) FROM Roster WHERE rowid IN (%1)"_s.arg(gone)), u"0"_s);
    QCOMPARE(storedText(u"SELECT count(*) FROM Roster"_s), QString::number(before - 2));
}

void TestGridWindow::noPathDropsAnEdit_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("enter"); // false: still typing in the cell
    QTest::addColumn<bool>("yes");
    for (const char* path :
         {"leave the row", "Close button", "close box", "main window", "File Exit", "Sort"}) {
        QTest::addRow("%s", path) << QString::fromLatin1(path) << true << true;
        QTest::addRow("%s, still typing", path) << QString::fromLatin1(path) << false << true;
    }
    QTest::newRow("leave the row, No") << u"leave the row"_s << true << false;
    QTest::newRow("Close button, No") << u"Close button"_s << false << false;
}

void TestGridWindow::noPathDropsAnEdit()
{
    QFETCH(QString, path);
    QFETCH(bool, enter);
    QFETCH(bool, yes);
    frmDataGrid* w = openVia(u"mnuTeam"_s);
    const QString sql =
        u"SELECT City FROM Team WHERE rowid = %1"_s.arg(w->Data1()->recordset()->key(1));
    const QString before = storedText(sql);
    typeInto(w, 1, u"City"_s, u"Kept"_s, enter);
    QCOMPARE(storedText(sql), before); // nothing is written before the question

    Prompts::setNextAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
    if (path == u"leave the row"_s) {
        QTest::keyClick(w->grdDataGrid(), Qt::Key_Down);
    } else if (path == u"Close button"_s) {
        w->cmdClose_Click();
    } else if (path == u"close box"_s) {
        m_main->mdiArea()->activeSubWindow()->close();
    } else if (path == u"main window"_s) {
        m_main->close();
    } else if (path == u"File Exit"_s) {
        m_main->action(u"mnuExit"_s)->trigger();
    } else {
        Prompts::setNextInput(u"City"_s);
        w->cmdSort_Click();
    }
    QVERIFY(messages().contains(u"message: Commit changes?"_s));
    QCOMPARE(storedText(sql), yes ? u"Kept"_s : before);
}

void TestGridWindow::valueThatDoesNotFit()
{
    frmDataGrid* w = openVia(u"mnuTeam"_s);
    const QString sql = u"SELECT City || '/' || TeamID FROM Team WHERE rowid = %1"_s.arg(
        w->Data1()->recordset()->key(0));
    const QString before = storedText(sql);
    typeInto(w, 0, u"City"_s, u"Newtown"_s);
    typeInto(w, 0, u"TeamID"_s, u"seven"_s);
    QTRY_COMPARE(messages().size(), 1);
    QVERIFY2(messages().first().startsWith(u"message: Error:%1 "_s.arg(int(db::ValueDoesNotFit))) &&
                 messages().first().contains(u"\"TeamID\""_s),
             qPrintable(messages().first()));
    // Nothing is stored and the row stays in edit with what did fit.
    QCOMPARE(storedText(sql), before);
    QCOMPARE(w->model()->pendingRow(), 0);
    QCOMPARE(values(w, u"City"_s).first(), u"Newtown"_s);
    QCOMPARE(Prompts::finishTest(), QString());

    Prompts::setNextAnswer(QMessageBox::No);
    w->cmdClose_Click();
    QCOMPARE(storedText(sql), before);
}

void TestGridWindow::vanishedRowSaysSo()
{
    frmDataGrid* w = openVia(u"mnuConference"_s);
    typeInto(w, 0, u"ConferenceName"_s, u"Gone Conference"_s);
    execute(u"DELETE FROM Conference"_s); // as Clear Database does, through another handle

    Prompts::setNextAnswer(QMessageBox::Yes);
    w->cmdRefresh_Click();
    QCOMPARE(messages().size(), 2);
    QVERIFY2(messages().last().startsWith(u"message: Error:%1 "_s.arg(int(db::RowVanished))),
             qPrintable(messages().last()));
    QCOMPARE(w->model()->pendingRow(), 0); // still in edit, not silently gone
    QCOMPARE(Prompts::finishTest(), QString());

    Prompts::setNextAnswer(QMessageBox::No);
    w->cmdRefresh_Click(); // now dropped, and the refresh shows the empty table
    QCOMPARE(w->Data1()->recordset()->count(), 0);
    QCOMPARE(Prompts::finishTest(), QString());

    frmDataGrid* team = openVia(u"mnuTeam"_s);
    execute(u"DELETE FROM Team"_s);
    team->grdDataGrid()->selectRow(1);
    Prompts::setNextAnswer(QMessageBox::Yes);
    QTest::keyClick(team->grdDataGrid(), Qt::Key_Delete);
    QCOMPARE(messages().size(), 2);
    QVERIFY(messages().last().startsWith(u"message: Error:%1 "_s.arg(int(db::RowVanished))));
}

void TestGridWindow::tableKindRefusals()
{
    frmDataGrid* w = openVia(u"mnuTeam"_s);
    w->Data1()->setRecordsetType(db::RecordSet::Table);
    QVERIFY(!w->Data1()->refresh());
    const db::RecordSet* before = w->Data1()->recordset();
    w->cmdSort_Click();
    w->cmdFilter_Click();
    clickHeader(w, u"City"_s, Qt::NoModifier);
    QCOMPARE(messages(),
             (QStringList{u"beep: "_s, u"message: You Cannot Sort a Table Recordset!"_s,
                          u"beep: "_s, u"message: You Cannot Filter a Table Recordset!"_s}));
    QCOMPARE(Prompts::shown().at(1).icon, QMessageBox::Warning);
    QCOMPARE(w->Data1()->recordset(), before);
}

void TestGridWindow::resizeRule()
{
    frmDataGrid* w = openVia(u"mnuTeam"_s);
    QMdiSubWindow* sub = m_main->mdiArea()->activeSubWindow();
    sub->resize(600, 400);
    QCOMPARE(w->grdDataGrid()->geometry().bottom(), w->height() - 1);
    QCOMPARE(w->grdDataGrid()->y(), w->picButtons()->height());
    const int height = w->grdDataGrid()->height();
    sub->showMinimized();
    QCOMPARE(w->grdDataGrid()->height(), height);
    sub->showNormal();
    sub->resize(600, 500);
    QCOMPARE(w->grdDataGrid()->height(), w->height() - w->picButtons()->height());
    QVERIFY(w->grdDataGrid()->height() > height);
}

void TestGridWindow::twinWindow()
{
    mMain::CurrentTable = u"Team"_s;
    auto* twin =
        new TwinGrid({{u"Name"_s, u"teamname"_s}, {u"Id"_s, u"TEAMID"_s}, {u"Town"_s, u"City"_s}});
    QVERIFY(frmDataGrid::loadAndShow(m_main->mdiArea(), twin));
    QCOMPARE(twin->loads, 1);
    QCOMPARE(twin->model()->rowCount(), twin->Data1()->recordset()->count()); // no new-row line
    QPushButton* settings = twin->button(u"cmdSettings"_s);
    QVERIFY(settings && settings->x() >= twin->button(u"cmdClose"_s)->geometry().right());
    QCOMPARE(settings->accessibleName(), u"Settings"_s);

    // A header click sorts by the column's own field; hidden columns stay hidden.
    twin->grdDataGrid()->setColumnHidden(2, true);
    QHeaderView* header = twin->grdDataGrid()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    QCOMPARE(twin->Data1()->recordset()->sortTexts(), QStringList{u"[TeamID] desc"_s});
    QVERIFY(twin->grdDataGrid()->isColumnHidden(2));

    // Delete removes nothing and asks nothing.
    const int rows = twin->Data1()->recordset()->count();
    twin->grdDataGrid()->selectRow(0);
    QTest::keyClick(twin->grdDataGrid(), Qt::Key_Delete);
    QCOMPARE(twin->Data1()->recordset()->count(), rows);
    QVERIFY(messages().isEmpty());

    // A table that lacks a bound field fails the load, naming the field.
    auto* lacking = new TwinGrid({{u"Name"_s, u"TeamName"_s}, {u"Owner"_s, u"OwnerName"_s}});
    QVERIFY(!frmDataGrid::loadAndShow(m_main->mdiArea(), lacking));
    QCOMPARE(messages().size(), 1);
    QVERIFY2(messages().first().startsWith(u"message: Error:%1 "_s.arg(int(db::MissingField))) &&
                 messages().first().contains(u"\"OwnerName\""_s),
             qPrintable(messages().first()));
}

void TestGridWindow::readOnlyTable()
{
    execute(u"CREATE TABLE Pairs (k INTEGER PRIMARY KEY, v TEXT) WITHOUT ROWID"_s);
    execute(u"INSERT INTO Pairs VALUES (1, 'a'), (2, 'b')"_s);
    openTableWindow(m_main->mdiArea(), nullptr, u"Pairs"_s, 1);
    frmDataGrid* w = activeGrid();
    QVERIFY(w);
    QCOMPARE(messages().size(), 1);
    QVERIFY(messages().first().contains(u"read-only"_s));
    QCOMPARE(w->model()->rowCount(), 2);
    QVERIFY(!(w->model()->flags(w->model()->index(0, 1)) & Qt::ItemIsEditable));
}

QTEST_MAIN(TestGridWindow)
#include "tst_gridwindow.moc"
