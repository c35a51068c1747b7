#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class LeagueSession;
class QMdiArea;
class QMdiSubWindow;
struct RowChange;

// Edit > Undo, Edit > Redo and File > Restore Backup: the commands that move
// the session's league through its history and its backups. The grids on
// the league show each result; the Restore Backup window is one at a time.
class HistoryCommands : public QObject
{
    Q_OBJECT
public:
    HistoryCommands(LeagueSession* session, QMdiArea* area);

    void undo();
    void redo();
    void restoreBackup();
    // A window wrote this change: a step of the history when the window
    // works on the league, else the status bar says it is not one.
    void recordRowChange(const RowChange& change);

signals:
    // A command's outcome, for the status bar.
    void finished(const QString& text);

private:
    // Undo (back) or Redo of the step the menu names, after open windows
    // settled their edited rows; the grids on the league show the result.
    void step(bool back);
    // Every open grid window on league reads its rows again, keeping its
    // filter, sort and current row.
    void refreshGrids(const QString& league);
    // Restores the backup over the league after the open grid windows
    // settled their edited rows; they then show the restored league.
    bool restoreLeague(const QString& league, const QString& backup, const QString& command);

    LeagueSession* m_session;
    QMdiArea* m_area;
    QPointer<QMdiSubWindow> m_restoreWindow;
};
