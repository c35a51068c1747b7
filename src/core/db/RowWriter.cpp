// The guarded writes: each checks that the row still holds what was read,
// writes in one transaction and refuses a change the file's triggers or
// constraints widened or skipped.
#include "core/db/RowWriter.h"

#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/db/RowSql.h"
#include "core/db/Statement.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>

namespace db {

Error RowWriter::countedWrite(const QString& what, qint64 rowsAdded,
                              const std::function<Error(bool* took)>& write)
{
    Transaction transaction(m_records.database());
    qint64 before = 0, after = 0;
    bool took = false;
    bool counted = rowsAdded != 0;
    m_counterMove.reset();
    if (Error e = transaction.begin())
        return e;
    const std::optional<quint32> counter =
        m_records.database().changeCounter(); // under the write lock
    if (!counted) {
        if (Error e = mayChangeCount(&counted))
            return e;
    }
    if (counted) {
        if (Error e = m_records.countTableRows(&before))
            return e;
    }
    if (Error e = write(&took))
        return e;
    if (counted) {
        if (Error e = m_records.countTableRows(&after))
            return e;
    }
    if (!took || after - before != rowsAdded)
        return rowsql::writeSkipped(what);
    const bool wrote = m_records.database().transactionWrote();
    if (Error e = transaction.commit())
        return e;
    if (counter)
        m_counterMove = CounterMove{*counter, *counter + (wrote ? 1u : 0u)};
    return {};
}

// A change keeps the count unless a trigger or a REPLACE conflict clause
// adds or drops rows; counting a large table is most of the write's time, so
// it is done only where that can happen.
Error RowWriter::mayChangeCount(bool* risk) const
{
    Statement select(m_records.database().sqliteHandle(),
                     QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'trigger' OR "
                                    "(type = 'table' AND name = ? AND sql LIKE '%replace%') "
                                    "LIMIT 1"));
    select.bind(1, m_records.table());
    *risk = select.next();
    return select.error();
}

Error RowWriter::confirmRow(qint64 key, const QVector<QVariant>& seen,
                            const QList<int>& fields) const
{
    Statement select(m_records.database().sqliteHandle(),
                     QStringLiteral("SELECT ") + m_records.fields().allColumns() +
                         QStringLiteral(" FROM ") + quoteIdentifier(m_records.table()) +
                         whereKey());
    select.bind(1, key);
    if (!select.next())
        return select.error() ? select.error() : rowsql::rowVanished();
    for (int field = 0; field < m_records.fields().count(); ++field) {
        if ((fields.isEmpty() || fields.contains(field)) &&
            !sameStoredValue(select.value(field), seen.value(field)))
            return rowsql::rowVanished();
    }
    return {};
}

Error RowWriter::update(int row, const QHash<int, QVariant>& values, const QVector<QVariant>& seen)
{
    if (Error e = m_records.fields().checkWritable())
        return e;
    QHash<int, QVariant> stored;
    if (Error e = m_records.fields().convertAll(values, &stored))
        return e;
    return writeStored(row, stored, seen, {});
}

Error RowWriter::updateStored(int row, const QHash<int, QVariant>& values,
                              const QHash<int, QVariant>& expected)
{
    if (Error e = m_records.fields().checkWritable())
        return e;
    QVector<QVariant> seen(m_records.fields().count());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (it.key() < 0 || it.key() >= m_records.fields().count())
            return rowsql::rowVanished();
        seen[it.key()] = it.value();
    }
    return writeStored(row, values, seen, expected.keys());
}

Error RowWriter::updateStored(int row, const QHash<int, QVariant>& stored,
                              const QVector<QVariant>& seen)
{
    return writeStored(row, stored, seen, {});
}

Error RowWriter::writeStored(int row, const QHash<int, QVariant>& stored,
                             const QVector<QVariant>& seen, const QList<int>& checked)
{
    if (row < 0 || row >= m_records.count())
        return rowsql::rowVanished();
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        if (it.key() < 0 || it.key() >= m_records.fields().count())
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
            return confirmRow(m_records.key(row), seen, checked);
        });
    QStringList assignments;
    QVariantList params;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        assignments << quoteIdentifier(m_records.fields().name(it.key())) + QStringLiteral(" = ?");
        params << it.value();
    }
    params << m_records.key(row);

    // The edit may change the key itself (an INTEGER PRIMARY KEY column is
    // the rowid): keep the new one, or later writes would miss the row or
    // hit another.
    QList<qint64> newKeys;
    const Error written = countedWrite(QStringLiteral("change"), 0, [&](bool* took) {
        if (Error e = confirmRow(m_records.key(row), seen, checked))
            return e;
        Error e = m_records.database().query(
            QStringLiteral("UPDATE ") + quoteIdentifier(m_records.table()) +
                QStringLiteral(" SET ") + assignments.join(QStringLiteral(", ")) + whereKey() +
                QStringLiteral(" RETURNING ") + m_records.fields().keyName(),
            params, [&](const Statement& q) { newKeys << q.value(0).toLongLong(); });
        *took = newKeys.size() == 1;
        return e;
    });
    if (written)
        return written;
    m_records.setKey(row, newKeys.first());
    return {};
}

