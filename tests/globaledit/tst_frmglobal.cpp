// The global edit dialog and progress window, through the real main window.
#include "EditCheck.h"
#include "TestSupport.h"
#include "core/db/Database.h"
#include "core/globaledit/GlobalEditPreview.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "windows/globaledit/GlobalEditDialog.h"
#include "windows/globaledit/PreviewWindow.h"
#include "windows/globaledit/ProgressWindow.h"

#include <QAction>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <sqlite3.h>

using editcheck::Snapshot;
using namespace Qt::StringLiterals;

namespace {
// Calls onShow with each progress window as it is shown.
class ShowWatcher : public QObject
{
public:
    std::function<void(QObject*)> onShow;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == u"frmProgress"_s)
            onShow(watched);
        return false;
    }
};
} // namespace

class TestFrmGlobal : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void lifecycle();
    void okRunsCheckedPositionsInOrder();
    void teamTheBoxShows_data();
    void teamTheBoxShows();
    void anotherLeague();
    void refusedEdit_data();
    void refusedEdit();
    void previewEqualsOk_data();
    void previewEqualsOk();
    void unreadableLeague();

private:
    GlobalEditDialog* openDialog();
    template <typename T> T* control(const QString& name) { return m_dialog->findChild<T*>(name); }
    void press(const QString& b) { QTest::mouseClick(control<QPushButton>(b), Qt::LeftButton); }
    void choose(const QString& teamText);
    QStringList teamItems();
    QString teamName(qint64 id);
    void expectRefusal(const QString& pattern);
    globaledit::GlobalEdit enterSample(const QList<int>& positions);
    QString changesAgainst(const Snapshot& expected) const
    {
        return editcheck::firstDifference(editcheck::snapshot(m_main->leaguePath()), expected);
    }

    editcheck::Leagues m_leagues;
    MainWindow* m_main = nullptr;
    QPointer<GlobalEditDialog> m_dialog;
};

void TestFrmGlobal::initTestCase()
{
    TestSupport::initTestEnvironment();
    leaguegen::LeagueOptions options;
    options.players = 700;
    options.seed = 11;
    options.extraTeamIds = {1001};
    QCOMPARE(m_leagues.generate(options), QString());
}

void TestFrmGlobal::init()
{
    m_main = new MainWindow;
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
    m_main->setLeaguePath(m_leagues.copy()); // after the main window has read its settings
}

void TestFrmGlobal::cleanup()
{
    delete m_main; // takes the dialog with it
    ProgressWindow::unload();
    QCOMPARE(Prompts::finishTest(), QString());
}

GlobalEditDialog* TestFrmGlobal::openDialog()
{
    m_main->action(u"mnuGlobalEdit"_s)->trigger();
    return m_dialog = m_main->findChild<GlobalEditDialog*>(u"frmGlobal"_s);
}

void TestFrmGlobal::choose(const QString& teamText)
{
    auto* box = control<QComboBox>(u"cboTeam"_s);
    box->setCurrentIndex(box->findText(teamText));
    emit box->activated(box->currentIndex()); // what a click on the item sends
}

