#pragma once

#include <QStringList>

// `yardmark99 --write-access LEAGUE ACCESSFILE`: a league's changes written
// back into the Access file it was imported from, without any window. It
// writes only when every change can be written, and never part of them.

// Whether the command line asks for it (before any "--").
bool asksForWriteBack(int argc, char* argv[]);

// Writes as the command line says. Returns the exit code: 0 when the changes
// were written or there were none, 1 when nothing was written (what cannot
// be written goes to the error output), 2 for a usage error.
int runWriteBackCommand(const QStringList& arguments);
