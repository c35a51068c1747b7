// Positions, teams, conferences and players shown and picked by name, through
// the real windows on generated leagues.
#include "GuiFixture.h"
#include "TestSupport.h"

#include "core/db/RecordSet.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "windows/grid/FindDialog.h"
#include "windows/grid/GridCommands.h"
#include "windows/grid/GridView.h"
#include "windows/grid/TableConnection.h"
#include "windows/grid/TableWindow.h"
#include "windows/players/PlayerCard.h"
#include "windows/players/PlayerWindows.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;
using namespace TestSupport;

class TestMeanings : public QObject
{
    Q_OBJECT
    GuiFixture m_gui;

    QString sql(const QString& query) const { return m_gui.firstColumn(query); }
    // "{team2}" in a data row stands for the name of the team with TeamID 2.
    QString withNames(QString text) const
    {
        return text.replace(u"{team2}"_s,
                            sql(u"SELECT TeamName FROM Team WHERE TeamID = 2 LIMIT 1"_s));
    }
    void runAll(const QString& statements) const
    {
        for (const QString& s : statements.split(u';', Qt::SkipEmptyParts))
            QCOMPARE(m_gui.execute(s), QString());
    }
    static QModelIndex at(TableWindow* w, qint64 key, const QString& field)
    {
        return cell(w, w->connection()->recordSet()->rowOfKey(key), field);
    }
    static void toggleCodes(TableWindow* w) { w->commands()->action(u"mnuShowCodes"_s)->trigger(); }

private slots:
    void init() { m_gui.setUp(); }
    void cleanup() { QCOMPARE(m_gui.tearDown(), QString()); }

    void showsMeaningOrCode_data()
    {
        columns<QString, QString, QString, QString, QString>("table", "field", "setup", "shown",
                                                             "tip");
        const auto row = [](const char* tag, const QString& table, const QString& field,
                            const QString& setup, const QString& shown, const QString& tip) {
            QTest::newRow(tag) << table << field << setup << shown << tip;
        };
        const QString rosterPlayer =
            u"SELECT FirstName || ' ' || LastName FROM PlayerTable WHERE "
            u"PlayerId = (SELECT PlayerID FROM Roster WHERE rowid = 1) LIMIT 1"_s;
        row("position", u"PlayerTable"_s, u"CurrentPos"_s,
            u"UPDATE PlayerTable SET CurrentPos = 3"_s, u"WR"_s, u"CurrentPos 3"_s);
        row("position stored as real", u"PlayerTable"_s, u"NaturalPos"_s,
            u"UPDATE PlayerTable SET NaturalPos = 14.0"_s, u"S"_s, u"NaturalPos 14"_s);
        row("team", u"PlayerTable"_s, u"TeamId"_s, u"UPDATE PlayerTable SET TeamId = 2"_s,
            u"{team2}"_s, u"TeamId 2"_s);
        row("college draft", u"PlayerTable"_s, u"TeamId"_s, u"UPDATE PlayerTable SET TeamId = 0"_s,
            u"College Draft/FA"_s, u"TeamId 0"_s);
        row("roster team", u"Roster"_s, u"TeamID"_s, u"UPDATE Roster SET TeamID = 2"_s,
            u"{team2}"_s, u"TeamID 2"_s);
        row("roster position", u"Roster"_s, u"Position"_s, u"UPDATE Roster SET Position = 0"_s,
            u"QB"_s, u"Position 0"_s);
        row("roster player", u"Roster"_s, u"PlayerID"_s, {}, rosterPlayer, u"PlayerID"_s);
        row("free agent", u"FreeAgents"_s, u"PlayerID"_s, {},
            u"SELECT FirstName || ' ' || LastName FROM PlayerTable WHERE PlayerId = (SELECT "
            u"PlayerID FROM FreeAgents WHERE rowid = 1)"_s,
            u"PlayerID"_s);
        row("schedule", u"Schedule"_s, u"AwayTeamID"_s, u"UPDATE Schedule SET AwayTeamID = 2"_s,
            u"{team2}"_s, u"AwayTeamID 2"_s);
        row("conference", u"Team"_s, u"ConferenceID"_s, {},
            u"SELECT ConferenceName FROM Conference WHERE ConferenceID = (SELECT ConferenceID "
            u"FROM Team WHERE rowid = 1)"_s,
            u"ConferenceID"_s);
        row("no such position", u"PlayerTable"_s, u"CurrentPos"_s,
            u"UPDATE PlayerTable SET CurrentPos = 17"_s, {}, u"No position has CurrentPos 17."_s);
        row("no such team", u"PlayerTable"_s, u"TeamId"_s, u"UPDATE PlayerTable SET TeamId = 99"_s,
            {}, u"No team has TeamId 99."_s);
        row("null team", u"PlayerTable"_s, u"TeamId"_s, u"UPDATE PlayerTable SET TeamId = NULL"_s,
            {}, u"TeamId holds no value (Null), so no team."_s);
        row("two teams, one id", u"PlayerTable"_s, u"TeamId"_s,
            u"INSERT INTO Team (TeamID, TeamName) VALUES (2, 'Copycats');"
            u"UPDATE PlayerTable SET TeamId = 2"_s,
            u"{team2}"_s, u"TeamId 2 (2 teams have it; the first is shown)"_s);
        row("two players, one id", u"Roster"_s, u"PlayerID"_s,
            u"UPDATE PlayerTable SET PlayerId = (SELECT PlayerID FROM Roster WHERE rowid = 1) "
            u"WHERE rowid = 300"_s,
            rosterPlayer, u"(2 players have it; the first is shown)"_s);
        row("two teams, one name", u"PlayerTable"_s, u"TeamId"_s,
            u"UPDATE Team SET TeamName = 'Dragons' WHERE TeamID IN (1, 2);"
            u"UPDATE PlayerTable SET TeamId = 2"_s,
            u"Dragons (2)"_s, u"TeamId 2"_s);
        row("null and text ids in Team", u"PlayerTable"_s, u"TeamId"_s,
            u"UPDATE Team SET TeamID = NULL WHERE TeamID = 1;"
            u"UPDATE Team SET TeamID = 'T3' WHERE TeamID = 3;UPDATE PlayerTable SET TeamId = 2"_s,
            u"{team2}"_s, u"TeamId 2"_s);
        row("Conference empty", u"Team"_s, u"ConferenceID"_s, u"DELETE FROM Conference"_s, {},
            u"No conference has ConferenceID"_s);
        row("Conference without names", u"Team"_s, u"ConferenceID"_s,
            u"ALTER TABLE Conference DROP COLUMN ConferenceName;"
            u"ALTER TABLE Conference DROP COLUMN Abbreviation"_s,
            {}, u"The Conference table has no column of names after ConferenceID."_s);
    }