QStringList TestFrmGlobal::teamItems()
{
    QStringList items;
    auto* box = control<QComboBox>(u"cboTeam"_s);
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QString TestFrmGlobal::teamName(qint64 id)
{
    QString name;
    db::Database database;
    if (!database.open(m_leagues.base()))
        database.query(u"SELECT TeamName FROM Team WHERE TeamID = ?"_s, {id},
                       [&](const db::Statement& q) { name = q.value(0).toString(); });
    return name;
}

// The last message matches pattern, after a beep; nothing else was shown.
void TestFrmGlobal::expectRefusal(const QString& pattern)
{
    const QList<Prompts::Shown> shown = Prompts::shown();
    QVERIFY(!shown.isEmpty());
    QVERIFY2(QRegularExpression(pattern).match(shown.last().text).hasMatch(),
             qPrintable(shown.last().text));
}

// Fills some boxes and checks the positions; returns the edit they describe.
globaledit::GlobalEdit TestFrmGlobal::enterSample(const QList<int>& positions)
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

void TestFrmGlobal::lifecycle()
{
    db::Database database;
    QVERIFY(!database.open(m_main->leaguePath()));
    QStringList teams{u"All"_s};
    QString team1001;
    database.query(u"SELECT TeamName, TeamID FROM Team ORDER BY TeamName"_s, {},
                   [&](const db::Statement& q) {
                       teams << q.value(0).toString();
                       if (q.value(1).toInt() == 1001)
                           team1001 = teams.last();
                   });
    teams << u"College Draft/FA"_s;
    QVERIFY(openDialog());
    auto* window = qobject_cast<QMdiSubWindow*>(m_dialog->parentWidget());
    QVERIFY(window && window->mdiArea() == m_main->mdiArea());
    QCOMPARE(m_dialog->focusWidget(), control<QLineEdit>(u"txtSP"_s));
    QCOMPARE(teamItems(), teams);
    QVERIFY(!m_dialog->teamFilter().has_value()); // "All" shown means all teams
    choose(team1001);
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

void TestFrmGlobal::okRunsCheckedPositionsInOrder()
{
    db::Database league; // more kickers than 200: the bar must still move with each of them
    QVERIFY(!league.open(m_main->leaguePath()));
    QVERIFY(!league.execute(u"UPDATE PlayerTable SET CurrentPos = 8 WHERE CurrentPos > 8"_s));
    QVERIFY(openDialog());
    // The bar, from the first showing of the progress window on: which
    // caption it moved under, and how far.
    QStringList captions;
    QMap<QString, int> peak;
    ShowWatcher shows;
    shows.onShow = [&](QObject* window) {
        auto* p = qobject_cast<ProgressWindow*>(window);
        connect(p->findChild<QProgressBar*>(u"ProgressBar1"_s), &QProgressBar::valueChanged, this,
                [&, p](int v) {
                    if (v > 0 && captions.value(captions.size() - 1) != p->caption())
                        captions << p->caption();
                    peak[p->caption()] = qMax(peak[p->caption()], v);
                });
    };
    qApp->installEventFilter(&shows);
    // Timers run while the edit runs: try to close the dialog and the main
    // window and to press OK again meanwhile.
    int ticks = 0;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        ProgressWindow* p = ProgressWindow::loaded();
        if (!p || !p->isVisible())
            return;
        ++ticks;
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QVERIFY(!m_dialog->parentWidget()->close()); // refused while the edit runs
        QVERIFY(!m_main->close());                   // and so is the main window around it
        m_dialog->confirm();                         // ignored: no second edit inside the first
    });
    watcher.start(0);
    const Snapshot before = editcheck::snapshot(m_main->leaguePath());
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
    QVERIFY(!ProgressWindow::loaded());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(m_dialog && m_dialog->isVisible()); // stays open for the next edit
    QVERIFY(m_main->isVisible());
    QCOMPARE(control<QLineEdit>(u"txtSP"_s)->text(), u"10"_s);
    QVERIFY(Prompts::shown().isEmpty());
}

void TestFrmGlobal::teamTheBoxShows_data()
{
    QTest::addColumn<QString>("before"); // SQL run on the league before the dialog opens
    QTest::addColumn<QString>("picked"); // the item chosen from the list
    QTest::addColumn<QString>("typed");  // then typed over the box's text; null: nothing typed
    QTest::addColumn<QString>("after");  // SQL run after choosing, before OK
    QTest::addColumn<qint64>("team");    // whose players change: -1 all, -2 nobody
    QTest::addColumn<QString>("message");
    const QString two = teamName(2);
    const QString none = u"^No team in the list is named"_s;
    QTest::newRow("typed name in other case")
        << QString() << u"All"_s << two.toUpper() << QString() << qint64(2) << QString();
    QTest::newRow("typed All after a team")
        << QString() << two << u"aLL"_s << QString() << qint64(-1) << QString();
    QTest::newRow("typed text naming no team")
        << QString() << u"All"_s << u"Nowhere"_s << QString() << qint64(-2) << none;
    QTest::newRow("typed name with a blank")
        << QString() << u"All"_s << two + u" "_s << QString() << qint64(-2) << none;
    QTest::newRow("chosen team renamed since")
        << QString() << two << QString() << u"UPDATE Team SET TeamName = 'X' WHERE TeamID = 2"_s
        << qint64(-2) << u"^Error:1017 .*no rating was changed"_s;
    // Ids that are not whole numbers name no player's team: not in the list.
    QTest::newRow("TeamID 3.5 left out")
        << u"UPDATE Team SET TeamID = 3.5 WHERE TeamID = 3"_s << u"All"_s << teamName(3)
        << QString() << qint64(-2) << none;
}

