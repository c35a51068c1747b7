// The player grid window and its column settings through the real Table menu,
// on generated leagues, with the real settings store in a temporary home.
#include "GuiFixture.h"
#include "TestSupport.h"

#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "history/LeagueHistory.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MainWindow.h"
#include "ui/HelpViewer.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "windows/grid/GridCommands.h"
#include "windows/grid/GridView.h"
#include "windows/grid/TableConnection.h"
#include "windows/players/PlayerCard.h"
#include "windows/players/PlayerColumns.h"
#include "windows/players/PlayerColumnsDialog.h"
#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"
#include "windows/players/RatingsChart.h"

#include <QtCharts>
#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;
using TestSupport::columns;
using TestSupport::fetch;

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

QList<int> hiddenColumns(const PlayerWindow* window)
{
    QList<int> hidden;
    for (int c = 0; c < window->model()->columnCount(); ++c)
        if (window->gridView()->isColumnHidden(c))
            hidden << c;
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

// The row as the file stores it, type included: quote() writes text quoted,
// reals with a point, blobs as X'..' and NULL.
QStringList storedRow(const QString& path, qint64 key)
{
    QStringList quoted;
    for (const QString& field : db::schema::playerColumns())
        quoted << u"quote("_s + field + u')';
    return sqlValues(
        path, u"SELECT "_s + quoted.join(u", "_s) + u" FROM PlayerTable WHERE rowid = ?"_s, {key});
}

// What the card shows for a player column: its box, or its cell in the
// ratings table.
QString cardText(const PlayerCard* card, int column)
{
    if (column < db::schema::PlayerFixedColumnCount)
        return card->findChild<QLineEdit*>(u"txt"_s + db::schema::playerColumns()[column])->text();
    const auto* table = card->findChild<QTableWidget*>(u"tblRatings"_s);
    const int rating = (column - db::schema::PlayerFixedColumnCount) / 2 + 1;
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 1)->text() == db::schema::rating(rating).shortName)
            return table->item(row, 2 + column % 2)->text();
    return u"<no cell>"_s;
}

int column(const char* field)
{
    return db::schema::playerColumnIndex(QLatin1String(field));
}
} // namespace

class tst_PlayerGrid : public QObject
{
    Q_OBJECT

    TestSupport::GuiFixture m_gui{Players};
    QString m_shuffled;

    PlayerWindow* shownGrid() const { return m_gui.main()->playerWindows().grid; }
    PlayerCard* shownCard() const { return m_gui.main()->playerWindows().card; }

    PlayerWindow* openThroughMenu()
    {
        m_gui.main()->action(u"mnuPlayerTable"_s)->trigger();
        return shownGrid();
    }

    // A fresh copy of the league whose PlayerTable stores its fields in another order.
    QString shuffledCopy() const
    {
        const QString path = m_gui.filePath(u"shuffled-copy.sqlite"_s);
        QFile::remove(path);
        return QFile::copy(m_shuffled, path) ? path : QString();
    }

    // The player grid on the league at path, and the card for its row.
    PlayerCard* openCard(const QString& path, int row = 0)
    {
        m_gui.main()->setLeaguePath(path);
        PlayerWindow* window = openThroughMenu();
        window->gridView()->setCurrentIndex(window->model()->index(row, 1));
        window->findChild<QAction*>(u"mnuPlayerCard"_s)->trigger();
        return shownCard();
    }

    void withSettingsDialog(PlayerWindow* window,
                            const std::function<void(PlayerColumnsDialog*)>& act)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            PlayerColumnsDialog* dialog = window->settingsDialog();
            QVERIFY(dialog && dialog->isVisible());
            ran = true;
            act(dialog);
            if (dialog->isVisible()) {
                dialog->cancel();
                QFAIL("the dialog was left open");
            }
        });
        window->button(u"cmdSettings"_s)->click();
        QVERIFY(ran);
        QVERIFY(!window->settingsDialog() || !window->settingsDialog()->isVisible());
    }

    void clickBoxes(PlayerWindow* window, const QStringList& boxes, bool ok)
    {
        withSettingsDialog(window, [&](PlayerColumnsDialog* dialog) {
            for (const QString& box : boxes)
                dialog->checkBox(box)->click();
            ok ? dialog->confirm() : dialog->cancel();
        });
    }

