#pragma once

#include "core/db/Error.h"
#include "windows/grid/FindDialog.h"

#include <QModelIndex>
#include <QObject>
#include <QPointer>
#include <functional>

namespace db {
class RecordSet;
}
class GridMeanings;
class GridView;
class SharedMeanings;
class TableConnection;
class QAction;
class QMenu;
class RecordSetModel;

// The grid window's context menu, opened by a right-click on a cell or a
// column header: sort by the column, filter by the cell's value, remove the
// filter and sort, copy the selected cells, find, and export the view as
// CSV, and Show Codes. Copy (Ctrl+C) and Find (Ctrl+F) also work from the keyboard. The
// header shows a sort indicator while the rows are sorted by one column.
//
// The commands that replace the rows are requests the window carries out
// (it asks about an edited row first); the rest work on the grid directly.
class GridCommands : public QObject
{
    Q_OBJECT
public:
    // What the commands work on: the window's grid, model, connection and
    // meanings, and what its area's windows share.
    struct Grid {
        QWidget* window;
        GridView* view;
        RecordSetModel* model;
        TableConnection* connection;
        GridMeanings* meanings;
        SharedMeanings* shared;
        // Writes or drops an edited row; false when it is still in edit.
        std::function<bool()> resolvePendingEdit;
        // The leagues an export must not write over.
        std::function<QStringList()> heldLeagues;
    };
    explicit GridCommands(Grid grid);

    QMenu* menu() const { return m_menu; }
    QAction* action(const QString& objectName) const;
    FindDialog* findDialog() const { return m_find; }

    // The menu's commands; the column and cell are those the menu opened on.
    void sortAscending();
    void sortDescending();
    void filterByThisValue();
    void removeFilterAndSort();
    void copy();
    void find();
    void exportView();
    // Show Codes: every window between stored values and their meanings.
    void toggleShowCodes();

    // The selected cells as tab-separated text, rows by lines, visible
    // columns in the order shown.
    QString selectionText() const;

    // Shows the menu for the cell (or, with an invalid cell, the header
    // column) at a point of the grid's viewport.
    void popupFor(int column, const QModelIndex& cell, QPoint globalPosition);

signals:
    void sortRequested(int column, bool descending);
    void filterByValueRequested(const QModelIndex& cell);
    void removeFilterAndSortRequested();
    // An export finished with this outcome, for the status bar.
    void commandFinished(const QString& result);

private:
    QAction* addCommand(const char* name, const QString& caption, void (GridCommands::*handler)());
    void findNext(bool backward);
    void updateSortIndicator();
    QList<int> visibleColumns() const;
    // Export View as CSV's file, asked for and checked; empty: none.
    QString chooseExportFile(const QString& table) const;
    // Writes the rows in the columns shown, with a progress window for many.
    db::Error writeExport(db::RecordSet& rs, const QString& path, bool* changed);

    Grid m_grid;
    QMenu* m_menu;
    QList<QAction*> m_actions;
    QPointer<FindDialog> m_find;
    int m_column = -1;
    QPersistentModelIndex m_cell;
};
