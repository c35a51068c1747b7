#pragma once

#include "core/db/Error.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QVariant>
#include <QVector>
#include <functional>
#include <optional>

namespace db {

class RecordSet;

// The file change counter (see Database::changeCounter) a write found under
// its lock, and the one its commit left: one more when it wrote anything.
struct CounterMove {
    quint32 found = 0;
    quint32 left = 0;
};

// The guarded writes to a record set's rows. Every write checks that the row
// it addresses still holds what the grid read (another program may have
// emptied and refilled the table, and SQLite reuses ids: RowVanished), and
// that exactly that one row was added, changed or removed (a constraint or
// trigger may skip or widen it: WriteSkipped). Either way nothing is written.
// The record set's keys follow what was written.
class RowWriter
{
public:
    explicit RowWriter(RecordSet& records) : m_records(records) {}

    // Writes the given fields (by index) of one row, whose values were seen
    // as `seen` (field by field). The values are converted first; nothing is
    // written unless all of them fit.
    Error update(int row, const QHash<int, QVariant>& values, const QVector<QVariant>& seen);
    // Writes stored values as they are, in their storage type, when the
    // fields in expected still hold those values (the others may differ).
    Error updateStored(int row, const QHash<int, QVariant>& values,
                       const QHash<int, QVariant>& expected);
    // The same guarded write checking every field against seen (a whole row
    // as read), of values already in stored form.
    Error updateStored(int row, const QHash<int, QVariant>& stored, const QVector<QVariant>& seen);
    // Inserts a row with the given fields and appends the key SQLite returns
    // for it at the end.
    Error insert(const QHash<int, QVariant>& values);
    // Deletes the rows, as RecordSet::rowValues() shows them, in one
    // transaction. The rows stay in the keyset until RecordSet::dropRows.
    Error deleteRows(QList<int> rows);
    // Deletes every row of the record set when each still holds seen (row
    // by row, every field), in one transaction.
    Error deleteSeen(const QList<QVector<QVariant>>& seen);
    // Puts rows back under their own keys with their stored values (row by
    // row, every field), in one transaction; a key another row holds now
    // refuses all of them (RowVanished).
    Error insertWithKeys(const QList<QVector<QVariant>>& rows);

    // The file change counter the last write found and left, read under
    // that write's lock; empty when unknown.
    std::optional<CounterMove> lastCounterMove() const { return m_counterMove; }

private:
    // Runs write in one transaction and commits only when it says it took
    // and the table's row count moved by exactly rowsAdded; otherwise rolls
    // back and says the what ("change", "add", "delete") took nothing.
    Error countedWrite(const QString& what, qint64 rowsAdded,
                       const std::function<Error(bool* took)>& write);
    // Whether the table has a trigger or a REPLACE conflict clause, which
    // may add or drop rows in a change.
    Error mayChangeCount(bool* risk) const;
    // Checks that the row holds seen in fields (all of them when empty).
    Error confirmRow(qint64 key, const QVector<QVariant>& seen,
                     const QList<int>& fields = {}) const;
    Error writeStored(int row, const QHash<int, QVariant>& stored, const QVector<QVariant>& seen,
                      const QList<int>& checked);
    Error removeRows(const QList<int>& rows, const std::function<QVector<QVariant>(int)>& seenOf);
    // "... FROM table WHERE key = ?" and the like.
    QString whereKey() const;

    RecordSet& m_records;
    std::optional<CounterMove> m_counterMove;
};

// Rows as runs of neighbours (first, count), the highest run first: the
// order in which dropping one run leaves the others' positions valid.
QList<QPair<int, int>> runsFromLast(QList<int> rows);

} // namespace db
