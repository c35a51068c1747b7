// The global edit dialog and progress window, through the real main window.
#include "EditCheck.h"
#include "GuiFixture.h"
#include "TestSupport.h"
#include "core/db/Database.h"
#include "core/globaledit/GlobalEditPreview.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "windows/globaledit/ChangedPlayersModel.h"
#include "windows/globaledit/GlobalEditDialog.h"
#include "windows/globaledit/PreviewWindow.h"
#include "windows/globaledit/ProgressWindow.h"

#include <QtCharts>
#include <QtTest>
#include <QtWidgets>
#include <sqlite3.h>

using editcheck::Snapshot;
using namespace Qt::StringLiterals;

namespace {
// Calls onShow with each progress window as it is shown.
struct ShowWatcher : QObject {
    std::function<void(QObject*)> onShow;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == u"frmProgress"_s)
            onShow(watched);
        return false;
    }
};
} // namespace

class TestGlobalEditDialog : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_gui.setUp(); }
    // The fixture's teardown takes the dialog with it.
    void cleanup() { QCOMPARE(m_gui.tearDown(), QString()); }

    void lifecycle()
    {
        // An unreadable league: its message, no window, no file made.
        const QString gone = m_gui.path() + u".gone"_s;
        m_gui.main()->setLeaguePath(gone);
        QVERIFY(!openDialog());
        QCOMPARE(Prompts::shown().size(), 1);
        QVERIFY(Prompts::shown().at(0).text.startsWith(u"Error:53 "_s));
        QVERIFY(m_gui.main()->mdiArea()->subWindowList().isEmpty());
        QVERIFY(!QFile::exists(gone));
        m_gui.main()->setLeaguePath(m_gui.path());
        db::Database database;
        QVERIFY(!database.open(m_gui.path()));
        QVERIFY(!database.execute(u"UPDATE Team SET TeamID = 1001 WHERE TeamID = 1"_s));
        const QStringList teams =
            QStringList{u"All"_s} +
            m_gui.firstColumn(u"SELECT TeamName FROM Team ORDER BY TeamName"_s).split(u',') +
            QStringList{u"College Draft/FA"_s};
        QVERIFY(openDialog());
        auto* window = qobject_cast<QMdiSubWindow*>(m_dialog->parentWidget());
        QVERIFY(window && window->mdiArea() == m_gui.main()->mdiArea());
        QCOMPARE(m_dialog->focusWidget(), control<QLineEdit>(u"txtSP"_s));
        QCOMPARE(teamItems(), teams);
        QVERIFY(!m_dialog->teamFilter().has_value()); // "All" shown means all teams
        choose(teamName(1));
        QCOMPARE(m_dialog->teamFilter().value_or(-1), 1001); // that team alone, not all teams

        // Cancel keeps every entry, and the team list read on loading.
        QPointer<GlobalEditDialog> first = m_dialog;
        enterSample({4});
        choose(u"College Draft/FA"_s);
        QLineEdit* teamText = control<QComboBox>(u"cboTeam"_s)->lineEdit();
        teamText->selectAll();
        QTest::keyClicks(teamText, u"All"_s); // typing chooses no team
        QVERIFY(!database.execute(u"DELETE FROM Team"_s));
        press(u"cmdCancel"_s);
        QVERIFY(!window->isVisible());
        QCOMPARE(openDialog(), first.data());
        QVERIFY(window->isVisible());
        QCOMPARE(control<QLineEdit>(u"txtSP"_s)->text(), u"10"_s);
        QVERIFY(control<QCheckBox>(u"chkPosition_4"_s)->isChecked());
        QCOMPARE(m_dialog->teamFilter().value_or(-1), 0);
        QCOMPARE(teamItems(), teams);

        // The close box unloads it: the next showing starts afresh.
        window->close();
        QTRY_VERIFY(!first);
        QVERIFY(openDialog());
        QCOMPARE(control<QLineEdit>(u"txtSP"_s)->text(), u"0"_s);
        QCOMPARE(teamItems(), (QStringList{u"All"_s, u"College Draft/FA"_s}));
        QVERIFY(!m_dialog->teamFilter().has_value());
    }

    void okRunsCheckedPositionsInOrder()
    {
        db::Database league; // more kickers than 200: the bar must still move with each of them
        QVERIFY(!league.open(m_gui.path()));
        QVERIFY(!league.execute(u"UPDATE PlayerTable SET CurrentPos = 8 WHERE CurrentPos > 8"_s));
        QVERIFY(openDialog());
        // The bar, from the first showing of the progress window on: which
        // caption it moved under, and how far.
        QStringList captions;
        QMap<QString, int> peak;
        ShowWatcher shows;
        shows.onShow = [&](QObject* window) {
            auto* p = qobject_cast<ProgressWindow*>(window);
            connect(p->findChild<QProgressBar*>(u"ProgressBar1"_s), &QProgressBar::valueChanged,
                    this, [&, p](int v) {
                        if (v > 0 && captions.value(captions.size() - 1) != p->caption())
                            captions << p->caption();
                        peak[p->caption()] = qMax(peak[p->caption()], v);
                    });
        };
        qApp->installEventFilter(&shows);
        // Timers run while the edit runs: try to close the dialog and the main
        // window, to type, to click Cancel and to press OK again meanwhile.
        int ticks = 0;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            ProgressWindow* p = m_gui.main()->findChild<ProgressWindow*>();
            if (!p || !p->isVisible())
                return;
            ++ticks;
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QVERIFY(!m_dialog->parentWidget()->close()); // refused while the edit runs
            QVERIFY(!m_gui.main()->close());             // and so is the main window around it
            m_dialog->confirm();                         // ignored: no second edit inside the first
            QTest::keyClick(control<QLineEdit>(u"txtSP"_s), Qt::Key_5); // no key reaches a box
            QTest::mouseClick(control<QPushButton>(u"cmdCancel"_s), Qt::LeftButton); // no click
        });
        watcher.start(0);
        const Snapshot before = editcheck::snapshot(m_gui.path());
        press(u"cmdOK"_s); // no position checked: nothing happens
        QCOMPARE(changesAgainst(before), QString());
        QVERIFY(captions.isEmpty());

        const globaledit::GlobalEdit edit = enterSample({8, 0}); // K then QB: QB still goes first
        press(u"cmdOK"_s);
        watcher.stop();
        QVERIFY(ticks > 0);
        QCOMPARE(captions, (QStringList{u"Updating QB"_s, u"Updating K"_s}));
        QVERIFY(peak[captions.at(0)] >= 99 && peak[captions.at(1)] >= 99);
        QCOMPARE(changesAgainst(editcheck::expectedAfter(before, edit)), QString());
        QVERIFY(!m_gui.main()->findChild<ProgressWindow*>());
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(m_dialog && m_dialog->isVisible()); // stays open for the next edit
        QCOMPARE(control<QLineEdit>(u"txtSP"_s)->text(), u"10"_s);
        QVERIFY(Prompts::shown().isEmpty());
    }

    void teamTheBoxShows_data()
    {
        // before: SQL run on the league before the dialog opens
        // picked: the item chosen from the list
        // typed: then typed over the box's text; null: nothing typed
        // after: SQL run after choosing, before OK
        // team: whose players change: -1 all, -2 nobody
        columns<QString, QString, QString, QString, qint64, QString>("before", "picked", "typed",
                                                                     "after", "team", "message");
        const QString two = teamName(2);
        const QString none = u"^No team in the list is named"_s;
        auto row = [](const char* name, const QString& picked, const QString& typed, qint64 team,
                      const QString& message = {}, const QString& after = {},
                      const QString& before = {}) {
            QTest::newRow(name) << before << picked << typed << after << team << message;
        };
        row("typed name in other case", u"All"_s, two.toUpper(), 2);
        row("typed All after a team", two, u"aLL"_s, -1);
        row("typed text naming no team", u"All"_s, u"Nowhere"_s, -2, none);
        row("typed name with a blank", u"All"_s, two + u" "_s, -2, none);
        row("chosen team renamed since", two, {}, -2, u"^Error:1017 .*no rating was changed"_s,
            u"UPDATE Team SET TeamName = 'X' WHERE TeamID = 2"_s);
        // Ids that are not whole numbers name no player's team: not in the list.
        row("TeamID 3.5 left out", u"All"_s, teamName(3), -2, none, {},
            u"UPDATE Team SET TeamID = 3.5 WHERE TeamID = 3"_s);
    }

    void teamTheBoxShows()
    {
        auto [before, picked, typed, after, team, message] =
            fetch<QString, QString, QString, QString, qint64, QString>("before", "picked", "typed",
                                                                       "after", "team", "message");
        db::Database league;
        QVERIFY(!league.open(m_gui.path()));
        if (!before.isEmpty())
            QVERIFY(!league.execute(before));
        QVERIFY(openDialog());
        choose(picked);
        globaledit::GlobalEdit edit = enterSample({0, 5});
        auto* box = control<QComboBox>(u"cboTeam"_s);
        if (!typed.isNull()) {
            box->lineEdit()->selectAll();
            QTest::keyClicks(box->lineEdit(), typed);
            QCOMPARE(box->currentText(), typed); // no completion changed it
        }

        if (!after.isEmpty())
            QVERIFY(!league.execute(after));
        const Snapshot start = editcheck::snapshot(m_gui.path());
        press(u"cmdOK"_s);
        edit.team = team >= 0 ? globaledit::TeamFilter(team) : std::nullopt;
        if (team == -2)
            edit.positions.reset();
        QCOMPARE(changesAgainst(editcheck::expectedAfter(start, edit)), QString());
        if (message.isEmpty()) {
            QVERIFY(Prompts::shown().isEmpty());
            return;
        }

        expectRefusal(message);
        if (after.isEmpty()) {
            QCOMPARE(m_dialog->focusWidget(), box);
            QCOMPARE(box->currentText(), typed);
        } else {
            QVERIFY(teamItems().contains(u"X"_s)); // the list now shows the table as it is
        }
    }

    // File > Open of another league: the dialog lists that league's teams, and
    // OK changes that league alone.
    void anotherLeague()
    {
        const QString first = m_gui.path();
        const QString second = m_gui.filePath(u"second.db"_s);
        QVERIFY(QFile::copy(m_gui.pristine(), second));
        QCOMPARE(TestSupport::executeOn(
                     second, u"UPDATE Team SET TeamName = 'New ' || TeamName WHERE TeamID <> 1"_s),
                 QString());
        const QString two = teamName(2);
        const Snapshot firstBefore = editcheck::snapshot(first);
        const Snapshot secondBefore = editcheck::snapshot(second);
        QVERIFY(openDialog());
        choose(two);
        globaledit::GlobalEdit edit = enterSample({1});
        Prompts::setNextFileName(second);
        m_gui.main()->action(u"mnuOpen"_s)->trigger();
        QVERIFY(teamItems().contains(u"New "_s + two));
        // The old league's team is not in the new list: nothing changes.
        QCOMPARE(control<QComboBox>(u"cboTeam"_s)->currentText(), two);
        press(u"cmdOK"_s);
        expectRefusal(u"^No team in the list is named"_s);
        QCOMPARE(changesAgainst(secondBefore), QString());
        choose(u"New "_s + two);
        press(u"cmdOK"_s);
        edit.team = 2;
        QCOMPARE(changesAgainst(editcheck::expectedAfter(secondBefore, edit)), QString());
        QCOMPARE(editcheck::firstDifference(editcheck::snapshot(first), firstBefore), QString());
    }

    void refusedEdit_data()
    {
        // box: given the text below; empty: none
        // other: what a second connection does before OK
        // lastPosition: the last position the edit started
        columns<QString, QString, QByteArray, QString, QString>("box", "text", "other", "message",
                                                                "lastPosition");
        auto row = [](const char* name, const QString& box, const QString& text, const char* other,
                      const QString& message, const QString& last) {
            QTest::newRow(name) << box << text << QByteArray(other) << message << last;
        };
        const QString invalid = u"^Please Enter a Valid Number$"_s;
        row("word in txtSP", u"txtSP"_s, u"abc"_s, "", invalid, {});
        row("comma in txtActMin", u"txtActMin"_s, u"1,5"_s, "", invalid, {});
        row("last box, txtP_KD", u"txtP_KD"_s, u"5%"_s, "", invalid, {});
        const QString locked = u"^Error:5 .*locked.*nothing was changed"_s;
        row("another writer", {}, {}, "BEGIN IMMEDIATE", locked, {});
        // A reader's lock lets the edit run but not commit.
        row("another reader", {}, {}, "BEGIN; SELECT count(*) FROM PlayerTable;", locked, u"S"_s);
        // The quarterbacks, done before the refused kicker, are rolled back too;
        // the safeties never start.
        row("a kicker refused", {}, {},
            "CREATE TRIGGER refuse BEFORE UPDATE ON PlayerTable WHEN OLD.rowid = (SELECT "
            "max(rowid) "
            "FROM PlayerTable WHERE CurrentPos = 8) BEGIN SELECT RAISE(ABORT, 'no'); END",
            u"Updating K.*no.*no rating was changed"_s, u"K"_s);
    }

    void refusedEdit()
    {
        auto [box, text, other, message, lastPosition] =
            fetch<QString, QString, QByteArray, QString, QString>("box", "text", "other", "message",
                                                                  "lastPosition");
        QVERIFY(openDialog());
        enterSample({0, 8, 14}); // valid entries before a bad one must not be applied either
        QLineEdit* bad = box.isEmpty() ? nullptr : control<QLineEdit>(box);
        if (bad)
            bad->setText(text);
        db::Database connection;
        QVERIFY(!connection.open(m_gui.path()));
        sqlite3* handle = connection.sqliteHandle();
        QCOMPARE(sqlite3_exec(handle, other.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        const Snapshot before = editcheck::snapshot(m_gui.path());
        press(u"cmdOK"_s);
        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);

        QCOMPARE(changesAgainst(before), QString());
        QCOMPARE(m_dialog->posName(), lastPosition);
        QVERIFY(!m_gui.main()->findChild<ProgressWindow*>());
        QVERIFY(!QGuiApplication::overrideCursor());
        const QList<Prompts::Shown> shown = Prompts::shown();
        QCOMPARE(shown.size(), bad ? 2 : 1); // a beep first
        expectRefusal(message);
        if (bad) {
            QCOMPARE(m_dialog->focusWidget(), bad);
            QCOMPARE(bad->selectedText(), text);
            // Preview checks the boxes as OK does, and says the same.
            press(u"cmdPreview"_s);
            const QList<Prompts::Shown> again = Prompts::shown().mid(shown.size());
            QCOMPARE(again.size(), 2);
            QCOMPARE(again.last().text, shown.last().text);
            QVERIFY(!m_gui.main()->findChild<PreviewWindow*>());
        }
    }

    void preview_data()
    {
        QTest::addColumn<QString>("sql"); // run on the league first
        QTest::newRow("team 1's QB and K") << QString();
        QTest::newRow("no player selected") << u"DELETE FROM PlayerTable WHERE TeamId = 1"_s;
    }

    // The preview works out the edit OK then makes, reading while another
    // program holds the write lock and writing no byte.
    void preview()
    {
        QFETCH(QString, sql);
        db::Database writer;
        QVERIFY(!writer.open(m_gui.path()));
        QVERIFY(sql.isEmpty() || !writer.execute(sql));
        QVERIFY(openDialog());
        choose(teamName(1));
        enterSample({0, 8});
        const QByteArray bytes = TestSupport::fileBytes(m_gui.path());
        QVERIFY(!writer.beginImmediate());
        press(u"cmdPreview"_s);
        auto* preview = m_gui.main()->findChild<PreviewWindow*>(u"frmPreview"_s);
        QTRY_VERIFY(!preview->isComputing());
        QVERIFY(Prompts::shown().isEmpty());
        QVERIFY(!writer.execute(u"ROLLBACK"_s));
        QVERIFY(TestSupport::fileBytes(m_gui.path()) == bytes);
        QCOMPARE(preview->findChild<QTableWidget*>(u"grdPositions"_s)->rowCount(), 2);
        // The ratings are listed as the dialog lists them, left to right and down.
        QList<QLabel*> labels =
            control<QWidget>(u"Frame1"_s)->findChildren<QLabel*>(QRegularExpression(u"^lbl..$"_s));
        std::sort(labels.begin(), labels.end(), [](QLabel* a, QLabel* b) {
            return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
        });
        auto* ratings = preview->findChild<QTableWidget*>(u"grdRatings"_s);
        auto* chartRating = preview->findChild<QComboBox*>(u"cboRating"_s);
        for (int i = 0; i < labels.size(); ++i) {
            QCOMPARE(ratings->item(i, 0)->text() + u':', labels[i]->text());
            QCOMPARE(chartRating->itemText(i) + u':', labels[i]->text());
        }

        // At the window's own size every bin's label reads whole; with no
        // player selected it says so instead of drawing zeros.
        auto* chart = preview->findChild<QChartView*>(u"chtDistribution"_s);
        const bool none = !sql.isEmpty();
        QCOMPARE(preview->findChild<QLabel*>(u"lblNoPlayers"_s)->isVisibleTo(preview), none);
        QCOMPARE(chart->isVisibleTo(preview), !none);
        QString axis = u"\n"_s; // every visible label, each on a line of its own
        QTest::qWait(50);       // the chart lays itself out
        for (QGraphicsItem* item : chart->scene()->items())
            if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible())
                axis += text->toPlainText() + u'\n';
        QVERIFY(none || (axis.contains(u"\n95-99\n"_s) && !axis.contains(u"..."_s) &&
                         !axis.contains(u'\u2026')));

        // Its list holds exactly the players OK changes, and their new values.
        const Snapshot before = editcheck::snapshot(m_gui.path());
        press(u"cmdOK"_s);
        QCOMPARE(changesAgainst(editcheck::expectedAfter(before, preview->edit())), QString());
        const Snapshot after = editcheck::snapshot(m_gui.path());
        QMap<qint64, QString> changed, listed;
        for (auto it = after.begin(); it != after.end(); ++it)
            if (it.value() != before.value(it.key()))
                changed[it.key()] = it.value().at(20).toString(); // RATING1
        auto* list = const_cast<ChangedPlayersModel*>(preview->changedPlayers());
        QAbstractItemModelTester tester(list,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        list->sort(ChangedPlayersModel::NameColumn, Qt::DescendingOrder);
        const int sp = ChangedPlayersModel::FirstRatingColumn; // SP comes first
        for (int row = 0; row < list->rowCount(); ++row) {
            const QString cell = list->index(row, sp).data().toString();
            listed[list->player(row).key] =
                cell.isEmpty() ? before.value(list->player(row).key).at(20).toString()
                               : cell.section(u' ', -1);
        }
        QCOMPARE(listed, changed);
        QVERIFY(none || !changed.isEmpty());
        const qint64 unchanged = before.size() - changed.size(); // every other position too
        QVERIFY(preview->findChild<QLabel*>(u"lblUnchanged"_s)
                    ->text()
                    .startsWith(QLocale().toString(qint64(changed.size())) + u" would change"_s));
        QVERIFY(unchanged > 0);
    }

    void secondOk_data()
    {
        // between: what happens between the two OKs; answer: to the question, if asked
        columns<QString, bool, int>("between", "asked", "applied");
        QTest::newRow("No changes nothing") << QString() << true << 1;
        QTest::newRow("Yes applies once more") << QString() << true << 2;
        QTest::newRow("after Undo, not asked") << u"undo"_s << false << 1;
        QTest::newRow("other entries, not asked") << u"entries"_s << false << 2;
    }

    // A second OK with the same entries while the edit is the last step asks
    // first, No being the default; the dialog's line says what was applied.
    void secondOk()
    {
        auto [between, asked, applied] = fetch<QString, bool, int>("between", "asked", "applied");
        QVERIFY(openDialog());
        globaledit::GlobalEdit edit = enterSample({0});
        Snapshot expected = editcheck::snapshot(m_gui.path());
        const Snapshot original = expected;
        press(u"cmdOK"_s);
        QVERIFY(QRegularExpression(u"^Applied at \\d\\d:\\d\\d — [\\d,]+ players changed in "
                                   u"QB, team All\\. Edit > Undo takes it back\\.$"_s)
                    .match(control<QLabel>(u"lblApplied"_s)->text())
                    .hasMatch());
        expected = editcheck::expectedAfter(expected, edit);
        if (between == u"undo"_s) {
            m_gui.main()->action(u"mnuUndoGlobalEdit"_s)->trigger();
            expected = original;
        } else if (between == u"entries"_s) {
            control<QLineEdit>(u"txtSP"_s)->setText(u"11"_s);
            edit.parameters.actualPercent[0] = 11;
        }
        if (asked)
            Prompts::setNextAnswer(applied == 2 ? QMessageBox::Yes : QMessageBox::No);
        press(u"cmdOK"_s);
        if (applied == 2 || between == u"undo"_s)
            expected = editcheck::expectedAfter(expected, edit);
        QCOMPARE(changesAgainst(expected), QString());
        const QList<Prompts::Shown> shown = Prompts::shown();
        QCOMPARE(shown.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(shown.at(0).text, u"This edit was just applied. Apply it again?"_s);
            QCOMPARE(shown.at(0).buttons, QMessageBox::Yes | QMessageBox::No);
        }
    }

    void setAll_data()
    {
        columns<QString, QString, bool>("button", "typed", "filled");
        QTest::newRow("actual") << u"cmdSetAllAct"_s << u" 7.5 "_s << true;
        QTest::newRow("potential") << u"cmdSetAllPot"_s << u"-3"_s << true;
        QTest::newRow("not a number") << u"cmdSetAllAct"_s << u"7%"_s << false;
        QTest::newRow("cancel") << u"cmdSetAllPot"_s << QString() << false;
    }

    // "Set all…" fills exactly the 24 boxes of its row, nothing else.
    void setAll()
    {
        auto [button, typed, filled] = fetch<QString, QString, bool>("button", "typed", "filled");
        QVERIFY(openDialog());
        QMap<QString, QString> expected;
        for (QLineEdit* box : m_dialog->findChildren<QLineEdit*>())
            expected[box->objectName()] = box->text();
        const bool actual = button.endsWith(u"Act"_s);
        if (filled)
            for (auto it = expected.begin(); it != expected.end(); ++it)
                if (it.key().startsWith(u"txt"_s) && !it.key().contains(u"Min"_s) &&
                    !it.key().contains(u"Max"_s) &&
                    it.key().startsWith(u"txtP_"_s, Qt::CaseInsensitive) != actual)
                    it.value() = typed.trimmed();
        Prompts::setNextInput(typed);
        press(button);
        QMap<QString, QString> now;
        for (QLineEdit* box : m_dialog->findChildren<QLineEdit*>())
            now[box->objectName()] = box->text();
        QCOMPARE(now, expected);
        QCOMPARE(int(std::count(now.begin(), now.end(), typed.trimmed())), filled ? 24 : 0);
        QCOMPARE(Prompts::shown().last().kind,
                 filled || typed.isEmpty() ? u"input"_s : u"message"_s);
    }

private:
    GlobalEditDialog* openDialog()
    {
        m_gui.main()->action(u"mnuGlobalEdit"_s)->trigger();
        return m_dialog = m_gui.main()->findChild<GlobalEditDialog*>(u"frmGlobal"_s);
    }

    template <typename T> T* control(const QString& name) { return m_dialog->findChild<T*>(name); }
    void press(const QString& b)
    {
        QTest::mouseClick(control<QPushButton>(b), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->isRunning(), 30000); // OK's edit has finished
    }
    void choose(const QString& teamText)
    {
        auto* box = control<QComboBox>(u"cboTeam"_s);
        box->setCurrentIndex(box->findText(teamText));
        emit box->activated(box->currentIndex()); // what a click on the item sends
    }

    QStringList teamItems()
    {
        QStringList items;
        auto* box = control<QComboBox>(u"cboTeam"_s);
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        return items;
    }

    QString teamName(int id) const
    {
        return TestSupport::firstColumn(m_gui.pristine(),
                                        u"SELECT TeamName FROM Team WHERE TeamID = %1"_s.arg(id));
    }

    // The last message matches pattern, after a beep; nothing else was shown.
    void expectRefusal(const QString& pattern)
    {
        const QList<Prompts::Shown> shown = Prompts::shown();
        QVERIFY(QRegularExpression(pattern).match(shown.value(shown.size() - 1).text).hasMatch());
    }

    // Fills some boxes and checks the positions; returns the edit they describe.
    globaledit::GlobalEdit enterSample(const QList<int>& positions)
    {
        control<QLineEdit>(u"txtSP"_s)->setText(u"10"_s);
        control<QLineEdit>(u"txtp_VI"_s)->setText(u" -12.5 "_s);
        control<QLineEdit>(u"txtActMin"_s)->setText(u"20"_s);
        globaledit::GlobalEdit edit;
        edit.parameters.actualPercent[0] = 10;
        edit.parameters.potentialPercent[17] = -12.5;
        edit.parameters.bounds.actualMin = 20;
        for (int p : positions) {
            control<QCheckBox>(u"chkPosition_%1"_s.arg(p))->setChecked(true);
            edit.positions.set(size_t(p));
        }

        edit.team = m_dialog->teamFilter();
        return edit;
    }

    QString changesAgainst(const Snapshot& expected) const
    {
        return editcheck::firstDifference(editcheck::snapshot(m_gui.main()->leaguePath()),
                                          expected);
    }

    TestSupport::GuiFixture m_gui{700};
    QPointer<GlobalEditDialog> m_dialog;
};

QTEST_MAIN(TestGlobalEditDialog)
#include "tst_globaleditdialog.moc"
