#include "core/db/RecordSet.h"

#include "core/db/Database.h"
#include "core/db/ExpressionTree.h"
#include "core/db/Statement.h"

#include <QMap>
#include <QPair>
#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>

namespace db {

namespace {
QString placeholders(int count)
{
    QString list;
    list.reserve(count * 2);
    for (int i = 0; i < count; ++i)
        list += i ? QStringLiteral(",?") : QStringLiteral("?");
    return list;
}

Error rowVanished()
{
    return {RowVanished,
            QStringLiteral("Another program (or Clear Database) changed or removed this row "
                           "since the grid read it, so nothing was written. Refresh to see the "
                           "table as it is now.")};
}

Error writeSkipped(const QString& what)
{
    return {WriteSkipped,
            QStringLiteral("The table did not %1 exactly this one row (a constraint or trigger "
                           "in the league file skipped or widened the change), so nothing was "
                           "changed.")
                .arg(what)};
}

} // namespace

bool sameStoredValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a.typeId() == b.typeId() && a == b;
}

RecordSet::RecordSet(Database& database) : m_db(database) {}

Error RecordSet::openUnkeyed(Database& database, const QString& table,
                             std::unique_ptr<RecordSet>* out)
{
    if (!database.isOpen())
        return {NoLeagueFileChosen, QStringLiteral("The league file is not open.")};
    const QString stored = database.storedTableName(table);
    if (stored.isEmpty())
        return {MissingTable, QStringLiteral("The league file has no table \"%1\".").arg(table)};
    std::unique_ptr<RecordSet> rs(new RecordSet(database));
    rs->m_table = stored;
    if (Error e = rs->readFields(stored))
        return e;
    *out = std::move(rs);
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
    if (Error e = rs->checkWritable())
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
    Statement exists(database.sqliteHandle(),
                     QStringLiteral("SELECT 1 FROM ") + quoteIdentifier(rs->m_table) +
                         QStringLiteral(" WHERE ") + rs->m_keyName + QStringLiteral(" = ?"));
    exists.bind(1, key);
    if (!exists.next())
        return exists.error() ? exists.error() : rowVanished();
    *out = std::move(rs);
    return {};
}

Error RecordSet::readFields(const QString& table)
{
    QMap<int, QString> keyParts; // primary key columns by position, for tables without rowid
    Error e =
        m_db.query(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?) ORDER BY cid"),
                   {table}, [&](const Statement& q) {
                       const FieldInfo field =
                           describeField(q.value(0).toString(), q.value(1).toString());
                       m_fields << field;
                       if (const int part = q.value(2).toInt(); part > 0)
                           keyParts.insert(part, field.name());
                   });
    if (e)
        return e;

    // A column may shadow one spelling of the rowid; any free one will do.
    for (const QString& alias :
         {QStringLiteral("rowid"), QStringLiteral("oid"), QStringLiteral("_rowid_")}) {
        if (fieldIndex(alias) < 0) {
            Statement probe(
                m_db.sqliteHandle(),
                QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(alias, quoteIdentifier(m_table)));
            if (!probe.error())
                m_keyName = alias;
            break;
        }
    }
    if (m_keyName.isEmpty()) {
        m_readOnlyReason =
            QStringLiteral("The table \"%1\" has no rowid, so its rows cannot be told apart "
                           "for editing: it is shown read-only.")
                .arg(m_table);
        for (const QString& part : std::as_const(keyParts))
            m_orderTail << quoteIdentifier(part);
    } else {
        m_orderTail << m_keyName;
    }
    return {};
}

int RecordSet::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).name().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void RecordSet::setFieldAliases(const QList<QPair<QString, QString>>& aliasAndField)
{
    for (FieldInfo& field : m_fields)
        field.def.aliases.clear();
    for (const auto& [alias, name] : aliasAndField) {
        if (const int i = fieldIndex(name); i >= 0 && alias.compare(name, Qt::CaseInsensitive))
            m_fields[i].def.aliases << alias;
    }
}

