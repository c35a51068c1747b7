#include "windows/grid/GridCommands.h"

#include "core/db/CsvExport.h"
#include "core/db/LeagueFiles.h"
#include "core/db/RecordSet.h"
#include "core/db/RowSearch.h"
#include "ui/Hourglass.h"
#include "ui/Prompts.h"
#include "ui/WorkerProgress.h"
#include "windows/grid/FindDialog.h"
#include "windows/grid/GridMeanings.h"
#include "windows/grid/GridView.h"
#include "windows/grid/RecordSetModel.h"
#include "windows/grid/SharedMeanings.h"
#include "windows/grid/TableConnection.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QProgressDialog>
#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
// Exports of more rows than this show their progress.
constexpr int ProgressFromRows = 2000;

// A cell as a spreadsheet takes it from tab-separated text: quoted when it
// holds a tab, a line break or a quote.
QString spreadsheetCell(QString text)
{
    if (!text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('"')))
        return text;
    return u"\""_s + text.replace(u"\""_s, u"\"\""_s) + u"\""_s;
}
// "Exported 2,000 rows to /home/u/League/PlayerTable.csv"
QString exportedText(const QString& path, qint64 rows)
{
    return u"Exported %1 %2 to %3"_s.arg(QLocale(QLocale::English).toString(rows),
                                         rows == 1 ? u"row"_s : u"rows"_s,
                                         QDir::toNativeSeparators(path));
}

// The window-modal progress of an export of rows rows; *bar is its bar.
std::unique_ptr<WorkerProgressDialog> exportProgress(int rows, QWidget* window, QProgressBar** bar)
{
    auto progress = std::make_unique<WorkerProgressDialog>(u"Exporting rows\u2026"_s, u"Cancel"_s,
                                                           0, rows, window);
    progress->setObjectName(u"frmExportProgress"_s);
    progress->setWindowTitle(u"Export View as CSV"_s);
    *bar = new QProgressBar(progress.get());
    (*bar)->setRange(0, rows);
    progress->setBar(*bar);
    return progress;
}
} // namespace

GridCommands::GridCommands(Grid grid)
    : QObject(grid.window), m_grid(std::move(grid)), m_menu(new QMenu(m_grid.window))
{
    setObjectName(u"GridCommands"_s);
    m_menu->setObjectName(u"mnuGridContext"_s);
    addCommand("mnuSortAscending", u"Sort &Ascending"_s, &GridCommands::sortAscending);
    addCommand("mnuSortDescending", u"Sort &Descending"_s, &GridCommands::sortDescending);
    addCommand("mnuFilterByValue", u"&Filter by This Value"_s, &GridCommands::filterByThisValue);
    addCommand("mnuRemoveFilterAndSort", u"&Remove Filter and Sort"_s,
               &GridCommands::removeFilterAndSort);
    m_menu->addSeparator();
    addCommand("mnuCopy", u"&Copy"_s, &GridCommands::copy)->setShortcut(QKeySequence::Copy);
    addCommand("mnuFind", u"F&ind\u2026"_s, &GridCommands::find)->setShortcut(QKeySequence::Find);
    m_menu->addSeparator();
    addCommand("mnuExportCsv", u"&Export View as CSV\u2026"_s, &GridCommands::exportView);
    m_menu->addSeparator();
    // Every window shows codes or their meanings; the choice is remembered.
    QAction* codes = addCommand("mnuShowCodes", u"&Show Codes"_s, &GridCommands::toggleShowCodes);
    codes->setCheckable(true);
    codes->setChecked(m_grid.shared->showsCodes());
    connect(m_grid.shared, &SharedMeanings::showCodesChanged, codes, &QAction::setChecked);

    GridView* view = m_grid.view;
    for (QAction* a : std::as_const(m_actions)) {
        if (!a->shortcut().isEmpty()) {
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            view->addAction(a);
        }
    }
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](QPoint at) {
        const QModelIndex cell = view->indexAt(at);
        if (cell.isValid())
            popupFor(cell.column(), cell, view->viewport()->mapToGlobal(at));
    });
    QHeaderView* header = view->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QWidget::customContextMenuRequested, this, [this, header](QPoint at) {
        if (const int column = header->logicalIndexAt(at); column >= 0)
            popupFor(column, {}, header->viewport()->mapToGlobal(at));
    });
    connect(m_grid.connection, &TableConnection::recordSetReplaced, this,
            &GridCommands::updateSortIndicator);
    // After the window's own handler: a header click that did not sort
    // leaves no indicator of its own.
    connect(view, &GridView::headerClicked, this, &GridCommands::updateSortIndicator);
}

