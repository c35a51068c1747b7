#include "GuiFixture.h"
#include "TestSupport.h"
#include "core/db/Database.h"
#include "core/db/Expression.h"
#include "core/db/RecordSet.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "windows/grid/GridView.h"
#include "windows/grid/TableCommands.h"
#include "windows/grid/TableConnection.h"
#include "windows/grid/TableWindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

using namespace TestSupport;
using db::Error;

namespace {
const char* const tableItems[] = {"mnuConference", "mnuFreeAgents", "mnuLeague",
                                  "mnuRoster",     "mnuSchedule",   "mnuTeam"};
}

// The table grid window through the real main window and its Table menu. Each
// window's model runs under QAbstractItemModelTester, so every edit, append,
// delete, sort, filter and refresh below also keeps the model contract.
// The twin-window API (fixed columns, no append or delete) is tested by the
// player grid's tests.
class TestGridWindow : public QObject
{
    Q_OBJECT

    TestSupport::GuiFixture m_gui;
    // Runs sql on the league as another program would; it must run.
    void execute(const QString& sql) const { QCOMPARE(m_gui.execute(sql), QString()); }

    QList<TableWindow*> tableWindows() const // the player grid has its own name
    {
        return m_gui.main()->findChildren<TableWindow*>(u"frmDataGrid"_s);
    }
    static QString lastError()
    {
        return messages().value(messages().size() - 1).section(u' ', 1, 1);
    }
    TableWindow* openVia(const QString& item)
    {
        m_gui.main()->action(item)->trigger();
        return watched();
    }
    // The active grid, its model under the tester.
    TableWindow* watched()
    {
        QMdiSubWindow* sub = m_gui.main()->mdiArea()->activeSubWindow();
        auto* w = sub ? qobject_cast<TableWindow*>(sub->widget()) : nullptr;
        if (w && !w->model()->findChild<QAbstractItemModelTester*>())
            new QAbstractItemModelTester(
                w->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, w->model());
        return w;
    }
    // Runs the program's event loop around action: true when action ended it.
    static bool quitsTheProgram(const std::function<void()>& action)
    {
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        watchdog.start(300);
        QTimer::singleShot(0, action);
        return QCoreApplication::exec() == 0;
    }
    void clickHeader(TableWindow* w, const QString& field, Qt::KeyboardModifiers modifiers)
    {
        QHeaderView* header = w->gridView()->horizontalHeader();
        const int column = cell(w, 0, field).column();
        w->gridView()->scrollTo(cell(w, 0, field));
        const QPoint middle(header->sectionViewportPosition(column) +
                                header->sectionSize(column) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, modifiers, middle);
    }
    static QStringList messages()
    {
        QStringList out;
        for (const Prompts::Shown& s : Prompts::shown())
            out << s.kind + u": "_s + s.text;
        return out;
    }

private slots:
    void init() { m_gui.setUp(); }

    void cleanup()
    {
        QCOMPARE(m_gui.tearDown(), QString());
        QVERIFY(!QApplication::overrideCursor());
    }

    void tableCommands_data()
    {
        QTest::addColumn<QString>("item");
        for (const char* item : tableItems)
            QTest::newRow(item) << QString::fromLatin1(item);
    }

    void tableCommands()
    {
        QFETCH(QString, item);
        TableWindow* first = openVia(item);
        QCOMPARE(first->windowTitle(), item.mid(3)); // the table's name
        QVERIFY(m_gui.main()->action(item)->isChecked());

        // A second choice opens nothing and does not bring the window forward.
        TableWindow* other = openVia(item == u"mnuTeam"_s ? u"mnuLeague"_s : u"mnuTeam"_s);
        m_gui.main()->action(item)->trigger();
        QCOMPARE(tableWindows().size(), 2);
        QCOMPARE(watched(), other);

        QTest::mouseClick(first->button(u"cmdClose"_s), Qt::LeftButton);
        QTRY_COMPARE(tableWindows().size(), 1);
        QVERIFY(!m_gui.main()->action(item)->isChecked());
        TableWindow* again = openVia(item);
        QVERIFY(again && again != other);
        QCOMPARE(tableWindows().size(), 2);

        // All skips the tables already open; closing the main window clears every mark.
        m_gui.main()->action(u"mnuAll"_s)->trigger();
        QCOMPARE(tableWindows().size(), 6);
        QVERIFY(tableWindows().contains(again) && tableWindows().contains(other));
        for (const char* each : tableItems)
            QVERIFY2(m_gui.main()->action(QLatin1String(each))->isChecked(), each);
        QVERIFY(m_gui.main()->close());
        for (const char* each : tableItems)
            QVERIFY2(!m_gui.main()->action(QLatin1String(each))->isChecked(), each);
    }

