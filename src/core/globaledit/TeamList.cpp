#include "core/globaledit/TeamList.h"

#include "core/db/Database.h"

#include <QVariant>
#include <cmath>
#include <optional>

namespace globaledit {

namespace {
// 2^63: the first double beyond the 64-bit range.
constexpr double Beyond64Bits = 9223372036854775808.0;

std::optional<qint64> wholeId(const QVariant& value)
{
    if (value.isNull()) // typed after its column, so it would read as 0
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        return value.toLongLong();
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (std::trunc(d) == d && d >= -Beyond64Bits && d < Beyond64Bits)
            return qint64(d);
        return std::nullopt;
    }
    default: // NULL, text, blobs
        return std::nullopt;
    }
}
} // namespace

db::Error readTeamList(const QString& path, QList<Team>& teams)
{
    teams.clear();
    db::Database database;
    if (db::Error e = database.open(path))
        return e;
    return database.query(QStringLiteral("SELECT TeamName, TeamID FROM TEAM ORDER by TeamName"), {},
                          [&](const db::Statement& q) {
                              if (const std::optional<qint64> id = wholeId(q.value(1)))
                                  teams.append({q.value(0).toString(), *id});
                          });
}

} // namespace globaledit