    // Each kind of column by name, or as stored and set apart; Show Codes
    // switches every window to the stored values and is remembered.
    void showsMeaningOrCode()
    {
        auto [table, field, setup, shown, tip] = fetch<QString, QString, QString, QString, QString>(
            "table", "field", "setup", "shown", "tip");
        runAll(setup);
        shown = shown.startsWith(u"SELECT"_s) ? sql(shown) : withNames(shown);
        TableWindow* w = m_gui.openTable(table);
        TableWindow* other = m_gui.openTable(table == u"Team"_s ? u"Roster"_s : u"Team"_s);
        const QModelIndex index = at(w, 1, field);
        const QString stored = index.data(Qt::EditRole).toString();
        const bool known = !shown.isEmpty();
        QCOMPARE(index.data().toString(), known ? shown : stored);
        QVERIFY2(index.data(Qt::ToolTipRole).toString().contains(tip),
                 qPrintable(index.data(Qt::ToolTipRole).toString()));
        QCOMPARE(index.data(Qt::FontRole).value<QFont>().italic(), !known);
        QVERIFY(w->model()
                    ->headerData(index.column(), Qt::Horizontal, Qt::ToolTipRole)
                    .toString()
                    .endsWith(u"(sorted by stored value)"_s));

        toggleCodes(other); // any window's toggle switches all of them
        QCOMPARE(readSetting(u"Settings"_s, u"ShowCodes"_s), u"True"_s);
        QCOMPARE(index.data().toString(), stored);
        QVERIFY(w->commands()->action(u"mnuShowCodes"_s)->isChecked());
        toggleCodes(w);
        QCOMPARE(readSetting(u"Settings"_s, u"ShowCodes"_s), u"False"_s);
        QCOMPARE(index.data().toString(), known ? shown : stored);
    }