void TestFrmGlobal::teamTheBoxShows()
{
    QFETCH(QString, before);
    QFETCH(QString, picked);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    QFETCH(qint64, team);
    QFETCH(QString, message);
    db::Database league;
    QVERIFY(!league.open(m_main->leaguePath()));
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
    const Snapshot start = editcheck::snapshot(m_main->leaguePath());
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

// File > Open of another league: the dialog lists that league's teams, hidden
// or shown, and OK changes that league alone.
void TestFrmGlobal::anotherLeague()
{
    const QString first = m_main->leaguePath();
    const QString second = m_leagues.copy();
    const auto renameTeams = [&] {
        db::Database league;
        return QFile::remove(second) && QFile::copy(m_leagues.base(), second) &&
               !league.open(second) &&
               !league.execute(
                   u"UPDATE Team SET TeamName = 'New ' || TeamName WHERE TeamID <> 1"_s);
    };
    QVERIFY(renameTeams());
    const QString two = teamName(2);
    const Snapshot firstBefore = editcheck::snapshot(first);
    const Snapshot secondBefore = editcheck::snapshot(second);

    for (bool hidden : {true, false}) {
        m_main->setLeaguePath(first);
        QVERIFY(openDialog());
        choose(two);
        globaledit::GlobalEdit edit = enterSample({1});
        if (hidden)
            press(u"cmdCancel"_s);
        Prompts::setNextFileName(second);
        m_main->action(u"mnuOpen"_s)->trigger();
        if (hidden)
            QVERIFY(openDialog());
        QCOMPARE(teamItems().at(2), u"New "_s + two);
        // The old league's team is not in the new list: nothing changes.
        QCOMPARE(control<QComboBox>(u"cboTeam"_s)->currentText(), two);
        press(u"cmdOK"_s);
        expectRefusal(u"^No team in the list is named"_s);
        QCOMPARE(Prompts::finishTest(), QString());
        QCOMPARE(changesAgainst(secondBefore), QString());
        choose(u"New "_s + two);
        press(u"cmdOK"_s);
        edit.team = 2;
        QCOMPARE(changesAgainst(editcheck::expectedAfter(secondBefore, edit)), QString());
        QCOMPARE(editcheck::firstDifference(editcheck::snapshot(first), firstBefore), QString());
        m_dialog->parentWidget()->close(); // the next round starts afresh
        QTRY_VERIFY(!m_dialog);
        QVERIFY(renameTeams());
    }
}

void TestFrmGlobal::refusedEdit_data()
{
    QTest::addColumn<QString>("box"); // given the text below; empty: none
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("other"); // what a second connection does before OK
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("lastPosition"); // the last position the edit started
    auto row = [](const char* name, const QString& box, const QString& text, const char* other,
                  const QString& message, const QString& last) {
        QTest::newRow(name) << box << text << QByteArray(other) << message << last;
    };
    const QString invalid = u"^Please Enter a Valid Number$"_s;
    row("word in txtSP", u"txtSP"_s, u"abc"_s, "", invalid, {});
    row("empty txtp_VI", u"txtp_VI"_s, {}, "", invalid, {});
    row("comma in txtActMin", u"txtActMin"_s, u"1,5"_s, "", invalid, {});
    row("last box, txtP_KD", u"txtP_KD"_s, u"5%"_s, "", invalid, {});
    const QString locked = u"^Error:5 .*locked.*nothing was changed"_s;
    row("another writer", {}, {}, "BEGIN IMMEDIATE", locked, {});
    // A reader's lock lets the edit run but not commit.
    row("another reader", {}, {}, "BEGIN; SELECT count(*) FROM PlayerTable;", locked, u"S"_s);
    // The quarterbacks, done before the refused kicker, are rolled back too;
    // the safeties never start.
    row("a kicker refused", {}, {},
        "CREATE TRIGGER refuse BEFORE UPDATE ON PlayerTable WHEN OLD.rowid = (SELECT max(rowid) "
        "FROM PlayerTable WHERE CurrentPos = 8) BEGIN SELECT RAISE(ABORT, 'no'); END",
        u"Updating K.*no.*no rating was changed"_s, u"K"_s);
}

void TestFrmGlobal::refusedEdit()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QByteArray, other);
    QFETCH(QString, message);
    QFETCH(QString, lastPosition);
    QVERIFY(openDialog());
    enterSample({0, 8, 14}); // valid entries before a bad one must not be applied either
    QLineEdit* bad = box.isEmpty() ? nullptr : control<QLineEdit>(box);
    if (bad)
        bad->setText(text);
    db::Database connection;
    QVERIFY(!connection.open(m_main->leaguePath()));
    sqlite3* handle = connection.sqliteHandle();
    QCOMPARE(sqlite3_exec(handle, other.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    const Snapshot before = editcheck::snapshot(m_main->leaguePath());
    press(u"cmdOK"_s);
    sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);

    QCOMPARE(changesAgainst(before), QString());
    QCOMPARE(m_dialog->posName(), lastPosition);
    QVERIFY(!ProgressWindow::loaded());
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
        QVERIFY(!m_main->findChild<PreviewWindow*>());
    }
}

