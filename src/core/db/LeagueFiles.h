#pragma once

#include "core/db/Error.h"

#include <QString>
#include <QStringList>
#include <optional>

// Whether a file the user names to write would land on a league some window
// holds. Paths can reach one file in many ways (a relative path, "..", a
// symbolic or hard link), so files are compared by identity (device and
// inode), never by their text. No widgets: every command that writes a
// user-named file (Export View as CSV, an import's target) asks it first.
namespace db {

// Whether a and b reach one file: the same device and inode, through
// symbolic links. A file not made yet is its folder's identity and its name,
// so a path to it is the same as another to that place. Empty: never.
bool sameFile(const QString& a, const QString& b);

// The held league that target reaches, when it reaches one: the league file
// itself, its "-journal", "-wal" or "-shm" file, or any file in its backups
// folder "<league>.backups". A target that does not exist yet reaches one of
// those when its folder is theirs and its name is theirs (for the backups
// folder, any name). Empty entries of heldLeagues are skipped.
std::optional<QString> isLeagueFile(const QString& target, const QStringList& heldLeagues);

// IsLeagueFile naming target and the league it reaches, or no error.
Error checkNotLeagueFile(const QString& target, const QStringList& heldLeagues);

} // namespace db
