#pragma once

#include "core/db/Error.h"

#include <QString>

// What the record set's parts share: placeholder lists for statements and
// the refusals of a guarded write.
namespace db::rowsql {

// "?,?,?" for count values.
QString placeholders(int count);
// The row no longer holds what was read (or is gone): nothing was written.
Error rowVanished();
// The file's triggers or constraints skipped or widened a one-row change.
Error writeSkipped(const QString& what);

} // namespace db::rowsql
