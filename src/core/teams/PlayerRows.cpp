#include "core/teams/PlayerRows.h"

#include "core/db/Database.h"
#include "core/db/Statement.h"

namespace teams {

db::Error readPlayerRows(db::Database& database, const std::vector<qint64>& keys,
                         const QStringList& columns, std::vector<PlayerRow>& rows,
                         QList<qint64>* missing)
{
    rows.clear();
    rows.reserve(keys.size());
    QStringList selected{QStringLiteral("FirstName"), QStringLiteral("LastName")};
    selected << columns;
    db::Statement select(database.sqliteHandle(),
                         QStringLiteral("SELECT ") + selected.join(QStringLiteral(", ")) +
                             QStringLiteral(" FROM PlayerTable WHERE rowid = ?"));
    for (const qint64 key : keys) {
        if (select.error())
            break;
        select.reset();
        select.bindInt64(1, key);
        if (!select.next()) {
            if (missing && !select.error())
                missing->append(key);
            continue;
        }
        PlayerRow row{key, QString(select.text(0) + u' ' + select.text(1)).trimmed(), {}};
        row.values.reserve(columns.size());
        for (int c = 0; c < columns.size(); ++c)
            row.values << select.value(2 + c);
        rows.push_back(std::move(row));
    }
    return select.error();
}

} // namespace teams
