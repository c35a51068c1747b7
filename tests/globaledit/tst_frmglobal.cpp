// The global edit dialog and progress window, through the real main window.
#include "EditCheck.h"
#include "TestSupport.h"
#include "db/Database.h"
#include "globaledit/frmGlobal.h"
#include "globaledit/frmProgress.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MDIMain.h"
#include "shell/base/ContextIDs.h"
#include "shell/base/Globals.h"
#include "shell/base/Prompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sqlite3.h>

using editcheck::Snapshot;

class TestFrmGlobal : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void layoutAndNames();
    void teamList();
    void emptyTeamTable();
    void okEditsCheckedPositions();
    void allMeansAllTeams();
    void teamChosenAlone_data();
    void teamChosenAlone();
    void typingDoesNotChooseATeam();
    void noPositionChecked();
    void invalidNumber_data();
    void invalidNumber();
    void lockedLeague();
    void cancelKeepsEntriesCloseUnloads();
    void help();
    void unreadableLeague();
    void movePBar_data();
    void movePBar();
    void barReaches100ForAnyCount_data();
    void barReaches100ForAnyCount();

private:
    frmGlobal* openDialog();
    template <typename T> T* control(const char* name);
    void press(const char* button);
    void choose(const QString& teamText);
    void checkPositions(const QList<int>& positions);

    QTemporaryDir m_dir;
    QString m_base;
    int m_copies = 0;
    MDIMain* m_main = nullptr;
    QPointer<frmGlobal> m_dialog;
};

void TestFrmGlobal::initTestCase()
{
    TestSupport::initTestEnvironment();
    m_base = m_dir.filePath(QStringLiteral("base.sqlite"));
    leaguegen::LeagueOptions options;
    options.players = 700;
    options.seed = 11;
    options.extraTeamIds = {1001};
    const db::Error e = leaguegen::writeLeague(m_base, options);
    QVERIFY2(!e, qPrintable(e.message()));
}

void TestFrmGlobal::init()
{
    const QString file = m_dir.filePath(QStringLiteral("league%1.sqlite").arg(++m_copies));
    QVERIFY(QFile::copy(m_base, file));
    m_main = new MDIMain;
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
    mMain::DBPath = file;
}

void TestFrmGlobal::cleanup()
{
    delete m_main; // takes the dialog with it
    m_main = nullptr;
    frmProgress::unload();
    QCOMPARE(Prompts::finishTest(), QString());
}

frmGlobal* TestFrmGlobal::openDialog()
{
    m_main->action(QStringLiteral("mnuGlobalEdit"))->trigger();
    m_dialog = m_main->findChild<frmGlobal*>(QStringLiteral("frmGlobal"));
    return m_dialog;
}

template <typename T> T* TestFrmGlobal::control(const char* name)
{
    T* widget = m_dialog ? m_dialog->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    if (!widget)
        qWarning("no control %s", name);
    return widget;
}

void TestFrmGlobal::press(const char* button)
{
    QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
}

void TestFrmGlobal::choose(const QString& teamText)
{
    QComboBox* box = control<QComboBox>("cboTeam");
    const int index = box->findText(teamText);
    QVERIFY2(index >= 0, qPrintable(teamText));
    box->setCurrentIndex(index);
    emit box->activated(index); // what a click on the item sends
}

void TestFrmGlobal::checkPositions(const QList<int>& positions)
{
    for (int p : positions)
        control<QCheckBox>(qPrintable(QStringLiteral("chkPosition_%1").arg(p)))->setChecked(true);
}

