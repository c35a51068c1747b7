#include "windows/grid/RecordSetModel.h"

#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/db/RowWriter.h"
#include "windows/grid/ShownValues.h"

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

RecordSetModel::RecordSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordSetModel::setRecordSet(db::RecordSet* recordSet)
{
    beginResetModel();
    m_rs = recordSet;
    m_recordCount = m_rs ? m_rs->count() : 0;
    m_editRow = -1;
    m_editValues.clear();
    rebuildColumnMap();
    endResetModel();
}

void RecordSetModel::setFixedColumns(const QList<ColumnDef>& columns)
{
    beginResetModel();
    m_fixed = columns;
    rebuildColumnMap();
    endResetModel();
}

void RecordSetModel::rebuildColumnMap()
{
    m_fieldOfColumn.clear();
    if (!m_fixed.isEmpty()) {
        for (const ColumnDef& column : std::as_const(m_fixed))
            m_fieldOfColumn << (m_rs ? m_rs->fields().indexOf(column.dataField) : -1);
    } else if (m_rs) {
        for (int field = 0; field < m_rs->fields().count(); ++field)
            m_fieldOfColumn << field;
    }
}

QString RecordSetModel::missingField() const
{
    for (int column = 0; column < m_fixed.size(); ++column) {
        if (m_fieldOfColumn.value(column, -1) < 0)
            return m_fixed.at(column).dataField;
    }
    return {};
}

void RecordSetModel::setAllowAddNew(bool allow)
{
    if (allow == m_allowAddNew)
        return;
    beginResetModel();
    m_allowAddNew = allow;
    if (m_editRow >= m_recordCount) {
        m_editRow = -1;
        m_editValues.clear();
    }
    endResetModel();
}

void RecordSetModel::setAllowDelete(bool allow)
{
    m_allowDelete = allow;
}

void RecordSetModel::setAllowUpdate(bool allow)
{
    m_allowUpdate = allow;
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {});
}

bool RecordSetModel::allowAddNew() const
{
    return m_allowAddNew && m_rs && !m_rs->fields().isReadOnly();
}

bool RecordSetModel::allowDelete() const
{
    return m_allowDelete && m_rs && !m_rs->fields().isReadOnly();
}

bool RecordSetModel::allowUpdate() const
{
    return m_allowUpdate && m_rs && !m_rs->fields().isReadOnly();
}

int RecordSetModel::fieldOfColumn(int column) const
{
    return m_fieldOfColumn.value(column, -1);
}

QString RecordSetModel::fieldNameOfColumn(int column) const
{
    const int field = fieldOfColumn(column);
    return field >= 0 && m_rs ? m_rs->fields().name(field) : QString();
}

int RecordSetModel::newRowLine() const
{
    return allowAddNew() ? m_recordCount : -1;
}

bool RecordSetModel::isRecordRow(int row) const
{
    return row >= 0 && row < m_recordCount;
}

int RecordSetModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_rs)
        return 0;
    return m_recordCount + (allowAddNew() ? 1 : 0);
}

int RecordSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_fieldOfColumn.size());
}

QVariant RecordSetModel::storedValue(int row, int column) const
{
    const int field = fieldOfColumn(column);
    if (field < 0)
        return {};
    if (row == m_editRow && m_editValues.contains(field))
        return m_editValues.value(field);
    return isRecordRow(row) ? m_rs->value(row, field) : QVariant();
}

bool RecordSetModel::isCell(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && index.row() < rowCount() &&
           index.column() < columnCount();
}

