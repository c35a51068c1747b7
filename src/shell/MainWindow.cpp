#include "shell/MainWindow.h"

#include "history/LeagueHistory.h"
#include "shell/AboutDialog.h"
#include "shell/HistoryCommands.h"
#include "shell/LeagueCommands.h"
#include "shell/LeagueSession.h"
#include "shell/RecentLeagues.h"
#include "shell/StatusPanels.h"
#include "shell/WindowMenu.h"
#include "shell/WindowPlacement.h"
#include "ui/EditingWindow.h"
#include "ui/HelpViewer.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "windows/compare/ComparePlayersWindow.h"
#include "windows/globaledit/GlobalEditCommand.h"
#include "windows/grid/TableCommands.h"
#include "windows/grid/TableConnection.h"
#include "windows/grid/TableWindow.h"
#include "windows/players/PlayerCard.h"
#include "windows/players/PlayerCommands.h"
#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"
#include "windows/teampage/TeamPage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>
#include <algorithm>

// Each window the program shows one at a time is held here, not in a
// static of its own: a new main window (each test's) starts with none.
struct OpenWindows {
    PlayerWindows players;
    GlobalEditWindows globalEdit;
    QPointer<QMdiSubWindow> teamPage;
};

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), m_session(new LeagueSession(this)), m_area(new QMdiArea(this)),
      m_leagueCommands(new LeagueCommands(m_session, m_area)),
      m_historyCommands(new HistoryCommands(m_session, m_area)),
      m_open(std::make_unique<OpenWindows>())
{
    setObjectName(QStringLiteral("MDIMain"));
    setWindowTitle(QStringLiteral("Yardmark '99"));
    m_area->setObjectName(QStringLiteral("mdiArea"));
    m_area->setAccessibleName(QStringLiteral("Documents"));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    connect(m_leagueCommands, &LeagueCommands::finished, this, &MainWindow::showCommandResult);
    connect(m_historyCommands, &HistoryCommands::finished, this, &MainWindow::showCommandResult);
    connect(m_session, &LeagueSession::leagueChanged, this, &MainWindow::leagueChanged);
    buildMenus();
    m_windowMenu = new WindowMenu(menuBar(), action(QStringLiteral("mnuHelpAction")), m_area);
    m_recentLeagues =
        new RecentLeagues(findChild<QMenu*>(QStringLiteral("mnuFile")),
                          action(QStringLiteral("mnuExit")), [this](const QString& path) {
                              showCommandResult({});
                              return openLeague(path);
                          });
    m_leagueCommands->setRecentLeagues(m_recentLeagues);
    m_status = new StatusPanels(statusBar(), m_area);
    leagueChanged({});

    placement::restore(this);
}

MainWindow::~MainWindow()
{
    // File > Exit ends with the child windows open; as they go they must not
    // call back into a main window that is already half destroyed.
    m_area->disconnect(this);
    m_area->disconnect(m_windowMenu);
    m_status->detach();
    delete m_about; // a window of its own, not a child
}

// The Table menu: each table, its menu caption and item, and the kind of
// window that shows it.
struct TableCommand {
    enum Kind { TableGrid, PlayerGrid };
    const char* table;
    const char* caption;
    const char* item;
    Kind kind;
};

namespace {
constexpr TableCommand TableCommands[] = {
    {"Conference", "&Conference", "mnuConference", TableCommand::TableGrid},
    {"FreeAgents", "&Free Agents", "mnuFreeAgents", TableCommand::TableGrid},
    {"League", "&League", "mnuLeague", TableCommand::TableGrid},
    {"PlayerTable", "&PlayerTable", "mnuPlayerTable", TableCommand::PlayerGrid},
    {"Roster", "&Roster", "mnuRoster", TableCommand::TableGrid},
    {"Schedule", "&Schedule", "mnuSchedule", TableCommand::TableGrid},
    {"Team", "&Team", "mnuTeam", TableCommand::TableGrid},
};
} // namespace

QAction* MainWindow::action(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

QMenu* MainWindow::addMenu(const QString& name, const QString& caption)
{
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name + QStringLiteral("Action"));
    return menu;
}

QAction* MainWindow::addItem(QMenu* menu, const QString& name, const QString& caption,
                             const std::function<void()>& handler)
{
    QAction* item = addItem(menu, name, caption);
    connect(item, &QAction::triggered, this, handler);
    return item;
}

QAction* MainWindow::addItem(QMenu* menu, const QString& name, const QString& caption,
                             bool checkable)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    if (checkable) {
        // The check mark records an open window, and only the commands and
        // the windows change it: undo the toggle a click makes before the
        // command looks at the mark.
        item->setCheckable(true);
        connect(item, &QAction::triggered, item,
                [item](bool checked) { item->setChecked(!checked); });
    }
    // The last command's result goes as the next one starts.
    connect(item, &QAction::triggered, this, [this] { showCommandResult({}); });
    return item;
}

void MainWindow::addSeparator(QMenu* menu, const QString& name)
{
    menu->addSeparator()->setObjectName(name);
}