void TestFrmGlobal::layoutAndNames()
{
    QVERIFY(openDialog());
    auto* window = qobject_cast<QMdiSubWindow*>(m_dialog->parentWidget());
    QVERIFY(window);
    QCOMPARE(window->mdiArea(), m_main->mdiArea());
    QCOMPARE(window->windowTitle(), QStringLiteral("Yardmark 99 - Global Edit"));
    QVERIFY(
        !(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(window->minimumSize(), window->maximumSize()); // fixed border
    QCOMPARE(m_dialog->focusWidget(), control<QLineEdit>("txtSP"));

    QCOMPARE(control<QLineEdit>("txtActMax")->text(), QStringLiteral("99"));
    QCOMPARE(control<QLineEdit>("txtActMin")->text(), QStringLiteral("0"));
    QCOMPARE(control<QLineEdit>("txtPotMax")->text(), QStringLiteral("99"));
    QCOMPARE(control<QLineEdit>("txtPotMin")->text(), QStringLiteral("0"));
    // A sample of the 24 columns, the odd names and typos included.
    QCOMPARE(control<QLineEdit>("txtP_VT")->toolTip(), QStringLiteral("Potentila Vertical Jump"));
    QCOMPARE(control<QLineEdit>("txtp_VI")->toolTip(), QStringLiteral("Potential Vision"));
    QCOMPARE(control<QLineEdit>("txtDI")->toolTip(), QStringLiteral("Actual Disipline"));
    QCOMPARE(control<QLabel>("lblBI")->text(), QStringLiteral("VI:"));
    QCOMPARE(control<QLabel>("lblKD")->text(), QStringLiteral("KD:"));
    QCOMPARE(m_dialog->findChildren<QLineEdit*>().size(), 48 + 4 + 1); // + the team box's editor
    const QStringList positions =
        QStringLiteral("QB HB FB WR TE C G T K P DE DT LB CB S").split(u' ');
    for (int i = 0; i < 15; ++i) {
        QCheckBox* box = control<QCheckBox>(qPrintable(QStringLiteral("chkPosition_%1").arg(i)));
        QCOMPARE(box->text(), positions.at(i));
        QVERIFY(!box->isChecked());
    }
    // Screen order: rows of five positions, ratings in three rows of eight.
    QCOMPARE(control<QCheckBox>("chkPosition_5")->y(), control<QCheckBox>("chkPosition_9")->y());
    QVERIFY(control<QCheckBox>("chkPosition_10")->y() > control<QCheckBox>("chkPosition_5")->y());
    QCOMPARE(control<QLineEdit>("txtPM")->y(), control<QLineEdit>("txtSP")->y());
    QVERIFY(control<QLineEdit>("txtP_SP")->y() > control<QLineEdit>("txtSP")->y());
    QVERIFY(control<QLineEdit>("txtAS")->y() > control<QLineEdit>("txtP_PM")->y());
    QVERIFY(control<QWidget>("Frame4")->x() > control<QWidget>("Frame3")->x());
    QVERIFY(control<QWidget>("cmdCancel")->y() > control<QWidget>("cmdOK")->y());

    for (QWidget* w : m_dialog->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_"))
            continue;
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }
    QCOMPARE(control<QLineEdit>("txtActMax")->accessibleName(), QStringLiteral("Actual Max"));
    QCOMPARE(control<QLineEdit>("txtSP")->accessibleName(), QStringLiteral("Actual Speed"));
}

void TestFrmGlobal::teamList()
{
    QStringList expected{QStringLiteral("All")};
    {
        db::Database database;
        QVERIFY(!database.open(mMain::DBPath));
        database.query(QStringLiteral("SELECT TeamName FROM Team ORDER BY TeamName"), {},
                       [&](const QSqlQuery& q) { expected << q.value(0).toString(); });
    }
    expected << QStringLiteral("College Draft/FA");
    QVERIFY(openDialog());
    QComboBox* box = control<QComboBox>("cboTeam");
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    QCOMPARE(items, expected);
    QCOMPARE(box->currentText(), QStringLiteral("All"));
    QVERIFY(!m_dialog->teamFilter().has_value()); // all teams
}

void TestFrmGlobal::emptyTeamTable()
{
    {
        db::Database database;
        QVERIFY(!database.open(mMain::DBPath));
        QVERIFY(!database.execute(QStringLiteral("DELETE FROM Team")));
    }
    QVERIFY(openDialog());
    QComboBox* box = control<QComboBox>("cboTeam");
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->itemText(0), QStringLiteral("All"));
    QCOMPARE(box->itemText(1), QStringLiteral("College Draft/FA"));
}

void TestFrmGlobal::okEditsCheckedPositions()
{
    QVERIFY(openDialog());
    control<QLineEdit>("txtSP")->setText(QStringLiteral("10"));
    control<QLineEdit>("txtp_VI")->setText(QStringLiteral(" -12.5 "));
    control<QLineEdit>("txtActMin")->setText(QStringLiteral("20"));
    checkPositions({8, 0}); // K then QB: the run still goes QB first

    globaledit::GlobalEdit edit;
    edit.parameters.actualPercent[0] = 10;
    edit.parameters.potentialPercent[17] = -12.5;
    edit.parameters.bounds.actualMin = 20;
    edit.positions.set(0).set(8);
    const Snapshot expected = editcheck::expectedAfter(editcheck::snapshot(mMain::DBPath), edit);

    // Timers run when the run lets events through: watch what the progress
    // window shows, and try to close the dialog and press OK again meanwhile.
    QStringList captions;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        if (frmProgress* p = frmProgress::loaded()) {
            if (captions.value(captions.size() - 1) != p->caption())
                captions << p->caption();
            QVERIFY(p->isVisible());
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            m_dialog->parentWidget()->close(); // refused while the edit runs
            m_dialog->cmdOK_Click();           // ignored: no second edit inside the first
        }
    });
    watcher.start(0);
    press("cmdOK");
    watcher.stop();

    QCOMPARE(captions, (QStringList{QStringLiteral("Updating QB"), QStringLiteral("Updating K")}));
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(mMain::DBPath), expected), QString());
    QVERIFY(!frmProgress::loaded());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(m_dialog && m_dialog->isVisible()); // stays open for the next edit
    QCOMPARE(control<QLineEdit>("txtSP")->text(), QStringLiteral("10"));
    QCOMPARE(m_dialog->posName(), QStringLiteral("K"));
    QVERIFY(Prompts::shown().isEmpty());
}

