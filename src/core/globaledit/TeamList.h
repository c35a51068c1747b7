#pragma once

#include "core/db/Error.h"

#include <QList>
#include <QString>

namespace globaledit {

// One row of the league's Team table as the global edit offers it.
struct Team {
    QString name;
    qint64 id = 0;
};

// The teams of the league file at path, by name. A team whose TeamID is not
// a whole number within 64 bits (3.5, 1e30, text) matches no player's id
// exactly, so it is left out rather than rounded onto another team.
db::Error readTeamList(const QString& path, QList<Team>& teams);

} // namespace globaledit
