// The main window through its real menu: the menu bar, File > Open with the
// check of the chosen file and the settings it keeps, start-up with the splash, and help.
#include "TestSupport.h"
#include "db/Database.h"
#include "grid/frmDataGrid.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/CommandLine.h"
#include "shell/MDIMain.h"
#include "shell/base/ContextIDs.h"
#include "shell/base/Prompts.h"
#include "shell/base/Settings.h"
#include "shell/base/Version.h"
#include "shell/frmSplash2.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
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
#include <sys/stat.h>

class TestMainWindow : public QObject
{
    Q_OBJECT

    static QStringList menuLayout(const MDIMain& main)
    {
        QStringList lines;
        for (QAction* top : main.menuBar()->actions()) {
            QStringList items;
            for (QAction* item : top->menu()->actions()) {
                items << (item->isSeparator() ? QStringLiteral("-") : item->text());
                if (!item->shortcut().isEmpty())
                    items << QStringLiteral("(shortcut!)");
            }
            lines << top->menu()->objectName() + QLatin1Char(' ') + top->text() +
                         QStringLiteral(": ") + items.join(QLatin1Char('|'));
        }
        return lines;
    }

    // A league of players players in dir, stored as the league to open.
    static QString storedLeague(const QTemporaryDir& dir, int players)
    {
        const QString league = dir.filePath(QStringLiteral("AccessConvert.mdb"));
        leaguegen::LeagueOptions options;
        options.players = players;
        if (leaguegen::writeLeague(league, options))
            return {};
        SaveSetting(QStringLiteral("Settings"), QStringLiteral("mdb"), league);
        return league;
    }

private slots:
    void initTestCase() { TestSupport::initTestEnvironment(); }

    void init() { TestSupport::clearSettings(); }

    void cleanup() { QVERIFY2(Prompts::finishTest().isEmpty(), "prompts left over"); }

    void menuBarIsComplete()
    {
        MDIMain main;
        QCOMPARE(main.windowTitle(), QStringLiteral("Yardmark '99"));
        const QStringList expected = {
            QStringLiteral(
                "mnuFile &File: &Open|-|&Convert|&Clear Database|&Restore Backup\u2026|-|"
                "&Exit"),
            QStringLiteral("mnuEdit &Edit: &Global Edit|&Undo Global Edit"),
            QStringLiteral("mnuView &Table: &All|-|&Conference|&Free Agents|&League|&PlayerTable|"
                           "&Roster|&Schedule|&Team"),
            QStringLiteral("mnuHelp &Help: &Contents|-|&About"),
        };
        QCOMPARE(menuLayout(main), expected);
    }

    void loadRestoresPathsAndFirstRunStartsEmpty()
    {
        {
            MDIMain main;
            main.show();
            QCOMPARE(main.leaguePath(), QString());
            QCOMPARE(main.converterPath(), QString());
            QVERIFY(Prompts::shown().isEmpty()); // no message at start-up
        }
        SaveSetting(QStringLiteral("Settings"), QStringLiteral("mdb"), QStringLiteral("/l/a.mdb"));
        SaveSetting(QStringLiteral("Settings"), QStringLiteral("Convert"),
                    QStringLiteral("/c/K.exe"));
        MDIMain main;
        main.show();
        QCOMPARE(main.leaguePath(), QStringLiteral("/l/a.mdb"));
        QCOMPARE(main.converterPath(), QStringLiteral("/c/K.exe"));
    }

