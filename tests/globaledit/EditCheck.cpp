#include "EditCheck.h"

#include "core/db/Database.h"
#include "core/db/Schema.h"

#include <QFile>
#include <cmath>
#include <optional>

namespace editcheck {

using namespace globaledit;
using namespace Qt::StringLiterals;

Rating ratingOf(const QVariant& v)
{
    const auto type = v.typeId();
    if (v.isNull() || (type != QMetaType::LongLong && type != QMetaType::Double) ||
        !std::isfinite(v.toDouble()))
        return std::nullopt;
    return v.toDouble();
}

bool selects(const GlobalEdit& edit, const QVariantList& row)
{
    static const int team = db::schema::playerColumnIndex(QStringLiteral("TeamId"));
    static const int position = db::schema::playerColumnIndex(QStringLiteral("CurrentPos"));
    if (edit.team && row.at(team).toLongLong() != *edit.team)
        return false;
    // As CurrentPos = p compares: a stored number equal to p. Text, a
    // fraction or NULL is no one's position.
    const Rating p = ratingOf(row.at(position));
    return p && *p == std::floor(*p) && *p >= 0 && *p < db::schema::PositionCount &&
           edit.positions.test(size_t(*p));
}

Snapshot snapshot(const QString& path)
{
    Snapshot result;
    db::Database database;
    if (database.open(path))
        return result;
    const QString sql = QStringLiteral("SELECT rowid, %1 FROM PlayerTable")
                            .arg(db::schema::playerColumns().join(QStringLiteral(", ")));
    database.query(sql, {}, [&](const db::Statement& q) {
        QVariantList row;
        for (int i = 1; i <= db::schema::PlayerColumnCount; ++i)
            row << q.value(i);
        result.insert(q.value(0).toLongLong(), row);
    });
    return result;
}

Snapshot expectedAfter(const Snapshot& before, const GlobalEdit& edit)
{
    auto stored = [](const QVariant& was, Rating now) {
        return !now || ratingOf(was) == now ? was : QVariant(qint64(*now));
    };
    Snapshot result = before;
    for (QVariantList& row : result) {
        if (!selects(edit, row))
            continue;
        for (int n = 1; n <= EditedRatingCount; ++n) {
            QVariant& a = row[db::schema::playerColumnIndex(db::schema::actualColumn(n))];
            QVariant& p = row[db::schema::playerColumnIndex(db::schema::potentialColumn(n))];
            const RatingPair r = edit.parameters.apply(n, {ratingOf(a), ratingOf(p)});
            a = stored(a, r.actual);
            p = stored(p, r.potential);
        }
    }
    return result;
}

QString firstDifference(const Snapshot& actual, const Snapshot& expected)
{
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariantList got = actual.value(it.key());
        for (int i = 0; i < db::schema::PlayerColumnCount; ++i) {
            const QVariant g = got.value(i);
            if (g != it->at(i) || g.typeId() != it->at(i).typeId() ||
                g.isNull() != it->at(i).isNull())
                return u"rowid %1, %2: %3 (%4), expected %5 (%6)"_s.arg(
                    QString::number(it.key()), db::schema::playerColumns().at(i), g.toString(),
                    QLatin1String(g.typeName()), it->at(i).toString(),
                    QLatin1String(it->at(i).typeName()));
        }
    }
    return actual.size() == expected.size() ? QString() : u"the players differ"_s;
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

QString Leagues::generate(const leaguegen::LeagueOptions& options)
{
    const db::Error e = leaguegen::writeLeague(base(), options);
    return e ? e.message() : QString();
}

QString Leagues::copy()
{
    const QString path = m_dir.filePath(QStringLiteral("league%1.sqlite").arg(++m_copies));
    return QFile::copy(base(), path) ? path : QString();
}

} // namespace editcheck