void TestFrmGlobal::allMeansAllTeams()
{
    // Untouched team choice: "All" is shown and all teams change.
    QVERIFY(openDialog());
    control<QLineEdit>("txtSP")->setText(QStringLiteral("10"));
    checkPositions({3});
    globaledit::GlobalEdit edit;
    edit.parameters.actualPercent[0] = 10;
    edit.positions.set(3);
    const Snapshot before = editcheck::snapshot(mMain::DBPath);
    press("cmdOK");
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(mMain::DBPath),
                                        editcheck::expectedAfter(before, edit)),
             QString());
}

void TestFrmGlobal::teamChosenAlone_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<qint64>("teamId");
    QTest::newRow("College Draft/FA") << QStringLiteral("College Draft/FA") << qint64(0);
    QTest::newRow("the team with id 1001") << QString() << qint64(1001);
}

void TestFrmGlobal::teamChosenAlone()
{
    QFETCH(QString, item);
    QFETCH(qint64, teamId);
    if (item.isEmpty()) {
        db::Database database;
        QVERIFY(!database.open(mMain::DBPath));
        database.query(QStringLiteral("SELECT TeamName FROM Team WHERE TeamID = ?"), {teamId},
                       [&](const QSqlQuery& q) { item = q.value(0).toString(); });
    }
    QVERIFY(openDialog());
    choose(item);
    QCOMPARE(m_dialog->teamFilter().value_or(-1), qint64(teamId));
    control<QLineEdit>("txtP_SP")->setText(QStringLiteral("50"));
    checkPositions({0, 1, 2, 3, 4});
    globaledit::GlobalEdit edit;
    edit.parameters.potentialPercent[0] = 50;
    edit.positions.set(0).set(1).set(2).set(3).set(4);
    edit.team = teamId;
    const Snapshot before = editcheck::snapshot(mMain::DBPath);
    const Snapshot expected = editcheck::expectedAfter(before, edit);
    QVERIFY(editcheck::firstDifference(before, expected) != QString());
    press("cmdOK");
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(mMain::DBPath), expected), QString());
}

void TestFrmGlobal::typingDoesNotChooseATeam()
{
    QVERIFY(openDialog());
    choose(QStringLiteral("College Draft/FA"));
    QComboBox* box = control<QComboBox>("cboTeam");
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("All"));
    QCOMPARE(m_dialog->teamFilter().value_or(-1), qint64(0));
}

void TestFrmGlobal::noPositionChecked()
{
    QVERIFY(openDialog());
    control<QLineEdit>("txtSP")->setText(QStringLiteral("10"));
    const Snapshot before = editcheck::snapshot(mMain::DBPath);
    press("cmdOK");
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(mMain::DBPath), before), QString());
    QVERIFY(!frmProgress::loaded());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(Prompts::shown().isEmpty());
}

void TestFrmGlobal::invalidNumber_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::newRow("word in txtSP") << QStringLiteral("txtSP") << QStringLiteral("abc");
    QTest::newRow("empty txtp_VI") << QStringLiteral("txtp_VI") << QString();
    QTest::newRow("decimal comma in txtActMin")
        << QStringLiteral("txtActMin") << QStringLiteral("1,5");
    QTest::newRow("exponent in txtPotMax") << QStringLiteral("txtPotMax") << QStringLiteral("1e2");
    QTest::newRow("last box, txtP_KD") << QStringLiteral("txtP_KD") << QStringLiteral("5%");
}

void TestFrmGlobal::invalidNumber()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QVERIFY(openDialog());
    // Valid entries before the bad one must not be applied either.
    control<QLineEdit>("txtSP")->setText(QStringLiteral("10"));
    control<QLineEdit>("txtP_SP")->setText(QStringLiteral("10"));
    checkPositions({0, 8});
    auto* bad = m_dialog->findChild<QLineEdit*>(box);
    bad->setText(text);
    const Snapshot before = editcheck::snapshot(mMain::DBPath);
    press("cmdOK");
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(mMain::DBPath), before), QString());
    const QList<Prompts::Shown> shown = Prompts::shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0).kind, QStringLiteral("beep"));
    QCOMPARE(shown.at(1).text, QStringLiteral("Please Enter a Valid Number"));
    QCOMPARE(m_dialog->focusWidget(), bad);
    QCOMPARE(bad->selectedText(), text);
    QVERIFY(!frmProgress::loaded());
}