    void picksByName_data()
    {
        columns<bool, QString, QString, QString, QString>("card", "field", "typed", "answers",
                                                          "stored");
        const auto row = [](const char* tag, bool card, const QString& field, const QString& typed,
                            const QString& answers, const QString& stored) {
            QTest::newRow(tag) << card << field << typed << answers << stored;
        };
        row("position by name", false, u"CurrentPos"_s, u"te"_s, u"Y"_s, u"integer 4"_s);
        row("a number is a code", false, u"CurrentPos"_s, u"6"_s, u"Y"_s, u"integer 6"_s);
        row("team by name", false, u"TeamId"_s, u"{team2}"_s, u"Y"_s, u"integer 2"_s);
        row("no such team, No", false, u"TeamId"_s, u"99"_s, u"N"_s, {});
        row("no such team, Yes", false, u"TeamId"_s, u"99"_s, u"YY"_s, u"integer 99"_s);
        row("unknown name", false, u"TeamId"_s, u"Nowhere Nomads"_s, {}, {});
        row("card: team by name", true, u"TeamId"_s, u"{team2}"_s, u"Y"_s, u"integer 2"_s);
        row("card: no such position, Yes", true, u"CurrentPos"_s, u"17"_s, u"YY"_s,
            u"integer 17"_s);
        row("card: no such position, No", true, u"CurrentPos"_s, u"17"_s, u"N"_s, {});
    }

    // The drop-down writes the code in the field's storage type; a code that
    // means nothing is asked about before "Commit changes?".
    void picksByName()
    {
        const auto [onCard, field, typed, answers, stored] =
            fetch<bool, QString, QString, QString, QString>("card", "field", "typed", "answers",
                                                            "stored");
        const QString query =
            u"SELECT typeof(%1) || ' ' || %1 FROM PlayerTable WHERE rowid = 1"_s.arg(field);
        const QString before = sql(query);
        for (QChar answer : answers)
            Prompts::setNextAnswer(answer == u'Y' ? QMessageBox::Yes : QMessageBox::No);
        TableWindow* grid = m_gui.openVia(u"mnuPlayerTable"_s);
        grid->gridView()->setCurrentIndex(at(grid, 1, u"FirstName"_s));
        if (onCard) {
            grid->findChild<QAction*>(u"mnuPlayerCard"_s)->trigger();
            PlayerCard* card = m_gui.main()->playerWindows().card;
            auto* box = card->findChild<QComboBox*>(u"cbo"_s + field);
            QVERIFY(box && box->count() > 0);
            box->lineEdit()->selectAll();
            QTest::keyClicks(box->lineEdit(), withNames(typed));
            QTest::keyClick(box->lineEdit(), Qt::Key_Return);
            QVERIFY(card->resolvePendingEdit());
        } else {
            // A drop-down closed untouched writes nothing.
            QWidget* editor = openEditor(grid, 0, field);
            QVERIFY(editor && qobject_cast<QComboBox*>(editor->parentWidget()));
            QTest::keyClick(editor, Qt::Key_Return);
            QCoreApplication::processEvents(); // the editor closes
            QVERIFY(!grid->model()->hasPendingEdit());
            QVERIFY(typeInto(grid, 0, field, withNames(typed)));
            QVERIFY(grid->resolvePendingEdit());
        }
        QCoreApplication::processEvents(); // a refusal shows after the editor has gone
        QCOMPARE(sql(query), stored.isEmpty() ? before : stored);
        if (answers.isEmpty())
            QVERIFY(messages().join(u'|').contains(u"No team is named \"Nowhere Nomads\""_s));
        else if (answers != u"Y"_s)
            QVERIFY(messages().value(0).endsWith(u" Store it anyway?"_s));
    }

    void filtersByName_data()
    {
        columns<QString, QString>("filter", "rows");
        QTest::newRow("position") << u"CurrentPos = \"QB\""_s << u"CurrentPos = 0"_s;
        QTest::newRow("list") << u"currentpos In ('qb', 'K', 5)"_s << u"CurrentPos IN (0, 8, 5)"_s;
        QTest::newRow("team") << u"TeamId = \"{team2}\" And NaturalPos <> 'S'"_s
                              << u"TeamId = 2 AND NaturalPos <> 14"_s;
        QTest::newRow("a number in quotes") << u"TeamId = '2'"_s << u"TeamId = 2"_s;
        QTest::newRow("no such name") << u"CurrentPos = 'QX'"_s << QString();
    }

