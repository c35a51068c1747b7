#include "core/globaledit/Selection.h"

#include "core/db/Statement.h"

namespace globaledit {

Selection::Selection(const GlobalEdit& edit) : m_team(edit.team), m_positions(edit.positions) {}

QString Selection::sql(const QStringList& columns) const
{
    // The checked positions by their numbers, compared as CurrentPos = n
    // would: a stored 3.5 or "QB" is no one's position.
    QStringList positions;
    for (int p = 0; p < db::schema::PositionCount; ++p) {
        if (m_positions.test(size_t(p)))
            positions << QString::number(p);
    }
    QStringList selected{QStringLiteral("CurrentPos"), QStringLiteral("rowid")};
    selected << columns;
    return QStringLiteral("SELECT ") + selected.join(QStringLiteral(", ")) +
           QStringLiteral(" FROM PlayerTable WHERE ") +
           (m_team ? QStringLiteral("TeamID = ? AND ") : QString()) +
           QStringLiteral("CurrentPos IN (") + positions.join(QLatin1Char(',')) +
           QStringLiteral(") ORDER BY rowid");
}

void Selection::bind(db::Statement& statement) const
{
    if (m_team)
        statement.bindInt64(1, *m_team);
}

} // namespace globaledit
