#pragma once

#include <QStringList>

// `yardmark99 --import-access SOURCE TARGET`: an Access database imported
// into a new league file without any window, for batch use.

// Whether the command line asks for it (before any "--").
bool asksForAccessImport(int argc, char* argv[]);

// Imports as the command line says; prints what was done on the standard
// output, or the error on the error output. Returns the exit code: 0 when
// the file was written.
int runAccessImportCommand(const QStringList& arguments);