QAction* GridCommands::addCommand(const char* name, const QString& caption,
                                  void (GridCommands::*handler)())
{
    auto* a = new QAction(caption, m_menu);
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, handler);
    m_menu->addAction(a);
    m_actions << a;
    return a;
}

QAction* GridCommands::action(const QString& objectName) const
{
    for (QAction* a : m_actions) {
        if (a->objectName() == objectName)
            return a;
    }
    return nullptr;
}

void GridCommands::popupFor(int column, const QModelIndex& cell, QPoint globalPosition)
{
    m_column = column;
    m_cell = cell;
    action(u"mnuFilterByValue"_s)->setEnabled(cell.isValid());
    if (cell.isValid() && !m_grid.view->selectionModel()->isSelected(cell))
        m_grid.view->setCurrentIndex(cell);
    m_menu->popup(globalPosition);
}

void GridCommands::sortAscending()
{
    emit sortRequested(m_column, false);
}

void GridCommands::sortDescending()
{
    emit sortRequested(m_column, true);
}

void GridCommands::filterByThisValue()
{
    if (m_cell.isValid())
        emit filterByValueRequested(m_cell);
}

void GridCommands::toggleShowCodes()
{
    m_grid.shared->setShowCodes(action(u"mnuShowCodes"_s)->isChecked());
}

void GridCommands::removeFilterAndSort()
{
    emit removeFilterAndSortRequested();
}

QList<int> GridCommands::visibleColumns() const
{
    const GridView* grid = m_grid.view;
    const QHeaderView* header = grid->horizontalHeader();
    QList<int> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!header->isSectionHidden(column) && m_grid.model->fieldOfColumn(column) >= 0)
            columns << column;
    }
    return columns;
}

