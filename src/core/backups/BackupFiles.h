#pragma once

// What the backup files share among themselves: the folder's listing, the
// next backup's name, and the copy that writes a whole file or nothing.
// Internal to the backups module.

#include "core/backups/Backups.h"

#include <QString>
#include <functional>
#include <tuple>

namespace backups::detail {

// A league's backups end in ".mdb"; an Access file's copies in its own extension.
inline const QString LeagueExtension = QStringLiteral("mdb");

struct Entry {
    Backup backup;
    // Numbered names sort after every older name, then by their number.
    std::tuple<bool, qint64, int> order;
};

// The backups in a league's folder, newest first.
QList<Entry> entries(const QString& leaguePath, const QString& extension = LeagueExtension);

// The next backup's path: numbered one above every backup in the folder.
// Backups of one league are taken under its write lock, so no other program
// picks the same number meanwhile.
QString newPath(const QString& leaguePath, const QString& command,
                const QString& extension = LeagueExtension);

QString systemText(int error);

// Why a backup could not be written; a full disk says so and names the file.
db::Error backupFailed(const QString& where, int error);

db::Error makeFolder(const QString& leaguePath);

// Copies a file no connection of ours holds, through a descriptor of its own.
// beforeRename runs just before the copy takes its name. Returns 0 or an errno value.
int copyPlainFile(const QString& from, const QString& to,
                  const std::function<int()>& beforeRename = {});

} // namespace backups::detail