QString RecordSet::whereClause() const
{
    if (m_filterSql.isEmpty())
        return {};
    return QStringLiteral(" WHERE (") + m_filterSql.join(QStringLiteral(") AND (")) +
           QLatin1Char(')');
}

QString RecordSet::orderClause() const
{
    const QStringList order = m_sortSql + m_orderTail;
    if (order.isEmpty())
        return {};
    return QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
}

QString RecordSet::selectColumns() const
{
    QStringList names;
    names.reserve(m_fields.size());
    for (const FieldInfo& f : m_fields)
        names << quoteIdentifier(f.name());
    return names.join(QStringLiteral(", "));
}

Error RecordSet::countTableRows(qint64* rows) const
{
    Statement count(m_db.sqliteHandle(),
                    QStringLiteral("SELECT count(*) FROM ") + quoteIdentifier(m_table));
    if (!count.next())
        return count.error();
    *rows = count.int64(0);
    return {};
}

Error RecordSet::countedWrite(const QString& what, qint64 rowsAdded,
                              const std::function<Error(bool* took)>& write)
{
    Transaction transaction(m_db);
    qint64 before = 0, after = 0;
    bool took = false;
    bool counted = rowsAdded != 0;
    m_counterMove.reset();
    if (Error e = transaction.begin())
        return e;
    const std::optional<quint32> counter = m_db.changeCounter(); // under the write lock
    if (!counted) {
        // A change keeps the count unless a trigger or a REPLACE conflict
        // clause adds or drops rows; counting a large table is most of the
        // write's time, so it is done only where that can happen.
        Statement risk(m_db.sqliteHandle(),
                       QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'trigger' OR "
                                      "(type = 'table' AND name = ? AND sql LIKE '%replace%') "
                                      "LIMIT 1"));
        risk.bind(1, m_table);
        counted = risk.next();
        if (Error e = risk.error())
            return e;
    }
    if (counted) {
        if (Error e = countTableRows(&before))
            return e;
    }
    if (Error e = write(&took))
        return e;
    if (counted) {
        if (Error e = countTableRows(&after))
            return e;
    }
    if (!took || after - before != rowsAdded)
        return writeSkipped(what);
    const bool wrote = m_db.transactionWrote();
    if (Error e = transaction.commit())
        return e;
    if (counter)
        m_counterMove = CounterMove{*counter, *counter + (wrote ? 1u : 0u)};
    return {};
}

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

Error RecordSet::openDerived(const std::function<void(RecordSet&)>& addCondition,
                             std::unique_ptr<RecordSet>* out) const
{
    std::unique_ptr<RecordSet> rs(new RecordSet(m_db));
    rs->m_table = m_table;
    rs->m_keyName = m_keyName;
    rs->m_orderTail = m_orderTail;
    rs->m_readOnlyReason = m_readOnlyReason;
    rs->m_fields = m_fields;
    rs->m_filterTexts = m_filterTexts;
    rs->m_sortTexts = m_sortTexts;
    rs->m_filterSql = m_filterSql;
    rs->m_filterParams = m_filterParams;
    rs->m_sortSql = m_sortSql;
    rs->m_sortKeys = m_sortKeys;
    addCondition(*rs);
    // The very statements the grid runs are the check: the engine's parser
    // has less room for the user's nesting in them than in the compiler's probe.
    if (Error e = rs->readKeys(&rs->m_keys))
        return expr::filterEngineError(e);
    if (m_keyName.isEmpty()) {
        if (Error e = Statement(m_db.sqliteHandle(), rs->keylessPageSql()).error())
            return expr::filterEngineError(e);
    }
    *out = std::move(rs);
    return {};
}

QList<FieldDef> RecordSet::fieldDefs() const
{
    QList<FieldDef> defs;
    defs.reserve(m_fields.size());
    for (const FieldInfo& f : m_fields)
        defs << f.def;
    return defs;
}

