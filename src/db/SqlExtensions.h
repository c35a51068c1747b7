#pragma once

struct sqlite3;

namespace db {

// Collations and functions every connection gets: Unicode-aware,
// case-insensitive text comparison ("YM_NOCASE") and what filters need.
void registerExtensions(sqlite3* handle);

} // namespace db