    // Which bad file gets which message is the league check's; a grid only
    // stays shut, and opens once the cause is put right.
    void failedLoads_data()
    {
        columns<QString, QString, QString>("path", "item", "says");
        const QString text = m_gui.filePath(u"notes.txt"_s);
        const QString noField = m_gui.filePath(u"noinjury.db"_s);
        QVERIFY(TestSupport::writeFile(text, "just some text\n"));
        leaguegen::LeagueOptions options;
        options.players = 10;
        options.omitPlayerColumns = {u"InjuryType"_s};
        QVERIFY(!leaguegen::writeLeague(noField, options));
        QTest::newRow("not a league") << text << u"mnuConference"_s << QString();
        QTest::newRow("missing player field") << noField << u"mnuPlayerTable"_s << u"InjuryType"_s;
    }

    void failedLoads()
    {
        auto [path, item, says] = fetch<QString, QString, QString>("path", "item", "says");
        m_gui.main()->setLeaguePath(path);
        m_gui.main()->action(item)->trigger();
        QCOMPARE(messages().size(), 1);
        QVERIFY(lastError().startsWith(u"Error:"_s) && messages().last().contains(says));
        QVERIFY(m_gui.main()->mdiArea()->subWindowList().isEmpty());
        QVERIFY(!m_gui.main()->action(item)->isChecked());
        QCOMPARE(Prompts::finishTest(), QString());

        m_gui.main()->setLeaguePath(m_gui.path());
        QVERIFY(openVia(item));
        QVERIFY(m_gui.main()->action(item)->isChecked());
    }

    void openByName_data()
    {
        // field: the text column, sorted by a header click
        columns<QString, QString, QString, QString>("name", "options", "caption", "field");
        QTest::newRow("50 characters")
            << u"T"_s.repeated(50) << QString() << u"T"_s.repeated(50) << u"v"_s;
        QTest::newRow("51 characters")
            << u"T"_s.repeated(51) << QString() << u"SQL Statement"_s << u"v"_s;
        QTest::newRow("without rowid") << u"Pairs"_s << u"WITHOUT ROWID"_s << u"Pairs"_s << u"v"_s;
        QTest::newRow("bracket in a field name") << u"Odd"_s << QString() << u"Odd"_s << u"v]x"_s;
    }

    void openByName()
    {
        auto [name, options, caption, field] =
            fetch<QString, QString, QString, QString>("name", "options", "caption", "field");
        const bool readOnly = !options.isEmpty();
        execute(
            u"CREATE TABLE %1 (k INTEGER PRIMARY KEY, \"%3\" TEXT) %2"_s.arg(name, options, field));
        execute(u"INSERT INTO %1 VALUES (2, 'b'), (1, 'a')"_s.arg(name));
        openTableWindow(m_gui.main()->mdiArea(), m_gui.path(), name);
        TableWindow* w = watched();
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(messages().size(), readOnly ? 1 : 0);
        QVERIFY(!readOnly || messages().first().contains(u"read-only"_s));
        QCOMPARE(w->model()->rowCount(), readOnly ? 2 : 3); // the new-row line only if writable
        QCOMPARE(bool(w->model()->flags(cell(w, 0, field)) & Qt::ItemIsEditable), !readOnly);
        clickHeader(w, field, Qt::ShiftModifier); // sorting needs no rowid
        QCOMPARE(messages().size(), readOnly ? 1 : 0);
        QCOMPARE(cell(w, 0, field).data().toString(), u"b"_s);
        if (readOnly) { // Delete asks nothing and removes nothing
            w->gridView()->selectRow(0);
            QTest::keyClick(w->gridView(), Qt::Key_Delete);
            QCOMPARE(messages().size(), 1);
            QCOMPARE(m_gui.firstColumn(u"SELECT count(*) FROM Pairs"_s), u"2"_s);
        }
    }