Error RecordSet::openFiltered(const QString& filterText, std::unique_ptr<RecordSet>* out) const
{
    CompiledFilter filter;
    if (Error e = compileFilter(filterText, fieldDefs(), &filter))
        return e;
    return openDerived(
        [&](RecordSet& rs) {
            rs.m_filterTexts << filterText;
            rs.m_filterSql << filter.sql;
            rs.m_filterParams << filter.params;
        },
        out);
}

Error RecordSet::openFilteredByValue(int field, const QVariant& value, const QString& shownAs,
                                     std::unique_ptr<RecordSet>* out) const
{
    const QString name = quoteIdentifier(fieldName(field));
    const bool text = value.typeId() == QMetaType::QString;
    // As the filter compiler writes "[field] = 'text'" and "[field] = 12".
    const QString sql = value.isNull() ? name + QStringLiteral(" IS NULL")
                        : text         ? QStringLiteral("(%1 COLLATE YM_NOCASE = ?)").arg(name)
                                       : QStringLiteral("(%1 = ?)").arg(name);
    return openDerived(
        [&](RecordSet& rs) {
            rs.m_filterTexts << shownAs;
            rs.m_filterSql << sql;
            if (!value.isNull())
                rs.m_filterParams << value;
        },
        out);
}

Error RecordSet::openSorted(const QString& sortText, std::unique_ptr<RecordSet>* out) const
{
    CompiledSort sort;
    if (Error e = compileSort(sortText, fieldDefs(), &sort))
        return e;
    // The newest sort rules; the earlier ones only break its ties. An
    // earlier sort by none but the new one's fields breaks none (its rows tie
    // on those fields already), so it goes: a column clicked again and again
    // keeps one sort, not a growing list.
    return openDerived(
        [&](RecordSet& rs) {
            const auto sortsBy = [&](const SortKey& earlier) {
                return std::any_of(sort.keys.begin(), sort.keys.end(), [&](const SortKey& key) {
                    return key.field.compare(earlier.field, Qt::CaseInsensitive) == 0;
                });
            };
            for (qsizetype i = rs.m_sortKeys.size() - 1; i >= 0; --i) {
                const QList<SortKey>& earlier = rs.m_sortKeys.at(i);
                if (std::all_of(earlier.begin(), earlier.end(), sortsBy)) {
                    rs.m_sortTexts.removeAt(i);
                    rs.m_sortSql.removeAt(i);
                    rs.m_sortKeys.removeAt(i);
                }
            }
            rs.m_sortTexts.prepend(sortText);
            rs.m_sortSql.prepend(sort.sql);
            rs.m_sortKeys.prepend(sort.keys);
        },
        out);
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
                             placeholders(rows) + QLatin1Char(')'));
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

Error RecordSet::checkWritable() const
{
    if (isReadOnly())
        return {ReadOnlyRecordSet, m_readOnlyReason};
    return {};
}

QVector<QVariant> RecordSet::rowValues(int row)
{
    QVector<QVariant> values(fieldCount());
    for (int field = 0; field < fieldCount(); ++field)
        values[field] = value(row, field);
    return values;
}

Error RecordSet::confirmRow(qint64 key, const QVector<QVariant>& seen,
                            const QList<int>& fields) const
{
    Statement select(m_db.sqliteHandle(), QStringLiteral("SELECT ") + selectColumns() +
                                              QStringLiteral(" FROM ") + quoteIdentifier(m_table) +
                                              QStringLiteral(" WHERE ") + m_keyName +
                                              QStringLiteral(" = ?"));
    select.bind(1, key);
    if (!select.next())
        return select.error() ? select.error() : rowVanished();
    for (int field = 0; field < fieldCount(); ++field) {
        if ((fields.isEmpty() || fields.contains(field)) &&
            !sameStoredValue(select.value(field), seen.value(field)))
            return rowVanished();
    }
    return {};
}

Error RecordSet::update(int row, const QHash<int, QVariant>& values, const QVector<QVariant>& seen)
{
    if (Error e = checkWritable())
        return e;
    QHash<int, QVariant> stored;
    if (Error e = convertAll(values, &stored))
        return e;
    return writeStored(row, stored, seen, {});
}

