#pragma once

#include <QMainWindow>
#include <optional>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QUndoStack;
class LeagueHistory;
struct RowChange;
struct TableCommand;

// The main window: a multiple-document parent whose menu bar is the way
// into every command of the program.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    QMdiArea* mdiArea() const { return m_area; }

    // The league file every command works on, restored from the settings
    // store when the window first shows; empty until File > Open chose one.
    QString leaguePath() const { return m_leaguePath; }
    // Makes path the league the commands work on from now on, without
    // checking or storing it (openLeague does both).
    void setLeaguePath(const QString& path);
    // The league converter File > Convert starts; empty until chosen.
    QString converterPath() const { return m_converterPath; }
    void setConverterPath(const QString& path) { m_converterPath = path; }
    QAction* action(const QString& objectName) const;
    // The leagues any window holds: the league path and each open grid's
    // (grids keep the league they opened on). No command writes a file the
    // user names over one of them.
    QStringList heldLeagues() const;

    // A command's outcome in the status bar; it stays until the next menu
    // command starts.
    void showCommandResult(const QString& text);
    // The status bar's texts: the command result, the current grid window's
    // rows, filter and sort, and the league file.
    QString commandResultText() const;
    QString gridStatusText() const;
    QString leagueStatusText() const;

    // Where a window saved at saved (client area) goes now: the same place,
    // moved and shrunk into the screen under its middle; an empty rectangle
    // when no screen is under it.
    static QRect fitToScreens(const QRect& saved);

    // File > Clear Database and File > Convert (Maintenance.cpp).
    void clearDatabase();
    void convert();

    // Table > All: every Table command, in menu order.
    void openAllTables();

    void chooseLeague();
    // Checks that path opens as a league and, if it does, makes it the
    // league path and stores it at once. Otherwise shows the error a command would show
    // and keeps the previous choice. Returns whether the path was stored.
    bool openLeague(const QString& path);
    // File > Import Access Database...: asks for the Access file, then for
    // the new league file, and imports one into the other (AccessImport.cpp).
    void importAccess();
    // Asks where to save the import of the Access database at source, copies
    // it there, and makes the new file the league when it has the seven
    // tables. Returns whether it became the league.
    bool importAccessDatabase(const QString& source);
    void exitProgram();
    void globalEdit();
    // Edit > Undo, Edit > Redo and File > Restore Backup (BackupCommands.cpp).
    void undo();
    void redo();
    void restoreBackup();
    // The undo history of the league path: every change the program writes
    // to it is one step (see LeagueHistory). A window that writes a change
    // itself records it here; grids do it through recordRowChange.
    LeagueHistory* history() const { return m_history; }
    QUndoStack* undoStack() const;
    // A window wrote this change: a step of the history when the window
    // works on the league path, else the status bar says it is not one.
    void recordRowChange(const RowChange& change);
    void openHelp();
    void showAbout();

    // Window menu (WindowMenu.cpp): arranges, closes and switches the child
    // windows, and lists them with the current one checked.
    void updateWindowMenu();
    // Recent leagues (RecentLeagues.cpp): File's numbered list above Exit,
    // newest first, kept in the settings section "RecentLeagues".
    QStringList recentLeagues() const;
    void openRecentLeague(int index);
    // The list's captions: each file with as many of its folders as tell it
    // apart from the others (at least the one holding it), numbered.
    static QStringList recentLeagueCaptions(const QStringList& paths);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    void unload();
    void runConverter();
    // For an Access file: asks whether to import it, and does (AccessImport.cpp);
    // whether the import became the league. Nothing for other files.
    std::optional<bool> offerAccessImport(const QString& path);
    void updateUndoItems();
    // Undo (back) or Redo of the step the menu names, after open windows
    // settled their edited rows; the grids on the league show the result.
    void stepHistory(bool back);
    // Every open grid window on league reads its rows again, keeping its
    // filter, sort and current row.
    void refreshGrids(const QString& league);
    // Restores the backup over the league after the open grid windows
    // settled their edited rows; they then show the restored league.
    bool restoreLeague(const QString& league, const QString& backup, const QString& command,
                       std::optional<quint32> unchangedSince = {});
    void buildMenus();
    void buildStatusBar();
    void showLeaguePath();
    void followCurrentSubWindow();
    void showGridStatus();
    void restoreWindowGeometry();
    void saveWindowGeometry();
    QMenu* addMenu(const QString& name, const QString& caption);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     bool checkable = false);
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     void (MainWindow::*handler)());
    void addSeparator(QMenu* menu, const QString& name);
    void openTable(const TableCommand& command);
    void buildWindowMenu();
    void activateChild(QMdiSubWindow* window);
    void buildRecentLeagues();
    void rememberRecentLeague(const QString& path);
    void saveRecentLeagues(const QStringList& paths);
    void updateRecentLeagueItems();

    QString m_leaguePath;
    QString m_converterPath;
    LeagueHistory* m_history = nullptr;
    QMdiArea* m_area = nullptr;
    QLabel* m_gridStatus = nullptr;
    QLabel* m_commandResult = nullptr;
    QLabel* m_league = nullptr;
    QMetaObject::Connection m_gridStatusConnection;
    bool m_loaded = false;
    QMenu* m_windowMenu = nullptr;
    QList<QAction*> m_windowListItems;
    QList<QAction*> m_recentLeagueItems;
};