void TestFrmGlobal::previewEqualsOk_data()
{
    QTest::addColumn<QStringList>("boxes"); // box=text
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<QString>("team");
    QTest::addColumn<QString>("odd"); // run on the league first
    QTest::newRow("scaled, all teams")
        << QStringList{u"txtSP=10"_s, u"txtP_SP=-20"_s, u"txtAG=35"_s, u"txtActMax=90"_s}
        << QList<int>{0, 8} << u"All"_s << QString();
    QTest::newRow("minimum above maximum, draft pool")
        << QStringList{u"txtTA=-150"_s, u"txtP_TA=200"_s, u"txtActMin=60"_s, u"txtActMax=50"_s,
                       u"txtPotMax=70"_s}
        << QList<int>{1, 2, 3} << u"College Draft/FA"_s << QString();
    QTest::newRow("0% raises potentials, one team")
        << QStringList{u"txtPotMax=80"_s, u"txtPotMin=30"_s} << QList<int>{5, 6, 7} << u"1"_s
        << QString();
    QTest::newRow("nulls, text, blobs, out of bounds, odd positions")
        << QStringList{u"txtSP=12.5"_s, u"txtP_AG=10"_s, u"txtVT=-10"_s, u"txtAS=5"_s,
                       u"txtP_TA=-5"_s}
        << QList<int>{0, 1, 3, 8, 10, 13, 14} << u"All"_s
        << u"UPDATE PlayerTable SET RATING1 = NULL WHERE rowid % 7 = 0;"
           "UPDATE PlayerTable SET RATING_POT2 = 'abc', RATING2 = '50' WHERE rowid % 5 = 0;"
           "UPDATE PlayerTable SET RATING3 = 150, RATING_POT3 = -20 WHERE rowid % 3 = 0;"
           "UPDATE PlayerTable SET RATING4 = X'00FF', RATING_POT4 = 1e400 WHERE rowid % 11 = 0;"
           "UPDATE PlayerTable SET RATING5 = 55.5, RATING_POT5 = 12.25 WHERE rowid % 4 = 0;"
           "UPDATE PlayerTable SET CurrentPos = 'QB' WHERE rowid % 13 = 0;"
           "UPDATE PlayerTable SET CurrentPos = 3.5 WHERE rowid % 17 = 0;"
           "UPDATE PlayerTable SET CurrentPos = ' 8 ' WHERE rowid % 19 = 0;"
           "UPDATE PlayerTable SET CurrentPos = NULL WHERE rowid % 23 = 0;"_s;
    QTest::newRow("empty selection") << QStringList{u"txtSP=10"_s} << QList<int>{9} << u"All"_s
                                     << u"DELETE FROM PlayerTable WHERE CurrentPos = 9"_s;
}

