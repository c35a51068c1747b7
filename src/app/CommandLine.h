#pragma once

#include <QString>

class MainWindow;

// The program's command line, read before QApplication exists, so that
// nothing here needs a display: --help and --version print and end the
// program (exit code 0); a usage error (an unknown option, a second league)
// is said on the error output and ends it with exit code 2. Qt's own options
// (-platform, -style, -session, ...) are left for QApplication. The one
// optional argument names a league file, which the main window then takes
// as File > Open takes a chosen file; a relative path is made absolute from
// the working directory now, as the file dialog gives full paths.
// Returns the exit code to end with, or -1 to go on with *league (empty
// when none is given).
int readCommandLine(int argc, char* argv[], QString* league);

// Hands a league named on the command line to the main window once it has
// shown and loaded, where it is taken as File > Open takes a chosen file.
void openLeagueWhenLoaded(MainWindow* main, const QString& path);