    void renamedExecutableHasItsOwnSettings()
    {
        SaveSetting(QStringLiteral("Settings"), QStringLiteral("mdb"), QStringLiteral("/a.mdb"));
        setUpSettingsStore(QStringLiteral("/opt/games/MyCopy"));
        QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("mdb")), QString());
        setUpSettingsStore(QStringLiteral("/opt/games/Yardmark99"));
        QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("mdb")),
                 QStringLiteral("/a.mdb"));
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
        QTest::newRow("a pipe") << "fifo" << false << "not a regular file";
        QTest::newRow("a loop of links") << "loop" << false << "leads back to itself";
    }

    void fileOpenChecksTheChoice()
    {
        QFETCH(QString, kind);
        QFETCH(bool, storedAtOnce);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QString league = dir.filePath(QStringLiteral("league.mdb"));
        const QString chosen = dir.filePath(QStringLiteral("chosen name.mdb"));
        leaguegen::LeagueOptions options;
        options.players = 10;
        QVERIFY(!leaguegen::writeLeague(league, options));
        if (kind == QStringLiteral("link")) {
            QVERIFY(QFile::link(league, chosen));
        } else if (kind == QStringLiteral("text")) {
            QVERIFY(TestSupport::writeFile(chosen, "a note\n"));
        } else if (kind == QStringLiteral("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(chosen).constData(), 0600), 0);
        } else if (kind == QStringLiteral("loop")) {
            const QString other = dir.filePath(QStringLiteral("other.mdb"));
            QVERIFY(QFile::link(other, chosen) && QFile::link(chosen, other));
        } else if (kind == QStringLiteral("league")) {
            QVERIFY(QFile::rename(league, chosen));
        }
        SaveSetting(QStringLiteral("Settings"), QStringLiteral("mdb"), QStringLiteral("/old.mdb"));
        MDIMain main;
        main.show();
        Prompts::setNextFileName(kind == QStringLiteral("cancel") ? QString() : chosen);
        main.action(QStringLiteral("mnuOpen"))->trigger();

        const Prompts::Shown dialog = Prompts::shown().value(0);
        QCOMPARE(dialog.kind, QStringLiteral("file"));
        QCOMPARE(dialog.text, QStringLiteral("Select AccessConvert"));
        QCOMPARE(dialog.filters,
                 QStringList({QStringLiteral("mdb (*.mdb)"), QStringLiteral("All files (*)")}));
        const QString expected = storedAtOnce ? chosen : QStringLiteral("/old.mdb");
        QCOMPARE(main.leaguePath(), expected);
        QSettings onDisk; // a fresh store reads the file, not a cache
        QCOMPARE(onDisk.value(QStringLiteral("Settings/mdb")).toString(), expected);
        QCOMPARE(Prompts::shown().size(), says.isEmpty() ? 1 : 2);
        if (says.isEmpty())
            return;
        const QString refusal = Prompts::shown().last().text;
        QVERIFY2(refusal.startsWith(QStringLiteral("Error:")) && refusal.contains(says),
                 qPrintable(refusal));
        QVERIFY(Prompts::finishTest().isEmpty());
        // A command on the same file says the same.
        main.setLeaguePath(chosen);
        main.action(QStringLiteral("mnuConference"))->trigger();
        QCOMPARE(Prompts::shown().value(0).text, refusal);
    }

    void statusBarFollowsTheLeagueTheGridsAndTheLastCommand()
    {
        QTemporaryDir dir;
        const QString league = storedLeague(dir, 1200);
        QVERIFY(!league.isEmpty());
        MDIMain main;
        main.show();
        QCOMPARE(main.leagueStatusText(), QDir::toNativeSeparators(league));

        main.action(QStringLiteral("mnuPlayerTable"))->trigger();
        auto* players = qobject_cast<frmDataGrid*>(main.mdiArea()->currentSubWindow()->widget());
        QCOMPARE(main.gridStatusText(), QStringLiteral("1,200 rows"));
        Prompts::setNextInput(QStringLiteral("PlayerID <= 40"));
        players->cmdFilter_Click();
        Prompts::setNextInput(QStringLiteral("PlayerID > 3"));
        players->cmdFilter_Click();
        int lastName = 0;
        while (players->model()->fieldNameOfColumn(lastName) != QStringLiteral("LastName"))
            ++lastName;
        players->grdDataGrid_HeadClick(lastName);
        QCOMPARE(main.gridStatusText(),
                 QStringLiteral("37 of 1,200 rows  |  Filter: (PlayerID <= 40) And (PlayerID > 3)  "
                                "|  Sort: [LastName]"));

        // Rows deleted elsewhere show after Refresh, in both counts.
        {
            db::Database other;
            QVERIFY(!other.open(league));
            QVERIFY(!other.execute(QStringLiteral("DELETE FROM PlayerTable WHERE PlayerID <= 10")));
        }
        players->cmdRefresh_Click();
        QVERIFY(main.gridStatusText().startsWith(QStringLiteral("30 of 1,190 rows  |")));

        // Another window shows its own rows; coming back shows these again.
        main.action(QStringLiteral("mnuConference"))->trigger();
        QVERIFY(main.gridStatusText().endsWith(QStringLiteral(" rows")));
        QVERIFY(!main.gridStatusText().contains(QStringLiteral("Filter")));
        main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(players->parentWidget()));
        QVERIFY(main.gridStatusText().startsWith(QStringLiteral("30 of 1,190 rows")));
        main.mdiArea()->closeAllSubWindows();
        QCOMPARE(main.gridStatusText(), QString());

        // A command's result stays until the next menu command starts.
        main.showCommandResult(QStringLiteral("Global edit: 13,402 players changed"));
        QCOMPARE(main.commandResultText(), QStringLiteral("Global edit: 13,402 players changed"));
        QVERIFY(QFile::copy(league, dir.filePath(QStringLiteral("other.mdb"))));
        Prompts::setNextFileName(dir.filePath(QStringLiteral("other.mdb")));
        main.action(QStringLiteral("mnuOpen"))->trigger();
        QCOMPARE(main.commandResultText(), QString());
        QCOMPARE(main.leagueStatusText(),
                 QDir::toNativeSeparators(dir.filePath(QStringLiteral("other.mdb"))));
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
        SaveSetting(QStringLiteral("MainWindow"), QStringLiteral("Geometry"), geometry);
        MDIMain main;
        main.show();
        QMdiArea* area = main.mdiArea();
        main.action(QStringLiteral("mnuConference"))->trigger();
        QMdiSubWindow* grid = area->currentSubWindow();
        grid->showMaximized();
        main.action(QStringLiteral("mnuGlobalEdit"))->trigger();
        auto* edit = main.findChild<QMdiSubWindow*>(QStringLiteral("frmGlobalWindow"));
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
        // Its Preview window opens inside the main window too.
        QTest::mouseClick(edit->findChild<QAbstractButton*>(QStringLiteral("cmdPreview")),
                          Qt::LeftButton);
        auto* preview = main.findChild<QMdiSubWindow*>(QStringLiteral("frmPreviewWindow"));
        QVERIFY(preview && area->viewport()->rect().contains(preview->geometry()));
        preview->close();
        // A main window made large enough shows all of it, unscrolled.
        main.resize(1000, 800);
        QTRY_VERIFY(!scroll->verticalScrollBar()->isVisible() &&
                    !scroll->horizontalScrollBar()->isVisible());
        QVERIFY(area->viewport()->rect().contains(edit->geometry()));
        edit->close();
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
        QCOMPARE(MDIMain::fitToScreens(saved), expected);
    }

    void windowGeometryIsRemembered_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("firstStartPlace");
        QTest::newRow("first start") << QString() << true;
        QTest::newRow("restored") << "100,80,500,400" << false;
        QTest::newRow("off every screen") << "9000,9000,500,400" << true;
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
            SaveSetting(QStringLiteral("MainWindow"), QStringLiteral("Geometry"), saved);
        MDIMain main;
        main.show();
        QCOMPARE(main.geometry(), expected);
        main.setGeometry(120, 90, 440, 330);
        QVERIFY(main.close());
        QCOMPARE(GetSetting(QStringLiteral("MainWindow"), QStringLiteral("Geometry")),
                 QStringLiteral("120,90,440,330"));
    }

    void maximizedWindowStaysMaximizedAndRemembersItsNormalPlace()
    {
        SaveSetting(QStringLiteral("MainWindow"), QStringLiteral("Geometry"),
                    QStringLiteral("100,80,500,400"));
        SaveSetting(QStringLiteral("MainWindow"), QStringLiteral("Maximized"),
                    QStringLiteral("True"));
        MDIMain main;
        main.show();
        QVERIFY(main.isMaximized());
        QVERIFY(main.close());
        QCOMPARE(GetSetting(QStringLiteral("MainWindow"), QStringLiteral("Geometry")),
                 QStringLiteral("100,80,500,400"));
        QCOMPARE(GetSetting(QStringLiteral("MainWindow"), QStringLiteral("Maximized")),
                 QStringLiteral("True"));
    }

    void messageBoxesCentreOnTheMainWindow()
    {
        MDIMain main;
        main.show();
        main.setLeaguePath(QStringLiteral("/no/such/folder/league.mdb"));
        // The grid's load fails before its window is ever shown.
        main.action(QStringLiteral("mnuConference"))->trigger();
        Prompts::message(nullptr, QStringLiteral("no parent"));
        QCOMPARE(Prompts::shown().size(), 2);
        for (const Prompts::Shown& box : Prompts::shown())
            QCOMPARE(box.owner, &main);
    }

    void runScriptChoosesTheDemoLeagueOnlyWhenNoneIsChosen_data()
    {
        QTest::addColumn<QString>("stored"); // null: no league stored
        QTest::addColumn<QString>("demo");
        QTest::addColumn<QString>("expected");
        const QString demo = QStringLiteral("/home/u/Yardmark99-demo/AccessConvert.mdb");
        QTest::newRow("no settings yet") << QString() << demo << demo;
        QTest::newRow("a league chosen") << "/mine.mdb" << demo << "/mine.mdb";
        QTest::newRow("an empty choice") << "" << demo << demo;
        const QString odd = QStringLiteral("/a b\\c/x,y \"q\" ;=\u00fc.mdb");
        QTest::newRow("commas, quotes, backslashes") << QString() << odd << odd;
    }

    void runScriptChoosesTheDemoLeagueOnlyWhenNoneIsChosen()
    {
        QFETCH(QString, stored);
        QFETCH(QString, demo);
        QFETCH(QString, expected);
        SaveSetting(QStringLiteral("PlayerTable"), QStringLiteral("Height"),
                    QStringLiteral("True"));
        SaveSetting(QStringLiteral("Settings"), QStringLiteral("Convert"),
                    QStringLiteral("/c/K.exe"));
        if (!stored.isNull())
            SaveSetting(QStringLiteral("Settings"), QStringLiteral("mdb"), stored);
        QProcess script;
        script.start(QStringLiteral(SCRIPTS "/store-league-choice.sh"),
                     {QSettings().fileName(), demo});
        QVERIFY(script.waitForFinished());
        QCOMPARE(script.exitCode(), 0);
        QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("mdb")), expected);
        QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("Convert")),
                 QStringLiteral("/c/K.exe"));
        QCOMPARE(GetSetting(QStringLiteral("PlayerTable"), QStringLiteral("Height")),
                 QStringLiteral("True"));
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
        frmSplash2::setIntervals(show, end);
        QPointer<MDIMain> main;
        int created = 0;
        QPointer<frmSplash2> splash = new frmSplash2([&]() -> QWidget* {
            if (!main) {
                main = new MDIMain;
                ++created;
            }
            return main;
        });
        splash->show();
        QVERIFY(splash->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        if (show < end) {
            QTRY_VERIFY(main && main->isVisible());
            QVERIFY(splash); // the splash stays until its second timer
        }
        QTRY_VERIFY(!splash);
        QCOMPARE(created, 1); // later ticks only show the same window again
        QVERIFY(!QApplication::overrideCursor());
        delete main;
        frmSplash2::setIntervals(1000, 3000);
    }

    void helpFilePathRule_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain folder") << "/games/util"
                                      << "/games/util/Yardmark99.HLP";
        QTest::newRow("root") << "/"
                              << "/Yardmark99.HLP";
        QTest::newRow("ends in a separator") << "C:\\"
                                             << "C:\\Yardmark99.HLP";
    }

    void helpFilePathRule()
    {
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        QCOMPARE(helpFilePathFor(folder), expected);
    }

    void missingHelpFileIsSaidInTheViewer()
    {
        QTemporaryDir emptyFolder;
        MDIMain main;
        main.show();
        InitHelp(emptyFolder.path());
        ShowHelpContext(ContextIDs::PlayerSettingsTopic);
        QVERIFY(helpWindow()->toPlainText().contains(QStringLiteral("was not found")));
        QVERIFY(Prompts::shown().isEmpty()); // the viewer says it, no message box
        InitHelp();
        QuitHelp();
    }

    // The real program: these must print and end before any window could
    // open; help and version need no display at all.
    void commandLinePrintsAndEnds_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const QString version =
            QStringLiteral("Yardmark99 ") + QLatin1String(version::Text) + u'\n';
        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0 << version;
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0
                              << QStringLiteral(" [options] [league]");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")} << 1
                                        << QStringLiteral("Unknown option 'bogus'.");
        QTest::newRow("Qt's own options are Qt's")
            << QStringList{QStringLiteral("-style"), QStringLiteral("Fusion"),
                           QStringLiteral("--bogus")}
            << 1 << QStringLiteral("Unknown option 'bogus'.");
        QTest::newRow("two leagues")
            << QStringList{QStringLiteral("a.mdb"), QStringLiteral("b.mdb")} << 1
            << QStringLiteral("give at most one league file");
    }

    void commandLinePrintsAndEnds()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        if (exitCode == 0)
            environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(PROGRAM), arguments);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), exitCode);
        const QString printed = QString::fromUtf8(exitCode == 0 ? program.readAllStandardOutput()
                                                                : program.readAllStandardError());
        if (output.endsWith(u'\n'))
            QCOMPARE(printed, output);
        else
            QVERIFY2(printed.contains(output), qPrintable(printed));
    }

    // A league named on the command line gets what File > Open gives the
    // same file: stored if it is a league, the same message if not.
    void leagueArgumentIsTakenAsFileOpenTakesIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("stored");
        QTest::newRow("league") << QStringLiteral("AccessConvert.mdb") << true;
        QTest::newRow("text file") << QStringLiteral("notes.mdb") << false;
        QTest::newRow("missing file") << QStringLiteral("missing.mdb") << false;
    }

    void leagueArgumentIsTakenAsFileOpenTakesIt()
    {
        QFETCH(QString, name);
        QFETCH(bool, stored);
        QTemporaryDir dir;
        leaguegen::LeagueOptions options;
        options.players = 40;
        QVERIFY(
            !leaguegen::writeLeague(dir.filePath(QStringLiteral("AccessConvert.mdb")), options));
        QVERIFY(TestSupport::writeFile(dir.filePath(QStringLiteral("notes.mdb")), "not a league"));
        const QString path = dir.filePath(name);
        const QString old = QStringLiteral("/old.mdb");

        SaveSetting(QStringLiteral("Settings"), QStringLiteral("mdb"), old);
        MDIMain byMenu;
        byMenu.show();
        Prompts::setNextFileName(path);
        byMenu.action(QStringLiteral("mnuOpen"))->trigger();
        const QStringList menuMessages = TestSupport::messages();

        SaveSetting(QStringLiteral("Settings"), QStringLiteral("mdb"), old);
        const qsizetype before = Prompts::shown().size();
        MDIMain main;
        main.show(); // loading restores the old choice
        openLeagueWhenLoaded(&main, path);
        QCOMPARE(main.leaguePath(), old); // queued behind the loading
        QCoreApplication::processEvents();
        QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("mdb")),
                 stored ? path : old);
        QCOMPARE(main.leaguePath(), stored ? path : old);
        QCOMPARE(TestSupport::messages(before), menuMessages);
        QCOMPARE(menuMessages.isEmpty(), stored);
    }

    void helpContentsOpensAndClosingTheMainWindowClosesIt()
    {
        auto* main = new MDIMain;
        main->show();
        main->action(QStringLiteral("mnuContents"))->trigger();
        QCOMPARE(lastHelpRequest(), 0);
        QPointer<QTextBrowser> help = helpWindow();
        QVERIFY(help && help->isVisible());
        QVERIFY(help->toPlainText().contains(QStringLiteral("Contents")));

        ShowHelpContext(ContextIDs::GlobalEditTopic);
        QCOMPARE(lastHelpRequest(), 320);
        QVERIFY(help->toPlainText().contains(QStringLiteral("Global Edit")));

        QVERIFY(main->close());
        QTRY_VERIFY(!help || !help->isVisible());
        delete main;
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
