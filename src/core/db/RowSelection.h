#pragma once

#include "core/db/Error.h"
#include "core/db/Expression.h"

#include <QList>
#include <QStringList>
#include <QVariant>

namespace db {

// Which rows of a table a record set holds and in what order: its filters
// (all must hold) and its sorts (the newest rules, the earlier ones break its
// ties), as the user wrote them and as compiled SQL with bound parameters.
class RowSelection
{
public:
    QStringList filterTexts() const { return m_filterTexts; } // oldest first
    QStringList sortTexts() const { return m_sortTexts; }     // newest first: the one that rules
    // The ruling sort's keys as its compiler read them; empty when unsorted.
    QList<SortKey> sortKeys() const { return m_sortKeys.value(0); }
    // The literals of all filters, in the order the conditions bind them.
    const QVariantList& params() const { return m_filterParams; }

    // Adds filterText, compiled against fields. An error adds nothing.
    Error addFilter(const QString& filterText, const QList<FieldDef>& fields);
    // Adds "field = value" (value null: is null) as a filter's "=" compares:
    // text without regard to case, 1 as 1.0; the value is bound. shownAs
    // names the filter in filterTexts().
    void addValueFilter(const QString& fieldName, const QVariant& value, const QString& shownAs);
    // Adds sortText as the ruling sort. An error adds nothing.
    Error addSort(const QString& sortText, const QList<FieldDef>& fields);

    // " WHERE (filter) AND (filter) [AND (extra)]"; empty when there is no
    // condition. The filters' parameters come first.
    QString whereClause(const QString& extra = {}) const;
    // " ORDER BY" the sorts, then tail (what makes the order total).
    QString orderClause(const QStringList& tail) const;

private:
    QStringList m_filterTexts;
    QStringList m_sortTexts;
    QStringList m_filterSql;          // compiled, in the order they were added
    QVariantList m_filterParams;      // the literals of all filters, in order
    QStringList m_sortSql;            // newest first
    QList<QList<SortKey>> m_sortKeys; // the keys of each sort, newest first
};

} // namespace db
