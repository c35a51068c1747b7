#include "windows/players/PlayerCommands.h"

#include "windows/players/PlayerWindow.h"
#include "windows/players/PlayerWindows.h"

PlayerWindow* openPlayerWindow(PlayerWindows& open, QMdiArea* area, const QString& databasePath)
{
    return PlayerWindow::showSingle(open, area, databasePath) ? open.grid.data() : nullptr;
}
