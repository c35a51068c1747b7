#pragma once

#include "core/db/Error.h"

#include <functional>

namespace db {

class Database;

// Empties the seven league tables in their fixed order, all or none, in one
// BEGIN IMMEDIATE transaction. underLock runs first, once the write lock is
// held (the shell takes its backup there); its error, like any other, rolls
// everything back, and the description then says that no table was emptied.
Error clearLeague(Database& league, const std::function<Error()>& underLock = {});

} // namespace db