// The preview's figures are those of the file after OK, counted again. The preview reads while
// another program holds the write lock, and writes no byte.
void TestFrmGlobal::previewEqualsOk()
{
    QFETCH(QStringList, boxes);
    QFETCH(QList<int>, positions);
    QFETCH(QString, team);
    QFETCH(QString, odd);
    using namespace globaledit;
    db::Database writer;
    QVERIFY(!writer.open(m_main->leaguePath()));
    sqlite3* handle = writer.sqliteHandle();
    QCOMPARE(sqlite3_exec(handle, odd.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    QVERIFY(openDialog());
    for (const QString& entry : boxes)
        control<QLineEdit>(entry.section(u'=', 0, 0))->setText(entry.section(u'=', 1));
    for (int p : positions)
        control<QCheckBox>(u"chkPosition_%1"_s.arg(p))->setChecked(true);
    choose(team == u"1"_s ? teamName(1) : team);

    QFile file(m_main->leaguePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(sqlite3_exec(handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    press(u"cmdPreview"_s);
    auto* preview = m_main->findChild<PreviewWindow*>(u"frmPreview"_s);
    QVERIFY(preview);
    QTRY_VERIFY(!preview->isComputing());
    QVERIFY(Prompts::shown().isEmpty());
    sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
    file.seek(0);
    QVERIFY(file.readAll() == bytes);
    QCOMPARE(preview->findChild<QTableWidget*>(u"grdPositions"_s)->rowCount(), positions.size());
    // The ratings are listed as the dialog lists them, left to right and down.
    QList<QLabel*> labels = control<QWidget>(u"Frame1"_s)->findChildren<QLabel*>();
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
    const bool none =
        std::all_of(preview->result().positions.begin(), preview->result().positions.end(),
                    [](const auto& f) { return f.selected == 0; });
    QCOMPARE(preview->findChild<QLabel*>(u"lblNoPlayers"_s)->isVisibleTo(preview), none);
    QCOMPARE(chart->isVisibleTo(preview), !none);
    QStringList axisLabels;
    QTest::qWait(50); // the chart lays itself out
    for (QGraphicsItem* item : chart->scene()->items()) {
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible())
            axisLabels << text->toPlainText();
    }
    const QString joined = axisLabels.join(u' ');
    QVERIFY2(none || (axisLabels.contains(u"95-99"_s) && !joined.contains(u"..."_s) &&
                      !joined.contains(u'\u2026')),
             qPrintable(joined));

    const Snapshot before = editcheck::snapshot(m_main->leaguePath());
    press(u"cmdOK"_s);
    const Snapshot after = editcheck::snapshot(m_main->leaguePath());
    QCOMPARE(editcheck::firstDifference(after, editcheck::expectedAfter(before, preview->edit())),
             QString());

    // The window's figures, counted again from the file after OK.
    PreviewResult counted;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const int p = it.value().at(db::schema::playerColumnIndex(u"CurrentPos"_s)).toInt();
        if (!editcheck::selects(preview->edit(), it.value()))
            continue;
        ++counted.positions[size_t(p)].selected;
        counted.positions[size_t(p)].changed += after[it.key()] != it.value();
        for (int n = 1; n <= EditedRatingCount; ++n) {
            for (RatingSide side : {RatingSide::Actual, RatingSide::Potential}) {
                const QString column = side == RatingSide::Actual ? db::schema::actualColumn(n)
                                                                  : db::schema::potentialColumn(n);
                const QVariant v = after[it.key()].at(db::schema::playerColumnIndex(column));
                const auto type = v.typeId();
                if (v.isNull() || (type != QMetaType::LongLong && type != QMetaType::Double) ||
                    !std::isfinite(v.toDouble()))
                    continue;
                RatingFigures& f = counted.ratings[size_t(n - 1)][size_t(side)];
                ++f.values;
                f.sumAfter += v.toDouble();
                ++f.after[size_t(distributionBin(v.toDouble()))];
            }
        }
    }
    const PreviewResult& shown = preview->result();
    for (int p = 0; p < db::schema::PositionCount; ++p) {
        QCOMPARE(shown.positions[size_t(p)].selected, counted.positions[size_t(p)].selected);
        QCOMPARE(shown.positions[size_t(p)].changed, counted.positions[size_t(p)].changed);
    }
    for (int n = 1; n <= EditedRatingCount; ++n) {
        for (RatingSide side : {RatingSide::Actual, RatingSide::Potential}) {
            const RatingFigures& s = shown.figures(n, side);
            const RatingFigures& c = counted.figures(n, side);
            QCOMPARE(s.values, c.values);
            QCOMPARE(s.sumAfter, c.sumAfter);
            QVERIFY(s.after == c.after);
        }
    }
}

void TestFrmGlobal::unreadableLeague()
{
    m_main->setLeaguePath(m_main->leaguePath() + u".gone"_s);
    QVERIFY(!openDialog());
    QCOMPARE(Prompts::shown().size(), 1);
    QVERIFY(Prompts::shown().at(0).text.startsWith(u"Error:53 "_s));
    QVERIFY(m_main->mdiArea()->subWindowList().isEmpty());
    QVERIFY(!QFile::exists(m_main->leaguePath()));
}

QTEST_MAIN(TestFrmGlobal)
#include "tst_frmglobal.moc"
