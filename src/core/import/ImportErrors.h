#pragma once

// The import's own error numbers, from the program's range (db/Error.h).
namespace import {

inline constexpr int NotAccessFile = 1060;       // the source is no Jet/ACE database
inline constexpr int AccessProtected = 1061;     // a database password or encryption
inline constexpr int AccessDamaged = 1062;       // cut short, a bad page, phantom rows, a hang
inline constexpr int AccessUnreadable = 1063;    // a table or column type libmdb cannot read
inline constexpr int ImportTargetRefused = 1064; // the target is the source, the league or taken

} // namespace import
