#include "players/PlayerCommands.h"

#include "players/frmDataGridPlayers.h"

frmDataGridPlayers* openPlayerWindow(QMdiArea* area, const QString& databasePath)
{
    return frmDataGridPlayers::showSingle(area, databasePath) ? frmDataGridPlayers::instance()
                                                              : nullptr;
}
