// The main window through its real menu: the menu bar, File > Open with the
// check of the chosen file and the settings it keeps, start-up with the splash, and help.
#include "TestSupport.h"
#include "app/CommandLine.h"
#include "core/db/Database.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MainWindow.h"
#include "shell/SplashWindow.h"
#include "ui/ContextIDs.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "ui/Version.h"
#include "windows/grid/DataGridView.h"
#include "windows/grid/FindDialog.h"
#include "windows/grid/GridCommands.h"
#include "windows/grid/TableWindow.h"
#include "windows/grid/WindowPlace.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <algorithm>

using namespace Qt::StringLiterals;

class TestMainWindow : public QObject
{
    Q_OBJECT

    // A league of players players in dir, stored as the league to open.
    static QString storedLeague(const QTemporaryDir& dir, int players)
    {
        const QString league = dir.filePath(u"AccessConvert.mdb"_s);
        leaguegen::LeagueOptions options;
        options.players = players;
        if (leaguegen::writeLeague(league, options))
            return {};
        writeSetting(u"Settings"_s, u"mdb"_s, league);
        return league;
    }

private slots:
    void initTestCase() { TestSupport::initTestEnvironment(); }

    void init() { TestSupport::clearSettings(); }

    void cleanup() { QVERIFY2(Prompts::finishTest().isEmpty(), "prompts left over"); }

    void loadRestoresPathsAndFirstRunStartsEmpty()
    {
        {
            MainWindow main;
            main.show();
            QCOMPARE(main.leaguePath(), QString());
            QCOMPARE(main.converterPath(), QString());
            QVERIFY(Prompts::shown().isEmpty()); // no message at start-up
        }
        writeSetting(u"Settings"_s, u"mdb"_s, u"/l/a.mdb"_s);
        writeSetting(u"Settings"_s, u"Convert"_s, u"/c/K.exe"_s);
        MainWindow main;
        main.show();
        QCOMPARE(main.leaguePath(), u"/l/a.mdb"_s);
        QCOMPARE(main.converterPath(), u"/c/K.exe"_s);
    }

    void renamedExecutableHasItsOwnSettings()
    {
        writeSetting(u"Settings"_s, u"mdb"_s, u"/a.mdb"_s);
        setUpSettingsStore(u"/opt/games/MyCopy"_s);
        QCOMPARE(readSetting(u"Settings"_s, u"mdb"_s), QString());
        setUpSettingsStore(u"/opt/games/Yardmark99"_s);
        QCOMPARE(readSetting(u"Settings"_s, u"mdb"_s), u"/a.mdb"_s);
    }