Error RecordSet::updateStored(int row, const QHash<int, QVariant>& values,
                              const QHash<int, QVariant>& expected)
{
    if (Error e = checkWritable())
        return e;
    QVector<QVariant> seen(fieldCount());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (it.key() < 0 || it.key() >= fieldCount())
            return rowVanished();
        seen[it.key()] = it.value();
    }
    return writeStored(row, values, seen, expected.keys());
}

Error RecordSet::updateStored(int row, const QHash<int, QVariant>& stored,
                              const QVector<QVariant>& seen)
{
    return writeStored(row, stored, seen, {});
}

Error RecordSet::writeStored(int row, const QHash<int, QVariant>& stored,
                             const QVector<QVariant>& seen, const QList<int>& checked)
{
    if (row < 0 || row >= count())
        return rowVanished();
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        if (it.key() < 0 || it.key() >= fieldCount())
            return {UnknownField,
                    QStringLiteral("The table has no field number %1.").arg(it.key())};
    }
    // Nothing to write still answers whether the row holds what was seen: a
    // step that changed nothing is refused like any other once the row went.
    // It looks under the write lock, as a write would, so the history learns
    // the change counter it found.
    if (stored.isEmpty())
        return countedWrite(QStringLiteral("change"), 0, [&](bool* took) {
            *took = true;
            return confirmRow(key(row), seen, checked);
        });
    QStringList assignments;
    QVariantList params;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        assignments << quoteIdentifier(fieldName(it.key())) + QStringLiteral(" = ?");
        params << it.value();
    }
    params << key(row);

    // The edit may change the key itself (an INTEGER PRIMARY KEY column is
    // the rowid): keep the new one, or later writes would miss the row or
    // hit another.
    QList<qint64> newKeys;
    const Error written = countedWrite(QStringLiteral("change"), 0, [&](bool* took) {
        if (Error e = confirmRow(key(row), seen, checked))
            return e;
        Error e = m_db.query(
            QStringLiteral("UPDATE ") + quoteIdentifier(m_table) + QStringLiteral(" SET ") +
                assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") + m_keyName +
                QStringLiteral(" = ? RETURNING ") + m_keyName,
            params, [&](const Statement& q) { newKeys << q.value(0).toLongLong(); });
        *took = newKeys.size() == 1;
        return e;
    });
    if (written)
        return written;
    m_keys[row] = newKeys.first();
    forgetPageOf(row);
    return {};
}

Error RecordSet::insert(const QHash<int, QVariant>& values)
{
    if (Error e = checkWritable())
        return e;
    QHash<int, QVariant> stored;
    if (Error e = convertAll(values, &stored))
        return e;
    QStringList names;
    QVariantList params;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        names << quoteIdentifier(fieldName(it.key()));
        params << it.value();
    }
    const QString sql = QStringLiteral("INSERT INTO ") + quoteIdentifier(m_table) +
                        (names.isEmpty() ? QStringLiteral(" DEFAULT VALUES")
                                         : QStringLiteral(" (") + names.join(QStringLiteral(", ")) +
                                               QStringLiteral(") VALUES (") +
                                               placeholders(int(names.size())) + QLatin1Char(')')) +
                        QStringLiteral(" RETURNING ") + m_keyName;

    // A constraint with ON CONFLICT IGNORE or a trigger may skip the row:
    // then SQLite returns no id, and the last insert's id would name
    // another, real row.
    QList<qint64> newKeys;
    const Error written = countedWrite(QStringLiteral("add"), 1, [&](bool* took) {
        if (Error e = m_db.query(sql, params,
                                 [&](const Statement& q) { newKeys << q.value(0).toLongLong(); }))
            return e;
        if (newKeys.size() != 1)
            return Error();
        Statement added(m_db.sqliteHandle(),
                        QStringLiteral("SELECT 1 FROM ") + quoteIdentifier(m_table) +
                            QStringLiteral(" WHERE ") + m_keyName + QStringLiteral(" = ?"));
        added.bind(1, newKeys.first());
        *took = added.next();
        return added.error();
    });
    if (written)
        return written;
    // The new row goes at the end, whatever the sort says, until a requery.
    m_keys.append(newKeys.first());
    forgetPageOf(count() - 1);
    return {};
}