void TestFrmGlobal::lockedLeague()
{
    QVERIFY(openDialog());
    control<QLineEdit>("txtSP")->setText(QStringLiteral("10"));
    checkPositions({0});
    sqlite3* holder = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(mMain::DBPath).constData(), &holder,
                             SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const Snapshot before = editcheck::snapshot(mMain::DBPath);
    press("cmdOK");
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);

    QCOMPARE(Prompts::shown().size(), 1);
    const QString message = Prompts::shown().at(0).text;
    QVERIFY2(message.startsWith(QStringLiteral("Error:5 ")) &&
                 message.contains(QStringLiteral("locked")),
             qPrintable(message));
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(mMain::DBPath), before), QString());
    QVERIFY(!frmProgress::loaded());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestFrmGlobal::cancelKeepsEntriesCloseUnloads()
{
    QVERIFY(openDialog());
    QPointer<frmGlobal> first = m_dialog;
    control<QLineEdit>("txtSP")->setText(QStringLiteral("12"));
    checkPositions({4});
    choose(QStringLiteral("College Draft/FA"));
    press("cmdCancel");
    QVERIFY(!first->parentWidget()->isVisible());

    QCOMPARE(openDialog(), first.data()); // the same, still loaded dialog
    QVERIFY(first->parentWidget()->isVisible());
    QCOMPARE(control<QLineEdit>("txtSP")->text(), QStringLiteral("12"));
    QVERIFY(control<QCheckBox>("chkPosition_4")->isChecked());
    QCOMPARE(m_dialog->teamFilter().value_or(-1), qint64(0));

    first->parentWidget()->close(); // the close box
    QTRY_VERIFY(!first);
    QVERIFY(openDialog());
    QCOMPARE(control<QLineEdit>("txtSP")->text(), QStringLiteral("0"));
    QVERIFY(!m_dialog->teamFilter().has_value()); // all teams
}

void TestFrmGlobal::help()
{
    QVERIFY(openDialog());
    press("cmdHelp");
    QCOMPARE(lastHelpRequest(), ContextIDs::GlobalEditTopic);
    QuitHelp();
}

void TestFrmGlobal::unreadableLeague()
{
    mMain::DBPath = m_dir.filePath(QStringLiteral("gone.sqlite"));
    QVERIFY(!openDialog());
    QCOMPARE(Prompts::shown().size(), 1);
    QVERIFY(Prompts::shown().at(0).text.startsWith(QStringLiteral("Error:53 ")));
    QVERIFY(m_main->mdiArea()->subWindowList().isEmpty());
    QVERIFY(!QFile::exists(mMain::DBPath));
}

void TestFrmGlobal::movePBar_data()
{
    QTest::addColumn<float>("step");
    QTest::addColumn<QList<float>>("values"); // after each call
    QTest::newRow("33") << 33.0f << QList<float>{33, 66, 99, 99};
    QTest::newRow("100") << 100.0f << QList<float>{100, 100};
    QTest::newRow("0") << 0.0f << QList<float>{0, 0};
    QTest::newRow("100/3") << 100.0f / 3 << QList<float>{100.0f / 3, 200.0f / 3, 100, 100};
}

void TestFrmGlobal::movePBar()
{
    QFETCH(float, step);
    QFETCH(QList<float>, values);
    QVERIFY(!QGuiApplication::overrideCursor());
    frmProgress* p = frmProgress::instance(nullptr);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(),
             Qt::WaitCursor); // loading sets the hourglass
    QCOMPARE(p->windowTitle(), QStringLiteral("Please Wait...."));
    QCOMPARE(p->caption(), QStringLiteral("Please Wait......"));
    p->setProgressValue(0);
    for (float expected : values) {
        p->MovePBar(step);
        QCOMPARE(p->progressValue(), expected);
        QCOMPARE(p->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->value(),
                 int(std::lround(expected)));
    }
    frmProgress::unload();
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestFrmGlobal::barReaches100ForAnyCount_data()
{
    QTest::addColumn<int>("players");
    for (int n : {1, 3, 7, 8, 199, 200, 250, 32767, 40000, 100000})
        QTest::addRow("%d players", n) << n;
}

void TestFrmGlobal::barReaches100ForAnyCount()
{
    // The dialog's step for n players moves the bar every player, and the
    // last one brings it to (about) 100.
    QFETCH(int, players);
    frmProgress* p = frmProgress::instance(nullptr);
    auto* bar = p->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    p->setProgressValue(0);
    const float step = 100.0f / float(players);
    for (int i = 0; i < players; ++i)
        p->MovePBar(step);
    QVERIFY2(bar->value() >= 99 && bar->value() <= 100,
             qPrintable(QString::number(p->progressValue())));
    QVERIFY(step > 0);
    frmProgress::unload();
}

QTEST_MAIN(TestFrmGlobal)
#include "tst_frmglobal.moc"
