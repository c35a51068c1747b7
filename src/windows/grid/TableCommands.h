#pragma once

#include <QString>

class QMdiArea;
class TableWindow;

// A Table command (Conference, FreeAgents, League, Roster, Schedule, Team):
// opens a new table grid window for tableOrQuery of the league at
// databasePath inside area. Returns the window, or nullptr when its load
// failed (the error has been shown and no window is left).
TableWindow* openTableWindow(QMdiArea* area, const QString& databasePath,
                             const QString& tableOrQuery);