void MainWindow::buildMenus()
{
    QMenu* file = addMenu(QStringLiteral("mnuFile"), QStringLiteral("&File"));
    LeagueCommands* league = m_leagueCommands;
    HistoryCommands* history = m_historyCommands;
    addItem(file, QStringLiteral("mnuOpen"), QStringLiteral("&Open"),
            [league] { league->choose(); });
    addItem(file, QStringLiteral("mnuImportAccess"),
            QStringLiteral("&Import Access Database\u2026"), [league] { league->importAccess(); });
    addItem(file, QStringLiteral("mnuWriteBackAccess"),
            QStringLiteral("&Write Back to Access Database\u2026"),
            [league] { league->writeBackAccess(); });
    addSeparator(file, QStringLiteral("mnuSpace"));
    addItem(file, QStringLiteral("mnuConvert"), QStringLiteral("&Convert"),
            [league] { league->convert(); });
    addItem(file, QStringLiteral("ClearDatabase"), QStringLiteral("&Clear Database"),
            [league] { league->clearDatabase(); });
    addItem(file, QStringLiteral("mnuRestoreBackup"), QStringLiteral("&Restore Backup\u2026"),
            [history] { history->restoreBackup(); });
    addSeparator(file, QStringLiteral("Space3"));
    addItem(file, QStringLiteral("mnuExit"), QStringLiteral("&Exit"), [this] { exitProgram(); });

    QMenu* edit = addMenu(QStringLiteral("mnuEdit"), QStringLiteral("&Edit"));
    addItem(edit, QStringLiteral("mnuGlobalEdit"), QStringLiteral("&Global Edit"),
            [this] { globalEdit(); });
    // The Undo item keeps the name it had when it took back only a global edit.
    addItem(edit, QStringLiteral("mnuUndoGlobalEdit"), QStringLiteral("&Undo"), [history] {
        history->undo();
    })->setShortcut(QKeySequence::Undo);
    addItem(edit, QStringLiteral("mnuRedo"), QStringLiteral("&Redo"),
            [history] { history->redo(); })
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    followUndoStack();

    QMenu* view = addMenu(QStringLiteral("mnuView"), QStringLiteral("&Table"));
    addItem(view, QStringLiteral("mnuAll"), QStringLiteral("&All"), [this] { openAllTables(); });
    addSeparator(view, QStringLiteral("mnuSpace2"));
    for (const TableCommand& t : TableCommands) {
        QAction* item =
            addItem(view, QString::fromLatin1(t.item), QString::fromLatin1(t.caption), true);
        connect(item, &QAction::triggered, this, [this, &t] { openTable(t); });
    }
    // A view of the league, not a table: Table > All does not open it.
    addSeparator(view, QStringLiteral("mnuSpace4"));
    addItem(view, QStringLiteral("mnuTeamPage"), QStringLiteral("Tea&m Page\u2026"),
            [this] { openTeamPage(); });
    connect(m_session->history(), &LeagueHistory::changed, this,
            [this] { followLeague(m_session->leaguePath()); });

    QMenu* help = addMenu(QStringLiteral("mnuHelp"), QStringLiteral("&Help"));
    addItem(help, QStringLiteral("mnuContents"), QStringLiteral("&Contents"),
            [this] { openHelp(); });
    addSeparator(help, QStringLiteral("space1"));
    addItem(help, QStringLiteral("mnuAbout"), QStringLiteral("&About"), [this] { showAbout(); });
}

void MainWindow::showCommandResult(const QString& text)
{
    m_status->showCommandResult(text);
}

QString MainWindow::commandResultText() const
{
    return m_status->commandResultText();
}

QString MainWindow::gridStatusText() const
{
    return m_status->gridStatusText();
}

QString MainWindow::leagueStatusText() const
{
    return m_status->leagueStatusText();
}

QString MainWindow::leaguePath() const
{
    return m_session->leaguePath();
}

void MainWindow::setLeaguePath(const QString& path)
{
    m_session->setLeaguePath(path);
}

QString MainWindow::converterPath() const
{
    return m_session->converterPath();
}

void MainWindow::setConverterPath(const QString& path)
{
    m_session->setConverterPath(path);
}

LeagueHistory* MainWindow::history() const
{
    return m_session->history();
}

bool MainWindow::openLeague(const QString& path)
{
    return m_leagueCommands->open(path);
}

void MainWindow::leagueChanged(const QString& path)
{
    m_status->showLeague(path);
    // The file dialogs start beside the league.
    Prompts::setStartFolder(this, path.isEmpty() ? QString() : QFileInfo(path).absolutePath());
    // A loaded global edit dialog lists the league's teams from now on.
    globalEditLeagueChanged(m_open->globalEdit, path);
    followLeague(path);
}

void MainWindow::followLeague(const QString& path)
{
    // The Team Page and Compare Players show the league as it now is.
    if (m_open->teamPage)
        qobject_cast<TeamPage*>(m_open->teamPage->widget())->useLeague(path);
    if (QMdiSubWindow* compare = m_open->players.compare)
        qobject_cast<ComparePlayersWindow*>(compare->widget())->useLeague(path);
}

