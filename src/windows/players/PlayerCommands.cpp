#include "windows/players/PlayerCommands.h"

#include "windows/players/frmDataGridPlayers.h"

frmDataGridPlayers* openPlayerWindow(QMdiArea* area, const QString& databasePath)
{
    return frmDataGridPlayers::showSingle(area, databasePath) ? frmDataGridPlayers::instance()
                                                              : nullptr;
}
