#include "windows/grid/TableWindow.h"

#include "core/db/Expression.h"
#include "core/db/RecordSet.h"
#include "ui/Hourglass.h"
#include "ui/Prompts.h"
#include "windows/grid/DataControl.h"
#include "windows/grid/DataGridView.h"
#include "windows/grid/GridCommands.h"
#include "windows/grid/GridMeanings.h"
#include "windows/grid/WindowPlace.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
// Longer values are cut in the filter's name: it is read in the status bar.
constexpr int ShownValueLength = 80;
constexpr int CaptionLimit = 50;
} // namespace

TableWindow::TableWindow(const QString& databasePath, const QString& recordSource, QWidget* parent)
    : TableWindow(GridOptions{}, databasePath, recordSource, parent)
{
}

TableWindow::TableWindow(const GridOptions& options, const QString& databasePath,
                         const QString& recordSource, QWidget* parent)
    : QWidget(parent), m_options(options), m_data(new DataControl(this)),
      m_model(new RecordSetModel(this)), m_grid(new DataGridView(this)), m_strip(new QWidget(this)),
      m_widths(m_grid, m_model)
{
    setObjectName(u"frmDataGrid"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    m_data->setDatabaseName(databasePath);
    m_data->setRecordSource(recordSource);
    buildControls();
    new GridMeanings(m_model, this); // positions, teams, conferences, players by name
    connectGrid();
    m_commands =
        new GridCommands({this, m_grid, m_model, m_data, [this] { return resolvePendingEdit(); },
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
    if (const db::RecordSet* rs = m_data->recordset())
        m_widths.save(rs->table());
    // The model reads through the record set dataControl owns: detach it first.
    m_model->setRecordSet(nullptr);
}

void TableWindow::buildControls()
{
    m_data->setObjectName(u"Data1"_s);
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
    connect(m_data, &DataControl::recordsetReplaced, this, &TableWindow::rebindModel);
    connect(m_grid, &DataGridView::headClick, this, &TableWindow::headerClicked);
    connect(m_grid, &DataGridView::deleteRequested, this, &TableWindow::deleteSelectedRows);
    connect(m_model, &RecordSetModel::beforeUpdate, this, &TableWindow::confirmUpdate);
    connect(m_model, &RecordSetModel::beforeDelete, this, &TableWindow::confirmDelete);
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
    if (!m_data->recordset())
        return design;
    // Loaded: room for every column at its width and for every row; the
    // main window's area bounds it.
    const int frame = 2 * m_grid->frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize columns{
        frame + m_grid->verticalHeader()->sizeHint().width() +
            m_grid->horizontalHeader()->length() + bar,
        m_strip->sizeHint().height() + frame + m_grid->horizontalHeader()->sizeHint().height() +
            m_model->rowCount() * m_grid->verticalHeader()->defaultSectionSize() + bar};
    return columns.expandedTo(design);
}

QSize TableWindow::smallestUsableSize() const
{
    // The whole button strip, and three rows under the column captions.
    constexpr int Rows = 3;
    const QSize strip = m_strip->sizeHint();
    const int frame = 2 * m_grid->frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return {strip.width(), strip.height() + frame +
                               m_grid->horizontalHeader()->sizeHint().height() +
                               Rows * m_grid->verticalHeader()->defaultSectionSize() + bar};
}

QString TableWindow::captionFor(const QString& recordSource)
{
    return recordSource.size() > CaptionLimit ? u"SQL Statement"_s : recordSource;
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
    WindowPlace::show(sub, window->m_data->recordSource(), window->smallestUsableSize());
    area->setActiveSubWindow(sub);
    return true;
}

bool TableWindow::bindData()
{
    beforeBind();
    db::Error e = m_data->refresh();
    if (!e) {
        if (const QString field = m_model->missingField(); !field.isEmpty())
            e = {db::MissingField, u"The table \"%1\" has no field \"%2\", which this window "
                                   u"shows."_s.arg(m_data->recordset()->table(), field)};
    }
    if (e) {
        Prompts::showError(this, e.message());
        return false;
    }
    // Sort and Filter take the column captions as well as the field names.
    QList<QPair<QString, QString>> aliases;
    for (const ColumnDef& column : std::as_const(m_options.fixedColumns))
        aliases.append({column.caption, column.dataField});
    m_data->recordset()->fields().setAliases(aliases);
    setWindowTitle(captionFor(m_data->recordSource()));
    m_grid->setAccessibleName(windowTitle());
    if (const db::RecordSet* rs = m_data->recordset(); rs->fields().isReadOnly())
        Prompts::message(this, rs->fields().readOnlyReason(), QMessageBox::Information);
    return true;
}

void TableWindow::rebindModel()
{
    // Runs while the model still reads the record set it shows (dataControl drops
    // a replaced one only after this). Fixed columns outlive the record set:
    // keep what the view hid; widths go by field name.
    const int columns = m_options.fixedColumns.isEmpty() ? 0 : m_model->columnCount();
    QVector<bool> hidden(columns);
    for (int c = 0; c < columns; ++c)
        hidden[c] = m_grid->isColumnHidden(c);
    m_widths.keep();
    m_model->setRecordSet(m_data->recordset());
    for (int c = 0; c < columns && c < m_model->columnCount(); ++c)
        m_grid->setColumnHidden(c, hidden[c]);
    m_widths.apply(m_data->recordset() ? m_data->recordset()->table() : QString());
}

void TableWindow::refresh()
{
    db::RecordSet* rs = m_data->recordset();
    if (!rs || !leaveEditedRow())
        return;
    const QModelIndex current = m_grid->currentIndex();
    const qint64 currentKey =
        current.row() >= 0 && current.row() < rs->count() ? rs->key(current.row()) : -1;
    qint64 tableRows = 0;
    db::Error e = rs->requery();
    if (!e && !rs->selection().filterTexts().isEmpty())
        e = rs->countTableRows(&tableRows); // others may have added or deleted rows
    if (e) {
        Prompts::showError(this, e.message());
        return;
    }
    m_rowsFilteredOut = rs->selection().filterTexts().isEmpty() ? 0 : tableRows - rs->count();
    rebindModel();
    m_model->meanings()->reread(); // another program may have renamed a team
    // The current row stays current where it still is (a new row goes last).
    const int row = current.row() < 0 ? -1 : rs->rowOfKey(currentKey);
    if (row >= 0) {
        m_grid->setCurrentIndex(m_model->index(row, current.column()));
        m_grid->scrollTo(m_grid->currentIndex());
    }
}

QString TableWindow::leaguePath() const
{
    return m_data->databaseName();
}

void TableWindow::sort()
{
    QString expression = m_sortText;
    if (expression.isEmpty()) {
        expression = Prompts::input(this, u"Enter Sort Column:"_s);
        if (expression.trimmed().isEmpty())
            return;
    }
    replaceRecordset(expression, true);
}

void TableWindow::filter()
{
    // The fields' names (and the grid's captions) complete as they are typed.
    QStringList names;
    if (const db::RecordSet* rs = m_data->recordset()) {
        for (const db::FieldInfo& field : rs->fields())
            names << field.name() << field.def.aliases;
    }
    names.removeDuplicates();
    const QString expression = Prompts::input(this, u"Enter Filter Expression:"_s, names);
    if (expression.trimmed().isEmpty())
        return;
    replaceRecordset(expression, false);
}

void TableWindow::replaceRecordset(const QString& expression, bool sort)
{
    replaceRecordsetWith([&](const db::RecordSet& source, std::unique_ptr<db::RecordSet>* next) {
        return sort ? source.openSorted(expression, next) : source.openFiltered(expression, next);
    });
}

void TableWindow::replaceRecordsetWith(const Opener& open)
{
    const db::RecordSet* source = m_data->recordset();
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
    // The new set is drawn from the same table: what the filters hide is
    // the table's rows, as last counted, less those it shows.
    m_rowsFilteredOut = source->count() + m_rowsFilteredOut - next->count();
    m_data->setRecordset(std::move(next));
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

void TableWindow::confirmUpdate(bool* cancel)
{
    *cancel = !Prompts::ask(this, u"Commit changes?"_s);
}

void TableWindow::confirmDelete(bool* cancel)
{
    *cancel = !Prompts::ask(this, u"Delete Current Row?"_s, QMessageBox::Yes);
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
    QStringList leagues{m_data->databaseName()};
    if (m_heldLeagues)
        leagues << m_heldLeagues();
    return leagues;
}

QString TableWindow::statusText() const
{
    const db::RecordSet* rs = m_data->recordset();
    if (!rs)
        return {};
    const QLocale english(QLocale::English);
    const qint64 shown = rs->count();
    const qint64 total = shown + m_rowsFilteredOut;
    const QString rows = total == 1 ? u"row"_s : u"rows"_s;
    QStringList parts{
        rs->selection().filterTexts().isEmpty()
            ? english.toString(shown) + u' ' + rows
            : u"%1 of %2 %3"_s.arg(english.toString(shown), english.toString(total), rows)};
    QStringList filters = rs->selection().filterTexts();
    if (filters.size() > 1) {
        for (QString& f : filters)
            f = u'(' + f + u')';
    }
    if (!filters.isEmpty())
        parts << u"Filter: "_s + filters.join(u" And "_s);
    if (!rs->selection().sortTexts().isEmpty())
        parts << u"Sort: "_s + rs->selection().sortTexts().join(u", "_s);
    return parts.join(u"  |  "_s);
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
    db::RecordSet* rs = m_data->recordset();
    const int field = m_model->fieldOfColumn(cell.column());
    // The value as stored, after an edited row has been written or dropped.
    if (!rs || field < 0 || !leaveEditedRow() || cell.row() >= rs->count())
        return;
    const QVariant value = rs->value(cell.row(), field);
    const QVariant cellText = cell.data();
    QString shown;
    if (const int type = cellText.typeId();
        type == QMetaType::LongLong || type == QMetaType::Int || type == QMetaType::Double)
        shown = cellText.toString(); // as a filter takes it: no thousands separators (ids)
    else if (const auto* delegate =
                 qobject_cast<QStyledItemDelegate*>(m_grid->itemDelegateForIndex(cell)))
        shown = delegate->displayText(cellText, m_grid->locale());
    else
        shown = cellText.toString();
    for (QChar& c : shown) {
        if (c.isSpace()) // one line in the status bar
            c = u' ';
    }
    if (shown.size() > ShownValueLength)
        shown = shown.left(ShownValueLength) + u'\u2026';
    const QString name =
        rs->fields().name(field) + (value.isNull() ? u" Is Null"_s : QString(u" = "_s + shown));
    replaceRecordsetWith([&](const db::RecordSet& source, std::unique_ptr<db::RecordSet>* next) {
        return source.openFilteredByValue(field, value, name, next);
    });
}

void TableWindow::removeFilterAndSort()
{
    replaceRecordsetWith([](const db::RecordSet& source, std::unique_ptr<db::RecordSet>* next) {
        return source.openAll(next);
    });
}
