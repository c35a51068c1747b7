#pragma once

class QMdiArea;

// Edit > Global Edit: shows the global edit dialog inside area, not modal;
// the first showing loads it, later ones bring back the same dialog.
void showGlobalEdit(QMdiArea* area);
