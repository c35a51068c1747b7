#include "windows/grid/TableWindow.h"

#include "core/db/Expression.h"
#include "core/db/RecordSet.h"
#include "ui/Hourglass.h"
#include "ui/Prompts.h"
#include "windows/grid/GridCommands.h"
#include "windows/grid/GridMeanings.h"
#include "windows/grid/GridView.h"
#include "windows/grid/TableConnection.h"
#include "windows/grid/WindowPlace.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
// Longer values are cut in the filter's name: it is read in the status bar.
constexpr int ShownValueLength = 80;
constexpr int CaptionLimit = 50;
} // namespace

TableWindow::TableWindow(SharedMeanings* shared, const QString& databasePath,
                         const QString& tableOrQuery, QWidget* parent)
    : TableWindow(GridOptions{}, shared, databasePath, tableOrQuery, parent)
{
}

TableWindow::TableWindow(const GridOptions& options, SharedMeanings* shared,
                         const QString& databasePath, const QString& tableOrQuery, QWidget* parent)
    : QWidget(parent), m_options(options), m_connection(new TableConnection(this)),
      m_model(new RecordSetModel(this)), m_grid(new GridView(this)), m_strip(new QWidget(this)),
      m_widths(m_grid, m_model)
{
    setObjectName(u"frmDataGrid"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    m_connection->setLeaguePath(databasePath);
    m_connection->setTableOrQuery(tableOrQuery);
    buildControls();
    // Positions, teams, conferences and players by name.
    m_meanings = new GridMeanings(m_model, this, shared);
    connectGrid();
    m_commands = new GridCommands({this, m_grid, m_model, m_connection, m_meanings, shared,
                                   [this] { return resolvePendingEdit(); },
                                   [this] { return heldLeagues(); }});
    connect(m_commands, &GridCommands::sortRequested, this, &TableWindow::sortByColumn);
    connect(m_commands, &GridCommands::filterByValueRequested, this, &TableWindow::filterByValue);
    connect(m_commands, &GridCommands::removeFilterAndSortRequested, this,
            &TableWindow::removeFilterAndSort);
    connect(m_commands, &GridCommands::commandFinished, this, &TableWindow::commandFinished);
    resize(sizeHint());
}

TableWindow::~TableWindow()
{
    // Here rather than on unload, so File > Exit keeps them too.
    if (const db::RecordSet* rs = m_connection->recordSet())
        m_widths.save(rs->table());
    // The model reads through the record set the connection owns: detach it first.
    m_model->setRecordSet(nullptr);
}

void TableWindow::buildControls()
{
    m_connection->setObjectName(u"Data1"_s);
    m_strip->setObjectName(u"picButtons"_s);
    m_strip->setAccessibleName(u"Buttons"_s);
    m_grid->setObjectName(u"grdDataGrid"_s);
    m_grid->setAccessibleName(u"Data Grid"_s);

    m_model->setFixedColumns(m_options.fixedColumns);
    m_model->setAllowAddNew(m_options.allowAddNew);
    m_model->setAllowDelete(m_options.allowDelete);
    m_model->setAllowUpdate(m_options.allowUpdate);
    m_grid->setModel(m_model);

    const struct {
        const char* name;
        const char* caption;
        void (TableWindow::*handler)();
    } buttons[] = {
        {"cmdRefresh", "&Refresh", &TableWindow::refresh},
        {"cmdSort", "&Sort", &TableWindow::sort},
        {"cmdFilter", "&Filter", &TableWindow::filter},
        {"cmdClose", "&Close", &TableWindow::closeWindow},
    };
    // The strip runs along the top, its buttons side by side from the left;
    // the grid fills the client area under it.
    auto* strip = new QHBoxLayout(m_strip);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(0);
    strip->addStretch();
    for (const auto& b : buttons) {
        QPushButton* button = addStripButton(QLatin1String(b.name), QLatin1String(b.caption));
        connect(button, &QPushButton::clicked, this, b.handler);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_strip);
    layout->addWidget(m_grid, 1);
}

QPushButton* TableWindow::addStripButton(const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, m_strip);
    button->setObjectName(name);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    // Each about sixteen average characters wide, whatever its caption.
    button->setMinimumWidth(fontMetrics().averageCharWidth() * 16);
    static_cast<QBoxLayout*>(m_strip->layout())->insertWidget(int(m_buttons.size()), button);
    // Tab order: the grid first, then the buttons left to right.
    setTabOrder(m_buttons.isEmpty() ? static_cast<QWidget*>(m_grid) : m_buttons.last(), button);
    m_buttons << button;
    return button;
}

