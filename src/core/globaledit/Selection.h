#pragma once

#include "core/globaledit/GlobalEdit.h"

#include <QString>
#include <QStringList>
#include <bitset>

namespace db {
class Statement;
} // namespace db

namespace globaledit {

// The players a global edit changes: the checked positions' players of the
// chosen team (or of every team). The edit finds the rows it writes with
// this query and the preview reads the rows it counts with it, so what the
// preview shows and what OK writes cannot select different players.
class Selection
{
public:
    explicit Selection(const GlobalEdit& edit);

    // The columns of every row the query gives, before the ones asked for.
    static constexpr int PositionColumn = 0; // CurrentPos
    static constexpr int RowidColumn = 1;
    static constexpr int FirstExtraColumn = 2;

    // SELECT CurrentPos, rowid, columns... of the selected players, in
    // file (rowid) order. A team, when one is chosen, is its one parameter.
    QString sql(const QStringList& columns = {}) const;
    // Binds the team, when one is chosen, to a statement prepared from sql().
    void bind(db::Statement& statement) const;

private:
    TeamFilter m_team;
    std::bitset<db::schema::PositionCount> m_positions;
};

} // namespace globaledit
