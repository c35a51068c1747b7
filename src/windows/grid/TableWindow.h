#pragma once

#include "core/db/Error.h"
#include "ui/EditingWindow.h"
#include "windows/grid/ColumnWidths.h"
#include "windows/grid/RecordSetModel.h"

#include <QList>
#include <QSize>
#include <QWidget>
#include <functional>
#include <memory>

namespace db {
class RecordSet;
}

class TableConnection;
class GridCommands;
class GridMeanings;
class SharedMeanings;
class GridView;
class QMdiArea;
class QPushButton;

// What sets one grid window apart from another. The table grid window uses
// the defaults; a twin window (the player grid) passes its own.
struct GridOptions {
    // Empty: one column per field of the record set, rebuilt with it.
    // Otherwise these columns, by index; the load fails with a message naming
    // the first bound field the table lacks.
    QList<ColumnDef> fixedColumns;
    bool allowAddNew = true; // the new-row line under the last row
    bool allowDelete = true; // Delete removes the rows selected by their record selectors
    bool allowUpdate = true;
    // The window's first client size at 96 DPI; it grows with the DPI.
    QSize firstClientSize{510, 306};
};

// The table grid window: a button strip (Refresh, Sort, Filter, Close) over a
// grid of the rows its TableConnection holds. Sort and Filter open a new
// record set from the current one, so their effects add up; Refresh
// requeries it. Edits are written only after "Commit changes?", deletes only
// after "Delete Current Row?", and no path (leaving the row, Sort, Filter,
// Refresh, closing, File > Exit) drops an edited row without asking.
//
// A twin window derives from this class: it passes its GridOptions to the
// protected constructor, adds buttons with addStripButton, runs its own
// first load step in beforeBind() and its own closing step in windowClosing().
// Everything else (the load with its error handling, Sort,
// Filter, Refresh, the header click, the questions) it inherits.
class TableWindow : public QWidget, public EditingWindow
{
    Q_OBJECT
public:
    // A window over tableOrQuery (a table name or a query) of the league at
    // databasePath; nothing is read before the load. shared is its area's.
    TableWindow(SharedMeanings* shared, const QString& databasePath, const QString& tableOrQuery,
                QWidget* parent = nullptr);
    ~TableWindow() override;

    // Runs the load; if it succeeds shows the window as the active child
    // window of area and returns true. If it fails the error has been shown
    // and window is deleted without ever appearing. Takes ownership.
    static bool bindAndShow(QMdiArea* area, TableWindow* window);

    TableConnection* connection() const { return m_connection; }
    // The league file the window was bound to when it loaded.
    QString leaguePath() const;
    GridView* gridView() const { return m_grid; }
    RecordSetModel* model() const { return m_model; }
    QPushButton* button(const QString& objectName) const;

    // The load: opens the connection on the league and table (or query) the window
    // was created with, refreshes it and sets the caption. Returns false after
    // showing the error.
    bool bindData();
    void refresh();
    void sort();
    void filter();
    void closeWindow();
    // A click on a column's header sorts by it; with Shift (or Ctrl, or Alt)
    // held, descending.
    void headerClicked(int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The questions the model asks before it writes a row or deletes rows.
    bool approveWrite();
    bool approveDelete();
    void deleteSelectedRows();

    // What the status bar says of this window: "2,000 rows", or "37 of 2,000
    // rows" under a filter, then the filter and the sort in force.
    QString statusText() const;

    // The context menu's commands that replace the rows (GridCommands). Each
    // asks about an edited row first, as Sort and Filter do.
    void sortByColumn(int column, bool descending);
    void filterByValue(const QModelIndex& cell);
    void removeFilterAndSort();
    GridCommands* commands() const { return m_commands; }

    // The leagues any window holds, which no command of this window may
    // write over: the main window's league and every grid's. Without a
    // source set, this window's own league.
    using LeagueList = std::function<QStringList()>;
    void setHeldLeagues(LeagueList heldLeagues) { m_heldLeagues = std::move(heldLeagues); }
    QStringList heldLeagues() const;

    // EditingWindow: asks about an edited, unwritten row and writes or drops
    // it. False when the wanted write failed and the row is still in edit,
    // so File > Exit keeps the program running.
    bool resolvePendingEdit() override;

    // The caption for a table or query: itself up to 50 characters, longer
    // texts (in practice query texts) "SQL Statement".
    static QString captionFor(const QString& tableOrQuery);

    // The design client size, in pixels of this screen.
    QSize sizeHint() const override;
    // The button strip and three rows: the least a remembered place is given.
    QSize smallestUsableSize() const;

signals:
    // statusText() changed: rows were replaced, re-read, added or deleted.
    void statusChanged();
    // The window has closed, for whatever reason; it is deleted soon after.
    void closed();
    // An edit, an added row or a delete reached the file.
    void rowsWritten(const RowChange& change);
    // A command of the window finished with this outcome, for the main
    // window's status bar ("Exported 2,000 rows to ..."), or an edit's note
    // ("Founded: 45.5 was stored as 46 ...").
    void commandFinished(const QString& result);

protected:
    TableWindow(const GridOptions& options, SharedMeanings* shared, const QString& databasePath,
                const QString& tableOrQuery, QWidget* parent);

    // Adds a button to the strip, right of those before it, and into the
    // tab order after them.
    QPushButton* addStripButton(const QString& name, const QString& caption);

    // The load's first step, before the data is bound and outside its error
    // handling. The table grid window has none.
    virtual void beforeBind() {}
    // Runs when the window closes for any reason; emits closed().
    virtual void windowClosing();

    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectGrid();
    // Resolves a pending edit before the rows are replaced or the window
    // goes: true when nothing is pending any more.
    bool leaveEditedRow();
    void currentRowChanged(const QModelIndex& current, const QModelIndex& previous);
    void showEditRefusal();
    // Shows a failed write or delete; for a row another program changed,
    // offers Refresh.
    void reportWriteError(const db::Error& e);
    void rebindModel();
    void replaceRows(const QString& expression, bool sort);
    using Opener = std::function<db::Error(const db::RecordSet&, std::unique_ptr<db::RecordSet>*)>;
    void replaceRowsWith(const Opener& open);

    GridOptions m_options;
    TableConnection* m_connection;
    RecordSetModel* m_model;
    GridView* m_grid;
    QWidget* m_strip;
    QList<QPushButton*> m_buttons;
    QString m_sortText; // the sort a header click hands to Sort
    bool m_returningToEditedRow = false;
    GridCommands* m_commands = nullptr;
    GridMeanings* m_meanings = nullptr;
    ColumnWidths m_widths;
    LeagueList m_heldLeagues;
};