    void headerClicks()
    {
        // A plain click after a modified one sorts ascending again; the clicks
        // leave one sort, not a list of them.
        TableWindow* w = openVia(u"mnuTeam"_s);
        for (Qt::KeyboardModifiers modifiers :
             {Qt::NoModifier, Qt::ShiftModifier, Qt::NoModifier, Qt::ControlModifier,
              Qt::NoModifier, Qt::AltModifier}) {
            const bool descending = modifiers != Qt::NoModifier;
            clickHeader(w, u"City"_s, modifiers);
            QCOMPARE(w->connection()->recordSet()->selection().sortTexts().first(),
                     descending ? u"[City] desc"_s : u"[City]"_s);
            QCOMPARE(keys(w), m_gui.firstColumn(
                                  u"SELECT rowid FROM Team ORDER BY City COLLATE YM_NOCASE %1, "
                                  u"rowid"_s.arg(descending ? u"DESC"_s : u"ASC"_s)));
        }
        QCOMPARE(w->connection()->recordSet()->selection().sortTexts(),
                 QStringList{u"[City] desc"_s});
        QVERIFY(w->connection()->recordSet()->count() >= 5);
    }

    void filtersAndSortAddUp()
    {
        // Sort, Filter twice, Sort again: the earlier sort breaks the later one's ties,
        // and Refresh picks up new rows and keeps all four.
        TableWindow* w = openVia(u"mnuRoster"_s);
        const int all = w->connection()->recordSet()->count();
        for (const QString& step :
             {u"S:TeamID"_s, u"F:TeamID <= 3"_s, u"F:JerseyNum > 40"_s, u"S:JerseyNum desc"_s}) {
            Prompts::setNextInput(step.mid(2));
            step.startsWith(u'S') ? w->sort() : w->filter();
        }
        const QString sql = u"SELECT rowid FROM Roster WHERE TeamID <= 3 AND JerseyNum > 40 "
                            u"ORDER BY JerseyNum DESC, TeamID, rowid"_s;
        const int shown = w->connection()->recordSet()->count();
        QVERIFY(shown > 0 && shown < all);
        QCOMPARE(keys(w), m_gui.firstColumn(sql));

        execute(u"INSERT INTO Roster (TeamID, PlayerID, JerseyNum) "
                u"VALUES (2, 9001, 99), (3, 9002, 1), (5, 9003, 99)"_s);
        QTest::mouseClick(w->button(u"cmdRefresh"_s), Qt::LeftButton);
        QCOMPARE(w->connection()->recordSet()->count(), shown + 1);
        QCOMPARE(keys(w), m_gui.firstColumn(sql));
        QCOMPARE(messages().size(), 4); // the input boxes, nothing else
    }

    void sortAndFilterAnswers_data()
    {
        // error: the number of the error shown, 0: none
        columns<bool, QString, int, QString>("sort", "answer", "error", "named");

        // What each answer compiles to is the expression suite's; here one of each outcome.
        QTest::newRow("Sort, Cancel") << true << QString() << 0 << QString();
        QTest::newRow("Filter, blank") << false << u" "_s << 0 << QString();
        QTest::newRow("Filter, unknown field")
            << false << u"[NoSuchField] = 1"_s << int(db::UnknownField) << u"NoSuchField"_s;

        // The deepest nesting the compiler takes still needs the program's own
        // message when the grid's statement adds its level.
        db::Database league;
        QVERIFY(!league.open(m_gui.pristine()));
        const QList<db::FieldDef> fields = TestSupport::fieldDefs(league, u"Team"_s);
        QString deepest = u"TeamID = 1"_s;
        for (db::CompiledFilter compiled;;) {
            const QString deeper = u"TeamID = 2 Or (%1)"_s.arg(deepest);
            if (db::compileFilter(deeper, fields, &compiled))
                break;
            deepest = deeper;
        }
        QTest::newRow("nested to the engine's limit")
            << false << deepest << int(db::ExpressionTooLong) << u"nests too deeply"_s;
    }

    void sortAndFilterAnswers()
    {
        auto [sort, answer, error, named] =
            fetch<bool, QString, int, QString>("sort", "answer", "error", "named");
        TableWindow* w = openVia(u"mnuTeam"_s);
        const db::RecordSet* before = w->connection()->recordSet();

        Prompts::setNextInput(answer);
        sort ? w->sort() : w->filter();
        QStringList expected{sort ? u"input: Enter Sort Column:"_s
                                  : u"input: Enter Filter Expression:"_s};
        if (error)
            expected << u"message: Error:%1 "_s.arg(error);
        QCOMPARE(messages().size(), expected.size());
        QVERIFY(messages().last().startsWith(expected.last()) && messages().last().contains(named));
        QCOMPARE(w->connection()->recordSet(), before);
        QCOMPARE(Prompts::finishTest(), QString());
        // Nothing of the refused answer is left behind: the next Filter applies cleanly.
        Prompts::setNextInput(u"TeamID = 1"_s);
        w->filter();
        QCOMPARE(messages().size(), 1);
        QCOMPARE(keys(w), m_gui.firstColumn(u"SELECT rowid FROM Team WHERE TeamID = 1"_s));
    }

