#include "players/frmDataGridPlayers.h"

frmDataGridPlayers* frmDataGridPlayers::instance()
{
    return nullptr;
}

void frmDataGridPlayers::GetSettings()
{
}
