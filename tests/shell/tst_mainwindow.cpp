// The main window through its real menu: the menu bar, File > Open with the
// check of the chosen file and the settings it keeps, start-up with the splash,
// help, and the names a screen reader speaks.
#include "GuiFixture.h"
#include "TestSupport.h"
#include "app/CommandLine.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/AboutDialog.h"
#include "shell/ImportProgressWindow.h"
#include "shell/MainWindow.h"
#include "shell/RecentLeagues.h"
#include "shell/SplashWindow.h"
#include "ui/HelpViewer.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "ui/Version.h"
#include "windows/grid/FindDialog.h"
#include "windows/grid/GridCommands.h"
#include "windows/grid/GridView.h"
#include "windows/grid/TableWindow.h"
#include "windows/grid/WindowPlace.h"

#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;
using TestSupport::columns;
using TestSupport::fetch;

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir; // each test's own folder

    QString file(const QString& name) const { return m_dir->filePath(name); }
    // Writes a league of players players as the named file in this test's folder.
    bool writeLeague(const QString& name, int players = 10) const
    {
        leaguegen::LeagueOptions options;
        options.players = players;
        return !leaguegen::writeLeague(file(name), options);
    }
    // A league in this test's folder, stored as the league to open.
    QString storedLeague(int players = 60) const
    {
        if (!writeLeague(u"AccessConvert.mdb"_s, players))
            return {};
        writeSetting(u"Settings"_s, u"mdb"_s, file(u"AccessConvert.mdb"_s));
        return file(u"AccessConvert.mdb"_s);
    }

    int m_checked = 0; // controls looked at

    // Their parts are Qt's own, not ours to name.
    static bool holdsParts(const QObject* w)
    {
        return w->inherits("QLineEdit") || w->inherits("QComboBox") ||
               w->inherits("QAbstractItemView");
    }

    // The window's visible controls that lack a name or something a screen
    // reader speaks.
    QStringList unnamedControls(const QWidget* window)
    {
        QStringList problems;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const bool control =
                holdsParts(w) || w->inherits("QAbstractButton") || w->inherits("QProgressBar");
            if (!control || w->objectName().startsWith(u"qt_"_s) || holdsParts(w->parentWidget()) ||
                !w->isVisibleTo(window))
                continue;
            ++m_checked;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            if (w->objectName().isEmpty() || !a || a->text(QAccessible::Name).trimmed().isEmpty())
                problems << u"%1 \"%2\" in %3"_s.arg(QLatin1String(w->metaObject()->className()),
                                                     w->objectName(), window->objectName());
        }
        return problems;
    }

    // Each access key of a window's buttons and labelled controls, or of a
    // menu's items, with the captions that carry it. Controls of one window
    // that share a key are clashes: Alt with that letter then only moves
    // between them, pressing none.
    static QMap<QChar, QStringList> accessKeys(const QWidget* window,
                                               QStringList* clashes = nullptr)
    {
        QStringList captions;
        if (window->inherits("QMenu") || window->inherits("QMenuBar")) {
            for (const QAction* a : window->actions())
                captions << (a->isVisible() ? a->text() : QString());
        }
        for (const QWidget* w : window->findChildren<QWidget*>()) {
            const auto* label = qobject_cast<const QLabel*>(w);
            if (w->isVisibleTo(window) &&
                (w->inherits("QAbstractButton") || (label && label->buddy())))
                captions << w->property("text").toString();
        }
        QMap<QChar, QStringList> owners;
        for (const QString& text : std::as_const(captions)) {
            if (const qsizetype amp = text.indexOf(QRegularExpression(u"&[^&]"_s)); amp >= 0)
                owners[text.at(amp + 1).toLower()] << text;
        }
        for (const QStringList& sharing : std::as_const(owners)) {
            if (clashes && sharing.size() > 1)
                *clashes << window->objectName() + u": "_s + sharing.join(u' ');
        }
        return owners;
    }

    // The main window shown, so loading has restored the stored settings.
    struct Shown : MainWindow {
        Shown() { show(); }
    };

