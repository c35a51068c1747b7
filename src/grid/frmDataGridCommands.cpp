// The grid window's context-menu commands that replace the rows.
#include "db/RecordSet.h"
#include "grid/DataControl.h"
#include "grid/frmDataGrid.h"
#include "shell/base/Prompts.h"

#include <memory>

using namespace Qt::StringLiterals;

namespace {
// A stored value as a literal of the filter language; the filter compiler
// binds it as a parameter, so no value is ever pasted into SQL.
QString filterLiteral(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 17);
    default:
        return u"\""_s + value.toString().replace(u"\""_s, u"\"\""_s) + u"\""_s;
    }
}
} // namespace

void frmDataGrid::filterByValue(const QModelIndex& cell)
{
    if (m_data->recordsetType() == db::RecordSet::Table) {
        Prompts::refuse(this, u"You Cannot Filter a Table Recordset!"_s);
        return;
    }
    db::RecordSet* rs = m_data->recordset();
    const int field = m_model->fieldOfColumn(cell.column());
    // The value as stored, after an edited row has been written or dropped.
    if (!rs || field < 0 || !leaveEditedRow() || cell.row() >= rs->count())
        return;
    const QVariant value = rs->value(cell.row(), field);
    const QString name = u"["_s + rs->fieldName(field) + u"]"_s;
    const QString condition = value.isNull() ? u" Is Null"_s : u" = "_s + filterLiteral(value);
    replaceRecordset(name + condition, false);
}

void frmDataGrid::removeFilterAndSort()
{
    replaceRecordsetWith([](const db::RecordSet& source, std::unique_ptr<db::RecordSet>* next) {
        return source.openAll(next);
    });
}
