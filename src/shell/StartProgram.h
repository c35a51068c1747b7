#pragma once

#include "db/Error.h"

#include <QString>

// Starts the program at path, by that path and without arguments, and never
// waits for it or watches it. A path where no file is fails with FileNotFound
// (53), so callers can ask for the program again; any other failure fails
// with StartFailed and the system's reason.
db::Error startProgram(const QString& path);
