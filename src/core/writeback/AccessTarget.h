#pragma once

#include "core/db/Error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The Access file a league is written back into: the checks before any byte
// of it is touched, and the record of the versions this program wrote.
namespace writeback {

inline constexpr int AccessChanged = 1071; // neither the imported file nor one the league wrote
inline constexpr int AccessInUse = 1072;   // a lock file beside it: Access or the converter has it
inline constexpr int AccessNotWritable = 1073; // encoded, read-only, hard-linked, the league itself
inline constexpr int NotAllWritable = 1074;   // some changes cannot be written, and part is refused
inline constexpr int WriteNotVerified = 1075; // the written copy did not read back as planned

// Where a write lands: through symbolic links to the real file.
QString realAccessPath(const QString& path);

// Refuses, with what to do, a file that is missing, no Access file, encoded,
// read-only (or in a folder that is), has other hard links, has an Access
// lock file beside it, or is one of the leagues (or their journals or backups).
db::Error checkAccessTarget(const QString& path, const QStringList& leagues);

struct Identity {
    qint64 size = 0;
    QByteArray sha256; // hex
    bool operator==(const Identity&) const = default;
};
Identity identityOf(const QByteArray& bytes);

// Whether this league (by the id its import gave it) wrote that version of
// the file at path: "<file>.backups/Write Back versions.txt".
bool wroteVersion(const QString& path, const QString& leagueId, const Identity& identity);
// Records a version, on disk when this returns.
db::Error recordVersion(const QString& path, const QString& leagueId, const Identity& identity);

} // namespace writeback