QVariant RecordSetModel::data(const QModelIndex& index, int role) const
{
    if (!isCell(index))
        return {};
    if (m_shown) {
        if (std::optional<QVariant> shown = m_shown->data(index, role))
            return *shown;
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const QVariant value = storedValue(index.row(), index.column());
        if (value.typeId() == QMetaType::QByteArray)
            return role == Qt::DisplayRole
                       ? QVariant(u"(%1 bytes)"_s.arg(value.toByteArray().size()))
                       : QVariant();
        // Editing is always in text, so what does not fit can be refused
        // with a message instead of an editor that silently clamps.
        if (role == Qt::EditRole)
            return value.isNull() ? QString() : value.toString();
        return value;
    }
    case Qt::TextAlignmentRole: {
        const int type = storedValue(index.row(), index.column()).typeId();
        if (type == QMetaType::LongLong || type == QMetaType::Double)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    }
    default:
        return {};
    }
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex& index) const
{
    if (!isCell(index))
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const bool record = isRecordRow(index.row());
    const bool editable = record ? allowUpdate() : allowAddNew();
    // Binary values have no text form to edit: an editor would write NULL over them.
    const bool binary =
        record && storedValue(index.row(), index.column()).typeId() == QMetaType::QByteArray;
    if (editable && !binary && fieldOfColumn(index.column()) >= 0)
        result |= Qt::ItemIsEditable;
    return result;
}

bool RecordSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role == ShownValues::NameRole)
        return m_shown && (flags(index) & Qt::ItemIsEditable) &&
               m_shown->setByName(index, value.toString());
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    // An editor closed on the text it opened with changes nothing: the
    // value keeps its storage type ('007', 2.5 in an INTEGER column, '').
    if (value.toString() == data(index, Qt::EditRole).toString())
        return true;
    const int field = fieldOfColumn(index.column());
    QVariant stored;
    db::Error e = readErrorAt(index);
    if (!e)
        e = db::convertValue(m_rs->fields().at(field), value, &stored);
    if (!e && m_editRow >= 0 && m_editRow != index.row()) {
        // An edit elsewhere while another row is pending leaves that row.
        e = commitPendingEdit();
    }
    if (e) {
        m_editError = e;
        emit editRefused();
        return false;
    }
    if (m_editRow < 0)
        beginPendingRow(index.row());
    m_editValues.insert(field, stored);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    const QString caption = headerData(index.column(), Qt::Horizontal).toString();
    if (const QString note = db::wholeNumberNote(m_rs->fields().at(field), caption, value, stored);
        !note.isEmpty())
        emit valueNoted(note);
    return true;
}

db::Error RecordSetModel::readErrorAt(const QModelIndex& index) const
{
    // A row whose values could not be read shows blanks; editing it would
    // write those blanks over the real values.
    if (!isRecordRow(index.row()))
        return {};
    m_rs->takeReadError();
    storedValue(index.row(), index.column());
    return m_rs->takeReadError();
}

db::Error RecordSetModel::takeEditError()
{
    return std::exchange(m_editError, db::Error());
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal && section >= 0 &&
        section < columnCount()) {
        QString tip = m_fixed.isEmpty() ? QString() : m_fixed.at(section).toolTip;
        if (tip.isEmpty())
            tip = fieldNameOfColumn(section);
        return m_shown ? m_shown->headerToolTip(section, tip) : tip;
    }
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount())
            return {};
        return m_fixed.isEmpty() ? fieldNameOfColumn(section) : m_fixed.at(section).caption;
    }
    // Record selectors: a pencil while the row is edited, a star on the
    // new-row line.
    if (section == m_editRow)
        return u"\u270E"_s;
    if (section == newRowLine())
        return u"*"_s;
    return u" "_s;
}

void RecordSetModel::beginPendingRow(int row)
{
    m_editRow = row;
    m_editSeen = isRecordRow(row) ? m_rs->rowValues(row) : QVector<QVariant>();
    emit headerDataChanged(Qt::Vertical, row, row);
    emit pendingEditChanged();
}

void RecordSetModel::endPendingRow()
{
    const int row = std::exchange(m_editRow, -1);
    m_editValues.clear();
    m_editSeen.clear();
    m_editSavedElsewhere = false;
    if (row >= 0 && row < rowCount() && columnCount() > 0) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, row, row);
    }
    emit pendingEditChanged();
}

void RecordSetModel::discardPendingEdit()
{
    if (m_editRow >= 0)
        endPendingRow();
}