    void boolSettingsRead_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("read"); // with true as the default
        QTest::newRow("False") << u"False"_s << false;
        QTest::newRow("lower case") << u"false"_s << false;
        QTest::newRow("zero") << u"0"_s << false;
        QTest::newRow("a negative number") << u"-1"_s << true;
        QTest::newRow("a fraction") << u"2.5"_s << true;
        QTest::newRow("nearly True") << u"Tru"_s << true;
        QTest::newRow("empty") << QString() << true;
    }

    void boolSettingsRead()
    {
        QFETCH(QString, stored);
        writeSetting(u"PlayerTable"_s, u"Item1"_s, stored);
        QTEST(readBoolSetting(u"PlayerTable"_s, u"Item1"_s, true), "read");
    }

    void fileOpenChecksTheChoice_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("storedAtOnce");
        QTest::addColumn<QString>("says"); // in the message; empty: no message
        QTest::newRow("Cancel") << "cancel" << false << QString();
        QTest::newRow("a league") << "league" << true << QString();
        QTest::newRow("a link to a league") << "link" << true << QString();
        QTest::newRow("a text file") << "text" << false << "Error:1003 ";
    }

    void fileOpenChecksTheChoice()
    {
        QFETCH(QString, kind);
        QFETCH(bool, storedAtOnce);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString league = dir.filePath(u"league.mdb"_s);
        const QString chosen = dir.filePath(u"chosen name.mdb"_s);
        leaguegen::LeagueOptions options;
        options.players = 10;
        QVERIFY(!leaguegen::writeLeague(league, options));
        if (kind == u"link"_s) {
            QVERIFY(QFile::link(league, chosen));
        } else if (kind == u"text"_s) {
            QVERIFY(TestSupport::writeFile(chosen, "a note\n"));
        } else if (kind == u"league"_s) {
            QVERIFY(QFile::rename(league, chosen));
        }
        writeSetting(u"Settings"_s, u"mdb"_s, u"/old.mdb"_s);
        MainWindow main;
        main.show();
        Prompts::setNextFileName(kind == u"cancel"_s ? QString() : chosen);
        main.action(u"mnuOpen"_s)->trigger();

        const QString expected = storedAtOnce ? chosen : u"/old.mdb"_s;
        QCOMPARE(main.leaguePath(), expected);
        QSettings onDisk; // a fresh store reads the file, not a cache
        QCOMPARE(onDisk.value(u"Settings/mdb"_s).toString(), expected);
        QCOMPARE(Prompts::shown().size(), says.isEmpty() ? 1 : 2);
        if (says.isEmpty())
            return;
        const QString refusal = Prompts::shown().last().text;
        QVERIFY2(refusal.startsWith(u"Error:"_s) && refusal.contains(says), qPrintable(refusal));
        QVERIFY(Prompts::finishTest().isEmpty());
        // A command on the same file says the same.
        main.setLeaguePath(chosen);
        main.action(u"mnuConference"_s)->trigger();
        QCOMPARE(Prompts::shown().value(0).text, refusal);
    }

    void statusBarFollowsTheLeagueTheGridsAndTheLastCommand()
    {
        QTemporaryDir dir;
        const QString league = storedLeague(dir, 1200);
        QVERIFY(!league.isEmpty());
        MainWindow main;
        main.show();
        QCOMPARE(main.leagueStatusText(), QDir::toNativeSeparators(league));

        main.action(u"mnuPlayerTable"_s)->trigger();
        auto* players = qobject_cast<TableWindow*>(main.mdiArea()->currentSubWindow()->widget());
        QCOMPARE(main.gridStatusText(), u"1,200 rows"_s);
        Prompts::setNextInput(u"PlayerID <= 40"_s);
        players->filter();
        Prompts::setNextInput(u"PlayerID > 3"_s);
        players->filter();
        int lastName = 0;
        while (players->model()->fieldNameOfColumn(lastName) != u"LastName"_s)
            ++lastName;
        players->headerClicked(lastName);
        QCOMPARE(main.gridStatusText(),
                 QStringLiteral("37 of 1,200 rows  |  Filter: (PlayerID <= 40) And (PlayerID > 3)  "
                                "|  Sort: [LastName]"));

        // Rows deleted elsewhere show after Refresh, in both counts.
        {
            db::Database other;
            QVERIFY(!other.open(league));
            QVERIFY(!other.execute(u"DELETE FROM PlayerTable WHERE PlayerID <= 10"_s));
        }
        players->refresh();
        QVERIFY(main.gridStatusText().startsWith(u"30 of 1,190 rows  |"_s));

        // Another window shows its own rows; coming back shows these again.
        main.action(u"mnuConference"_s)->trigger();
        QVERIFY(main.gridStatusText().endsWith(u" rows"_s));
        QVERIFY(!main.gridStatusText().contains(u"Filter"_s));
        main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(players->parentWidget()));
        QVERIFY(main.gridStatusText().startsWith(u"30 of 1,190 rows"_s));
        // An export is offered as the table's name beside the league, and
        // says where it wrote how many rows.
        const qsizetype before = Prompts::shown().size();
        Prompts::setNextFileName(dir.filePath(u"out.csv"_s));
        players->commands()->exportView();
        QCOMPARE(Prompts::shown().at(before).startPath, dir.filePath(u"PlayerTable.csv"_s));
        QCOMPARE(main.commandResultText(),
                 u"Exported 30 rows to "_s + QDir::toNativeSeparators(dir.filePath(u"out.csv"_s)));
        main.mdiArea()->closeAllSubWindows();
        QCOMPARE(main.gridStatusText(), QString());

        // A command's result stays until the next menu command starts.
        main.showCommandResult(u"Global edit: 13,402 players changed"_s);
        QCOMPARE(main.commandResultText(), u"Global edit: 13,402 players changed"_s);
        QVERIFY(QFile::copy(league, dir.filePath(u"other.mdb"_s)));
        Prompts::setNextFileName(dir.filePath(u"other.mdb"_s));
        main.action(u"mnuOpen"_s)->trigger();
        QCOMPARE(main.commandResultText(), QString());
        QCOMPARE(main.leagueStatusText(), QDir::toNativeSeparators(dir.filePath(u"other.mdb"_s)));
    }

    void globalEditFitsASmallMainWindowBesideAMaximizedGrid_data()
    {
        QTest::addColumn<QString>("geometry");
        QTest::newRow("800 x 600") << "0,0,800,600";
        QTest::newRow("smaller than the dialog") << "0,0,480,360";
    }

    void globalEditFitsASmallMainWindowBesideAMaximizedGrid()
    {
        QFETCH(QString, geometry);
        QTemporaryDir dir;
        const QString league = storedLeague(dir, 60);
        QVERIFY(!league.isEmpty());
        writeSetting(u"MainWindow"_s, u"Geometry"_s, geometry);
        MainWindow main;
        main.show();
        QMdiArea* area = main.mdiArea();
        main.action(u"mnuConference"_s)->trigger();
        QMdiSubWindow* grid = area->currentSubWindow();
        grid->showMaximized();
        main.action(u"mnuGlobalEdit"_s)->trigger();
        auto* edit = main.findChild<QMdiSubWindow*>(u"frmGlobalWindow"_s);
        QCOMPARE(area->currentSubWindow(), edit);
        QVERIFY(!edit->isMaximized());
        QVERIFY(area->viewport()->rect().contains(edit->geometry()));
        QCoreApplication::processEvents(); // the layouts settle

        // All of the dialog can be scrolled into view, and it is not squeezed.
        auto* scroll = edit->findChild<QScrollArea*>();
        QWidget* page = scroll->widget();
        QCOMPARE(page->size(), edit->widget()->sizeHint());
        QVERIFY(scroll->viewport()->width() + scroll->horizontalScrollBar()->maximum() >=
                page->width());
        QVERIFY(scroll->viewport()->height() + scroll->verticalScrollBar()->maximum() >=
                page->height());
        // Coming back to it from the maximized grid does not maximize it either.
        area->setActiveSubWindow(grid);
        area->setActiveSubWindow(edit);
        QVERIFY(!edit->isMaximized());
        QVERIFY(grid->isMaximized()); // beside it, the grid stays as the user left it
        // Its Preview window opens inside the main window too; however it is
        // closed, maximized, the dialog comes back in front of the grid.
        QApplication::setActiveWindow(&main);
        for (const QString& way : {u"Close"_s, u"Esc"_s, u"Ctrl+F4"_s}) {
            QTest::mouseClick(edit->findChild<QAbstractButton*>(u"cmdPreview"_s), Qt::LeftButton);
            QPointer<QMdiSubWindow> preview = main.findChild<QMdiSubWindow*>(u"frmPreviewWindow"_s);
            QVERIFY(preview && area->viewport()->rect().contains(preview->geometry()));
            preview->showMaximized();
            if (way == u"Close"_s)
                QTest::mouseClick(preview->findChild<QAbstractButton*>(u"cmdClose"_s),
                                  Qt::LeftButton);
            else if (QWidget* focus = preview->widget()->focusWidget())
                QTest::keySequence(focus, QKeySequence(way));
            else
                QTest::keySequence(preview->widget(), QKeySequence(way));
            QTRY_VERIFY2(!preview, qPrintable(way));
            QTRY_COMPARE(area->currentSubWindow(), edit);
            QCOMPARE(area->subWindowList(QMdiArea::StackingOrder).last(), edit);
            QVERIFY(grid->isMaximized() && !edit->isMaximized());
        }
        // A main window made large enough shows all of it, unscrolled.
        main.resize(1000, 800);
        QTRY_VERIFY(!scroll->verticalScrollBar()->isVisible() &&
                    !scroll->horizontalScrollBar()->isVisible());
        QVERIFY(area->viewport()->rect().contains(edit->geometry()));
        edit->close();
    }

    void windowMenuArrangesAndSwitchesTheWindows()
    {
        QTemporaryDir dir;
        QVERIFY(!storedLeague(dir, 60).isEmpty());
        MainWindow main;
        main.show();
        QApplication::setActiveWindow(&main); // for the shortcuts
        QStringList bar;
        for (QAction* menu : main.menuBar()->actions())
            bar << menu->text();
        QCOMPARE(bar, (QStringList{u"&File"_s, u"&Edit"_s, u"&Table"_s, u"&Window"_s, u"&Help"_s}));
        auto* menu = main.findChild<QMenu*>(u"mnuWindow"_s);
        const auto listed = [&] {
            emit menu->aboutToShow();
            QStringList items;
            bool past = false;
            for (QAction* a : menu->actions()) {
                if (past)
                    items << (a->isChecked() ? u"* "_s : QString()) + a->text();
                past = past || a->objectName() == u"mnuWindowSpace"_s;
            }
            return items;
        };
        QCOMPARE(listed(), QStringList());
        QVERIFY(!main.action(u"mnuTile"_s)->isEnabled()); // nothing to arrange

        main.action(u"mnuConference"_s)->trigger();
        main.action(u"mnuTeam"_s)->trigger();
        main.action(u"mnuGlobalEdit"_s)->trigger();
        QCOMPARE(listed(), (QStringList{u"&1 Conference"_s, u"&2 Team"_s,
                                        u"* &3 Yardmark 99 - Global Edit"_s}));
        QMdiArea* area = main.mdiArea();
        const auto current = [area] { return area->currentSubWindow()->widget()->windowTitle(); };
        main.action(u"mnuWindow1"_s)->trigger();
        QCOMPARE(current(), u"Conference"_s);
        QTest::keyClick(area->currentSubWindow()->widget(), Qt::Key_F6, Qt::ControlModifier);
        QCOMPARE(current(), u"Team"_s);
        QTest::keyClick(area->currentSubWindow()->widget(), Qt::Key_F6,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(current(), u"Conference"_s);
        QVERIFY(main.action(u"mnuTile"_s)->isEnabled());
        main.action(u"mnuCascade"_s)->trigger();

        // A Global Edit put away by Cancel is not a window to switch to.
        main.findChild<QAbstractButton*>(u"cmdCancel"_s)->click();
        QCOMPARE(listed(), (QStringList{u"* &1 Conference"_s, u"&2 Team"_s}));
        main.action(u"mnuCloseAll"_s)->trigger();
        QCOMPARE(listed(), QStringList());
        QVERIFY(!main.action(u"mnuConference"_s)->isChecked());
    }

    // The place of each table's window, kept in the settings file.
    void tableWindowsOpenWhereTheyWere()
    {
        QTemporaryDir dir;
        QVERIFY(!storedLeague(dir, 60).isEmpty());
        writeSetting(u"MainWindow"_s, u"Geometry"_s, u"0,0,1000,760"_s);
        writeSetting(WindowPlace::settingsSection(), u"Team"_s, u"not,a,place"_s);
        {
            MainWindow main;
            main.show();
            QMdiArea* area = main.mdiArea();
            main.action(u"mnuConference"_s)->trigger();
            area->currentSubWindow()->setGeometry(40, 30, 420, 260);
            // The first time: as large as the columns need, within the area.
            for (const char* item : {"mnuTeam", "mnuPlayerTable"}) {
                main.action(QLatin1String(item))->trigger();
                QMdiSubWindow* sub = area->currentSubWindow();
                QVERIFY(area->viewport()->rect().contains(sub->geometry()));
                DataGridView* grid = qobject_cast<TableWindow*>(sub->widget())->gridView();
                QCoreApplication::processEvents();
                const bool allColumns = grid->horizontalScrollBar()->maximum() == 0;
                QVERIFY2(allColumns || sub->width() == area->viewport()->width(), item);
            }
            QVERIFY(area->currentSubWindow()->width() > 640); // the player table's 80 columns
            area->currentSubWindow()->showMaximized();
            QVERIFY(main.close());
        }
        QSettings onDisk;
        QCOMPARE(onDisk.value(u"WindowGeometry/Conference"_s).toString(), u"40,30,420,260,False"_s);
        QVERIFY(onDisk.value(u"WindowGeometry/PlayerTable"_s).toString().endsWith(u",True"_s));
        MainWindow main;
        main.show();
        main.action(u"mnuConference"_s)->trigger();
        QCOMPARE(main.mdiArea()->currentSubWindow()->geometry(), QRect(40, 30, 420, 260));
        main.action(u"mnuPlayerTable"_s)->trigger();
        QVERIFY(main.mdiArea()->currentSubWindow()->isMaximized());
    }

    // File lists the last four leagues above Exit; each opens as File > Open would.
    void recentLeaguesAreListedAboveExit()
    {
        QTemporaryDir dir;
        QStringList leagues;
        leaguegen::LeagueOptions options;
        options.players = 10;
        for (int season = 1; season <= 5; ++season) {
            QVERIFY(QDir(dir.path()).mkpath(u"Season %1"_s.arg(season)));
            leagues << dir.filePath(u"Season %1/AccessConvert.mdb"_s.arg(season));
            QVERIFY(!leaguegen::writeLeague(leagues.last(), options));
        }
        MainWindow main;
        main.show();
        QCOMPARE(Prompts::startFolder(), QDir::homePath());
        for (const QString& league : leagues) {
            Prompts::setNextFileName(league);
            main.action(u"mnuOpen"_s)->trigger();
        }
        // The dialog starts beside the league opened last.
        QCOMPARE(Prompts::shown().last().startPath, dir.filePath(u"Season 4"_s));
        const auto stored = [] {
            QSettings onDisk;
            QStringList keys;
            for (int i = 1; i <= 4; ++i)
                keys << onDisk.value(u"RecentLeagues/League%1"_s.arg(i)).toString();
            return keys;
        };
        QCOMPARE(stored(), (QStringList{leagues[4], leagues[3], leagues[2], leagues[1]}));
        const auto fileMenu = [&] {
            QStringList items;
            for (QAction* a : main.findChild<QMenu*>(u"mnuFile"_s)->actions()) {
                if (a->isVisible())
                    items << (a->isSeparator() ? u"-"_s : a->text());
            }
            // From the separator above the recent leagues on.
            const auto first = std::find_if(items.cbegin(), items.cend(), [](const QString& i) {
                return i.startsWith(u"&1 "_s);
            });
            return items.mid(first - items.cbegin() - 1);
        };
        const QString sep = QDir::separator();
        const auto shown = [&](int n, int season) {
            return u"&%1 \u2026%2Season %3%2AccessConvert.mdb"_s.arg(n).arg(sep).arg(season);
        };
        QCOMPARE(fileMenu(), (QStringList{u"-"_s, shown(1, 5), shown(2, 4), shown(3, 3),
                                          shown(4, 2), u"-"_s, u"&Exit"_s}));

        main.action(u"mnuRecentLeague3"_s)->trigger();
        QCOMPARE(main.leaguePath(), leagues[2]);
        QCOMPARE(stored(), (QStringList{leagues[2], leagues[4], leagues[3], leagues[1]}));
        // A league that is gone is refused as File > Open refuses it, and leaves the list.
        QVERIFY(QFile::remove(leagues[1]));
        main.action(u"mnuRecentLeague4"_s)->trigger();
        QVERIFY(TestSupport::messages().value(0).startsWith(u"Error:53 "_s));
        QCOMPARE(main.leaguePath(), leagues[2]);
        QCOMPARE(stored(), (QStringList{leagues[2], leagues[4], leagues[3], QString()}));
        QVERIFY(!main.action(u"mnuRecentLeague4"_s)->isVisible());

        // Only as much of a path as tells the leagues apart.
        QCOMPARE(MainWindow::recentLeagueCaptions(
                     {u"/a/x/L.mdb"_s, u"/b/x/L.mdb"_s, u"/b/y/Other & Co.mdb"_s}),
                 (QStringList{u"&1 %1a%1x%1L.mdb"_s.arg(sep), u"&2 %1b%1x%1L.mdb"_s.arg(sep),
                              u"&3 \u2026%1y%1Other && Co.mdb"_s.arg(sep)}));
    }

    // Esc closes the windows the program added and does what Cancel does
    // in the dialogs.
    void escapeClosesOrCancels()
    {
        QTemporaryDir dir;
        QVERIFY(!storedLeague(dir, 60).isEmpty());
        MainWindow main;
        main.show();
        QApplication::setActiveWindow(&main);
        const auto esc = [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); };

        main.action(u"mnuContents"_s)->trigger();
        QApplication::setActiveWindow(helpWindow());
        esc(helpWindow());
        QVERIFY(!helpWindow() || !helpWindow()->isVisible());

        main.action(u"mnuGlobalEdit"_s)->trigger();
        auto* edit = main.findChild<QMdiSubWindow*>(u"frmGlobalWindow"_s);
        edit->findChild<QAbstractButton*>(u"chkPosition_0"_s)->setChecked(true);
        edit->findChild<QAbstractButton*>(u"cmdOK"_s)->click(); // a backup to restore
        esc(edit->widget()->focusWidget());
        QVERIFY(!edit->isVisible() && main.findChild<QMdiSubWindow*>(u"frmGlobalWindow"_s));

        main.action(u"mnuRestoreBackup"_s)->trigger();
        QPointer<QMdiSubWindow> restore = main.mdiArea()->currentSubWindow();
        QCOMPARE(restore->objectName(), u"frmRestoreBackupWindow"_s);
        esc(restore->widget()->focusWidget());
        QTRY_VERIFY(!restore);

        main.action(u"mnuPlayerTable"_s)->trigger();
        auto* players = qobject_cast<TableWindow*>(main.mdiArea()->currentSubWindow()->widget());
        players->commands()->find();
        esc(players->commands()->findDialog()->focusWidget());
        QVERIFY(!players->commands()->findDialog()->isVisible());
    }

    void savedGeometryIsFittedToTheScreen_data()
    {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint corner = screen.bottomRight();
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<QRect>("expected"); // empty: the first start's place instead
        QTest::newRow("on screen") << QRect(100, 80, 500, 400) << QRect(100, 80, 500, 400);
        QTest::newRow("off every screen")
            << QRect(corner + QPoint(500, 500), QSize(500, 400)) << QRect();
        QTest::newRow("larger than the screen")
            << QRect(screen.topLeft() - QPoint(50, 0), screen.size() * 2 - QSize(200, 200))
            << screen;
        QTest::newRow("hanging over the corner")
            << QRect(corner - QPoint(199, 149), QSize(400, 300))
            << QRect(corner - QPoint(399, 299), QSize(400, 300));
        QTest::newRow("too small to find") << QRect(10, 10, 5, 5) << QRect();
    }

    void savedGeometryIsFittedToTheScreen()
    {
        QFETCH(QRect, saved);
        QFETCH(QRect, expected);
        QCOMPARE(MainWindow::fitToScreens(saved), expected);
    }

    void windowGeometryIsRemembered_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("firstStartPlace");
        QTest::newRow("first start") << QString() << true;
        QTest::newRow("restored") << "100,80,500,400" << false;
        QTest::newRow("not numbers") << "a,b,c,d" << true;
    }

    void windowGeometryIsRemembered()
    {
        QFETCH(QString, saved);
        QFETCH(bool, firstStartPlace);
        QRect expected(100, 80, 500, 400);
        if (firstStartPlace) {
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            expected = QRect(0, 0, screen.width() * 3 / 4, screen.height() * 3 / 4);
            expected.moveCenter(screen.center());
        }
        if (!saved.isEmpty())
            writeSetting(u"MainWindow"_s, u"Geometry"_s, saved);
        MainWindow main;
        main.show();
        QCOMPARE(main.geometry(), expected);
        main.setGeometry(120, 90, 440, 330);
        QVERIFY(main.close());
        QCOMPARE(readSetting(u"MainWindow"_s, u"Geometry"_s), u"120,90,440,330"_s);
    }

    void maximizedWindowStaysMaximizedAndRemembersItsNormalPlace()
    {
        writeSetting(u"MainWindow"_s, u"Geometry"_s, u"100,80,500,400"_s);
        writeSetting(u"MainWindow"_s, u"Maximized"_s, u"True"_s);
        MainWindow main;
        main.show();
        QVERIFY(main.isMaximized());
        QVERIFY(main.close());
        QCOMPARE(readSetting(u"MainWindow"_s, u"Geometry"_s), u"100,80,500,400"_s);
        QCOMPARE(readSetting(u"MainWindow"_s, u"Maximized"_s), u"True"_s);
    }

    void messageBoxesCentreOnTheMainWindow()
    {
        MainWindow main;
        main.show();
        main.setLeaguePath(u"/no/such/folder/league.mdb"_s);
        // The grid's load fails before its window is ever shown.
        main.action(u"mnuConference"_s)->trigger();
        Prompts::message(nullptr, u"no parent"_s);
        QCOMPARE(Prompts::shown().size(), 2);
        for (const Prompts::Shown& box : Prompts::shown())
            QCOMPARE(box.owner, &main);
    }

    void runScriptChoosesTheDemoLeagueOnlyWhenNoneIsChosen_data()
    {
        QTest::addColumn<QString>("stored"); // null: no league stored
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QString>("expected");
        const QString demo = u"/home/u/Yardmark99-demo/AccessConvert.mdb"_s;
        QTest::newRow("no settings yet") << QString() << demo << demo;
        QTest::newRow("a league chosen") << "/mine.mdb" << demo << "/mine.mdb";
        QTest::newRow("an empty choice") << "" << demo << demo;
        const QString odd = u"/a b\\c/x,y \"q\" ;=\u00fc.mdb"_s;
        QTest::newRow("commas, quotes, backslashes") << QString() << odd << odd;
    }

    void runScriptChoosesTheDemoLeagueOnlyWhenNoneIsChosen()
    {
        QFETCH(QString, stored);
        QFETCH(QString, demo);
        QFETCH(QString, expected);
        writeSetting(u"PlayerTable"_s, u"Height"_s, u"True"_s);
        writeSetting(u"Settings"_s, u"Convert"_s, u"/c/K.exe"_s);
        if (!stored.isNull())
            writeSetting(u"Settings"_s, u"mdb"_s, stored);
        QProcess script;
        script.start(QStringLiteral(SCRIPTS "/store-league-choice.sh"),
                     {QSettings().fileName(), demo});
        QVERIFY(script.waitForFinished());
        QCOMPARE(script.exitCode(), 0);
        QCOMPARE(readSetting(u"Settings"_s, u"mdb"_s), expected);
        QCOMPARE(readSetting(u"Settings"_s, u"Convert"_s), u"/c/K.exe"_s);
        QCOMPARE(readSetting(u"PlayerTable"_s, u"Height"_s), u"True"_s);
    }

    // Both timers due at once: the second ends the splash inside the first
    // one's message pass.
    void splashHandsOverToTheMainWindow_data()
    {
        QTest::addColumn<int>("show");
        QTest::addColumn<int>("end");
        QTest::newRow("one after the other") << 40 << 200;
        QTest::newRow("both at once") << 30 << 30;
    }

    void splashHandsOverToTheMainWindow()
    {
        QFETCH(int, show);
        QFETCH(int, end);
        SplashWindow::setIntervals(show, end);
        QPointer<MainWindow> main;
        int created = 0;
        QPointer<SplashWindow> splash = new SplashWindow([&]() -> QWidget* {
            if (!main) {
                main = new MainWindow;
                ++created;
            }
            return main;
        });
        splash->show();
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        if (show < end) {
            QTRY_VERIFY(main && main->isVisible());
            QVERIFY(splash); // the splash stays until its second timer
        }
        QTRY_VERIFY(!splash);
        QCOMPARE(created, 1); // later ticks only show the same window again
        QVERIFY(!QApplication::overrideCursor());
        delete main;
        SplashWindow::setIntervals(1000, 3000);
    }

    void missingHelpFileIsSaidInTheViewer()
    {
        QTemporaryDir emptyFolder;
        MainWindow main;
        main.show();
        initHelp(emptyFolder.path());
        showHelpTopic(ContextIDs::PlayerSettingsTopic);
        QVERIFY(helpWindow()->toPlainText().contains(u"was not found"_s));
        QVERIFY(Prompts::shown().isEmpty()); // the viewer says it, no message box
        initHelp();
        quitHelp();
    }

    // The real program without a display: these must print and end before
    // any window or display is needed.
    void commandLinePrintsAndEnds_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QString version = u"Yardmark99 "_s + QLatin1String(version::Text) + u'\n';
        QTest::newRow("version") << QStringList{u"--version"_s} << 0 << version;
        QTest::newRow("Qt's own options are Qt's")
            << QStringList{u"-platform"_s, u"xcb"_s, u"-style=Fusion"_s, u"--version"_s} << 0
            << version;
        QTest::newRow("unknown option") << QStringList{u"-style"_s, u"Fusion"_s, u"--bogus"_s} << 2
                                        << u"Unknown option 'bogus'."_s;
        QTest::newRow("a league named like an option")
            << QStringList{u"-foo.mdb"_s} << 2 << u"Unknown option 'foo.mdb'."_s;
        QTest::newRow("two leagues")
            << QStringList{u"a.mdb"_s, u"b.mdb"_s} << 2 << u"give at most one league file"_s;
        // The batch import; %1 is a temporary folder.
        const QString nwind = QStringLiteral(JET_SAMPLES) + u"/nwind.mdb"_s;
        QTest::newRow("imports") << QStringList{u"--import-access"_s, nwind, u"%1/n.mdb"_s} << 0
                                 << u"Imported 9 tables (4032 rows)"_s;
        QTest::newRow("import of a missing source")
            << QStringList{u"--import-access"_s, u"%1/none.mdb"_s, u"%1/n.mdb"_s} << 1
            << u"Error:53 "_s;
        QTest::newRow("import onto a folder")
            << QStringList{u"--import-access"_s, nwind, u"%1"_s} << 1 << u"is a folder"_s;
        QTest::newRow("import without a target")
            << QStringList{u"--import-access"_s, nwind} << 2 << u"usage:"_s;
    }

    void commandLinePrintsAndEnds()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QTemporaryDir dir;
        for (QString& argument : arguments)
            argument.replace(u"%1"_s, dir.path());
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(PROGRAM), arguments);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        if (arguments.value(0) == u"--import-access"_s)
            QCOMPARE(QFileInfo::exists(dir.filePath(u"n.mdb"_s)), exitCode == 0);
        QCOMPARE(program.exitCode(), exitCode);
        const QString printed = QString::fromUtf8(exitCode == 0 ? program.readAllStandardOutput()
                                                                : program.readAllStandardError());
        if (output.endsWith(u'\n'))
            QCOMPARE(printed, output);
        else
            QVERIFY2(printed.contains(output), qPrintable(printed));
    }

    // The real program, started in the league's folder: the league it stores
    // is the absolute path, so a start from elsewhere opens the same file.
    void commandLineLeagueIsStoredWithItsFolder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("league");
        QTest::newRow("relative") << QStringList{u"AccessConvert.mdb"_s} << u"AccessConvert.mdb"_s;
        QTest::newRow("after --") << QStringList{u"--"_s, u"-x.mdb"_s} << u"-x.mdb"_s;
    }

    void commandLineLeagueIsStoredWithItsFolder()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, league);
        QTemporaryDir dir;
        QTemporaryDir home;
        leaguegen::LeagueOptions options;
        options.players = 40;
        QVERIFY(!leaguegen::writeLeague(dir.filePath(league), options));
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"XDG_CONFIG_HOME"_s, home.path());
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(dir.path());
        program.start(QStringLiteral(PROGRAM), arguments);
        const QString ini = home.filePath(u"Yardmark99/Yardmark99.ini"_s);
        const auto stored = [&] {
            return QSettings(ini, QSettings::IniFormat).value(u"Settings/mdb"_s).toString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(!stored().isEmpty(), 20000);
        program.kill();
        program.waitForFinished();
        QCOMPARE(stored(), dir.filePath(league));
    }

    // A league named on the command line gets what File > Open gives the
    // same file: stored if it is a league, the same message if not.
    void leagueArgumentIsTakenAsFileOpenTakesIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("stored");
        QTest::newRow("league") << u"AccessConvert.mdb"_s << true;
        QTest::newRow("text file") << u"notes.mdb"_s << false;
    }

    void leagueArgumentIsTakenAsFileOpenTakesIt()
    {
        QFETCH(QString, name);
        QFETCH(bool, stored);
        QTemporaryDir dir;
        leaguegen::LeagueOptions options;
        options.players = 40;
        QVERIFY(!leaguegen::writeLeague(dir.filePath(u"AccessConvert.mdb"_s), options));
        QVERIFY(TestSupport::writeFile(dir.filePath(u"notes.mdb"_s), "not a league"));
        const QString path = dir.filePath(name);
        const QString old = u"/old.mdb"_s;

        writeSetting(u"Settings"_s, u"mdb"_s, old);
        MainWindow byMenu;
        byMenu.show();
        Prompts::setNextFileName(path);
        byMenu.action(u"mnuOpen"_s)->trigger();
        const QStringList menuMessages = TestSupport::messages();

        writeSetting(u"Settings"_s, u"mdb"_s, old);
        const qsizetype before = Prompts::shown().size();
        MainWindow main;
        main.show(); // loading restores the old choice
        openLeagueWhenLoaded(&main, path);
        QCOMPARE(main.leaguePath(), old); // queued behind the loading
        QCoreApplication::processEvents();
        QCOMPARE(readSetting(u"Settings"_s, u"mdb"_s), stored ? path : old);
        QCOMPARE(main.leaguePath(), stored ? path : old);
        QCOMPARE(TestSupport::messages(before), menuMessages);
        QCOMPARE(menuMessages.isEmpty(), stored);
    }

    // An Access file through File > Import Access Database..., through File >
    // Open's offer, and named on the command line: the new file is written
    // beside it and, lacking the league tables, kept without becoming the league.
    void accessFilesAreOfferedAndImported_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("yes");     // the answer to "Import it...?"
        QTest::addColumn<QString>("save"); // the save dialog's answer; empty: Cancel
        QTest::newRow("menu") << u"menu"_s << true << u"nwind (imported).mdb"_s;
        QTest::newRow("menu, save cancelled") << u"menu"_s << true << QString();
        QTest::newRow("File > Open, Yes") << u"open"_s << true << u"league copy.mdb"_s;
        QTest::newRow("File > Open, No") << u"open"_s << false << QString();
        QTest::newRow("command line, Yes") << u"argument"_s << true << u"copy.mdb"_s;
    }

    void accessFilesAreOfferedAndImported()
    {
        QFETCH(QString, way);
        QFETCH(bool, yes);
        QFETCH(QString, save);
        QTemporaryDir dir;
        const QString source = dir.filePath(u"nwind.mdb"_s);
        QVERIFY(QFile::copy(QStringLiteral(JET_SAMPLES) + u"/nwind.mdb"_s, source));
        const QString league = storedLeague(dir, 10);
        MainWindow main;
        main.show();
        if (way != u"argument"_s)
            Prompts::setNextFileName(source);
        if (way != u"menu"_s)
            Prompts::setNextAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
        if (yes)
            Prompts::setNextFileName(save.isEmpty() ? QString() : dir.filePath(save));
        if (way == u"menu"_s) {
            main.action(u"mnuImportAccess"_s)->trigger();
        } else if (way == u"open"_s) {
            main.action(u"mnuOpen"_s)->trigger();
        } else {
            openLeagueWhenLoaded(&main, source);
            QCoreApplication::processEvents();
        }

        QCOMPARE(main.leaguePath(), league);
        QCOMPARE(readSetting(u"Settings"_s, u"mdb"_s), league);
        const QList<Prompts::Shown> shown = Prompts::shown();
        if (way != u"menu"_s)
            QVERIFY(TestSupport::messages().value(0).contains(u"Microsoft Access"_s));
        const auto saveDialog = std::find_if(shown.begin(), shown.end(), [](const auto& s) {
            return s.text == u"Save Imported League As"_s;
        });
        QCOMPARE(saveDialog != shown.end(), yes);
        if (yes)
            QCOMPARE(saveDialog->startPath, dir.filePath(u"nwind (imported).mdb"_s));
        const QStringList files =
            QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        if (save.isEmpty()) {
            QCOMPARE(files, (QStringList{u"AccessConvert.mdb"_s, u"nwind.mdb"_s}));
            return;
        }
        QVERIFY2(files.contains(save), qPrintable(files.join(u", "_s)));
        QCOMPARE(files.size(), 3);
        const QString said = TestSupport::messages().last();
        QVERIFY2(said.contains(u"Imported 9 tables"_s) &&
                     said.contains(u"lacks these league tables: Conference, FreeAgents"_s),
                 qPrintable(said));
        QVERIFY(main.commandResultText().startsWith(u"Imported 9 tables (4032 rows)"_s));
    }

    void helpContentsOpensAndClosingTheMainWindowClosesIt()
    {
        auto* main = new MainWindow;
        main->show();
        main->action(u"mnuContents"_s)->trigger();
        QCOMPARE(lastHelpRequest(), 0);
        QPointer<QTextBrowser> help = helpWindow();
        QVERIFY(help && help->isVisible());
        QVERIFY(help->toPlainText().contains(u"Contents"_s));

        showHelpTopic(ContextIDs::GlobalEditTopic);
        QCOMPARE(lastHelpRequest(), 320);
        QVERIFY(help->toPlainText().contains(u"Global Edit"_s));

        QVERIFY(main->close());
        QTRY_VERIFY(!help || !help->isVisible());
        delete main;
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
