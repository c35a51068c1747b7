#pragma once

class QAction;
class QMdiArea;

// Table > PlayerTable: shows the single player grid window inside area
// (loading it if needed, otherwise bringing it forward) and checks menuItem.
void openPlayerWindow(QMdiArea* area, QAction* menuItem);
