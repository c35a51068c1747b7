#pragma once

#include <QString>

class QAction;
class QMdiArea;

// A Table command (Conference, FreeAgents, League, Roster, Schedule, Team):
// unless menuItem is checked, opens a new table grid window for
// recordSource inside area, checks menuItem and sets the window's Tag to
// number.
void openTableWindow(QMdiArea* area, QAction* menuItem, const QString& recordSource, int number);