Error RowWriter::insert(const QHash<int, QVariant>& values)
{
    if (Error e = m_records.fields().checkWritable())
        return e;
    QHash<int, QVariant> stored;
    if (Error e = m_records.fields().convertAll(values, &stored))
        return e;
    QStringList names;
    QVariantList params;
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        names << quoteIdentifier(m_records.fields().name(it.key()));
        params << it.value();
    }
    const QString sql =
        QStringLiteral("INSERT INTO ") + quoteIdentifier(m_records.table()) +
        (names.isEmpty() ? QStringLiteral(" DEFAULT VALUES")
                         : QStringLiteral(" (") + names.join(QStringLiteral(", ")) +
                               QStringLiteral(") VALUES (") +
                               rowsql::placeholders(int(names.size())) + QLatin1Char(')')) +
        QStringLiteral(" RETURNING ") + m_records.fields().keyName();

    // A constraint with ON CONFLICT IGNORE or a trigger may skip the row:
    // then SQLite returns no id, and the last insert's id would name
    // another, real row.
    QList<qint64> newKeys;
    const Error written = countedWrite(QStringLiteral("add"), 1, [&](bool* took) {
        if (Error e = m_records.database().query(
                sql, params, [&](const Statement& q) { newKeys << q.value(0).toLongLong(); }))
            return e;
        if (newKeys.size() != 1)
            return Error();
        Statement added(m_records.database().sqliteHandle(),
                        QStringLiteral("SELECT 1 FROM ") + quoteIdentifier(m_records.table()) +
                            whereKey());
        added.bind(1, newKeys.first());
        *took = added.next();
        return added.error();
    });
    if (written)
        return written;
    // The new row goes at the end, whatever the sort says, until a requery.
    m_records.appendKey(newKeys.first());
    return {};
}

Error RowWriter::deleteRows(QList<int> rows)
{
    if (Error e = m_records.fields().checkWritable())
        return e;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty())
        return {};
    if (rows.first() < 0 || rows.last() >= m_records.count())
        return rowsql::rowVanished();
    // The rows as the grid shows them, not whatever now holds their ids.
    return removeRows(rows, [this](int row) { return m_records.rowValues(row); });
}

Error RowWriter::deleteSeen(const QList<QVector<QVariant>>& seen)
{
    if (Error e = m_records.fields().checkWritable())
        return e;
    if (seen.size() != m_records.count())
        return rowsql::rowVanished();
    QList<int> rows(m_records.count());
    std::iota(rows.begin(), rows.end(), 0);
    return removeRows(rows, [&seen](int row) { return seen.at(row); });
}

Error RowWriter::removeRows(const QList<int>& rows,
                            const std::function<QVector<QVariant>(int)>& seenOf)
{
    const QString sql =
        QStringLiteral("DELETE FROM ") + quoteIdentifier(m_records.table()) + whereKey();
    return countedWrite(QStringLiteral("delete"), -rows.size(), [&](bool* took) {
        for (int row : rows) {
            if (Error e = confirmRow(m_records.key(row), seenOf(row)))
                return e;
            if (Error e = m_records.database().execute(sql, {m_records.key(row)}))
                return e;
        }
        *took = true;
        return Error();
    });
}

Error RowWriter::insertWithKeys(const QList<QVector<QVariant>>& rows)
{
    if (Error e = m_records.fields().checkWritable())
        return e;
    if (rows.size() != m_records.count())
        return rowsql::rowVanished();
    QStringList names{m_records.fields().keyName()};
    for (const FieldInfo& f : m_records.fields())
        names << quoteIdentifier(f.name());
    const QString sql = QStringLiteral("INSERT INTO ") + quoteIdentifier(m_records.table()) +
                        QStringLiteral(" (") + names.join(QStringLiteral(", ")) +
                        QStringLiteral(") VALUES (") + rowsql::placeholders(int(names.size())) +
                        QLatin1Char(')');
    const QString taken =
        QStringLiteral("SELECT 1 FROM ") + quoteIdentifier(m_records.table()) + whereKey();
    const Error written = countedWrite(QStringLiteral("add"), rows.size(), [&](bool* took) {
        // Prepared once for every row: an undo may put back many.
        Statement held(m_records.database().sqliteHandle(), taken),
            insert(m_records.database().sqliteHandle(), sql);
        if (held.error() || insert.error())
            return held.error() ? held.error() : insert.error();
        for (int row = 0; row < m_records.count(); ++row) {
            if (rows.at(row).size() != m_records.fields().count())
                return rowsql::rowVanished();
            held.reset();
            held.bindInt64(1, m_records.key(row));
            if (held.next())
                return Error(
                    RowVanished,
                    QStringLiteral("Another row has taken the id %1 in %2 since, so "
                                   "the rows cannot be put back under their own ids "
                                   "and nothing was written.")
                        .arg(QString::number(m_records.key(row)), quotedText(m_records.table())));
            if (held.error())
                return held.error();
            if (Error e = insert.bind(QVariantList{m_records.key(row)} +
                                      QVariantList(rows.at(row).begin(), rows.at(row).end())))
                return e;
            if (Error e = insert.run())
                return e;
        }
        *took = true;
        return Error();
    });
    if (!written)
        m_records.forgetRows();
    return written;
}

QString RowWriter::whereKey() const
{
    return QStringLiteral(" WHERE ") + m_records.fields().keyName() + QStringLiteral(" = ?");
}

QList<QPair<int, int>> runsFromLast(QList<int> rows)
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
