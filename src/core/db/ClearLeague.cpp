#include "core/db/ClearLeague.h"

#include "core/db/Database.h"
#include "core/db/Schema.h"

namespace db {

namespace {
// A failure inside the transaction was rolled back; say so, so the user
// knows the league is as it was and not half-cleared.
Error rolledBack(Error error)
{
    QString text = error.description.trimmed();
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    error.description = text + QStringLiteral(" No table was emptied.");
    return error;
}
} // namespace

Error clearLeague(Database& league, const std::function<Error()>& underLock)
{
    Transaction transaction(league);
    if (Error e = transaction.begin())
        return e;
    if (underLock) {
        if (Error e = underLock())
            return rolledBack(e);
    }
    for (const QString& table : schema::leagueTables()) {
        if (Error e = league.execute(QStringLiteral("DELETE FROM %1;").arg(table)))
            return rolledBack(e);
    }
    if (Error e = transaction.commit())
        return rolledBack(e);
    return {};
}

} // namespace db
