#pragma once

#include <QString>

class QMdiArea;
class frmDataGrid;

// A Table command (Conference, FreeAgents, League, Roster, Schedule, Team):
// opens a new table grid window for recordSource of the league at
// databasePath inside area and sets its Tag to number. Returns the window, or
// nullptr when its load failed (the error has been shown and no window is
// left).
frmDataGrid* openTableWindow(QMdiArea* area, const QString& databasePath,
                             const QString& recordSource, int number);
