#include "players/PlayerCommands.h"

#include "players/frmDataGridPlayers.h"
#include "shell/base/Globals.h"

#include <QAction>

void openPlayerWindow(QMdiArea* area, QAction* menuItem)
{
    mMain::CurrentTable = QStringLiteral("PlayerTable");
    // A window that failed to load has shown its error; the item stays
    // unchecked so the command can be tried again.
    if (frmDataGridPlayers::showSingle(area) && menuItem)
        menuItem->setChecked(true);
}
