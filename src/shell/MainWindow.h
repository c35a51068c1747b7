#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class AboutDialog;
class HistoryCommands;
class LeagueHistory;
class LeagueCommands;
class LeagueSession;
struct OpenWindows;
struct PlayerWindows;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
struct TableCommand;

// The main window: a multiple-document parent whose menu bar is the way
// into every command of the program. It keeps the menus, the status bar,
// its geometry and the set of windows; the league it works on is the
// session's, and the commands on it are the command objects'.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    QMdiArea* mdiArea() const { return m_area; }
    // The league, the converter and the undo history, restored from the
    // settings store when the window first shows.
    LeagueSession* session() const { return m_session; }
    QAction* action(const QString& objectName) const;

    // The session's, for start-up and tests: the league path (empty until
    // File > Open chose one) set without checking or storing it, the
    // converter, the undo history.
    QString leaguePath() const;
    void setLeaguePath(const QString& path);
    QString converterPath() const;
    void setConverterPath(const QString& path);
    LeagueHistory* history() const;
    // File > Open of path without the file dialog (the command line's league).
    bool openLeague(const QString& path);

    // A command's outcome in the status bar; it stays until the next menu
    // command starts.
    void showCommandResult(const QString& text);
    // The status bar's texts: the command result, the current grid window's
    // rows, filter and sort, and the league file.
    QString commandResultText() const;
    QString gridStatusText() const;
    QString leagueStatusText() const;

    // The player windows there is only ever one of, which this window owns.
    PlayerWindows& playerWindows() const;

    // Help > About: the one About window, loaded if needed and shown.
    AboutDialog* showAbout();

    // Where a window saved at saved (client area) with this frame around it
    // goes now: the same place, moved and shrunk so the frame, title bar
    // included, is inside the screen under its middle, and no smaller than
    // 320 x 240; an empty rectangle when no screen is under it.
    static QRect fitToScreens(const QRect& saved, const QMargins& frame = {});
    // The recent leagues' captions: each file with as many of its folders as
    // tell it apart from the others (at least the one holding it), numbered.
    static QStringList recentLeagueCaptions(const QStringList& paths);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    void unload();
    void exitProgram();
    void globalEdit();
    void openHelp();
    // Table > All: every Table command, in menu order.
    void openAllTables();
    void openTable(const TableCommand& command);
    // Table > Team Page…: the one Team Page, on the league.
    void openTeamPage();
    // The league at path changed or is another: views that are no grid follow.
    void followLeague(const QString& path);
    void updateUndoItems();
    void buildMenus();
    void buildStatusBar();
    void leagueChanged(const QString& path);
    void followCurrentSubWindow();
    void showGridStatus();
    void restoreWindowGeometry();
    QMargins frameMargins() const;
    void keepTitleBarOnScreen();
    void saveWindowGeometry();
    QMenu* addMenu(const QString& name, const QString& caption);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     bool checkable = false);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     const std::function<void()>& handler);
    void addSeparator(QMenu* menu, const QString& name);

    // Window menu (WindowMenu.cpp): arranges, closes and switches the child
    // windows, and lists them with the current one checked.
    void buildWindowMenu();
    void updateWindowMenu();
    void activateChild(QMdiSubWindow* window);
    // Recent leagues (RecentLeagues.cpp): File's numbered list above Exit,
    // newest first, kept in the settings section "RecentLeagues".
    void buildRecentLeagues();
    QStringList recentLeagues() const;
    void openRecentLeague(int index);
    void rememberRecentLeague(const QString& path);
    void saveRecentLeagues(const QStringList& paths);
    void updateRecentLeagueItems();

    LeagueSession* m_session;
    QMdiArea* m_area;
    LeagueCommands* m_leagueCommands;
    HistoryCommands* m_historyCommands;
    QPointer<AboutDialog> m_about;
    std::unique_ptr<OpenWindows> m_open;
    QLabel* m_gridStatus = nullptr;
    QLabel* m_commandResult = nullptr;
    QLabel* m_league = nullptr;
    QMetaObject::Connection m_gridStatusConnection;
    bool m_loaded = false;
    QMenu* m_windowMenu = nullptr;
    QList<QAction*> m_windowListItems;
    QList<QAction*> m_recentLeagueItems;
};
