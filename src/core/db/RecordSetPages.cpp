// The record set's keyset and page cache: the keys of its rows in order,
// and the rows' values read a page at a time, as the grid scrolls.
#include "core/db/RecordSet.h"

#include "core/db/Database.h"
#include "core/db/RowSql.h"
#include "core/db/Statement.h"

#include <algorithm>
#include <utility>

namespace db {

Error RecordSet::readKeys(QVector<qint64>* keys) const
{
    keys->clear();
    const QString from = QStringLiteral(" FROM ") + quoteIdentifier(m_table) + whereClause();
    if (m_keyName.isEmpty()) {
        // Without a rowid the rows are addressed by their place in the order.
        Statement count(m_db.sqliteHandle(), QStringLiteral("SELECT count(*)") + from);
        count.bind(m_filterParams);
        if (!count.next())
            return count.error();
        const qint64 n = count.int64(0);
        keys->resize(n);
        std::iota(keys->begin(), keys->end(), qint64(0));
        return {};
    }
    Statement select(m_db.sqliteHandle(),
                     QStringLiteral("SELECT ") + m_keyName + from + orderClause());
    select.bind(m_filterParams);
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
    forgetPages();
    return {};
}

void RecordSet::forgetPages()
{
    m_pages.clear();
}

void RecordSet::forgetPageOf(int row)
{
    const int page = row / PageSize;
    m_pages.removeIf([page](const Page& p) { return p.index == page; });
}

bool RecordSet::differsFromCache(int row, const Statement& select, int firstColumn,
                                 const QList<int>& fields) const
{
    const int pageIndex = row / PageSize;
    const auto page = std::find_if(m_pages.begin(), m_pages.end(),
                                   [pageIndex](const Page& p) { return p.index == pageIndex; });
    if (page == m_pages.end())
        return false;
    const qsizetype first = qsizetype(row - pageIndex * PageSize) * fieldCount();
    for (int i = 0; i < fields.size(); ++i) {
        if (!sameStoredValue(page->values.at(first + fields.at(i)), select.value(firstColumn + i)))
            return true;
    }
    return false;
}

QVariant RecordSet::value(int row, int field)
{
    if (row < 0 || row >= count() || field < 0 || field >= fieldCount())
        return {};
    const int pageIndex = row / PageSize;
    auto page = std::find_if(m_pages.begin(), m_pages.end(),
                             [pageIndex](const Page& p) { return p.index == pageIndex; });
    if (page == m_pages.end()) {
        if (Error e = readPage(pageIndex)) {
            if (!m_readError)
                m_readError = e;
            return {};
        }
        page = m_pages.end() - 1;
    }
    page->lastUse = ++m_useCounter;
    return page->values.at((row - pageIndex * PageSize) * fieldCount() + field);
}

Error RecordSet::takeReadError()
{
    return std::exchange(m_readError, Error());
}

QString RecordSet::keylessPageSql() const
{
    return QStringLiteral("SELECT ") + selectColumns() + QStringLiteral(" FROM ") +
           quoteIdentifier(m_table) + whereClause() + orderClause() +
           QStringLiteral(" LIMIT ? OFFSET ?");
}

Error RecordSet::readPage(int pageIndex)
{
    const int first = pageIndex * PageSize;
    const int rows = std::min(PageSize, count() - first);
    Page page;
    page.index = pageIndex;
    page.values.resize(qsizetype(rows) * fieldCount());

    if (m_keyName.isEmpty()) {
        Statement select(m_db.sqliteHandle(), keylessPageSql());
        select.bind(m_filterParams);
        select.bind(QVariantList{rows, first}, int(m_filterParams.size()) + 1);
        for (int r = 0; r < rows && select.next(); ++r) {
            for (int f = 0; f < fieldCount(); ++f)
                page.values[r * fieldCount() + f] = select.value(f);
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
        Statement select(m_db.sqliteHandle(),
                         QStringLiteral("SELECT ") + m_keyName + QStringLiteral(", ") +
                             selectColumns() + QStringLiteral(" FROM ") + quoteIdentifier(m_table) +
                             QStringLiteral(" WHERE ") + m_keyName + QStringLiteral(" IN (") +
                             rowsql::placeholders(rows) + QLatin1Char(')'));
        select.bind(keys);
        while (select.next()) {
            const int r = rowOfKey.value(select.int64(0), -1);
            if (r < 0)
                continue;
            for (int f = 0; f < fieldCount(); ++f)
                page.values[r * fieldCount() + f] = select.value(f + 1);
        }
        if (select.error())
            return select.error();
    }

    if (m_pages.size() >= CachedPages) {
        m_pages.erase(
            std::min_element(m_pages.begin(), m_pages.end(),
                             [](const Page& a, const Page& b) { return a.lastUse < b.lastUse; }));
    }
    page.lastUse = ++m_useCounter;
    m_pages.append(std::move(page));
    return {};
}

QVector<QVariant> RecordSet::rowValues(int row)
{
    QVector<QVariant> values(fieldCount());
    for (int field = 0; field < fieldCount(); ++field)
        values[field] = value(row, field);
    return values;
}

void RecordSet::dropRows(int first, int count)
{
    m_keys.remove(first, count);
    forgetPages();
}

} // namespace db
