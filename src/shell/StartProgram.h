#pragma once

#include "core/db/Error.h"

#include <QString>

namespace shell {
// An outside program could not be started.
inline constexpr int StartFailed = 1016;
} // namespace shell

// Starts the program at path, by that path and without arguments, and never
// waits for it or watches it. A path where no file is fails with FileNotFound
// (53), so callers can ask for the program again; any other failure fails
// with StartFailed and the system's reason.
db::Error startProgram(const QString& path);
