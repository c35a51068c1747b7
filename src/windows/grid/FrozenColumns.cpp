#include "windows/grid/FrozenColumns.h"

#include "windows/grid/GridView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <utility>

FrozenColumns::FrozenColumns(GridView* grid, const QList<int>& columns)
    : QTableView(grid), m_grid(grid), m_gridCells(grid->viewport()), m_columns(columns)
{
    setModel(grid->model());
    setSelectionModel(grid->selectionModel());
    setFocusPolicy(Qt::NoFocus);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAutoScroll(false);
    // A line round it marks where the frozen columns end; it lies over the
    // grid's own lines, so the cells stay where the grid has them.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(grid->verticalScrollMode());
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(grid->verticalHeader()->defaultSectionSize());
    horizontalHeader()->setDefaultAlignment(grid->horizontalHeader()->defaultAlignment());
    horizontalHeader()->setHighlightSections(false);
    hide();

    // The grid leads; this view only ever takes the grid's position.
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &FrozenColumns::followGrid);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &FrozenColumns::followGrid);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &FrozenColumns::followGrid);
    connect(grid->verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int row, int, int size) { verticalHeader()->resizeSection(row, size); });
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        syncColumn(column);
        place();
    });
    connect(grid->horizontalHeader(), &QHeaderView::sortIndicatorChanged, horizontalHeader(),
            &QHeaderView::setSortIndicator);
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, &FrozenColumns::place);
    connect(grid->horizontalScrollBar(), &QScrollBar::rangeChanged, this, &FrozenColumns::place);
    connect(grid->model(), &QAbstractItemModel::modelReset, this, &FrozenColumns::syncColumns);
    // After the grid's own handler, which scrolls the cell into its view.
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &FrozenColumns::uncover);
    for (QWidget* surface : {m_gridCells, viewport(), horizontalHeader()->viewport()})
        surface->installEventFilter(this);
    syncColumns();
}

void FrozenColumns::syncColumns()
{
    for (int c = 0; c < model()->columnCount(); ++c)
        syncColumn(c);
    place();
}

void FrozenColumns::syncColumn(int column)
{
    const bool shown = m_columns.contains(column) && !m_grid->isColumnHidden(column);
    setColumnHidden(column, !shown);
    if (shown)
        setColumnWidth(column, m_grid->columnWidth(column));
}

// Shown only while one of the columns is scrolled out to the left, so at
// rest the grid shows its columns as they stand.
void FrozenColumns::place()
{
    int width = 0;
    bool scrolledOut = false;
    for (int c : std::as_const(m_columns)) {
        if (c >= model()->columnCount() || m_grid->isColumnHidden(c))
            continue;
        width += m_grid->columnWidth(c);
        scrolledOut = scrolledOut || m_grid->columnViewportPosition(c) < 0;
    }
    const bool show = width > 0 && scrolledOut;
    if (show) {
        const QRect cells = m_grid->viewport()->geometry();
        const int top = m_grid->horizontalHeader()->geometry().top();
        horizontalHeader()->setFixedHeight(m_grid->horizontalHeader()->height());
        horizontalHeader()->setSortIndicatorShown(
            m_grid->horizontalHeader()->isSortIndicatorShown());
        const int line = frameWidth();
        setGeometry(cells.left() - line, top - line, std::min(width, cells.width()) + 2 * line,
                    cells.bottom() - top + 1 + 2 * line);
    }
    setVisible(show);
    followGrid();
}

// Arrow keys, Find and the like may leave the grid's current cell under this
// view, where its editor would be hidden too: the grid scrolls left until the
// cell is clear of it, or until the columns are back in place and it goes.
void FrozenColumns::uncover(const QModelIndex& current)
{
    QScrollBar* bar = m_grid->horizontalScrollBar();
    while (current.isValid() && !isHidden() && bar->value() > 0) {
        const int covered = geometry().right() - m_gridCells->geometry().left();
        const int left = m_grid->visualRect(current).left();
        if (left > covered)
            return;
        const bool perPixel = m_grid->horizontalScrollMode() == QAbstractItemView::ScrollPerPixel;
        bar->setValue(bar->value() - (perPixel ? covered - left + 1 : 1));
    }
}

void FrozenColumns::followGrid()
{
    verticalScrollBar()->setValue(m_grid->verticalScrollBar()->value());
}

bool FrozenColumns::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_gridCells) {
        if (event->type() == QEvent::Resize)
            place();
        return false;
    }
    if (watched != viewport() && watched != horizontalHeader()->viewport())
        return QTableView::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::ContextMenu:
    case QEvent::Wheel:
        return forward(static_cast<QWidget*>(watched), event);
    default:
        return QTableView::eventFilter(watched, event);
    }
}

// Hands a mouse event to the grid at the same cell or header section, with
// the grid scrolled back to its left edge so that the cell is in view there.
bool FrozenColumns::forward(QWidget* from, QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        QApplication::sendEvent(m_grid->viewport(), event);
        return true;
    }
    if (event->type() == QEvent::MouseMove)
        return true; // no drag selection here
    const bool onHeader = from == horizontalHeader()->viewport();
    const QPoint at = event->type() == QEvent::ContextMenu
                          ? static_cast<QContextMenuEvent*>(event)->pos()
                          : static_cast<QMouseEvent*>(event)->position().toPoint();
    const int column = onHeader ? horizontalHeader()->logicalIndexAt(at) : columnAt(at.x());
    const int row = onHeader ? 0 : rowAt(at.y());
    if (column < 0 || row < 0)
        return true;
    if (event->type() != QEvent::MouseButtonRelease)
        m_grid->horizontalScrollBar()->setValue(0);
    QWidget* to = onHeader ? m_grid->horizontalHeader()->viewport() : m_grid->viewport();
    const QPoint there(
        at.x() - columnViewportPosition(column) + m_grid->columnViewportPosition(column),
        onHeader ? at.y() : at.y() - rowViewportPosition(row) + m_grid->rowViewportPosition(row));
    if (event->type() == QEvent::ContextMenu) {
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        QContextMenuEvent copy(menu->reason(), there, to->mapToGlobal(there), menu->modifiers());
        QApplication::sendEvent(to, &copy);
    } else {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        QMouseEvent copy(mouse->type(), there, to->mapToGlobal(there), mouse->button(),
                         mouse->buttons(), mouse->modifiers());
        QApplication::sendEvent(to, &copy);
    }
    return true;
}
