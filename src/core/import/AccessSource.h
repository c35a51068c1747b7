#pragma once

#include "core/import/Source.h"

#include <memory>

namespace import {

// Opens an Access (Jet 3, Jet 4 or ACE) database read-only through libmdb and
// reads its user tables (system and linked tables left out). On failure
// returns nullptr with error set: a table or a column type that cannot be
// read is named. Call checkAccessFile first: libmdb trusts the file. Without
// identify, origin() leaves out the file's SHA-256 (a reader that knows the
// bytes already need not read them twice).
std::unique_ptr<Source> openAccessSource(const QString& path, db::Error& error,
                                         bool identify = true);

} // namespace import
