// The record set: opening one on a table, and deriving filtered and sorted
// sets from it.
#include "core/db/RecordSet.h"

#include "core/db/Database.h"
#include "core/db/ExpressionTree.h"
#include "core/db/RowSql.h"
#include "core/db/Statement.h"

#include <utility>

namespace db {

RecordSet::RecordSet(Database& database, TableFields fields)
    : m_db(database), m_fields(std::move(fields))
{
}

Error RecordSet::openUnkeyed(Database& database, const QString& table,
                             std::unique_ptr<RecordSet>* out)
{
    TableFields fields;
    if (Error e = TableFields::read(database, table, &fields))
        return e;
    out->reset(new RecordSet(database, std::move(fields)));
    return {};
}

Error RecordSet::open(Database& database, const QString& table, std::unique_ptr<RecordSet>* out)
{
    std::unique_ptr<RecordSet> rs;
    if (Error e = openUnkeyed(database, table, &rs))
        return e;
    if (Error e = rs->readKeys(&rs->m_keys))
        return e;
    *out = std::move(rs);
    return {};
}

Error RecordSet::openKeys(Database& database, const QString& table, const QList<qint64>& keys,
                          std::unique_ptr<RecordSet>* out)
{
    std::unique_ptr<RecordSet> rs;
    if (Error e = openUnkeyed(database, table, &rs))
        return e;
    if (Error e = rs->m_fields.checkWritable())
        return e;
    rs->m_keys = QVector<qint64>(keys.begin(), keys.end());
    *out = std::move(rs);
    return {};
}

Error RecordSet::openRow(Database& database, const QString& table, qint64 key,
                         std::unique_ptr<RecordSet>* out)
{
    std::unique_ptr<RecordSet> rs;
    if (Error e = openKeys(database, table, {key}, &rs))
        return e;
    Statement exists(database.sqliteHandle(), QStringLiteral("SELECT 1 FROM ") +
                                                  quoteIdentifier(rs->table()) +
                                                  QStringLiteral(" WHERE ") +
                                                  rs->m_fields.keyName() + QStringLiteral(" = ?"));
    exists.bind(1, key);
    if (!exists.next())
        return exists.error() ? exists.error() : rowsql::rowVanished();
    *out = std::move(rs);
    return {};
}

Error RecordSet::openDerived(const RowSelection& selection, std::unique_ptr<RecordSet>* out) const
{
    std::unique_ptr<RecordSet> rs(new RecordSet(m_db, m_fields));
    rs->m_selection = selection;
    // The very statements the grid runs are the check: the engine's parser
    // has less room for the user's nesting in them than in the compiler's probe.
    if (Error e = rs->readKeys(&rs->m_keys))
        return expr::filterEngineError(e);
    if (m_fields.keyName().isEmpty()) {
        if (Error e = Statement(m_db.sqliteHandle(), rs->keylessPageSql()).error())
            return expr::filterEngineError(e);
    }
    *out = std::move(rs);
    return {};
}

Error RecordSet::openFiltered(const QString& filterText, std::unique_ptr<RecordSet>* out) const
{
    RowSelection selection = m_selection;
    if (Error e = selection.addFilter(filterText, m_fields.defs()))
        return e;
    return openDerived(selection, out);
}

Error RecordSet::openFilteredByValue(int field, const QVariant& value, const QString& shownAs,
                                     std::unique_ptr<RecordSet>* out) const
{
    RowSelection selection = m_selection;
    selection.addValueFilter(m_fields.name(field), value, shownAs);
    return openDerived(selection, out);
}

Error RecordSet::openSorted(const QString& sortText, std::unique_ptr<RecordSet>* out) const
{
    RowSelection selection = m_selection;
    if (Error e = selection.addSort(sortText, m_fields.defs()))
        return e;
    return openDerived(selection, out);
}

Error RecordSet::openAll(std::unique_ptr<RecordSet>* out) const
{
    return openDerived(RowSelection(), out);
}

QString RecordSet::selectSql(const QStringList& columns, const QString& extra, bool ordered) const
{
    const QString sql = QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) +
                        QStringLiteral(" FROM ") + quoteIdentifier(table()) +
                        m_selection.whereClause(extra);
    return ordered ? sql + m_selection.orderClause(m_fields.orderTail()) : sql;
}

Error RecordSet::countTableRows(qint64* rows) const
{
    Statement count(m_db.sqliteHandle(),
                    QStringLiteral("SELECT count(*) FROM ") + quoteIdentifier(table()));
    if (!count.next())
        return count.error();
    *rows = count.int64(0);
    return {};
}

} // namespace db
