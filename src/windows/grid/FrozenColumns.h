#pragma once

#include <QList>
#include <QTableView>

class GridView;

// Keeps some columns of a grid in view while the grid is scrolled right: a
// second view over the same model and selection, laid over the left edge of
// the grid's cells while those columns are scrolled out, and hidden
// otherwise. It follows the grid's vertical scrolling, row heights, column
// widths, hidden columns, sort indicator and model resets.
//
// It only shows. A click, double-click or right-click on it scrolls the grid
// back to its left edge and goes to the grid at the same cell or header, so
// selection, editing, the grid's questions and its menu work as there; the
// wheel scrolls the grid. It never takes the focus.
class FrozenColumns : public QTableView
{
    Q_OBJECT
public:
    FrozenColumns(GridView* grid, const QList<int>& columns);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void syncColumns();
    void syncColumn(int column);
    void place();
    void followGrid();
    void uncover(const QModelIndex& current);
    bool forward(QWidget* from, QEvent* event);

    GridView* m_grid;
    QWidget* m_gridCells; // the grid's viewport: compared only, as it may go first
    QList<int> m_columns;
};
