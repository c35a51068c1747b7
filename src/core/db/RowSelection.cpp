// A record set's filters and sorts, compiled.
#include "core/db/RowSelection.h"

#include "core/db/Statement.h"

#include <algorithm>

namespace db {

Error RowSelection::addFilter(const QString& filterText, const QList<FieldDef>& fields)
{
    CompiledFilter filter;
    if (Error e = compileFilter(filterText, fields, &filter))
        return e;
    m_filterTexts << filterText;
    m_filterSql << filter.sql;
    m_filterParams << filter.params;
    return {};
}

void RowSelection::addValueFilter(const QString& fieldName, const QVariant& value,
                                  const QString& shownAs)
{
    const QString name = quoteIdentifier(fieldName);
    const bool text = value.typeId() == QMetaType::QString;
    // As the filter compiler writes "[field] = 'text'" and "[field] = 12".
    m_filterSql << (value.isNull() ? name + QStringLiteral(" IS NULL")
                    : text         ? QStringLiteral("(%1 COLLATE YM_NOCASE = ?)").arg(name)
                                   : QStringLiteral("(%1 = ?)").arg(name));
    m_filterTexts << shownAs;
    if (!value.isNull())
        m_filterParams << value;
}

Error RowSelection::addSort(const QString& sortText, const QList<FieldDef>& fields)
{
    CompiledSort sort;
    if (Error e = compileSort(sortText, fields, &sort))
        return e;
    // The newest sort rules; the earlier ones only break its ties. An
    // earlier sort by none but the new one's fields breaks none (its rows tie
    // on those fields already), so it goes: a column clicked again and again
    // keeps one sort, not a growing list.
    const auto sortsBy = [&](const SortKey& earlier) {
        return std::any_of(sort.keys.begin(), sort.keys.end(), [&](const SortKey& key) {
            return key.field.compare(earlier.field, Qt::CaseInsensitive) == 0;
        });
    };
    for (qsizetype i = m_sortKeys.size() - 1; i >= 0; --i) {
        const QList<SortKey>& earlier = m_sortKeys.at(i);
        if (std::all_of(earlier.begin(), earlier.end(), sortsBy)) {
            m_sortTexts.removeAt(i);
            m_sortSql.removeAt(i);
            m_sortKeys.removeAt(i);
        }
    }
    m_sortTexts.prepend(sortText);
    m_sortSql.prepend(sort.sql);
    m_sortKeys.prepend(sort.keys);
    return {};
}

QString RowSelection::whereClause(const QString& extra) const
{
    QStringList conditions = m_filterSql;
    if (!extra.isEmpty())
        conditions << extra;
    if (conditions.isEmpty())
        return {};
    return QStringLiteral(" WHERE (") + conditions.join(QStringLiteral(") AND (")) +
           QLatin1Char(')');
}

QString RowSelection::orderClause(const QStringList& tail) const
{
    const QStringList order = m_sortSql + tail;
    if (order.isEmpty())
        return {};
    return QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
}

} // namespace db