private slots:
    void initTestCase() { TestSupport::initTestEnvironment(); }

    void init()
    {
        TestSupport::clearSettings();
        m_dir = std::make_unique<QTemporaryDir>();
    }

    void cleanup() { QVERIFY2(Prompts::finishTest().isEmpty(), "prompts left over"); }

    void boolSettingsRead_data()
    {
        // read: with true as the default
        columns<QString, bool>("stored", "read");
        for (const char* no : {"False", "false", "0"})
            QTest::addRow("\"%s\"", no) << QString::fromLatin1(no) << false;
        for (const char* yes : {"-1", "2.5", "Tru", ""}) // not False, nor a number that is 0
            QTest::addRow("\"%s\"", yes) << QString::fromLatin1(yes) << true;
    }

    void boolSettingsRead()
    {
        QFETCH(QString, stored);
        writeSetting(u"PlayerTable"_s, u"Item1"_s, stored);
        QTEST(readBoolSetting(u"PlayerTable"_s, u"Item1"_s, true), "read");
        // A renamed executable keeps settings of its own.
        setUpSettingsStore(u"/opt/games/MyCopy"_s);
        QCOMPARE(readSetting(u"PlayerTable"_s, u"Item1"_s), QString());
        setUpSettingsStore(u"/opt/games/Yardmark99"_s);
        QCOMPARE(readSetting(u"PlayerTable"_s, u"Item1"_s), stored);
    }

    // Every way a file reaches the program: File > Open, File > Import Access
    // Database... and the command line. A league is stored at once; a file
    // that is no league is refused with the message a command on it gets; an
    // Access file is offered for import, and the new file, written beside it,
    // lacks the league tables, so it is kept without becoming the league.
    void chosenFileIsChecked_data()
    {
        // save: the import's file; empty: Cancel; No: not imported
        columns<QString, QString, QString, bool>("kind", "way", "save", "stored");
        const auto row = [](const char* name, const QString& kind, const QString& way,
                            const QString& save = {}, bool stored = false) {
            QTest::newRow(name) << kind << way << save << stored;
        };
        row("Cancel", u"cancel"_s, u"open"_s);
        row("a league", u"league"_s, u"open"_s, {}, true);
        row("a link to a league", u"link"_s, u"open"_s, {}, true);
        row("a text file", u"text"_s, u"open"_s);
        row("a league, argument", u"league"_s, u"argument"_s, {}, true);
        row("a text file, argument", u"text"_s, u"argument"_s);
        row("Access, imported", u"access"_s, u"import"_s, u"imported.mdb"_s);
        row("Access, save cancelled", u"access"_s, u"import"_s);
        // A name taken is refused and asked for again; the first free one is proposed.
        row("Access, onto a league", u"access"_s, u"import"_s,
            u"chosen name (imported).mdb|n.mdb"_s);
        row("Access, File > Open, Yes", u"access"_s, u"open"_s, u"league copy.mdb"_s);
        row("Access, File > Open, No", u"access"_s, u"open"_s, u"No"_s);
        row("Access, argument, Yes", u"access"_s, u"argument"_s, u"copy.mdb"_s);
    }

    void chosenFileIsChecked()
    {
        auto [kind, way, save, stored] =
            fetch<QString, QString, QString, bool>("kind", "way", "save", "stored");
        const QString chosen = file(u"chosen name.mdb"_s);
        const bool access = kind == u"access"_s;
        if (access)
            REQUIRE_JET_SAMPLE(TestSupport::jetSample(u"nwind.mdb"_s));
        if (kind == u"link"_s)
            QVERIFY(writeLeague(u"league.mdb"_s) && QFile::link(file(u"league.mdb"_s), chosen));
        else if (kind == u"text"_s)
            QVERIFY(TestSupport::writeFile(chosen, "a note\n"));
        else if (kind == u"league"_s)
            QVERIFY(writeLeague(u"chosen name.mdb"_s));
        else if (access)
            QVERIFY(QFile::copy(TestSupport::jetSample(u"nwind.mdb"_s), chosen));
        writeSetting(u"Settings"_s, u"mdb"_s, u"/old.mdb"_s);
        writeSetting(u"Settings"_s, u"Convert"_s, u"/c/K.exe"_s);
        Shown main; // loading restores the old choice
        QCOMPARE(main.converterPath(), u"/c/K.exe"_s);
        if (way != u"argument"_s)
            Prompts::setNextFileName(kind == u"cancel"_s ? QString() : chosen);
        if (access && way != u"import"_s)
            Prompts::setNextAnswer(save == u"No"_s ? QMessageBox::No : QMessageBox::Yes);
        const QStringList saves = save.split(u'|'); // a league first, then the name kept
        if (saves.size() > 1)
            QVERIFY(writeLeague(saves[0]));
        for (const QString& name : saves)
            if (access && save != u"No"_s)
                Prompts::setNextFileName(name.isEmpty() ? QString() : file(name));
        if (way == u"argument"_s) {
            openLeagueWhenLoaded(&main, chosen);
            QCOMPARE(main.leaguePath(), u"/old.mdb"_s); // queued behind the loading
            QCoreApplication::processEvents();
        } else {
            main.action(way == u"open"_s ? u"mnuOpen"_s : u"mnuImportAccess"_s)->trigger();
        }

        const QString expected = stored ? chosen : u"/old.mdb"_s;
        QCOMPARE(main.leaguePath(), expected);
        QCOMPARE(QSettings().value(u"Settings/mdb"_s).toString(), expected); // the file, no cache
        const QStringList said = TestSupport::messages();
        if (access) {
            QCOMPARE(said.value(0).contains(u"Microsoft Access"_s), way != u"import"_s);
            QStringList saveDialogs; // where each starts
            for (const Prompts::Shown& shown : Prompts::shown()) {
                if (shown.text == u"Save Imported League As"_s)
                    saveDialogs << shown.startPath;
            }
            const bool offered = save != u"No"_s, written = offered && !save.isEmpty();
            const QString proposed = saves.size() > 1 ? u"chosen name (imported 2).mdb"_s
                                                      : u"chosen name (imported).mdb"_s;
            QCOMPARE(saveDialogs,
                     offered ? QStringList(saves.size(), file(proposed)) : QStringList());
            QStringList files =
                QStringList{u"chosen name.mdb"_s} + (written ? saves : QStringList());
            files.sort();
            QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
            if (written) {
                QCOMPARE(said.join(u'\n').contains(u"already exists"_s), saves.size() > 1);
                QVERIFY(said.last().contains(u"lacks these league tables: Conference"_s));
                QVERIFY(main.commandResultText().startsWith(u"Imported 9 tables (4,032 rows)"_s));
            }
            return;
        }
        QCOMPARE(said.size(), kind == u"text"_s ? 1 : 0);
        if (said.isEmpty())
            return;
        QVERIFY2(said[0].startsWith(u"Error:1003 "_s), qPrintable(said[0]));
        QVERIFY(Prompts::finishTest().isEmpty());
        // A command on it says the same, though its grid never shows; every
        // message box centres on the main window.
        main.setLeaguePath(chosen);
        main.action(u"mnuConference"_s)->trigger();
        QCOMPARE(TestSupport::messages(), said);
        Prompts::message(nullptr, u"no parent"_s);
        for (const Prompts::Shown& box : Prompts::shown())
            QCOMPARE(box.owner, &main);
    }

    void statusBarFollowsTheLeagueTheGridsAndTheLastCommand()
    {
        const QString league = storedLeague(1200);
        Shown main;
        QCOMPARE(main.leagueStatusText(), QDir::toNativeSeparators(league));

        main.action(u"mnuPlayerTable"_s)->trigger();
        auto* players = qobject_cast<TableWindow*>(main.mdiArea()->currentSubWindow()->widget());
        QCOMPARE(main.gridStatusText(), u"1,200 rows"_s);
        for (const QString& filter : {u"PlayerID <= 40"_s, u"PlayerID > 3"_s}) {
            Prompts::setNextInput(filter);
            players->filter();
        }
        players->headerClicked(TestSupport::cell(players, 0, u"LastName"_s).column());
        QCOMPARE(main.gridStatusText(),
                 QStringLiteral("37 of 1,200 rows  |  Filter: (PlayerID <= 40) And (PlayerID > 3)  "
                                "|  Sort: [LastName]"));

        // Rows deleted elsewhere show after Refresh, in both counts.
        QCOMPARE(TestSupport::executeOn(league, u"DELETE FROM PlayerTable WHERE PlayerID <= 10"_s),
                 QString());
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
        Prompts::setNextFileName(file(u"out.csv"_s));
        players->commands()->exportView();
        QCOMPARE(Prompts::shown().last().startPath, file(u"PlayerTable.csv"_s));
        QCOMPARE(main.commandResultText(),
                 u"Exported 30 rows to "_s + QDir::toNativeSeparators(file(u"out.csv"_s)));
        main.mdiArea()->closeAllSubWindows();
        QCOMPARE(main.gridStatusText(), QString());
    }

    void globalEditFitsASmallMainWindowBesideAMaximizedGrid()
    {
        QVERIFY(!storedLeague().isEmpty());
        writeSetting(u"MainWindow"_s, u"Geometry"_s, u"0,0,480,360"_s); // smaller than the dialog
        Shown main;
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
        // Its Preview window opens inside the main window too; however it is
        // closed, maximized, the dialog comes back in front of the grid.
        QApplication::setActiveWindow(&main);
        for (const QString& way : {u"Close"_s, u"Esc"_s, u"Ctrl+F4"_s}) {
            QTest::mouseClick(edit->findChild<QAbstractButton*>(u"cmdPreview"_s), Qt::LeftButton);
            QPointer<QMdiSubWindow> preview = main.findChild<QMdiSubWindow*>(u"frmPreviewWindow"_s);
            QVERIFY(area->viewport()->rect().contains(preview->geometry()));
            preview->showMaximized();
            QWidget* focus = preview->widget()->focusWidget();
            if (way == u"Close"_s)
                preview->findChild<QAbstractButton*>(u"cmdClose"_s)->click();
            else
                QTest::keySequence(focus ? focus : preview->widget(), QKeySequence(way));
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

    // The windows the program adds: help shows in its viewer, which closes
    // with the main window; the Window menu lists and switches the others;
    // Esc closes each and does what Cancel does in the dialogs.
    void programWindowsAreListedSwitchedAndClosed()
    {
        QVERIFY(!storedLeague(120).isEmpty());
        Shown main;
        const auto esc = [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); };
        HelpViewer* help = HelpViewer::of(&main);
        const auto helpShown = [help] { return help->window() && help->window()->isVisible(); };
        main.action(u"mnuContents"_s)->trigger();
        QCOMPARE(help->lastRequest(), 0);
        QVERIFY(helpShown() && help->window()->toPlainText().contains(u"Contents"_s));
        QTextBrowser* shownFirst = help->window();
        showHelpTopic(main.mdiArea(), helpTopic::GlobalEdit); // one viewer for every window
        QCOMPARE(help->lastRequest(), 320);
        QCOMPARE(help->window(), shownFirst);
        QVERIFY(help->window()->toPlainText().contains(u"Global Edit"_s));
        help->setProgramFolder(m_dir->path()); // a folder without the help file
        showHelpTopic(&main, helpTopic::PlayerSettings);
        QVERIFY(help->window()->toPlainText().contains(u"was not found"_s));
        QVERIFY(Prompts::shown().isEmpty()); // the viewer says it, no message box
        QApplication::setActiveWindow(help->window());
        esc(help->window());
        QVERIFY(!helpShown());
        QApplication::setActiveWindow(&main); // for the shortcuts

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

        for (const QString& item : {u"mnuConference"_s, u"mnuTeam"_s, u"mnuGlobalEdit"_s})
            main.action(item)->trigger();
        QCOMPARE(listed(), (QStringList{u"&1 Conference"_s, u"&2 Team"_s,
                                        u"* &3 Yardmark 99 - Global Edit"_s}));
        QMdiArea* area = main.mdiArea();
        const auto current = [area] { return area->currentSubWindow()->widget()->windowTitle(); };
        main.action(u"mnuWindow1"_s)->trigger();
        QCOMPARE(current(), u"Conference"_s);
        auto* conference = qobject_cast<TableWindow*>(area->currentSubWindow()->widget());
        QCOMPARE(QApplication::focusWidget(), conference->gridView()); // its keys work at once
        QTest::keyClick(area->currentSubWindow()->widget(), Qt::Key_F6, Qt::ControlModifier);
        QCOMPARE(current(), u"Team"_s);
        QTest::keyClick(area->currentSubWindow()->widget(), Qt::Key_F6,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(current(), u"Conference"_s);
        QVERIFY(main.action(u"mnuTile"_s)->isEnabled());
        main.action(u"mnuCascade"_s)->trigger();

        // Every window a user reaches from the menu: each control carries its
        // name and speaks an accessible name to a screen reader.
        main.action(u"mnuAll"_s)->trigger();
        main.action(u"mnuGlobalEdit"_s)->trigger();
        QTest::mouseClick(main.findChild<QAbstractButton*>(u"cmdPreview"_s), Qt::LeftButton);
        main.findChild<QAction*>(u"mnuPlayerCard"_s)->trigger();
        QCOMPARE(main.mdiArea()->subWindowList().size(), 10); // All opens no Team Page
        main.action(u"mnuTeamPage"_s)->trigger();
        main.findChild<QAbstractButton*>(u"cmdCompare"_s)->click();
        QCOMPARE(main.mdiArea()->subWindowList().size(), 12);
        QStringList problems = unnamedControls(&main);

        // Each window's controls have access keys of their own; the player
        // grid's strip keeps the captions it was designed with.
        QStringList clashes;
        for (QMdiSubWindow* sub : main.mdiArea()->subWindowList())
            accessKeys(sub->widget(), &clashes);
        auto* grid = qobject_cast<TableWindow*>(main.mdiArea()->subWindowList().first()->widget());
        grid->commands()->action(u"mnuFind"_s)->trigger();
        accessKeys(grid->commands()->findDialog(), &clashes);
        // The menus' items too; File's two C items are the program's own.
        QList<QMenu*> menus = main.menuBar()->findChildren<QMenu*>();
        menus << main.findChildren<QMenu*>(u"mnuGridContext"_s);
        for (const QMenu* menu : std::as_const(menus))
            accessKeys(menu, &clashes);
        accessKeys(main.menuBar(), &clashes);
        QCOMPARE(clashes, (QStringList{u"frmDataGridPlayers: &Sort &Settings"_s,
                                       u"mnuFile: &Convert &Clear Database"_s}));
        // Every position box and the Teams box has a key, unless each
        // letter of its caption is another control's.
        const QWidget* form = main.findChild<QWidget*>(u"frmGlobal"_s);
        const QList<QChar> used = accessKeys(form).keys();
        for (const QWidget* w : form->findChildren<QWidget*>()) {
            const QString caption = w->property("text").toString();
            if (w->objectName().startsWith(u"chkPosition_"_s) || w->objectName() == u"Label5"_s)
                QVERIFY2(caption.contains(u'&') ||
                             std::all_of(caption.begin(), caption.end(),
                                         [&](QChar c) { return used.contains(c.toLower()); }),
                         qPrintable(caption));
        }
        problems << unnamedControls(grid->commands()->findDialog());

        main.action(u"mnuAbout"_s)->trigger();
        problems << unnamedControls(main.showAbout());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        // The rating boxes, positions, grid strips, the player card's values and buttons.
        QVERIFY(m_checked > 48 + 15 + 7 * 4 + 20 + 5);
        main.findChild<QMdiSubWindow*>(u"frmPreviewWindow"_s)->close();
        QApplication::setActiveWindow(&main);

        // Esc does what Cancel does in the dialogs, and closes the windows
        // the program added; a Global Edit put away is not a window to switch to.
        auto* edit = main.findChild<QMdiSubWindow*>(u"frmGlobalWindow"_s);
        edit->findChild<QAbstractButton*>(u"chkPosition_0"_s)->setChecked(true);
        edit->findChild<QAbstractButton*>(u"cmdOK"_s)->click(); // a backup to restore
        QTRY_VERIFY(!edit->findChild<QLabel*>(u"lblApplied"_s)->text().isEmpty());
        area->setActiveSubWindow(edit);
        esc(edit->widget()->focusWidget());
        QVERIFY(!edit->isVisible() && !listed().join(u' ').contains(u"Global Edit"_s));
        main.action(u"mnuRestoreBackup"_s)->trigger();
        QPointer<QMdiSubWindow> restore = area->currentSubWindow();
        QCOMPARE(restore->objectName(), u"frmRestoreBackupWindow"_s);
        esc(restore->widget()->focusWidget());
        QTRY_VERIFY(!restore);
        auto* teams = qobject_cast<TableWindow*>(area->subWindowList()[1]->widget());
        teams->commands()->find();
        esc(teams->commands()->findDialog()->focusWidget());
        QVERIFY(!teams->commands()->findDialog()->isVisible());
        // Ctrl+F4 is the Window menu's, never only a platform's, and closes the front window.
        QCOMPARE(main.action(u"mnuCloseWindow"_s)->shortcut(), QKeySequence(u"Ctrl+F4"_s));
        QApplication::setActiveWindow(&main);
        QPointer<QMdiSubWindow> front = area->currentSubWindow();
        QTest::keySequence(front->widget(), QKeySequence(u"Ctrl+F4"_s));
        QTRY_VERIFY(!front);
        main.action(u"mnuCloseAll"_s)->trigger();
        QCOMPARE(listed(), QStringList());
        QVERIFY(!main.action(u"mnuConference"_s)->isChecked());
        // The Global Edit put away before Close All comes back when asked for.
        main.action(u"mnuGlobalEdit"_s)->trigger();
        QCOMPARE(area->currentSubWindow(), main.findChild<QMdiSubWindow*>(u"frmGlobalWindow"_s));
        QVERIFY(area->currentSubWindow()->isVisible());
        main.action(u"mnuContents"_s)->trigger();
        QVERIFY(main.close());
        QTRY_VERIFY(!helpShown());
    }

    // The place of each table's window, kept in the settings file.
    void tableWindowsOpenWhereTheyWere()
    {
        QVERIFY(!storedLeague().isEmpty());
        writeSetting(u"MainWindow"_s, u"Geometry"_s, u"0,0,1000,760"_s);
        writeSetting(WindowPlace::settingsSection(), u"Team"_s, u"not,a,place"_s);
        {
            Shown main;
            QMdiArea* area = main.mdiArea();
            main.action(u"mnuConference"_s)->trigger();
            area->currentSubWindow()->setGeometry(40, 30, 420, 260);
            // The first time: as large as the columns need, within the area.
            for (const char* item : {"mnuTeam", "mnuPlayerTable"}) {
                main.action(QLatin1String(item))->trigger();
                QMdiSubWindow* sub = area->currentSubWindow();
                QVERIFY(area->viewport()->rect().contains(sub->geometry()));
                GridView* grid = qobject_cast<TableWindow*>(sub->widget())->gridView();
                QCoreApplication::processEvents();
                const bool allColumns = grid->horizontalScrollBar()->maximum() == 0;
                QVERIFY2(allColumns || sub->width() == area->viewport()->width(), item);
            }
            QVERIFY(area->currentSubWindow()->width() > 640); // the player table's 80 columns
            area->currentSubWindow()->showMaximized();
            QVERIFY(main.close());
        }
        QCOMPARE(readSetting(u"WindowGeometry"_s, u"Conference"_s), u"40,30,420,260,False"_s);
        QVERIFY(readSetting(u"WindowGeometry"_s, u"PlayerTable"_s).endsWith(u",True"_s));
        Shown main;
        main.action(u"mnuConference"_s)->trigger();
        QCOMPARE(main.mdiArea()->currentSubWindow()->geometry(), QRect(40, 30, 420, 260));
        main.action(u"mnuPlayerTable"_s)->trigger();
        QVERIFY(main.mdiArea()->currentSubWindow()->isMaximized());
        // Any place is fitted into the area at a usable size: the strip and three rows.
        writeSetting(u"WindowGeometry"_s, u"Roster"_s, u"0,0,1,1,True"_s);
        writeSetting(u"WindowGeometry"_s, u"Schedule"_s, u"-100000,-100000,5,5,False"_s);
        for (const char* item : {"mnuRoster", "mnuSchedule"}) {
            main.action(QLatin1String(item))->trigger();
            QMdiSubWindow* sub = main.mdiArea()->currentSubWindow();
            QCOMPARE(sub->isMaximized(), qstrcmp(item, "mnuRoster") == 0);
            sub->showNormal();
            auto* grid = qobject_cast<TableWindow*>(sub->widget());
            QVERIFY(main.mdiArea()->viewport()->rect().contains(sub->geometry()));
            QVERIFY(grid->button(u"cmdClose"_s)->geometry().right() < grid->width());
            QVERIFY(grid->gridView()->viewport()->height() >=
                    3 * grid->gridView()->verticalHeader()->defaultSectionSize());
        }
    }

    // File lists the last four leagues above Exit; each opens as File > Open would.
    void recentLeaguesAreListedAboveExit()
    {
        QStringList leagues;
        for (int season = 1; season <= 5; ++season) {
            const QString name = u"Season %1/AccessConvert.mdb"_s.arg(season);
            QVERIFY(QDir(m_dir->path()).mkpath(u"Season %1"_s.arg(season)) && writeLeague(name));
            leagues << file(name);
        }
        writeSetting(u"Settings"_s, u"mdb"_s, leagues[1]); // the league in use at start
        Shown main;
        QCOMPARE(Prompts::startFolder(main.mdiArea()), file(u"Season 2"_s));
        for (const QString& league : leagues.mid(2)) {
            Prompts::setNextFileName(league);
            main.action(u"mnuOpen"_s)->trigger();
        }
        // The dialog starts beside the league opened last.
        QCOMPARE(Prompts::shown().last().startPath, file(u"Season 4"_s));
        const auto stored = [] {
            QStringList keys;
            for (int i = 1; i <= 4; ++i)
                keys << readSetting(u"RecentLeagues"_s, u"League%1"_s.arg(i));
            return keys;
        };
        QCOMPARE(stored(), (QStringList{leagues[4], leagues[3], leagues[2], leagues[1]}));
        QStringList items; // File's last seven
        for (QAction* a : main.findChild<QMenu*>(u"mnuFile"_s)->actions()) {
            if (a->isVisible())
                items << (a->isSeparator() ? u"-"_s : a->text());
        }
        const QString sep = QDir::separator();
        const auto shown = [&](int n, int season) {
            return u"&%1 \u2026%2Season %3%2AccessConvert.mdb"_s.arg(n).arg(sep).arg(season);
        };
        QCOMPARE(items.mid(items.size() - 7),
                 (QStringList{u"-"_s, shown(1, 5), shown(2, 4), shown(3, 3), shown(4, 2), u"-"_s,
                              u"&Exit"_s}));

        // A command's result stays until the next menu command starts.
        main.showCommandResult(u"Global edit: 13,402 players changed"_s);
        QCOMPARE(main.commandResultText(), u"Global edit: 13,402 players changed"_s);
        QVERIFY(main.statusBar()->sizeHint().height() <
                3 * main.fontMetrics().height()); // one line
        // A longer one, in a narrow window with a grid's row count beside it,
        // is never cut: it fits its share of the bar or wraps.
        const QString longer =
            u"Global edit: 114 players changed in QB (team All), SP 110%, within 0\u201399"_s;
        main.resize(800, 600);
        main.statusBar()->findChild<QLabel*>(u"lblGridStatus"_s)->setText(u"2,000 rows"_s);
        main.statusBar()->findChild<QLabel*>(u"lblGridStatus"_s)->show();
        main.showCommandResult(longer);
        main.statusBar()->layout()->activate();
        const auto* result = main.statusBar()->findChild<QLabel*>(u"lblCommandResult"_s);
        QVERIFY(result->wordWrap() ||
                result->width() >= result->fontMetrics().horizontalAdvance(longer));
        main.action(u"mnuConference"_s)->trigger();
        QCOMPARE(main.commandResultText(), QString());
        Prompts::setNextAnswer(QMessageBox::Yes); // close the Conference window of the one before
        main.action(u"mnuRecentLeague3"_s)->trigger();
        QCOMPARE(main.leagueStatusText(), QDir::toNativeSeparators(leagues[2]));
        QCOMPARE(main.leaguePath(), leagues[2]);
        QCOMPARE(stored(), (QStringList{leagues[2], leagues[4], leagues[3], leagues[1]}));
        // A league that is gone is refused as File > Open refuses it, and leaves the list.
        QVERIFY(QFile::remove(leagues[1]));
        main.action(u"mnuRecentLeague4"_s)->trigger();
        QVERIFY(TestSupport::messages().last().startsWith(u"Error:53 "_s));
        QCOMPARE(main.leaguePath(), leagues[2]);
        QCOMPARE(stored(), (QStringList{leagues[2], leagues[4], leagues[3], QString()}));
        QVERIFY(!main.action(u"mnuRecentLeague4"_s)->isVisible());
        // One that no longer opens stays; one that is a folder now leaves.
        QVERIFY(QFile::remove(leagues[4]) && TestSupport::writeFile(leagues[4], "a note\n"));
        QVERIFY(QFile::remove(leagues[3]) && QDir().mkdir(leagues[3]));
        main.action(u"mnuRecentLeague2"_s)->trigger();
        QVERIFY(TestSupport::messages().last().startsWith(u"Error:1003 "_s));
        QCOMPARE(stored(), (QStringList{leagues[2], leagues[4], QString(), QString()}));

        // Only as much of a path as tells the leagues apart.
        QCOMPARE(
            RecentLeagues::captions({u"/a/x/L.mdb"_s, u"/b/x/L.mdb"_s, u"/b/y/Other & Co.mdb"_s}),
            (QStringList{u"&1 %1a%1x%1L.mdb"_s.arg(sep), u"&2 %1b%1x%1L.mdb"_s.arg(sep),
                         u"&3 \u2026%1y%1Other && Co.mdb"_s.arg(sep)}));
    }

    // The import's progress window shows once the import has run a moment;
    // Cancel, Escape and the close box ask it to stop, and the window stays,
    // saying so, until the import has ended.
    void importProgressStaysUntilTheImportStops()
    {
        Shown main;
        ImportProgressWindow progress(&main, u"/a/b.mdb"_s);
        std::atomic<bool> release = false;
        QTimer::singleShot(500, &progress, [&] {
            const std::shared_ptr<void> done(nullptr, [&](void*) { release = true; });
            const auto part = [&](const char* name) {
                const auto* w = progress.findChild<QWidget*>(QString::fromLatin1(name));
                return QRect(w->mapTo(&progress, QPoint()), w->size());
            };
            QVERIFY(progress.isVisible() && progress.isModal());
            QVERIFY(part("lblSource").bottom() < part("lblTable").top() &&
                    part("lblTable").bottom() < part("ProgressBar1").top() &&
                    part("ProgressBar1").bottom() < part("cmdCancel").top());
            progress.findChild<QPushButton*>(u"cmdCancel"_s)->click();
            QTest::keyClick(&progress, Qt::Key_Escape);
            QVERIFY(!progress.close());
            QVERIFY(progress.isVisible());
            QCOMPARE(progress.findChild<QLabel*>(u"lblTable"_s)->text(), u"Cancelling\u2026"_s);
        });
        const db::Error e = progress.run([&](const ImportProgressWindow::Report& report) {
            while (!release) // the window is looked at meanwhile
                QThread::msleep(5);
            return report({}) ? db::Error{} : db::Error{db::Cancelled, {}};
        });
        QCOMPARE(e.number, db::Cancelled);
    }

    // A maximized window stays maximized and keeps its normal place.
    void windowGeometryIsRemembered_data()
    {
        columns<QString, bool, QRect>("saved", "maximized", "place");
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QRect first(0, 0, screen.width() * 3 / 4, screen.height() * 3 / 4);
        first.moveCenter(screen.center());
        QTest::newRow("first start") << QString() << false << first;
        QTest::newRow("restored") << u"100,80,500,400"_s << false << QRect(100, 80, 500, 400);
        QTest::newRow("not numbers") << u"x,80,500,400"_s << false << first;
        QTest::newRow("maximized") << u"100,80,500,400"_s << true << QRect();
        // Fitted to the screen (an empty place: anywhere on it): title bar
        // on screen, at least 320 x 240.
        const auto [w, h] = std::pair(screen.width(), screen.height());
        QTest::newRow("off every screen")
            << u"%1,%2,500,400"_s.arg(w + 500).arg(h) << false << first;
        QTest::newRow("above the top") << u"100,0,500,400"_s << false << QRect();
        QTest::newRow("larger") << u"-50,0,%1,%2"_s.arg(2 * w).arg(2 * h) << false << QRect();
        QTest::newRow("over the corner")
            << u"%1,%2,400,300"_s.arg(w - 200).arg(h - 150) << false << QRect();
        QTest::newRow("too small") << u"10,10,5,5"_s << false << QRect();
    }

    void windowGeometryIsRemembered()
    {
        auto [saved, maximized, place] = fetch<QString, bool, QRect>("saved", "maximized", "place");
        writeSetting(u"MainWindow"_s, u"Geometry"_s, saved);
        writeSetting(u"MainWindow"_s, u"Maximized"_s, maximized ? u"True"_s : u"False"_s);
        Shown main;
        QCOMPARE(main.isMaximized(), maximized);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(main.frameGeometry()) && main.width() >= 320 &&
                main.height() >= 240);
        if (!maximized) {
            QCOMPARE(main.geometry(), place.isEmpty() ? main.geometry() : place);
            main.setGeometry(120, 90, 440, 330);
        }
        QVERIFY(main.close());
        QCOMPARE(readSetting(u"MainWindow"_s, u"Geometry"_s),
                 maximized ? saved : u"120,90,440,330"_s);
        QCOMPARE(readBoolSetting(u"MainWindow"_s, u"Maximized"_s, !maximized), maximized);
    }

    void runScriptChoosesTheDemoLeagueOnlyWhenNoneIsChosen_data()
    {
        // stored: null: no league stored
        columns<QString, QString, QString>("stored", "demo", "expected");
        const QString demo = u"/home/u/Yardmark99-demo/AccessConvert.mdb"_s;
        QTest::newRow("no settings yet") << QString() << demo << demo;
        QTest::newRow("a league chosen") << "/mine.mdb" << demo << "/mine.mdb";
        QTest::newRow("an empty choice") << "" << demo << demo;
        const QString odd = u"/a b\\c/x,y \"q\" ;=\u00fc.mdb"_s;
        QTest::newRow("commas, quotes, backslashes") << QString() << odd << odd;
    }

    void runScriptChoosesTheDemoLeagueOnlyWhenNoneIsChosen()
    {
        auto [stored, demo] = fetch<QString, QString>("stored", "demo");
        writeSetting(u"PlayerTable"_s, u"Height"_s, u"True"_s);
        writeSetting(u"Settings"_s, u"Convert"_s, u"/c/K.exe"_s);
        if (!stored.isNull())
            writeSetting(u"Settings"_s, u"mdb"_s, stored);
        QProcess script;
        script.start(QStringLiteral(SCRIPTS "/store-league-choice.sh"),
                     {QSettings().fileName(), demo});
        QVERIFY(script.waitForFinished());
        QCOMPARE(script.exitCode(), 0);
        QTEST(readSetting(u"Settings"_s, u"mdb"_s), "expected");
        QCOMPARE(readSetting(u"Settings"_s, u"Convert"_s), u"/c/K.exe"_s);
        QCOMPARE(readSetting(u"PlayerTable"_s, u"Height"_s), u"True"_s);
    }

    // Both timers due at once: the second ends the splash inside the first
    // one's message pass.
    void splashHandsOverToTheMainWindow()
    {
        for (const auto& [show, end] : {std::pair{40, 200}, std::pair{30, 30}}) {
            SplashWindow::setIntervals(show, end);
            QPointer<MainWindow> main;
            int created = 0;
            QPointer<SplashWindow> splash = new SplashWindow([&]() -> QWidget* {
                if (!main && ++created)
                    main = new MainWindow;
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
        }
        SplashWindow::setIntervals(1000, 3000);
    }

    // The real program without a display: these must print and end before
    // any window or display is needed. A league named (exit code -1: it runs
    // on, offscreen) is stored as its absolute path, so a start from
    // elsewhere opens the same file.
    void commandLine_data()
    {
        // output: or the league stored
        columns<QStringList, int, QString>("arguments", "exitCode", "output");
        const QString version = u"Yardmark99 "_s + QLatin1String(version::Text) + u'\n';
        const auto row = [](const char* name, const QStringList& arguments, int exitCode,
                            const QString& output) {
            QTest::newRow(name) << arguments << exitCode << output;
        };
        row("version", {u"--version"_s}, 0, version);
        row("Qt's own options are Qt's",
            {u"-platform"_s, u"xcb"_s, u"-style=Fusion"_s, u"--version"_s}, 0, version);
        row("unknown option", {u"-style"_s, u"Fusion"_s, u"--bogus"_s}, 2,
            u"Unknown option 'bogus'."_s);
        row("a league named like an option", {u"-foo.mdb"_s}, 2, u"Unknown option 'foo.mdb'."_s);
        row("two leagues", {u"a.mdb"_s, u"b.mdb"_s}, 2, u"give at most one league file"_s);
        row("a relative league", {u"AccessConvert.mdb"_s}, -1, u"AccessConvert.mdb"_s);
        row("a league after --", {u"--"_s, u"-x.mdb"_s}, -1, u"-x.mdb"_s);
        // The batch import; %1 is a temporary folder.
        const QString nwind = TestSupport::jetSample(u"nwind.mdb"_s);
        const QString import = u"--import-access"_s;
        row("imports", {import, nwind, u"%1/n.mdb"_s}, 0, u"Imported 9 tables (4,032 rows)"_s);
        row("import of a missing source", {import, u"%1/none.mdb"_s, u"%1/n.mdb"_s}, 1,
            u"Error:53 "_s);
        row("import onto a folder", {import, nwind, u"%1"_s}, 1, u"is a folder"_s);
        row("import onto a file", {import, nwind, u"%1/n.mdb"_s}, 1, u"already exists"_s);
        row("import without a target", {import, nwind}, 2, u"usage:"_s);
    }

    void commandLine()
    {
        auto [arguments, exitCode, output] =
            fetch<QStringList, int, QString>("arguments", "exitCode", "output");
        for (QString& argument : arguments)
            argument.replace(u"%1"_s, m_dir->path());
        if (arguments.value(1) == TestSupport::jetSample(u"nwind.mdb"_s) && exitCode != 2)
            REQUIRE_JET_SAMPLE(arguments[1]);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (exitCode < 0) {
            QVERIFY(writeLeague(output));
            environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        }
        const bool taken = output == u"already exists"_s; // never replaced
        if (taken)
            QVERIFY(TestSupport::writeFile(file(u"n.mdb"_s), "kept"));
        environment.insert(u"XDG_CONFIG_HOME"_s, file(u"home"_s));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(m_dir->path());
        program.start(QStringLiteral(PROGRAM), arguments);
        if (exitCode < 0) {
            const QString ini = file(u"home/Yardmark99/Yardmark99.ini"_s);
            const auto stored = [&] {
                return QSettings(ini, QSettings::IniFormat).value(u"Settings/mdb"_s).toString();
            };
            QTRY_VERIFY_WITH_TIMEOUT(!stored().isEmpty(), 20000);
            program.kill();
            program.waitForFinished();
            QCOMPARE(stored(), file(output));
            return;
        }
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        if (arguments.value(0) == u"--import-access"_s)
            QCOMPARE(QFileInfo::exists(file(u"n.mdb"_s)), exitCode == 0 || taken);
        if (taken)
            QCOMPARE(TestSupport::fileBytes(file(u"n.mdb"_s)), QByteArray("kept"));
        QCOMPARE(program.exitCode(), exitCode);
        const QString printed = QString::fromUtf8(exitCode == 0 ? program.readAllStandardOutput()
                                                                : program.readAllStandardError());
        if (output.endsWith(u'\n'))
            QCOMPARE(printed, output);
        else
            QVERIFY2(printed.contains(output), qPrintable(printed));
    }

    // A signal during the batch import takes its hidden temporary file with
    // it. SIGKILL cannot be caught: the next import into the folder removes
    // what it left, but not a temporary file that a live import holds.
    void importEndsCleanlyOnSignal_data()
    {
        QTest::addColumn<int>("signal");
        for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGKILL})
            QTest::addRow("%s", strsignal(signal)) << signal;
    }

    void importEndsCleanlyOnSignal()
    {
        QFETCH(int, signal);
        const QString nwind = TestSupport::jetSample(u"nwind.mdb"_s);
        REQUIRE_JET_SAMPLE(nwind);
        QFile held(file(u".other.mdb.import-Abc123"_s));
        QVERIFY(held.open(QIODevice::ReadWrite) && held.write("SQLite format 3\0", 16) == 16 &&
                held.flush() && held.seek(0) && ::lockf(held.handle(), F_TLOCK, 1) == 0);
        const auto hidden = [&] {
            return QDir(m_dir->path()).entryList({u".*"_s}, QDir::Files | QDir::Hidden);
        };
        QProcess program;
        program.start(QStringLiteral(PROGRAM), {u"--import-access"_s, nwind, file(u"n.mdb"_s)});
        QElapsedTimer waited;
        for (waited.start(); hidden().size() < 2 && waited.elapsed() < 20000;)
            QThread::usleep(100);
        // Stopped while it writes, then the signal, which ends it as it goes on.
        ::kill(pid_t(program.processId()), SIGSTOP);
        QCOMPARE(hidden().size(), 2);
        ::kill(pid_t(program.processId()), signal);
        ::kill(pid_t(program.processId()), SIGCONT);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        QVERIFY2(hidden().size() == (signal == SIGKILL ? 2 : 1), qPrintable(hidden().join(u' ')));
        program.start(QStringLiteral(PROGRAM), {u"--import-access"_s, nwind, file(u"m.mdb"_s)});
        QVERIFY(program.waitForFinished(20000) && program.exitCode() == 0);
        QCOMPARE(hidden(), QStringList{held.fileName().section(u'/', -1)});
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