Error RecordSet::deleteFromFile(QList<int> rows)
{
    if (Error e = checkWritable())
        return e;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty())
        return {};
    if (rows.first() < 0 || rows.last() >= count())
        return rowVanished();
    // The rows as the grid shows them, not whatever now holds their ids.
    return deleteRows(rows, [this](int row) { return rowValues(row); });
}

Error RecordSet::deleteSeen(const QList<QVector<QVariant>>& seen)
{
    if (Error e = checkWritable())
        return e;
    if (seen.size() != count())
        return rowVanished();
    QList<int> rows(count());
    std::iota(rows.begin(), rows.end(), 0);
    return deleteRows(rows, [&seen](int row) { return seen.at(row); });
}

Error RecordSet::deleteRows(const QList<int>& rows,
                            const std::function<QVector<QVariant>(int)>& seenOf)
{
    const QString sql = QStringLiteral("DELETE FROM ") + quoteIdentifier(m_table) +
                        QStringLiteral(" WHERE ") + m_keyName + QStringLiteral(" = ?");
    return countedWrite(QStringLiteral("delete"), -rows.size(), [&](bool* took) {
        for (int row : rows) {
            if (Error e = confirmRow(key(row), seenOf(row)))
                return e;
            if (Error e = m_db.execute(sql, {key(row)}))
                return e;
        }
        *took = true;
        return Error();
    });
}

Error RecordSet::insertWithKeys(const QList<QVector<QVariant>>& rows)
{
    if (Error e = checkWritable())
        return e;
    if (rows.size() != count())
        return rowVanished();
    QStringList names{m_keyName};
    for (const FieldInfo& f : std::as_const(m_fields))
        names << quoteIdentifier(f.name());
    const QString sql = QStringLiteral("INSERT INTO ") + quoteIdentifier(m_table) +
                        QStringLiteral(" (") + names.join(QStringLiteral(", ")) +
                        QStringLiteral(") VALUES (") + placeholders(int(names.size())) +
                        QLatin1Char(')');
    const QString taken = QStringLiteral("SELECT 1 FROM ") + quoteIdentifier(m_table) +
                          QStringLiteral(" WHERE ") + m_keyName + QStringLiteral(" = ?");
    const Error written = countedWrite(QStringLiteral("add"), rows.size(), [&](bool* took) {
        // Prepared once for every row: an undo may put back many.
        Statement held(m_db.sqliteHandle(), taken), insert(m_db.sqliteHandle(), sql);
        if (held.error() || insert.error())
            return held.error() ? held.error() : insert.error();
        for (int row = 0; row < count(); ++row) {
            if (rows.at(row).size() != fieldCount())
                return rowVanished();
            held.reset();
            held.bindInt64(1, key(row));
            if (held.next())
                return Error(RowVanished,
                             QStringLiteral("Another row has taken the id %1 in %2 since, so "
                                            "the rows cannot be put back under their own ids "
                                            "and nothing was written.")
                                 .arg(QString::number(key(row)), quotedText(m_table)));
            if (held.error())
                return held.error();
            if (Error e = insert.bind(QVariantList{key(row)} +
                                      QVariantList(rows.at(row).begin(), rows.at(row).end())))
                return e;
            if (Error e = insert.run())
                return e;
        }
        *took = true;
        return Error();
    });
    if (!written)
        forgetPages();
    return written;
}

void RecordSet::dropRows(int first, int count)
{
    m_keys.remove(first, count);
    forgetPages();
}

QList<QPair<int, int>> RecordSet::runsFromLast(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<QPair<int, int>> runs;
    for (int row : std::as_const(rows)) {
        if (!runs.isEmpty() && runs.last().first == row + 1) {
            --runs.last().first;
            ++runs.last().second;
        } else {
            runs.append({row, 1});
        }
    }
    return runs;
}

} // namespace db
