#include "core/db/RowSql.h"

namespace db::rowsql {

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

} // namespace db::rowsql