private slots:
    void initTestCase()
    {
        leaguegen::LeagueOptions options;
        options.players = Players;
        options.shufflePlayerColumns = true;
        options.seed = 7;
        m_shuffled = m_gui.filePath(u"shuffled.sqlite"_s);
        QCOMPARE(leaguegen::writeLeague(m_shuffled, options).message(), db::Error().message());
    }

    // Each test starts like a fresh run of the program.
    void init() { m_gui.setUp(); }

    void cleanup() { QCOMPARE(m_gui.tearDown(), QString()); }

    // The first run: every column shows and the dialog's keys are stored;
    // the dialog's keys do nothing by surprise; the grid adds and removes no rows.
    void firstUse()
    {
        PlayerWindow* window = openThroughMenu();
        withSettingsDialog(window, [](PlayerColumnsDialog* dialog) {
            // Opening the dialog stores "True" under all 21 keys.
            QSettings store;
            store.beginGroup(u"PlayerTable"_s);
            QCOMPARE(store.childKeys().size(), 21);
            for (const QString& key : store.childKeys())
                QCOMPARE(store.value(key).toString(), u"True"_s);
            // Enter presses no button, wherever the focus is.
            const HelpViewer* help = HelpViewer::of(dialog);
            const int helpBefore = help->lastRequest();
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
            QCOMPARE(help->lastRequest(), helpBefore);
            QVERIFY(dialog->checkBox(u"chkWeight"_s)->isChecked());
            dialog->findChild<QPushButton*>(u"cmdHelp"_s)->click();
            QVERIFY(dialog->isVisible());
            QCOMPARE(help->lastRequest(), helpTopic::PlayerSettings);
            quitHelp(dialog);
            // Escape does what Cancel does.
            QTest::keyClick(dialog->findChild<QWidget*>(u"chkWeight"_s), Qt::Key_Escape);
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(hiddenColumns(window), QList<int>());

        // Delete and moving past the last row neither remove nor add a row, silently.
        GridView* grid = window->gridView();
        grid->setFocus();
        grid->selectRow(0);
        QTest::keyClick(grid, Qt::Key_Delete);
        window->deleteSelectedRows();
        grid->setCurrentIndex(window->model()->index(Players - 1, 1));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->currentIndex().row(), Players - 1);
        QCOMPARE(window->model()->rowCount(), Players);
        QCOMPARE(sqlValues(m_gui.path(), u"SELECT count(*) FROM PlayerTable"_s),
                 QStringList{QString::number(Players)});
        QVERIFY(Prompts::shown().isEmpty());
    }

    // The card shows each value exactly as stored, odd storage types too,
    // and who the player is, on a table that stores its fields in another order.
    void cardShowsStoredValues_data()
    {
        // stored: an SQL expression
        // label: a heading label, and what it says
        // marked: the chart's bars past its 0..99 scale, "tooltip=length"
        columns<QString, QString, QString, QString, QString, QString>("field", "stored", "shown",
                                                                      "label", "says", "marked");
        const auto row = [](const char* name, const QString& field, const QString& stored,
                            const QString& shown, const QString& label = {},
                            const QString& says = {}, const QString& marked = {}) {
            QTest::newRow(name) << field << stored << shown << label << says << marked;
        };
        const auto first = [&](const QString& sql) {
            return TestSupport::firstColumn(m_shuffled, sql);
        };
        row("text rating", u"RATING1"_s, u"'fast'"_s, u"fast"_s);
        row("null rating", u"RATING3"_s, u"NULL"_s, QString());
        row("above 99", u"RATING4"_s, u"150"_s, u"150"_s, {}, {},
            u"Actual AS: 150, past the scale's 99=99"_s);
        row("far above 99", u"RATING4"_s, u"1e300"_s, u"1e+300"_s, {}, {},
            u"Actual AS: 1e+300, past the scale's 99=99"_s);
        row("below 0", u"RATING_POT24"_s, u"-7"_s, u"-7"_s, {}, {},
            u"Potential FA: -7, below the scale's 0=1.5"_s);
        row("binary", u"RATING6"_s, u"X'0102'"_s, u"(2 bytes)"_s);
        row("real weight", u"Weight"_s, u"201.25"_s, u"201.25"_s);
        row("spaces kept", u"FirstName"_s, u"' Jo '"_s, u" Jo "_s, u"lblPlayerName"_s,
            u"Jo "_s + first(u"SELECT LastName FROM PlayerTable WHERE rowid = 1"_s));
        row("position", u"CurrentPos"_s, u"3"_s, u"3"_s, u"lblPosition"_s, u"Position: WR"_s);
        row("position out of range", u"CurrentPos"_s, u"15"_s, u"15"_s, u"lblPosition"_s,
            u"Position: 15"_s);
        row("team", u"TeamId"_s, u"(SELECT min(TeamID) FROM Team)"_s,
            first(u"SELECT min(TeamID) FROM Team"_s), u"lblTeam"_s,
            u"Team: "_s + first(u"SELECT TeamName FROM Team ORDER BY TeamID LIMIT 1"_s));
        row("no such team", u"TeamId"_s, u"9999"_s, u"9999"_s, u"lblTeam"_s, u"Team: 9999"_s);
    }

    void cardShowsStoredValues()
    {
        auto [field, stored, label] = fetch<QString, QString, QString>("field", "stored", "label");
        const QString path = shuffledCopy();
        sqlValues(path, u"UPDATE PlayerTable SET %1 = %2 WHERE rowid = 1"_s.arg(field, stored));
        writeSetting(u"Settings"_s, u"ShowCodes"_s, u"True"_s); // every value as stored
        PlayerCard* card = openCard(path); // rowid 1, whose values are compared below
        QTEST(cardText(card, db::schema::playerColumnIndex(field)), "shown");
        if (!label.isEmpty())
            QTEST(card->findChild<QLabel*>(label)->text(), "says");
        // Every other value too, as the file has it.
        const QStringList file = storedRow(path, 1);
        for (int c = 0; c < db::schema::PlayerColumnCount; ++c) {
            QString expected = file[c];
            if (c == db::schema::playerColumnIndex(field))
                continue; // as the row says: quote() writes 1e300 as 1.0e+300
            if (expected.startsWith(u'\''))
                expected = expected.mid(1, expected.size() - 2).replace(u"''"_s, u"'"_s);
            else if (expected == u"NULL"_s)
                expected.clear();
            else if (expected.startsWith(u"X'"_s))
                expected = u"(%1 bytes)"_s.arg((expected.size() - 3) / 2);
            QCOMPARE(cardText(card, c), expected);
        }
        // The chart's scale is the ratings' 0..99: a bar past it stops at the
        // edge, marked, its value in its tooltip.
        auto* chart = card->findChild<RatingsChart*>(u"chtRatings"_s);
        auto* axis = qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Horizontal).first());
        QCOMPARE(QPair(axis->min(), axis->max()), QPair(0.0, 99.0));
        QStringList marked;
        const auto* series = static_cast<QAbstractBarSeries*>(chart->chart()->series().first());
        for (int side = 0; side < 2; ++side) {
            for (int bar : series->barSets().at(side)->selectedBars())
                marked << chart->barToolTip(side, bar) + u'=' +
                              QString::number(series->barSets().at(side)->at(bar));
        }
        QTEST(marked.join(u';'), "marked");
    }

    // Changed or not, every value stays readable in the window's palette,
    // light or dark, and the chart takes its colours.
    void cardFollowsThePalette_data()
    {
        columns<QColor, QColor>("base", "text");
        QTest::newRow("light") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("dark") << QColor(42, 42, 42) << QColor(230, 230, 230);
    }

    void cardFollowsThePalette()
    {
        auto [base, text] = fetch<QColor, QColor>("base", "text");
        QPalette palette = m_gui.main()->palette();
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::Text, text);
        m_gui.main()->setPalette(palette);
        PlayerCard* card = openCard(m_gui.path());
        card->typeValue(column("Weight"), u"250"_s);
        card->typeValue(column("RATING1"), u"61"_s);
        auto readable = [&](QColor c) { return std::abs(c.lightness() - text.lightness()) > 99; };
        for (const QLineEdit* box : card->findChildren<QLineEdit*>(QRegularExpression(u"^txt"_s)))
            QVERIFY2(readable(box->palette().color(QPalette::Base)), qPrintable(box->objectName()));
        auto* table = card->findChild<QTableWidget*>(u"tblRatings"_s);
        QVERIFY(readable(table->item(0, 2)->background().color())); // SP, changed
        QCOMPARE(card->findChild<RatingsChart*>()->chart()->backgroundBrush().color(), base);
    }

    // A save writes exactly the edited cells, each to its own field on a table that stores them
    // in another order, as one step of the history; Edit > Undo and Redo put back each side
    // exactly. Which writes are refused is the record set's concern.
    void cardSaveWritesExactlyTheEditedCells()
    {
        const QString path = shuffledCopy();
        sqlValues(path, u"UPDATE PlayerTable SET RATING1 = 'fast', RATING2 = 45.5, RATING3 = NULL,"
                        u" FirstName = 'Jo', LastName = 'Walker' WHERE rowid = 1"_s);
        PlayerCard* card = openCard(path);
        const QStringList before = storedRow(path, 1);

        card->typeValue(column("RATING1"), u"60"_s);       // text retyped: a number now
        card->typeValue(column("RATING_POT4"), u"77.5"_s); // rounded, and the status bar says so
        QCOMPARE(m_gui.main()->commandResultText(),
                 u"AS_P: 77.5 was stored as 78 \u2014 the field holds whole numbers"_s);
        auto* weight = card->findChild<QLineEdit*>(u"txtWeight"_s);
        weight->setFocus();
        weight->selectAll();
        QTest::keyClicks(weight, u"250"_s);
        QTest::keyClick(weight, Qt::Key_Return);
        card->typeValue(column("RATING2"), u"45.5"_s); // as shown: untouched, stays real
        card->typeValue(column("RATING5"), u"abc"_s);  // refused, after the editor has gone
        QCOMPARE(TestSupport::messages(), QStringList());
        QTRY_COMPARE(TestSupport::messages().size(), 1);
        QVERIFY(TestSupport::messages()[0].startsWith(u"Error:1009 "_s));
        QVERIFY(card->isWindowModified());
        emit m_gui.main()->findChild<QMenu*>(u"mnuWindow"_s)->aboutToShow();
        QCOMPARE(m_gui.main()->action(u"mnuWindow2"_s)->text(), u"&2 Player Card - Jo Walker*"_s);
        QCOMPARE(storedRow(path, 1), before); // nothing is written before Save

        card->findChild<QPushButton*>(u"cmdSave"_s)->click();
        QStringList after = before;
        after[column("RATING1")] = u"60"_s;
        after[column("RATING_POT4")] = u"78"_s;
        after[column("Weight")] = u"250"_s;
        QCOMPARE(storedRow(path, 1), after);
        QCOMPARE(Prompts::shown().size(), 1);
        QVERIFY(!card->hasChanges() && !card->isWindowModified());
        QCOMPARE(shownGrid()->model()->index(0, column("RATING_POT4")).data(), 78);

        const LeagueHistory* stack = m_gui.main()->history();
        QCOMPARE(stack->count(), 1);
        QCOMPARE(stack->text(0), u"Change of Weight, SP, AS_P for Jo Walker"_s);
        m_gui.main()->action(u"mnuUndoGlobalEdit"_s)->trigger();
        QCOMPARE(storedRow(path, 1), before);
        QCOMPARE(cardText(card, column("RATING1")), u"fast"_s);
        QCOMPARE(shownGrid()->model()->index(0, column("RATING1")).data(), u"fast"_s);
        m_gui.main()->action(u"mnuRedo"_s)->trigger();
        QCOMPARE(storedRow(path, 1), after);
        QCOMPARE(cardText(card, column("RATING1")), u"60"_s);
        QCOMPARE(Prompts::shown().size(), 1);

        // A save after another program changed the row writes nothing, says so
        // in the grid's words and shows the row as stored now.
        card->typeValue(column("RATING1"), u"12"_s);
        sqlValues(path, u"UPDATE PlayerTable SET RATING5 = 7 WHERE rowid = 1"_s);
        const QStringList theirs = storedRow(path, 1);
        card->saveChanges();
        QCOMPARE(stack->count(), 1);
        QCOMPARE(storedRow(path, 1), theirs);
        QVERIFY(TestSupport::messages(1).value(0).startsWith(u"Error:1008 Another program"_s));
        QVERIFY(!card->hasChanges());
        QCOMPARE(cardText(card, column("RATING5")), u"7"_s);
        Prompts::finishTest();

        // The grid's edit of the row the card saved since, and a save of a
        // player deleted since, are refused in words that say what happened.
        RecordSetModel* grid = shownGrid()->model();
        QVERIFY(grid->setData(grid->index(0, column("RATING2")), u"33"_s));
        card->typeValue(column("RATING1"), u"13"_s);
        card->saveChanges();
        Prompts::setNextAnswer(QMessageBox::Yes); // Commit changes?
        QVERIFY(grid->commitPendingEdit().message().startsWith(
            u"Error:1008 This row was saved from another window (the player card)"_s));
        card->typeValue(column("RATING1"), u"14"_s);
        sqlValues(path, u"DELETE FROM PlayerTable WHERE rowid = 1"_s);
        card->saveChanges();
        QVERIFY(TestSupport::messages(1).value(0).startsWith(
            u"Error:1008 Jo Walker is no longer in the league"_s));

        // Clear Database, the focus in an unchanged value: the card shows no one, silently.
        card->findChild<QLineEdit*>(u"txtWeight"_s)->setFocus();
        Prompts::setNextAnswer(QMessageBox::Yes);
        m_gui.main()->action(u"ClearDatabase"_s)->trigger();
        QCOMPARE(TestSupport::messages(2).size(), 1); // the question alone
        QCOMPARE(card->windowTitle(), u"Player Card[*]"_s);
    }

    // A key of the grid's own and a double-click on a record selector open
    // one card, which fits a small main window. Previous and Next walk the
    // grid's rows in its order and filter and move its current row; the card
    // follows the grid's current row.
    void cardOpensAndWalksTheGridsRows()
    {
        m_gui.main()->resize(800, 600);
        PlayerWindow* window = openThroughMenu();
        Prompts::setNextInput(u"CurrentPos = 0"_s);
        window->filter();
        Prompts::setNextInput(u"Weight DESC"_s);
        window->sort();
        const QString path = m_gui.path();
        const QStringList order = sqlValues(
            path,
            u"SELECT rowid FROM PlayerTable WHERE CurrentPos = 0 ORDER BY Weight DESC, rowid"_s);
        QVERIFY(order.size() > 3);

        auto* command = window->findChild<QAction*>(u"mnuPlayerCard"_s);
        QVERIFY(window->commands()->menu()->actions().contains(command));
        for (const QAction* other : m_gui.main()->findChildren<QAction*>()) {
            if (other != command && !other->shortcut().isEmpty())
                QVERIFY(other->shortcut() != command->shortcut());
        }
        window->gridView()->setCurrentIndex(window->model()->index(2, 2));
        window->gridView()->setFocus();
        QTest::keyClick(window->gridView(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        PlayerCard* card = shownCard();
        QCOMPARE(QString::number(card->playerKey()), order[2]);
        QVERIFY(
            m_gui.main()->mdiArea()->viewport()->rect().contains(card->parentWidget()->geometry()));

        const qsizetype windows = m_gui.main()->mdiArea()->subWindowList().size();
        m_gui.main()->mdiArea()->setActiveSubWindow(
            qobject_cast<QMdiSubWindow*>(window->parentWidget()));
        QHeaderView* selectors = window->gridView()->verticalHeader();
        QTest::mouseDClick(selectors->viewport(), Qt::LeftButton, {},
                           {selectors->width() / 2,
                            selectors->sectionViewportPosition(1) + selectors->sectionSize(1) / 2});
        QCOMPARE(shownCard(), card);
        QCOMPARE(m_gui.main()->mdiArea()->subWindowList().size(), windows);
        QCOMPARE(m_gui.main()->mdiArea()->activeSubWindow()->widget(), card);
        QCOMPARE(QString::number(card->playerKey()), order[1]);
        auto* previous = card->findChild<QPushButton*>(u"cmdPrevious"_s);
        auto* next = card->findChild<QPushButton*>(u"cmdNext"_s);
        previous->click();
        QVERIFY(!previous->isEnabled());

        // Ctrl+Page Down to the last row, keys only.
        auto* table = card->findChild<QTableWidget*>(u"tblRatings"_s);
        table->setFocus();
        QStringList walked{QString::number(card->playerKey())};
        while (next->isEnabled()) {
            QTest::keyClick(table, Qt::Key_PageDown, Qt::ControlModifier);
            walked << QString::number(card->playerKey());
            QCOMPARE(window->gridView()->currentIndex().row(), walked.size() - 1);
            QCOMPARE(QApplication::focusWidget(), table); // keys only: the focus stays
        }
        QCOMPARE(walked, order);

        // The card follows the grid; leaving a changed player asks first,
        // with a value still in its editor.
        window->gridView()->setCurrentIndex(window->model()->index(2, 3));
        QCOMPARE(QString::number(card->playerKey()), order[2]);
        const QStringList before = storedRow(path, card->playerKey());
        table->setCurrentCell(0, 2);
        QTest::keyClick(table, Qt::Key_F2);
        auto* editor = table->findChild<QLineEdit*>();
        QVERIFY(editor && editor->isVisible());
        editor->selectAll();
        QTest::keyClicks(editor, u"98"_s);
        Prompts::setNextAnswer(QMessageBox::No);
        QTest::keyClick(editor, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(TestSupport::messages(), QStringList{u"Commit changes?"_s});
        QCOMPARE(QString::number(card->playerKey()), order[1]);
        QCOMPARE(window->gridView()->currentIndex().row(), 1);
        QCOMPARE(storedRow(path, order[2].toLongLong()), before);

        // The grid closed and opened again is followed still; Escape closes
        // the card, asking about changed values first.
        window->closeWindow();
        window = openThroughMenu();
        const int row = window->gridView()->currentIndex().row();
        QCOMPARE(window->model()->recordSet()->key(row), card->playerKey());
        QVERIFY(previous->isEnabled() && next->isEnabled());
        card->typeValue(column("RATING1"), u"5"_s);
        Prompts::setNextAnswer(QMessageBox::No);
        QTest::keyClick(table, Qt::Key_Escape);
        QCOMPARE(TestSupport::messages(), QStringList(2, u"Commit changes?"_s));
        QVERIFY(!shownCard());
    }

    // OK hides the columns of the boxes checked off; Cancel leaves the grid
    // as it is though the boxes' choice is stored, and the next opening
    // reads the store. Filter and Refresh show nothing the choice hid.
    void columnChoice_data()
    {
        // hidden: once the grid is opened again
        columns<QStringList, bool, QList<int>>("boxes", "ok", "hidden");
        QTest::newRow("Actual Ratings")
            << QStringList{u"chkActualRatings"_s} << true << columnsFrom(20);
        QTest::newRow("Potential Ratings")
            << QStringList{u"chkPotRatings"_s} << true << columnsFrom(21);
        QTest::newRow("Weight") << QStringList{u"chkWeight"_s} << true << QList<int>{8};
        QTest::newRow("Team ID") << QStringList{u"chkTeamID"_s} << true << QList<int>{19};
        QTest::newRow("Cancel") << QStringList{u"chkWeight"_s, u"chkHeight"_s, u"chkWeight"_s,
                                               u"chkWeight"_s}
                                << false << QList<int>{7, 8};
    }

    void columnChoice()
    {
        auto [boxes, ok, hidden] = fetch<QStringList, bool, QList<int>>("boxes", "ok", "hidden");
        PlayerWindow* window = openThroughMenu();
        clickBoxes(window, boxes, ok);
        QCOMPARE(hiddenColumns(window), ok ? hidden : QList<int>());
        window->parentWidget()->close(); // the close box unloads the window
        QVERIFY(!shownGrid());
        window = openThroughMenu();
        QCOMPARE(hiddenColumns(window), hidden);
        Prompts::setNextInput(u"Weight > 200"_s);
        window->filter();
        QVERIFY(window->model()->rowCount() < Players);
        QCOMPARE(hiddenColumns(window), hidden);
        window->refresh();
        QCOMPARE(hiddenColumns(window), hidden);
        // The dialog opens with those boxes unchecked: checking them and OK shows all again.
        boxes.removeDuplicates();
        clickBoxes(window, boxes, true);
        QCOMPARE(hiddenColumns(window), QList<int>());
    }

    // On a table whose fields stand elsewhere in the file each column shows,
    // sorts by and writes its own field.
    void reorderedTableBindsSortsAndWritesByField()
    {
        const QString path = shuffledCopy();
        QVERIFY(sqlValues(path, u"SELECT name FROM pragma_table_info('PlayerTable')"_s) !=
                db::schema::playerColumns());
        m_gui.main()->setLeaguePath(path);
        writeSetting(u"Settings"_s, u"ShowCodes"_s, u"True"_s); // every value as stored
        PlayerWindow* window = openThroughMenu();
        const QString byKey = u"SELECT "_s + db::schema::playerColumns().join(u", "_s) +
                              u" FROM PlayerTable WHERE rowid = ?"_s;
        for (int row : {0, Players / 2, Players - 1}) {
            QStringList cells;
            for (int c = 0; c < 80; ++c)
                cells << shown(window->model()->index(row, c).data());
            QCOMPARE(cells, sqlValues(path, byKey, {window->model()->recordSet()->key(row)}));
        }

        // A header click sorts by the column's own field.
        window->headerClicked(8);
        QStringList sorted;
        for (int row = 0; row < window->model()->rowCount(); ++row)
            sorted << shown(window->model()->index(row, 8).data());
        QCOMPARE(sorted, sqlValues(path, u"SELECT Weight FROM PlayerTable ORDER BY Weight"_s));

        // An edit is written on Yes (No is the table grids' concern).
        const qint64 key = window->model()->recordSet()->key(0);
        window->gridView()->setCurrentIndex(window->model()->index(0, 8));
        QVERIFY(window->model()->setData(window->model()->index(0, 8), u"321"_s));
        Prompts::setNextAnswer(QMessageBox::Yes);
        window->gridView()->setCurrentIndex(window->model()->index(1, 8)); // leaves the row
        QCOMPARE(TestSupport::messages(), QStringList{u"Commit changes?"_s});
        QCOMPARE(sqlValues(path, u"SELECT Weight FROM PlayerTable WHERE rowid = ?"_s, {key}),
                 QStringList{u"321"_s});
    }

    // One player grid: Table > All opens the six tables beside it, Team's
    // last, and the menu brings the grid forward. A fresh run hides what the
    // settings file says is off (how each stored text reads is the settings
    // store's concern).
    void oneWindow()
    {
        for (const QString& key : players::columnSettingKeys())
            writeSetting(u"PlayerTable"_s, key, u"false"_s);
        PlayerWindow* window = openThroughMenu();
        QCOMPARE(hiddenColumns(window), columnsFrom(1, 1));
        m_gui.main()->action(u"mnuAll"_s)->trigger();
        QCOMPARE(m_gui.main()->mdiArea()->subWindowList().size(), 7);
        QCOMPARE(m_gui.main()->mdiArea()->activeSubWindow()->widget()->windowTitle(), u"Team"_s);
        QCOMPARE(openThroughMenu(), window);
        QCOMPARE(m_gui.main()->mdiArea()->activeSubWindow()->widget(), window);
        window->closeWindow();
        QVERIFY(!shownGrid());
        QVERIFY(!m_gui.main()->action(u"mnuPlayerTable"_s)->isChecked());
    }

    // Captions name their fields in Sort and Filter, in the player grid only:
    // another table's own field of a caption's name stays that field. A Sort
    // by one caption marks its column; a sort by several marks none.
    void captionsNameFields_data()
    {
        // sql: the keys expected; empty: refused
        // marked: the column a Sort marks descending; -1: none
        columns<bool, bool, QString, QString, int>("players", "sort", "expression", "sql",
                                                   "marked");
        const auto row = [](const char* name, bool players, bool sort, const QString& sql,
                            int marked = -1) {
            QTest::newRow(name) << players << sort << QString::fromLatin1(name).section(u';', 0, 0)
                                << sql << marked;
        };
        row("SP_P DESC", true, true,
            u"SELECT rowid FROM PlayerTable ORDER BY RATING_POT1 DESC, rowid"_s, 21);
        row("Weight, SP", true, true,
            u"SELECT rowid FROM PlayerTable ORDER BY Weight, RATING1, rowid"_s);
        row("SP_P > 80", true, false, u"SELECT rowid FROM PlayerTable WHERE RATING_POT1 > 80"_s);
        row("[Age] > 30", true, false, u"SELECT rowid FROM PlayerTable WHERE RATING25 > 30"_s);
        row("Age > 3; Team", false, false, u"SELECT rowid FROM Team WHERE Age > 3"_s);
        row("SP; Team", false, true, QString());
    }

    void captionsNameFields()
    {
        auto [players, sort, expression, sql, marked] = fetch<bool, bool, QString, QString, int>(
            "players", "sort", "expression", "sql", "marked");
        const QString path = m_gui.path();
        QCOMPARE(sqlValues(path, u"ALTER TABLE Team ADD COLUMN Age INTEGER"_s), QStringList());
        sqlValues(path, u"UPDATE Team SET Age = rowid"_s);
        TableWindow* window = players ? openThroughMenu() : m_gui.openVia(u"mnuTeam"_s);
        Prompts::setNextInput(expression);
        sort ? window->sort() : window->filter();
        if (sql.isEmpty()) {
            QVERIFY(Prompts::shown().last().text.startsWith(u"Error:1011 "_s));
            return;
        }
        QVERIFY(window->connection()->recordSet()->count() > 0);
        QCOMPARE(TestSupport::keys(window), sqlValues(path, sql).join(u','));
        QHeaderView* header = window->gridView()->horizontalHeader();
        if (sort)
            QCOMPARE(header->isSortIndicatorShown() ? header->sortIndicatorSection() : -1, marked);
        QVERIFY(marked < 0 || header->sortIndicatorOrder() == Qt::DescendingOrder);
    }

    // While the grid is scrolled right the names stand at its left edge, row
    // for row, through scrolling, a taller row and a Sort; a click on a name
    // is a click on the grid's name cell, questions and all.
    void namesStayInViewWhileScrollingRight()
    {
        PlayerWindow* window = openThroughMenu();
        GridView* grid = window->gridView();
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
        window->headerClicked(79);
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
        QCOMPARE(TestSupport::messages(), QStringList{u"Commit changes?"_s});
        QVERIFY(!model->hasPendingEdit());
        QVERIFY(!names->isVisible());
        QCOMPARE(grid->currentIndex(), model->index(row + 1, 2));
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));

        grid->scrollTo(model->index(row, 79));
        QHeaderView* header = names->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          {header->sectionViewportPosition(2) + 5, header->height() / 2});
        QCOMPARE(window->connection()->recordSet()->selection().sortTexts().first(),
                 u"[LastName]"_s);

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
        QCOMPARE(window->connection()->recordSet()->selection().filterTexts(),
                 QStringList{u"FirstName = "_s + first.data().toString()});
    }
};

QTEST_MAIN(tst_PlayerGrid)
#include "tst_playergrid.moc"
