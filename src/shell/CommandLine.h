#pragma once

#include <QString>
#include <QStringList>

class MDIMain;

// The program's command line: --help and --version print and end the
// program before any window opens, as does a wrong option (with a message
// on the error output); the one optional argument names a league file,
// which the main window then takes as File > Open takes a chosen file.
// Returns that path, or empty text when none is given.
QString leagueArgument(const QStringList& arguments);

// Hands a league named on the command line to the main window once it has
// shown and loaded, where it is taken as File > Open takes a chosen file.
void openLeagueWhenLoaded(MDIMain* main, const QString& path);
