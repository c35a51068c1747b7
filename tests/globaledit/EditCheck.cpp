#include "EditCheck.h"

#include "db/Database.h"
#include "db/Schema.h"

#include <QSqlQuery>

namespace editcheck {

using namespace globaledit;

namespace {
int columnIndex(const QString& name)
{
    return db::schema::playerColumnIndex(name);
}

Rating ratingOf(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Double:
        return v.toDouble();
    default:
        return std::nullopt; // text and the like pass through untouched
    }
}

QVariant stored(const QVariant& before, Rating after)
{
    if (!after || ratingOf(before) == after)
        return before;
    return QVariant(qint64(*after));
}

bool selected(const QVariantList& row, const GlobalEdit& edit)
{
    static const int team = columnIndex(QStringLiteral("TeamId"));
    static const int position = columnIndex(QStringLiteral("CurrentPos"));
    if (edit.team && row.at(team).toLongLong() != *edit.team)
        return false;
    const int p = row.at(position).toInt();
    return p >= 0 && p < db::schema::PositionCount && edit.positions.test(size_t(p));
}
} // namespace

Snapshot snapshot(const QString& path)
{
    Snapshot result;
    db::Database database;
    if (database.open(path))
        return result;
    const QString sql = QStringLiteral("SELECT rowid, %1 FROM PlayerTable")
                            .arg(db::schema::playerColumns().join(QStringLiteral(", ")));
    database.query(sql, {}, [&](const QSqlQuery& q) {
        QVariantList row;
        for (int i = 1; i <= db::schema::PlayerColumnCount; ++i)
            row << q.value(i);
        result.insert(q.value(0).toLongLong(), row);
    });
    return result;
}

Snapshot expectedAfter(const Snapshot& before, const GlobalEdit& edit)
{
    Snapshot result = before;
    for (QVariantList& row : result) {
        if (!selected(row, edit))
            continue;
        for (int n = 1; n <= EditedRatingCount; ++n) {
            QVariant& a = row[columnIndex(db::schema::actualColumn(n))];
            QVariant& p = row[columnIndex(db::schema::potentialColumn(n))];
            const RatingPair r = edit.parameters.apply(n, {ratingOf(a), ratingOf(p)});
            a = stored(a, r.actual);
            p = stored(p, r.potential);
        }
    }
    return result;
}

QString firstDifference(const Snapshot& actual, const Snapshot& expected)
{
    if (actual.keys() != expected.keys())
        return QStringLiteral("the players differ: %1 against %2")
            .arg(actual.size())
            .arg(expected.size());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariantList& got = actual.value(it.key());
        for (int i = 0; i < db::schema::PlayerColumnCount; ++i) {
            if (got.at(i) != it.value().at(i) || got.at(i).isNull() != it.value().at(i).isNull())
                return QStringLiteral("rowid %1, %2: %3, expected %4")
                    .arg(it.key())
                    .arg(db::schema::playerColumns().at(i), got.at(i).toString(),
                         it.value().at(i).toString());
        }
    }
    return {};
}

int nonWholeRatingCells(const QString& path)
{
    QStringList conditions;
    for (int n = 1; n <= EditedRatingCount; ++n) {
        for (const QString& c : {db::schema::actualColumn(n), db::schema::potentialColumn(n)})
            conditions << QStringLiteral("typeof(%1) NOT IN ('integer', 'null')").arg(c);
    }
    int count = -1;
    db::Database database;
    if (!database.open(path))
        database.query(QStringLiteral("SELECT count(*) FROM PlayerTable WHERE ") +
                           conditions.join(QStringLiteral(" OR ")),
                       {}, [&](const QSqlQuery& q) { count = q.value(0).toInt(); });
    return count;
}

GlobalEdit sampleEdit()
{
    GlobalEdit edit;
    for (int i = 0; i < EditedRatingCount; ++i) {
        // Mixed signs and fractions, so halves and both bounds come up.
        edit.parameters.actualPercent[size_t(i)] = (i % 2 ? -1 : 1) * (7.5 + i);
        edit.parameters.potentialPercent[size_t(i)] = (i % 3 ? 1 : -1) * (12.5 + 2 * i);
    }
    edit.parameters.bounds = {5, 95, 10, 97.5};
    edit.positions.set();
    return edit;
}

} // namespace editcheck