QPushButton* TableWindow::button(const QString& objectName) const
{
    for (QPushButton* b : m_buttons) {
        if (b->objectName() == objectName)
            return b;
    }
    return nullptr;
}

void TableWindow::connectGrid()
{
    connect(m_connection, &TableConnection::recordSetReplaced, this, &TableWindow::rebindModel);
    connect(m_grid, &GridView::headerClicked, this, &TableWindow::headerClicked);
    connect(m_grid, &GridView::deleteRequested, this, &TableWindow::deleteSelectedRows);
    m_model->setWriteApproval([this] { return approveWrite(); });
    m_model->setDeleteApproval([this] { return approveDelete(); });
    connect(m_model, &RecordSetModel::rowsWritten, this, &TableWindow::rowsWritten);
    connect(m_model, &RecordSetModel::valueNoted, this, &TableWindow::commandFinished);
    // Deferred: the refusal shows after the cell editor has closed, so the
    // message box cannot take its focus and commit it a second time.
    connect(m_model, &RecordSetModel::editRefused, this,
            [this] { QTimer::singleShot(0, this, &TableWindow::showEditRefusal); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TableWindow::currentRowChanged);
    // Appended and deleted rows change both counts; a new record set or a
    // re-read resets the model.
    for (auto rowsChanged : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, rowsChanged, this, &TableWindow::statusChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TableWindow::statusChanged);
}

QSize TableWindow::sizeHint() const
{
    const QSize design = m_options.firstClientSize * (logicalDpiY() / 96.0);
    if (!m_connection->recordSet())
        return design;
    // Loaded: room for every column at its width and for every row; the
    // main window's area bounds it.
    const QSize grid = m_grid->sizeShowing(m_model->rowCount());
    return QSize(grid.width(), m_strip->sizeHint().height() + grid.height()).expandedTo(design);
}

QSize TableWindow::smallestUsableSize() const
{
    // The whole button strip, and three rows under the column captions.
    constexpr int Rows = 3;
    const QSize strip = m_strip->sizeHint();
    return {strip.width(), strip.height() + m_grid->sizeShowing(Rows).height()};
}

QString TableWindow::captionFor(const QString& tableOrQuery)
{
    return tableOrQuery.size() > CaptionLimit ? u"SQL Statement"_s : tableOrQuery;
}

bool TableWindow::bindAndShow(QMdiArea* area, TableWindow* window)
{
    if (!window->bindData()) {
        delete window; // it unloads before it ever appears
        return false;
    }
    auto* sub = new QMdiSubWindow;
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWidget(window);
    area->addSubWindow(sub);
    WindowPlace::show(sub, window->m_connection->tableOrQuery(), window->smallestUsableSize());
    area->setActiveSubWindow(sub);
    return true;
}

bool TableWindow::bindData()
{
    beforeBind();
    db::Error e = m_connection->open();
    if (!e) {
        if (const QString field = m_model->missingField(); !field.isEmpty())
            e = {db::MissingField, u"The table \"%1\" has no field \"%2\", which this window "
                                   u"shows."_s.arg(m_connection->recordSet()->table(), field)};
    }
    if (e) {
        Prompts::showError(this, e.message());
        return false;
    }
    // Sort and Filter take the column captions as well as the field names.
    QList<QPair<QString, QString>> aliases;
    for (const ColumnDef& column : std::as_const(m_options.fixedColumns))
        aliases.append({column.caption, column.dataField});
    m_connection->recordSet()->fields().setAliases(aliases);
    setWindowTitle(captionFor(m_connection->tableOrQuery()));
    m_grid->setAccessibleName(windowTitle());
    if (const db::RecordSet* rs = m_connection->recordSet(); rs->fields().isReadOnly())
        Prompts::message(this, rs->fields().readOnlyReason(), QMessageBox::Information);
    return true;
}

void TableWindow::rebindModel()
{
    // Runs while the model still reads the record set it shows (the connection drops
    // a replaced one only after this). Fixed columns outlive the record set:
    // keep what the view hid; widths go by field name.
    const int columns = m_options.fixedColumns.isEmpty() ? 0 : m_model->columnCount();
    QVector<bool> hidden(columns);
    for (int c = 0; c < columns; ++c)
        hidden[c] = m_grid->isColumnHidden(c);
    m_widths.keep();
    m_model->setRecordSet(m_connection->recordSet());
    for (int c = 0; c < columns && c < m_model->columnCount(); ++c)
        m_grid->setColumnHidden(c, hidden[c]);
    m_widths.apply(m_connection->recordSet() ? m_connection->recordSet()->table() : QString());
}

void TableWindow::refresh()
{
    db::RecordSet* rs = m_connection->recordSet();
    if (!rs || !leaveEditedRow())
        return;
    const QModelIndex current = m_grid->currentIndex();
    const qint64 currentKey =
        current.row() >= 0 && current.row() < rs->count() ? rs->key(current.row()) : -1;
    if (const db::Error e = m_connection->requery()) {
        Prompts::showError(this, e.message());
        return;
    }
    rebindModel();
    m_meanings->reread(); // another program may have renamed a team
    // The current row stays current where it still is (a new row goes last).
    const int row = current.row() < 0 ? -1 : rs->rowOfKey(currentKey);
    if (row >= 0) {
        m_grid->setCurrentIndex(m_model->index(row, current.column()));
        m_grid->scrollTo(m_grid->currentIndex());
    }
}

QString TableWindow::leaguePath() const
{
    return m_connection->leaguePath();
}

void TableWindow::sort()
{
    QString expression = m_sortText;
    if (expression.isEmpty()) {
        expression = Prompts::input(this, u"Enter Sort Column:"_s);
        if (expression.trimmed().isEmpty())
            return;
    }
    replaceRows(expression, true);
}

void TableWindow::filter()
{
    // The fields' names (and the grid's captions) complete as they are typed.
    QStringList names;
    if (const db::RecordSet* rs = m_connection->recordSet()) {
        for (const db::FieldInfo& field : rs->fields())
            names << field.name() << field.def.aliases;
    }
    names.removeDuplicates();
    const QString expression = Prompts::input(this, u"Enter Filter Expression:"_s, names);
    if (expression.trimmed().isEmpty())
        return;
    replaceRows(expression, false);
}

void TableWindow::replaceRows(const QString& expression, bool sort)
{
    replaceRowsWith([&](const db::RecordSet& source, std::unique_ptr<db::RecordSet>* next) {
        return sort ? source.openSorted(expression, next) : source.openFiltered(expression, next);
    });
}

void TableWindow::replaceRowsWith(const Opener& open)
{
    const db::RecordSet* source = m_connection->recordSet();
    if (!source || !leaveEditedRow())
        return;
    std::unique_ptr<db::RecordSet> next;
    db::Error e;
    {
        Hourglass wait;
        // A bad expression leaves the current record set as it was, so one
        // typo never poisons a later Sort or Filter.
        e = open(*source, &next);
    }
    if (e) {
        Prompts::showError(this, e.message());
        return;
    }
    m_connection->replaceRecordSet(std::move(next));
}

void TableWindow::closeWindow()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void TableWindow::headerClicked(int column, Qt::KeyboardModifiers modifiers)
{
    // Shift (or Ctrl, or Alt) with the click sorts from the highest down.
    sortByColumn(column, modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
}

void TableWindow::sortByColumn(int column, bool descending)
{
    const QString name = m_model->fieldNameOfColumn(column);
    if (name.isEmpty())
        return;
    m_sortText = db::bracketedName(name) + (descending ? u" desc"_s : QString());
    sort();
    m_sortText.clear();
}

bool TableWindow::approveWrite()
{
    return Prompts::ask(this, u"Commit changes?"_s);
}

bool TableWindow::approveDelete()
{
    return Prompts::ask(this, u"Delete Current Row?"_s, QMessageBox::Yes);
}

void TableWindow::deleteSelectedRows()
{
    if (!m_model->allowDelete())
        return;
    const QList<int> rows = m_grid->selectedWholeRows();
    // An edited row elsewhere is settled first, so it is never lost unasked.
    if (m_model->hasPendingEdit() && !rows.contains(m_model->pendingRow()) && !leaveEditedRow())
        return;
    if (db::Error e = m_model->deleteRows(rows))
        reportWriteError(e);
}

void TableWindow::reportWriteError(const db::Error& e)
{
    if (e.number != db::RowVanished) {
        Prompts::showError(this, e.message());
        return;
    }
    // The grid shows rows the file no longer holds: offer to show it anew.
    // Deferred, so that the view is not reset inside its own notification.
    if (Prompts::ask(this, e.message() + u"\n\nRefresh now?"_s))
        QTimer::singleShot(0, this, &TableWindow::refresh);
}

void TableWindow::showEditRefusal()
{
    if (const db::Error e = m_model->takeEditError())
        Prompts::showError(this, e.message());
}

bool TableWindow::leaveEditedRow()
{
    m_grid->finishEditing();
    if (!m_model->hasPendingEdit())
        return true;
    if (db::Error e = m_model->commitPendingEdit()) {
        reportWriteError(e);
        return false;
    }
    return true;
}

void TableWindow::currentRowChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (m_returningToEditedRow || !m_model->hasPendingEdit() ||
        previous.row() != m_model->pendingRow() || current.row() == previous.row())
        return;
    if (leaveEditedRow() || !m_model->hasPendingEdit())
        return;
    // The write failed: the row stays in edit, and the cursor with it.
    m_returningToEditedRow = true;
    m_grid->setCurrentIndex(m_model->index(m_model->pendingRow(), previous.column()));
    m_returningToEditedRow = false;
}

QStringList TableWindow::heldLeagues() const
{
    QStringList leagues{m_connection->leaguePath()};
    if (m_heldLeagues)
        leagues << m_heldLeagues();
    return leagues;
}

QString TableWindow::statusText() const
{
    return m_connection->statusText();
}

bool TableWindow::resolvePendingEdit()
{
    return leaveEditedRow();
}

void TableWindow::closeEvent(QCloseEvent* event)
{
    // Closing asks about an edited row; only a write that was wanted and
    // failed keeps the window open, so the edit is not lost.
    if (!leaveEditedRow()) {
        event->ignore();
        return;
    }
    windowClosing();
    event->accept();
}

void TableWindow::windowClosing()
{
    emit closed();
}

void TableWindow::filterByValue(const QModelIndex& cell)
{
    db::RecordSet* rs = m_connection->recordSet();
    const int field = m_model->fieldOfColumn(cell.column());
    // The value as stored, after an edited row has been written or dropped.
    if (!rs || field < 0 || !leaveEditedRow() || cell.row() >= rs->count())
        return;
    const QVariant value = rs->value(cell.row(), field);
    const QString shown = m_grid->oneLineText(cell, ShownValueLength);
    const QString name =
        rs->fields().name(field) + (value.isNull() ? u" Is Null"_s : QString(u" = "_s + shown));
    replaceRowsWith([&](const db::RecordSet& source, std::unique_ptr<db::RecordSet>* next) {
        return source.openFilteredByValue(field, value, name, next);
    });
}

void TableWindow::removeFilterAndSort()
{
    replaceRowsWith([](const db::RecordSet& source, std::unique_ptr<db::RecordSet>* next) {
        return source.openAll(next);
    });
}