db::Error RecordSetModel::commitPendingEdit()
{
    if (m_editRow < 0)
        return {};
    if (m_approveWrite && !m_approveWrite()) {
        discardPendingEdit();
        return {};
    }
    const bool record = isRecordRow(m_editRow);
    const RowImage before{record ? m_rs->key(m_editRow) : 0, m_editSeen};
    db::RowWriter writer(*m_rs);
    db::Error e =
        record ? writer.update(m_editRow, m_editValues, m_editSeen) : writer.insert(m_editValues);
    if (e.number == db::RowVanished && m_editSavedElsewhere)
        e.description = u"This row was saved from another window (the player card) after you "
                        u"began editing it here, so your changes in the grid were not written; "
                        u"the row shows what was saved."_s;
    if (e.number == db::RowVanished || e.number == db::WriteSkipped)
        discardPendingEdit();
    if (e)
        return e;
    const RowImage after = imageOf(record ? m_editRow : m_rs->count() - 1);
    if (record) {
        QStringList changed;
        for (int column = 0; column < columnCount(); ++column) {
            const int field = fieldOfColumn(column);
            if (m_editValues.contains(field) &&
                !changed.contains(headerData(column, Qt::Horizontal).toString()))
                changed << headerData(column, Qt::Horizontal).toString();
        }
        RowChange change = describeChange(u"Change of "_s + changed.join(u", "_s), after.values);
        change.before = {before};
        change.after = {after};
        change.counters = writer.lastCounterMove();
        emit rowsWritten(change);
    } else {
        RowChange change = describeChange(u"Add Row"_s, {});
        change.after = {after};
        change.counters = writer.lastCounterMove();
        emit rowsWritten(change);
    }
    if (!record) {
        // The new-row line became a record; a fresh one opens under it.
        beginInsertRows({}, m_recordCount + 1, m_recordCount + 1);
        m_recordCount = m_rs->count();
        endInsertRows();
    }
    endPendingRow();
    return {};
}

void RecordSetModel::rowWrittenElsewhere(qint64 key)
{
    const int row = m_rs ? m_rs->rowOfKey(key) : -1;
    if (row < 0)
        return;
    m_rs->forgetRow(row);
    m_editSavedElsewhere = m_editSavedElsewhere || row == m_editRow;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

db::Error RecordSetModel::deleteRows(QList<int> rows)
{
    rows.removeIf([this](int row) { return !isRecordRow(row); });
    if (rows.isEmpty() || !allowDelete())
        return {};
    if (m_approveDelete && !m_approveDelete())
        return {};
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    RowChange change = describeChange(
        rows.size() == 1 ? u"Delete Row"_s : u"Delete %1 Rows"_s.arg(rows.size()), {});
    for (int row : std::as_const(rows))
        change.before << imageOf(row);
    db::RowWriter writer(*m_rs);
    if (db::Error e = writer.deleteRows(rows))
        return e;
    change.counters = writer.lastCounterMove();
    emit rowsWritten(change);
    if (rows.contains(m_editRow))
        discardPendingEdit(); // its row is gone; the user chose to delete it
    for (const auto& [first, count] : db::runsFromLast(rows)) {
        beginRemoveRows({}, first, first + count - 1);
        m_rs->dropRows(first, count);
        m_recordCount -= count;
        if (m_editRow >= first + count)
            m_editRow -= count;
        endRemoveRows();
    }
    return {};
}

RowImage RecordSetModel::imageOf(int row) const
{
    return {m_rs->key(row), m_rs->rowValues(row)};
}

// "Change of SP for Jo Walker" names the player; rows of other tables go by
// their table: "Change of City in Team", "Delete Row in Team".
RowChange RecordSetModel::describeChange(const QString& what, const QVector<QVariant>& row) const
{
    RowChange change;
    change.league = m_rs->database().path();
    change.table = m_rs->table();
    for (int field = 0; field < m_rs->fields().count(); ++field)
        change.fields << m_rs->fields().name(field);
    const int first = m_rs->fields().indexOf(u"FirstName"_s);
    const int last = m_rs->fields().indexOf(u"LastName"_s);
    const QString name =
        first >= 0 && last >= 0
            ? QString(row.value(first).toString() + u' ' + row.value(last).toString()).trimmed()
            : QString();
    change.text = name.isEmpty() ? what + u" in "_s + change.table : what + u" for "_s + name;
    return change;
}
