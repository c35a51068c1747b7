#include "history/RowStep.h"

#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/db/RowWriter.h"

#include <memory>
#include <utility>

RowStep::RowStep(RowChange change)
    : LeagueStep(change.league, change.text, change.counters), m_change(std::move(change))
{
}

namespace {

QList<qint64> keysOf(const QList<RowImage>& rows)
{
    QList<qint64> keys;
    for (const RowImage& row : rows)
        keys << row.key;
    return keys;
}

// The row's values in the record set's field order; false when a field is
// no longer in the table.
bool inFieldOrder(const db::RecordSet& rs, const QStringList& fields, const RowImage& row,
                  QVector<QVariant>* ordered)
{
    ordered->fill(QVariant(), rs.fields().count());
    if (fields.size() != rs.fields().count())
        return false;
    for (int i = 0; i < fields.size(); ++i) {
        const int field = rs.fields().indexOf(fields.at(i));
        if (field < 0)
            return false;
        (*ordered)[field] = row.values.value(i);
    }
    return true;
}

db::Error fieldsChanged(const QString& table)
{
    return {db::MissingField,
            QStringLiteral("The fields of the table \"%1\" have changed since, so nothing was "
                           "written.")
                .arg(table)};
}

} // namespace

db::Error RowStep::write(const QList<RowImage>& from, const QList<RowImage>& to)
{
    db::Database league;
    if (db::Error e = league.open(m_change.league))
        return e;
    std::unique_ptr<db::RecordSet> rs;
    if (db::Error e = db::RecordSet::openKeys(league, m_change.table,
                                              keysOf(from.isEmpty() ? to : from), &rs))
        return e;
    db::RowWriter writer(*rs);
    db::Error e;
    if (!from.isEmpty() && !to.isEmpty()) {
        // One row's fields, checked against what the step left there.
        QHash<int, QVariant> expected, values;
        for (int i = 0; i < m_change.fields.size(); ++i) {
            const int field = rs->fields().indexOf(m_change.fields.at(i));
            if (field < 0)
                return fieldsChanged(m_change.table);
            expected.insert(field, from.first().values.value(i));
            const QVariant& next = to.first().values.value(i);
            const QVariant& now = from.first().values.value(i);
            if (!db::sameStoredValue(next, now))
                values.insert(field, next);
        }
        e = writer.updateStored(0, values, expected);
    } else {
        QList<QVector<QVariant>> rows;
        for (const RowImage& row : from.isEmpty() ? to : from) {
            if (!inFieldOrder(*rs, m_change.fields, row, &rows.emplace_back()))
                return fieldsChanged(m_change.table);
        }
        e = from.isEmpty() ? writer.insertWithKeys(rows) : writer.deleteSeen(rows);
    }
    if (!e)
        setCounters(writer.lastCounterMove());
    return e;
}
