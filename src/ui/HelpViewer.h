#pragma once

#include <QString>

class QWidget;
class QTextBrowser;

// The help viewer. The help file "Yardmark99.HLP" is an HTML page in the
// program's folder; a topic is the anchor named by its context id.
namespace helpTopic {
inline constexpr int GlobalEdit = 320;
inline constexpr int PlayerSettings = 520;
} // namespace helpTopic

// Sets the help file path. Called once when the main window loads.
void initHelp();
// The same for a given program folder (the executable's folder above).
void initHelp(const QString& programFolder);
void showHelpTopic(int contextId);
void showHelpContents();
// Closes the help window: the program no longer needs it.
void quitHelp();

// The help file path for a program folder: the folder, a separator unless
// the folder already ends in one, then "Yardmark99.HLP".
QString helpFilePathFor(const QString& programFolder);

// The help window, or nullptr while none is open. For tests.
QTextBrowser* helpWindow();
// The last topic asked for: a context id, or 0 for the contents.
int lastHelpRequest();
