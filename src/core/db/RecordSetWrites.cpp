// The record set's guarded writes: each checks that the row still holds
// what was read, writes in one transaction and refuses a change the file's
// triggers or constraints widened or skipped.
#include "core/db/RecordSet.h"

#include "core/db/Database.h"
#include "core/db/RowSql.h"
#include "core/db/Statement.h"

#include <QMap>
#include <QPair>
#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>

namespace db {

namespace rowsql {
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

} // namespace rowsql

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
        return rowsql::writeSkipped(what);
    const bool wrote = m_db.transactionWrote();
    if (Error e = transaction.commit())
        return e;
    if (counter)
        m_counterMove = CounterMove{*counter, *counter + (wrote ? 1u : 0u)};
    return {};
}

Error RecordSet::checkWritable() const
{
    if (isReadOnly())
        return {ReadOnlyRecordSet, m_readOnlyReason};
    return {};
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
        return select.error() ? select.error() : rowsql::rowVanished();
    for (int field = 0; field < fieldCount(); ++field) {
        if ((fields.isEmpty() || fields.contains(field)) &&
            !sameStoredValue(select.value(field), seen.value(field)))
            return rowsql::rowVanished();
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
            return rowsql::rowVanished();
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
        return rowsql::rowVanished();
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
    const QString sql =
        QStringLiteral("INSERT INTO ") + quoteIdentifier(m_table) +
        (names.isEmpty() ? QStringLiteral(" DEFAULT VALUES")
                         : QStringLiteral(" (") + names.join(QStringLiteral(", ")) +
                               QStringLiteral(") VALUES (") +
                               rowsql::placeholders(int(names.size())) + QLatin1Char(')')) +
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
        return rowsql::rowVanished();
    // The rows as the grid shows them, not whatever now holds their ids.
    return deleteRows(rows, [this](int row) { return rowValues(row); });
}

Error RecordSet::deleteSeen(const QList<QVector<QVariant>>& seen)
{
    if (Error e = checkWritable())
        return e;
    if (seen.size() != count())
        return rowsql::rowVanished();
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
        return rowsql::rowVanished();
    QStringList names{m_keyName};
    for (const FieldInfo& f : std::as_const(m_fields))
        names << quoteIdentifier(f.name());
    const QString sql = QStringLiteral("INSERT INTO ") + quoteIdentifier(m_table) +
                        QStringLiteral(" (") + names.join(QStringLiteral(", ")) +
                        QStringLiteral(") VALUES (") + rowsql::placeholders(int(names.size())) +
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
                return rowsql::rowVanished();
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
