#pragma once

#include <QPointer>
#include <QTableView>

class QStyledItemDelegate;

// The grid: a table view with record selectors (row headers), one-line
// column headers, arrow keys that stop at the edges instead of wrapping, Tab
// that leaves the grid, and scroll bars only when needed. It reports the
// notifications the window handles: header clicks by column with the
// modifier keys held, and a request to delete the rows selected by their
// record selectors. Shift+F10 asks for the context menu at the current cell,
// as the Menu key does.
class GridView : public QTableView
{
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    // Hands an open cell editor's text to the model and closes it, so a
    // typed but not yet entered value is part of the pending row.
    void finishEditing();
    // Rows selected whole (by their record selectors), ascending.
    QList<int> selectedWholeRows() const;
    // The cell's text as the grid shows it (numbers without separators, as
    // a filter takes them), on one line, cut to at most limit characters.
    QString oneLineText(const QModelIndex& cell, int limit) const;
    // Room for every column at its width and for rows rows, with the
    // headers, the frame and both scroll bars.
    QSize sizeShowing(int rows) const;

signals:
    void headerClicked(int column, Qt::KeyboardModifiers modifiers);
    void deleteRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class EditorTracker;
    EditorTracker* m_delegate;
};
