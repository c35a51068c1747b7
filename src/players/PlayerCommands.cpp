#include "players/PlayerCommands.h"

void openPlayerWindow(QMdiArea*, QAction*)
{
}
