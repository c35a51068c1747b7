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
class RecentLeagues;
class StatusPanels;
struct TableCommand;
class WindowMenu;

// The main window: a multiple-document parent whose menu bar is the way
// into every command of the program. It keeps the menus, the status bar,
// its placement (WindowPlacement), the Window menu (WindowMenu), the recent
// leagues (RecentLeagues), the status bar (StatusPanels) and the set of windows; the league it
// works on is the session's, and the commands on it are the command objects'.
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

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs once, when first shown: finds the help file, opens the league in
    // use and lists it among the recent ones.
    void restoreSession();
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
    // Edit > Undo and Redo name and enable what the history's stack would take.
    void followUndoStack();
    void buildMenus();
    void leagueChanged(const QString& path);
    QMenu* addMenu(const QString& name, const QString& caption);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     bool checkable = false);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     const std::function<void()>& handler);
    void addSeparator(QMenu* menu, const QString& name);

    LeagueSession* m_session;
    QMdiArea* m_area;
    LeagueCommands* m_leagueCommands;
    HistoryCommands* m_historyCommands;
    QPointer<AboutDialog> m_about;
    std::unique_ptr<OpenWindows> m_open;
    StatusPanels* m_status = nullptr;
    bool m_sessionRestored = false;
    WindowMenu* m_windowMenu = nullptr;
    RecentLeagues* m_recentLeagues = nullptr;
};