QString GridCommands::selectionText() const
{
    const QModelIndexList selected = m_grid.view->selectionModel()->selectedIndexes();
    QList<int> rows;
    QSet<int> columnsUsed;
    QSet<QPair<int, int>> cells;
    for (const QModelIndex& index : selected) {
        rows << index.row();
        columnsUsed.insert(index.column());
        cells.insert({index.row(), index.column()});
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<int> columns;
    for (int column : visibleColumns()) {
        if (columnsUsed.contains(column))
            columns << column;
    }
    QStringList lines;
    for (int row : std::as_const(rows)) {
        QStringList line;
        for (int column : std::as_const(columns)) {
            line << (cells.contains({row, column})
                         ? spreadsheetCell(m_grid.model->index(row, column).data().toString())
                         : QString());
        }
        lines << line.join(QLatin1Char('\t'));
    }
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void GridCommands::copy()
{
    if (const QString text = selectionText(); !text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void GridCommands::find()
{
    if (!m_find) {
        m_find = new FindDialog(m_grid.window);
        connect(m_find, &FindDialog::findRequested, this, &GridCommands::findNext);
    }
    m_find->setStatus({});
    m_find->show();
    m_find->raise();
    m_find->activateWindow();
    m_find->findTextBox()->selectAll();
    m_find->findTextBox()->setFocus();
}

void GridCommands::findNext(bool backward)
{
    db::RecordSet* rs = m_grid.connection->recordSet();
    GridView* grid = m_grid.view;
    const QString text = m_find->text();
    if (!rs || text.isEmpty())
        return;
    QModelIndex current = grid->currentIndex();
    int column = current.isValid() ? current.column() : -1;
    db::FindRequest request{text, {}, m_find->matchCase(), backward};
    const QList<int> shown = visibleColumns();
    if (column < 0 || !shown.contains(column))
        column = shown.value(0, -1);
    const QList<int> searched = m_find->allColumns() ? shown : QList<int>{column};
    for (int c : searched) {
        if (const int field = m_grid.model->fieldOfColumn(c); field >= 0)
            request.fields << field;
    }
    if (const GridMeanings* meanings = m_grid.meanings)
        meanings->addShownCodes(request, searched); // what the cells show is found too
    const int from = current.isValid() && current.row() < rs->count()
                         ? current.row()
                         : (backward ? rs->count() : -1);
    int found = -1;
    bool wrapped = false;
    db::Error e;
    {
        Hourglass wait; // all columns of a large table take a moment
        e = db::findRow(*rs, request, from, &found, &wrapped);
    }
    if (e) {
        Prompts::showError(m_find, e.message());
        return;
    }
    if (found < 0) {
        m_find->setStatus({});
        Prompts::message(m_find, u"No row holds \"%1\"."_s.arg(text), QMessageBox::Information);
        return;
    }
    m_find->setStatus(!wrapped   ? QString()
                      : backward ? u"Passed the first row; went on from the last."_s
                                 : u"Passed the last row; went on from the first."_s);
    const QModelIndex target = m_grid.model->index(found, column);
    grid->setCurrentIndex(target);
    grid->scrollTo(target);
}

void GridCommands::exportView()
{
    db::RecordSet* rs = m_grid.connection->recordSet();
    // An edited row is written (or dropped) first: the file holds what the
    // table holds.
    if (!rs || !m_grid.resolvePendingEdit())
        return;
    const QString path = chooseExportFile(rs->table());
    if (path.isEmpty())
        return;
    bool changed = false;
    if (const db::Error e = writeExport(*rs, path, &changed)) {
        if (e.number != db::Cancelled)
            Prompts::showError(m_grid.window, e.message());
        return;
    }
    if (changed)
        Prompts::message(m_grid.window,
                         u"The table changed since this window read it (another program "
                         "added, removed or changed rows). The file holds the rows as they "
                         "are now; Refresh shows them here."_s,
                         QMessageBox::Information);
    emit commandFinished(exportedText(path, rs->count()));
}

QString GridCommands::chooseExportFile(const QString& table) const
{
    const QString path =
        Prompts::saveFileName(m_grid.window, u"Export View as CSV"_s,
                              {u"CSV files (*.csv)"_s, u"All files (*)"_s}, table + u".csv"_s);
    if (path.isEmpty())
        return {};
    // The file dialog's "replace?" must never turn a league into text.
    if (const db::Error e = db::checkNotLeagueFile(path, m_grid.heldLeagues())) {
        Prompts::showError(m_grid.window, e.message());
        return {};
    }
    return path;
}

db::Error GridCommands::writeExport(db::RecordSet& rs, const QString& path, bool* changed)
{
    QStringList captions;
    QList<int> fields;
    const QList<int> columns = visibleColumns();
    for (int column : columns) {
        captions << m_grid.model->headerData(column, Qt::Horizontal).toString();
        fields << m_grid.model->fieldOfColumn(column);
    }
    const QList<db::ShownAs> shownAs =
        m_grid.meanings ? m_grid.meanings->shownAs(columns) : QList<db::ShownAs>();
    QProgressBar* bar = nullptr;
    const std::unique_ptr<WorkerProgressDialog> progress =
        rs.count() > ProgressFromRows ? exportProgress(rs.count(), m_grid.window, &bar) : nullptr;
    const auto report = [&](qint64 done, qint64 total) {
        if (bar)
            QMetaObject::invokeMethod(
                bar,
                [bar, done, total] {
                    bar->setMaximum(int(total));
                    bar->setValue(int(done));
                },
                Qt::QueuedConnection);
        return !progress || !progress->stopRequested();
    };
    db::Error e;
    const auto work = [&] {
        e = db::exportCsv(rs, path, captions, fields, report, changed, shownAs);
    };
    if (!progress) {
        work();
        return e;
    }
    // The worker reads the rows the grid holds: the grid does not paint (and
    // so reads nothing) until it is done.
    m_grid.window->setUpdatesEnabled(false);
    runShowingProgress(*progress, work);
    m_grid.window->setUpdatesEnabled(true);
    return e;
}

void GridCommands::updateSortIndicator()
{
    // The ruling sort, when it is one column shown in the grid.
    QHeaderView* header = m_grid.view->horizontalHeader();
    const db::RecordSet* rs = m_grid.connection->recordSet();
    const QList<db::SortKey> keys = rs ? rs->selection().sortKeys() : QList<db::SortKey>();
    int column = -1;
    if (keys.size() == 1) {
        for (int c = 0; c < m_grid.model->columnCount() && column < 0; ++c) {
            if (m_grid.model->fieldNameOfColumn(c).compare(keys[0].field, Qt::CaseInsensitive) == 0)
                column = c;
        }
    }
    header->setSortIndicatorShown(column >= 0);
    if (column >= 0)
        header->setSortIndicator(column,
                                 keys[0].descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}
