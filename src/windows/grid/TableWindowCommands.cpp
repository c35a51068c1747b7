// The grid window's context-menu commands that replace the rows.
#include "core/db/RecordSet.h"
#include "ui/Prompts.h"
#include "windows/grid/DataControl.h"
#include "windows/grid/DataGridView.h"
#include "windows/grid/TableWindow.h"

#include <QStyledItemDelegate>

#include <memory>

using namespace Qt::StringLiterals;

namespace {
// Longer values are cut in the filter's name: it is read in the status bar.
constexpr int ShownValueLength = 80;
} // namespace

void TableWindow::filterByValue(const QModelIndex& cell)
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
    QString shown;
    if (const auto* delegate =
            qobject_cast<QStyledItemDelegate*>(m_grid->itemDelegateForIndex(cell)))
        shown = delegate->displayText(cell.data(), m_grid->locale());
    else
        shown = cell.data().toString();
    for (QChar& c : shown) {
        if (c.isSpace()) // one line in the status bar
            c = u' ';
    }
    if (shown.size() > ShownValueLength)
        shown = shown.left(ShownValueLength) + u'\u2026';
    const QString name =
        rs->fieldName(field) + (value.isNull() ? u" Is Null"_s : QString(u" = "_s + shown));
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