void MainWindow::openTeamPage()
{
    TeamPage* page = TeamPage::showPage(m_open->teamPage, m_area, leaguePath(), m_open->players);
    if (!page)
        return;
    // The card's saves, once it walks the page, become steps of the history.
    disconnect(page, &TeamPage::playerCardShown, this, nullptr);
    connect(page, &TeamPage::playerCardShown, this, [this](PlayerCard* card) {
        connect(card, &PlayerCard::rowsWritten, m_historyCommands,
                &HistoryCommands::recordRowChange);
    });
}

void MainWindow::showEvent(QShowEvent* event)
{
    if (!m_sessionRestored) {
        m_sessionRestored = true;
        restoreSession();
    }
    QMainWindow::showEvent(event);
    // Framed, the real title bar must be on screen too; a window manager
    // may frame the window only after it shows.
    placement::keepTitleBarOnScreen(this);
    QTimer::singleShot(0, this, [this] { placement::keepTitleBarOnScreen(this); });
}

void MainWindow::restoreSession()
{
    m_session->restore();
    // The league in use from the start is a recent one as much as one opened.
    if (QFileInfo(leaguePath()).isFile())
        m_recentLeagues->remember(leaguePath());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Children unload first (each asks about its own pending edit), then
    // help. A child whose edit could not be written stays open, and so do we.
    m_area->closeAllSubWindows();
    const QList<QMdiSubWindow*> left = m_area->subWindowList();
    if (std::any_of(left.begin(), left.end(), [](QMdiSubWindow* w) { return w->isVisible(); })) {
        event->ignore();
        return;
    }
    placement::save(this);
    quitHelp(this);
    event->accept();
}

void MainWindow::exitProgram()
{
    // Ends at once: no window's unload runs. Only an edited, unwritten row
    // is asked about first, so it is never lost silently; if writing it
    // failed, the program stays so the user can try again.
    if (!settlePendingEdits(m_area))
        return;
    placement::save(this);
    QApplication::exit(0);
}

void MainWindow::openTable(const TableCommand& command)
{
    QAction* item = action(QString::fromLatin1(command.item));
    // The check mark says the table's window is open; a table grid is not
    // brought forward, the single player grid is.
    if (command.kind == TableCommand::TableGrid && item->isChecked())
        return;
    TableWindow* window =
        command.kind == TableCommand::TableGrid
            ? openTableWindow(m_area, leaguePath(), QString::fromLatin1(command.table))
            : openPlayerWindow(m_open->players, m_area, leaguePath());
    // A window that failed to load has shown its error; the item stays
    // unchecked so the command can be tried again.
    if (!window)
        return;
    window->setHeldLeagues([this] { return m_leagueCommands->heldLeagues(); });
    item->setChecked(true);
    connect(window, &TableWindow::rowsWritten, m_historyCommands, &HistoryCommands::recordRowChange,
            Qt::UniqueConnection);
    disconnect(window, &TableWindow::closed, item, nullptr);
    connect(window, &TableWindow::closed, item, [item] { item->setChecked(false); });
    disconnect(window, &TableWindow::commandFinished, this, nullptr);
    connect(window, &TableWindow::commandFinished, this, &MainWindow::showCommandResult);
}

void MainWindow::followUndoStack()
{
    // "&Undo Change of SP for Jo Walker": the step's name is no access key.
    const auto follow = [](QAction* item, const QString& verb) {
        return [item, verb](const QString& step) {
            QString text = u'&' + verb;
            if (!step.isEmpty())
                text += u' ' + QString(step).replace(u'&', QStringLiteral("&&"));
            item->setText(text);
        };
    };
    const QUndoStack* steps = m_session->history()->steps();
    QAction* undo = action(QStringLiteral("mnuUndoGlobalEdit"));
    QAction* redo = action(QStringLiteral("mnuRedo"));
    const auto undoText = follow(undo, QStringLiteral("Undo"));
    const auto redoText = follow(redo, QStringLiteral("Redo"));
    connect(steps, &QUndoStack::undoTextChanged, undo, undoText);
    connect(steps, &QUndoStack::redoTextChanged, redo, redoText);
    connect(steps, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(steps, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    undoText(steps->undoText());
    redoText(steps->redoText());
    undo->setEnabled(steps->canUndo());
    redo->setEnabled(steps->canRedo());
}

void MainWindow::openAllTables()
{
    for (const TableCommand& t : TableCommands)
        openTable(t);
}

void MainWindow::globalEdit()
{
    showGlobalEdit(
        m_open->globalEdit, m_area, leaguePath(),
        [this](const QString& text) { showCommandResult(text); }, m_session->undoReceiver());
}

void MainWindow::openHelp()
{
    showHelpContents(this);
}

PlayerWindows& MainWindow::playerWindows() const
{
    return m_open->players;
}

AboutDialog* MainWindow::showAbout()
{
    if (!m_about)
        m_about = new AboutDialog;
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
    return m_about;
}