    // A coded field compared with a name compares with its code; a name that
    // means nothing is named in the message, and nothing is filtered.
    void filtersByName()
    {
        const auto [filter, rows] = fetch<QString, QString>("filter", "rows");
        TableWindow* w = m_gui.openVia(u"mnuPlayerTable"_s);
        const QString all = keys(w);
        Prompts::setNextInput(withNames(filter));
        w->filter();
        QVERIFY(Prompts::shown().first().filters.contains(u"CurrentPos"_s)); // the completer's
        if (rows.isEmpty()) {
            QVERIFY(messages().value(0).contains(u"No position is named 'QX'"_s));
            QCOMPARE(keys(w), all);
        } else {
            QCOMPARE(keys(w), sql(u"SELECT rowid FROM PlayerTable WHERE "_s + rows));
        }
    }

    void findsCopiesAndExportsNames_data()
    {
        columns<bool>("codes");
        QTest::newRow("names") << false;
        QTest::newRow("codes") << true;
    }

    // Find finds the shown name; Copy and the CSV write what the grid shows.
    void findsCopiesAndExportsNames()
    {
        const auto [codes] = fetch<bool>("codes");
        writeSetting(u"Settings"_s, u"ShowCodes"_s, codes ? u"True"_s : u"False"_s);
        const QString team = sql(u"SELECT TeamName FROM Team WHERE TeamID = 2"_s);
        TableWindow* w = m_gui.openTable(u"Roster"_s);
        w->gridView()->setCurrentIndex(cell(w, 0, u"TeamID"_s));
        w->commands()->find();
        FindDialog* find = w->commands()->findDialog();
        find->findTextBox()->setText(team.toUpper());
        find->findNextButton()->click();
        const QString firstOfTeam =
            sql(u"SELECT rowid FROM Roster WHERE TeamID = 2 ORDER BY rowid LIMIT 1"_s);
        const qint64 found = w->connection()->recordSet()->key(w->gridView()->currentIndex().row());
        QCOMPARE(found == firstOfTeam.toLongLong(), !codes);
        if (codes)
            QCOMPARE(messages().value(0), u"No row holds \"%1\"."_s.arg(team.toUpper()));
        find->close();

        const QModelIndex teamCell = at(w, firstOfTeam.toLongLong(), u"TeamID"_s);
        w->gridView()->setCurrentIndex(teamCell);
        w->gridView()->selectionModel()->select(teamCell, QItemSelectionModel::ClearAndSelect);
        w->commands()->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), (codes ? u"2"_s : team) + u'\n');

        const QString csv = m_gui.filePath(u"roster.csv"_s);
        Prompts::setNextFileName(csv);
        w->commands()->exportView();
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        const QString player =
            sql(u"SELECT FirstName || ' ' || LastName FROM PlayerTable WHERE PlayerId = (SELECT "
                u"PlayerID FROM Roster WHERE rowid = 1)"_s);
        const QByteArray id = sql(u"SELECT PlayerID FROM Roster WHERE rowid = 1"_s).toUtf8();
        QVERIFY2(lines.value(1).contains(codes ? ',' + id + ',' : player.toUtf8()),
                 lines.value(1).constData());
    }

    // The program's own change shows at once in every window on the league.
    void renamedTeamShowsInOpenRoster()
    {
        TableWindow* roster = m_gui.openTable(u"Roster"_s);
        const QModelIndex index = at(roster, 1, u"TeamID"_s);
        TableWindow* team = m_gui.openTable(u"Team"_s);
        const qint64 key =
            sql(u"SELECT rowid FROM Team WHERE TeamID = "_s + index.data(Qt::EditRole).toString())
                .toLongLong();
        QVERIFY(typeInto(team, team->connection()->recordSet()->rowOfKey(key), u"TeamName"_s,
                         u"Renamed Rovers"_s));
        Prompts::setNextAnswer(QMessageBox::Yes);
        QVERIFY(team->resolvePendingEdit());
        QCOMPARE(index.data().toString(), u"Renamed Rovers"_s);
    }

    // From a team's name to its best-throwing quarterback without reading a
    // code; then a player moves by the team's name.
    void findFilterAndSortByName()
    {
        runAll(u"UPDATE Team SET TeamName = 'Harbor City Dragons' WHERE TeamID = 1"_s);
        const QByteArray bytes = fileBytes(m_gui.path());
        TableWindow* w = m_gui.openVia(u"mnuPlayerTable"_s);
        w->commands()->find();
        FindDialog* find = w->commands()->findDialog();
        for (const QString& text : {u"Harbor City Dragons"_s, u"QB"_s}) {
            w->gridView()->setCurrentIndex(
                cell(w, 0, text == u"QB"_s ? u"CurrentPos"_s : u"TeamId"_s));
            find->findTextBox()->setText(text);
            find->findNextButton()->click();
            const QModelIndex found = w->gridView()->currentIndex();
            QCOMPARE(found.data().toString(), text);
            w->commands()->popupFor(found.column(), found, {});
            w->commands()->menu()->hide();
            w->commands()->action(u"mnuFilterByValue"_s)->trigger();
        }
        const int ta = w->connection()->recordSet()->fields().indexOf(u"RATING5"_s);
        w->headerClicked(cell(w, 0, u"RATING5"_s).column(), Qt::ShiftModifier);
        QVERIFY(ta >= 0);
        QCOMPARE(keys(w).section(u',', 0, 0),
                 sql(u"SELECT rowid FROM PlayerTable WHERE TeamId = 1 AND CurrentPos = 0 ORDER "
                     u"BY RATING5 DESC, rowid LIMIT 1"_s));
        QVERIFY(w->statusText().contains(u"TeamId = Harbor City Dragons"_s));
        QCOMPARE(fileBytes(m_gui.path()), bytes);

        const qint64 moved = w->connection()->recordSet()->key(0);
        QVERIFY(typeInto(w, 0, u"TeamId"_s, withNames(u"{team2}"_s)));
        Prompts::setNextAnswer(QMessageBox::Yes);
        QVERIFY(w->resolvePendingEdit());
        QCOMPARE(sql(u"SELECT TeamId FROM PlayerTable WHERE rowid = %1"_s.arg(moved)), u"2"_s);
        for (const QString& table : {u"Roster"_s, u"Schedule"_s}) {
            TableWindow* t = m_gui.openVia(u"mnu"_s + table);
            const QString field = table == u"Roster"_s ? u"TeamID"_s : u"HomeTeamID"_s;
            QCOMPARE(cell(t, 0, field).data().toString(),
                     sql(u"SELECT TeamName FROM Team WHERE TeamID = (SELECT %1 FROM %2 WHERE "
                         u"rowid = 1)"_s.arg(field, table)));
        }
    }

    void opensAnotherLeague_data()
    {
        columns<bool>("close");
        QTest::newRow("close them") << true;
        QTest::newRow("keep them") << false;
    }

    // File > Open of another league offers to close the previous one's windows.
    void opensAnotherLeague()
    {
        const auto [close] = fetch<bool>("close");
        TableWindow* team = m_gui.openVia(u"mnuTeam"_s);
        QVERIFY(typeInto(team, 0, u"City"_s, u"Elsewhere"_s));
        const QString other = m_gui.filePath(u"other.mdb"_s);
        QFile::remove(other);
        QVERIFY(QFile::copy(m_gui.pristine(), other));
        Prompts::setNextFileName(other);
        Prompts::setNextAnswer(close ? QMessageBox::Yes : QMessageBox::No);
        if (close)
            Prompts::setNextAnswer(QMessageBox::Yes); // its edited row, as Close asks
        m_gui.main()->action(u"mnuOpen"_s)->trigger();
        QCOMPARE(m_gui.main()->leaguePath(), other);
        QVERIFY(messages().value(0).startsWith(u"A window still shows the league"_s));
        QCOMPARE(m_gui.main()->mdiArea()->subWindowList().size(), close ? 0 : 1);
        QCOMPARE(sql(u"SELECT City FROM Team WHERE rowid = 1"_s) == u"Elsewhere"_s, close);
        if (!close)
            team->model()->discardPendingEdit();
    }
};

QTEST_MAIN(TestMeanings)
#include "tst_meanings.moc"