    void newRowAndDelete()
    {
        TableWindow* w = openVia(u"mnuTeam"_s);
        GridView* grid = w->gridView();
        const db::RecordSet* rs = w->connection()->recordSet();
        const int records = rs->count();
        QVERIFY(typeInto(w, records, u"TeamID"_s, u"99"_s)); // the new-row line
        QVERIFY(typeInto(w, records, u"TeamName"_s, u"Expansion"_s));
        Prompts::setNextAnswer(QMessageBox::Yes);
        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(messages(), QStringList{u"message: Commit changes?"_s});
        QCOMPARE(m_gui.firstColumn(u"SELECT TeamName FROM Team WHERE TeamID = 99"_s),
                 u"Expansion"_s);
        QCOMPARE(Prompts::finishTest(), QString());

        // Delete asks; No keeps both selected rows, Yes removes exactly those.
        const QString gone = u"%1,%2"_s.arg(rs->key(0)).arg(rs->key(2));
        grid->selectRow(0);
        grid->selectionModel()->select(w->model()->index(2, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        Prompts::setNextAnswer(QMessageBox::No);
        QTest::keyClick(grid, Qt::Key_Delete);
        QCOMPARE(messages(), QStringList{u"message: Delete Current Row?"_s});
        QCOMPARE(rs->count(), records + 1);

        Prompts::setNextAnswer(QMessageBox::Yes);
        QTest::keyClick(grid, Qt::Key_Delete);
        QCOMPARE(rs->count(), records - 1);
        QCOMPARE(m_gui.firstColumn(u"SELECT count(*) FROM Team WHERE rowid IN (%1)"_s.arg(gone)),
                 u"0"_s);
        QCOMPARE(keys(w), m_gui.firstColumn(u"SELECT rowid FROM Team ORDER BY rowid"_s));
    }

    void noPathDropsAnEdit_data()
    {
        // enter: false: still typing in the cell
        columns<QString, bool, bool>("path", "enter", "yes");
        for (const char* path :
             {"leave the row", "Close button", "close box", "main window", "File Exit", "Sort"}) {
            QTest::addRow("%s", path) << QString::fromLatin1(path) << true << true;
            QTest::addRow("%s, still typing", path) << QString::fromLatin1(path) << false << true;
        }
        QTest::newRow("leave the row, No") << u"leave the row"_s << true << false;
        QTest::newRow("Close button, No") << u"Close button"_s << false << false;
    }

    void noPathDropsAnEdit()
    {
        auto [path, enter, yes] = fetch<QString, bool, bool>("path", "enter", "yes");
        TableWindow* w = openVia(u"mnuTeam"_s);
        const QString sql =
            u"SELECT City FROM Team WHERE rowid = %1"_s.arg(w->connection()->recordSet()->key(1));
        const QString before = m_gui.firstColumn(sql);
        QVERIFY(typeInto(w, 1, u"City"_s, u"Kept"_s, enter));
        QCOMPARE(m_gui.firstColumn(sql), before); // nothing is written before the question

        Prompts::setNextAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
        if (path == u"leave the row"_s)
            QTest::keyClick(w->gridView(), Qt::Key_Down);
        else if (path == u"Close button"_s)
            w->closeWindow();
        else if (path == u"close box"_s)
            m_gui.main()->mdiArea()->activeSubWindow()->close();
        else if (path == u"main window"_s)
            m_gui.main()->close();
        else if (path == u"File Exit"_s)
            m_gui.main()->action(u"mnuExit"_s)->trigger();
        else {
            Prompts::setNextInput(u"City"_s);
            w->sort();
        }
        QVERIFY(messages().contains(u"message: Commit changes?"_s));
        QCOMPARE(m_gui.firstColumn(sql), yes ? u"Kept"_s : before);
    }

    // A value that does not fit is refused; one a whole-number field rounds
    // is kept, and the status bar says what it became.
    void valueThatDoesNotFit_data()
    {
        // stored: the cell afterwards; empty: refused
        columns<QString, QString, QString>("typed", "stored", "note");
        const QString note = u"Founded: %1 was stored as %2 \u2014 the field holds whole numbers"_s;
        QTest::newRow("text") << u"seven"_s << QString() << QString();
        QTest::newRow("group separator") << u"1,000"_s << QString() << QString();
        QTest::newRow("half to even") << u"45.5"_s << u"46"_s << note.arg(u"45.5"_s, u"46"_s);
        QTest::newRow("exponent") << u"1e2"_s << u"100"_s << note.arg(u"1e2"_s, u"100"_s);
        QTest::newRow("as typed") << u"1999"_s << u"1999"_s << QString();
    }

    void valueThatDoesNotFit()
    {
        auto [typed, stored] = fetch<QString, QString>("typed", "stored");
        TableWindow* w = openVia(u"mnuTeam"_s);
        const QString sql = u"SELECT City || '/' || Founded FROM Team WHERE rowid = %1"_s.arg(
            w->connection()->recordSet()->key(0));
        const QString before = m_gui.firstColumn(sql);
        QVERIFY(typeInto(w, 0, u"City"_s, u"Newtown"_s));
        QVERIFY(typeInto(w, 0, u"Founded"_s, typed));
        if (stored.isEmpty()) {
            QTRY_COMPARE(messages().size(), 1);
            QCOMPARE(lastError(), u"Error:%1"_s.arg(db::ValueDoesNotFit));
            QVERIFY(messages().last().contains(u"\"Founded\""_s));
        } else {
            QTRY_COMPARE(cell(w, 0, u"Founded"_s).data().toString(), stored);
        }
        QTEST(m_gui.main()->commandResultText(), "note");
        // Nothing is stored yet and the row stays in edit with what did fit.
        QCOMPARE(m_gui.firstColumn(sql), before);
        QCOMPARE(w->model()->pendingRow(), 0);
        QCOMPARE(cell(w, 0, u"City"_s).data().toString(), u"Newtown"_s);
    }

    void untouchedEditorWritesNothing_data()
    {
        // declared: the column's declared type
        // value: as an SQL literal
        columns<QString, QString>("declared", "value");
        QTest::newRow("REAL in an INTEGER column") << u"INTEGER"_s << u"2.5"_s;
        QTest::newRow("leading zeros, untyped") << QString() << u"'007'"_s;
        QTest::newRow("empty text") << u"TEXT"_s << u"''"_s;
        QTest::newRow("text past 32,767 characters")
            << u"TEXT"_s << u"replace(hex(zeroblob(20000)), '0', 'x')"_s;
    }

    void untouchedEditorWritesNothing()
    {
        auto [declared, value] = fetch<QString, QString>("declared", "value");
        execute(u"CREATE TABLE Odd (v %1)"_s.arg(declared));
        execute(u"INSERT INTO Odd (v) VALUES (%1)"_s.arg(value));
        const QString sql = u"SELECT typeof(v) || ':' || quote(v) FROM Odd"_s;
        const QString before = m_gui.firstColumn(sql);
        openTableWindow(m_gui.main()->mdiArea(), m_gui.path(), u"Odd"_s);
        TableWindow* w = watched();
        QVERIFY(openEditor(w, 0, u"v"_s));
        QTest::keyClick(w->gridView(), Qt::Key_Down); // leaves the row: nothing to ask
        w->closeWindow();
        QCOMPARE(messages(), QStringList());
        QCOMPARE(m_gui.firstColumn(sql), before);
    }

    void longTextKeepsItsLength()
    {
        execute(
            u"UPDATE Team SET City = replace(hex(zeroblob(20000)), '0', 'x') WHERE rowid = 1"_s);
        TableWindow* w = openVia(u"mnuTeam"_s);
        auto* editor = qobject_cast<QPlainTextEdit*>(openEditor(w, 0, u"City"_s));
        QVERIFY(editor); // a long text gets an editor of several lines
        QTest::keyClick(editor, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(editor, u"yz"_s);
        Prompts::setNextAnswer(QMessageBox::Yes);
        QTest::keyClick(w->gridView(), Qt::Key_Down);
        QCOMPARE(m_gui.firstColumn(
                     u"SELECT length(City) || substr(City, -3) FROM Team WHERE rowid = 1"_s),
                 u"40002xyz"_s);
    }

    // A change the table skips, or one to a row another program replaced
    // (SQLite reuses row ids), is refused with the reason and written nowhere;
    // which writes are refused is the record set's.
    void refusedEditSaysSo_data()
    {
        // meanwhile: another program, during the edit
        columns<QString, QString, int>("trigger", "meanwhile", "error");
        QTest::newRow("skipped by a trigger")
            << u"CREATE TRIGGER Skip BEFORE UPDATE ON Keyed BEGIN SELECT RAISE(IGNORE); END"_s
            << QString() << int(db::WriteSkipped);
        QTest::newRow("row replaced")
            << QString() << u"DELETE FROM Keyed|INSERT INTO Keyed VALUES (7, 'c')"_s
            << int(db::RowVanished);
    }

    void refusedEditSaysSo()
    {
        auto [trigger, meanwhile, error] =
            fetch<QString, QString, int>("trigger", "meanwhile", "error");
        execute(u"CREATE TABLE Keyed (Code INTEGER, Name TEXT)"_s);
        execute(u"INSERT INTO Keyed VALUES (1, 'a'), (2, 'b')"_s);
        QVERIFY(trigger.isEmpty() || m_gui.execute(trigger).isEmpty());
        openTableWindow(m_gui.main()->mdiArea(), m_gui.path(), u"Keyed"_s);
        TableWindow* w = watched();
        QVERIFY(typeInto(w, 0, u"Code"_s, u"5"_s));
        for (const QString& sql : meanwhile.split(u'|', Qt::SkipEmptyParts))
            execute(sql);
        const QString sql = u"SELECT rowid || ':' || Code || Name FROM Keyed ORDER BY rowid"_s;
        const QString before = m_gui.firstColumn(sql);

        Prompts::setNextAnswer(QMessageBox::Yes); // Commit changes?
        if (error == db::RowVanished)
            Prompts::setNextAnswer(QMessageBox::Yes); // Refresh now?
        QTest::keyClick(w->gridView(), Qt::Key_Down);
        QCOMPARE(messages().size(), 2);
        QCOMPARE(lastError(), u"Error:%1"_s.arg(error));
        QCOMPARE(messages().last().endsWith(u"Refresh now?"_s), error == db::RowVanished);
        QVERIFY(!w->model()->hasPendingEdit());
        QCOMPARE(m_gui.firstColumn(sql), before);
        // The grid shows the rows the file holds, none for one it never took.
        QTRY_COMPARE(keys(w), m_gui.firstColumn(u"SELECT rowid FROM Keyed ORDER BY rowid"_s));
    }

    void failedWriteKeepsTheProgram_data()
    {
        // replaced: false: another program holds the write lock
        columns<bool, QString>("replaced", "says");
        QTest::newRow("locked") << false << u"Error:5 The league file is locked"_s;
        QTest::newRow("file replaced") << true << u"Error:1032 The league file was deleted"_s;
    }

    void failedWriteKeepsTheProgram()
    {
        // Yes to "Commit changes?" when the write cannot be done: the edit must
        // survive File > Exit and closing the main window, and the file must
        // stay as it was.
        auto [replaced, says] = fetch<bool, QString>("replaced", "says");
        TableWindow* w = openVia(u"mnuTeam"_s);
        const QString sql =
            u"SELECT City FROM Team WHERE rowid = %1"_s.arg(w->connection()->recordSet()->key(0));
        const QString before = m_gui.firstColumn(sql);
        QVERIFY(typeInto(w, 0, u"City"_s, u"Kept"_s));
        db::Database holder;
        if (replaced)
            QVERIFY(QFile::remove(m_gui.path()) && QFile::copy(m_gui.pristine(), m_gui.path()));
        else
            QVERIFY(!holder.open(m_gui.path()) && !holder.beginImmediate());
        Prompts::setNextAnswer(QMessageBox::Yes);
        QVERIFY(!quitsTheProgram([this] { m_gui.main()->action(u"mnuExit"_s)->trigger(); }));
        Prompts::setNextAnswer(QMessageBox::Yes);
        QVERIFY(!m_gui.main()->close());
        QVERIFY(messages().last().startsWith(u"message: "_s + says));
        QCOMPARE(w->model()->pendingRow(), 0);
        QCOMPARE(Prompts::finishTest(), QString());
        holder.close();
        QCOMPARE(m_gui.firstColumn(sql), before);
        if (replaced)
            return;
        Prompts::setNextAnswer(QMessageBox::Yes);
        QVERIFY(quitsTheProgram([this] { m_gui.main()->action(u"mnuExit"_s)->trigger(); }));
        QCOMPARE(m_gui.firstColumn(sql), u"Kept"_s);
    }
};

QTEST_MAIN(TestGridWindow)
#include "tst_gridwindow.moc"
