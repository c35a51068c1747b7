// The record set's keyset and its pages: the keys of its rows in order, and
// the rows' values read a page at a time, as the grid scrolls.
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/db/RowSql.h"
#include "core/db/Statement.h"

#include <QHash>
#include <algorithm>
#include <numeric>
#include <utility>

namespace db {

Error RecordSet::readKeys(QVector<qint64>* keys) const
{
    keys->clear();
    const QString keyName = m_fields.keyName();
    if (keyName.isEmpty()) {
        // Without a rowid the rows are addressed by their place in the order.
        Statement count(m_db.sqliteHandle(), selectSql({QStringLiteral("count(*)")}, {}, false));
        count.bind(m_selection.params());
        if (!count.next())
            return count.error();
        const qint64 n = count.int64(0);
        keys->resize(n);
        std::iota(keys->begin(), keys->end(), qint64(0));
        return {};
    }
    Statement select(m_db.sqliteHandle(), selectSql({keyName}, {}, true));
    select.bind(m_selection.params());
    keys->reserve(std::max<qsizetype>(m_keys.size(), 64));
    while (select.next())
        keys->append(select.int64(0));
    return select.error();
}

Error RecordSet::requery()
{
    QVector<qint64> keys;
    if (Error e = readKeys(&keys))
        return e;
    m_keys = std::move(keys);
    m_pages.forgetAll();
    return {};
}

QVariant RecordSet::value(int row, int field)
{
    const int columns = m_fields.count();
    if (row < 0 || row >= count() || field < 0 || field >= columns)
        return {};
    const QVariant* values = m_pages.usedRow(row, columns);
    if (!values) {
        if (Error e = readPage(row / PageCache::PageSize)) {
            if (!m_readError)
                m_readError = e;
            return {};
        }
        values = m_pages.usedRow(row, columns);
    }
    return values[field];
}

QVector<QVariant> RecordSet::rowValues(int row)
{
    QVector<QVariant> values(m_fields.count());
    for (int field = 0; field < m_fields.count(); ++field)
        values[field] = value(row, field);
    return values;
}

Error RecordSet::takeReadError()
{
    return std::exchange(m_readError, Error());
}

QString RecordSet::keylessPageSql() const
{
    return selectSql({m_fields.allColumns()}, {}, true) + QStringLiteral(" LIMIT ? OFFSET ?");
}

Error RecordSet::readPage(int pageIndex)
{
    const int first = pageIndex * PageCache::PageSize;
    const int rows = std::min(PageCache::PageSize, count() - first);
    const int columns = m_fields.count();
    QVector<QVariant> values(qsizetype(rows) * columns);

    if (m_fields.keyName().isEmpty()) {
        Statement select(m_db.sqliteHandle(), keylessPageSql());
        select.bind(m_selection.params());
        select.bind(QVariantList{rows, first}, int(m_selection.params().size()) + 1);
        for (int r = 0; r < rows && select.next(); ++r) {
            for (int f = 0; f < columns; ++f)
                values[r * columns + f] = select.value(f);
        }
        if (select.error())
            return select.error();
    } else {
        QHash<qint64, int> rowOfKey;
        rowOfKey.reserve(rows);
        QVariantList keys;
        keys.reserve(rows);
        for (int r = 0; r < rows; ++r) {
            rowOfKey.insert(m_keys.at(first + r), r);
            keys << m_keys.at(first + r);
        }
        const QString keyName = m_fields.keyName();
        Statement select(
            m_db.sqliteHandle(),
            QStringLiteral("SELECT ") + keyName + QStringLiteral(", ") + m_fields.allColumns() +
                QStringLiteral(" FROM ") + quoteIdentifier(table()) + QStringLiteral(" WHERE ") +
                keyName + QStringLiteral(" IN (") + rowsql::placeholders(rows) + QLatin1Char(')'));
        select.bind(keys);
        while (select.next()) {
            const int r = rowOfKey.value(select.int64(0), -1);
            if (r < 0)
                continue;
            for (int f = 0; f < columns; ++f)
                values[r * columns + f] = select.value(f + 1);
        }
        if (select.error())
            return select.error();
    }
    m_pages.store(pageIndex, std::move(values));
    return {};
}

void RecordSet::setKey(int row, qint64 key)
{
    m_keys[row] = key;
    m_pages.forgetPageOf(row);
}

void RecordSet::appendKey(qint64 key)
{
    m_keys.append(key);
    m_pages.forgetPageOf(count() - 1);
}

void RecordSet::dropRows(int first, int count)
{
    m_keys.remove(first, count);
    m_pages.forgetAll();
}

} // namespace db
