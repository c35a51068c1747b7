#pragma once

#include "core/db/Error.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

namespace db {
class Database;
} // namespace db

namespace teams {

// One player as a window that shows a few of them reads him: his row key,
// "First Last" and the asked columns' values as stored.
struct PlayerRow {
    qint64 key = 0;
    QString name;
    QVariantList values;
};

// Reads the players with these rowids, in the order given, with one
// prepared statement; a key no row has any more is left out (missing, when
// given, learns which).
db::Error readPlayerRows(db::Database& database, const std::vector<qint64>& keys,
                         const QStringList& columns, std::vector<PlayerRow>& rows,
                         QList<qint64>* missing = nullptr);

} // namespace teams
