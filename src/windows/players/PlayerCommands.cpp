#include "windows/players/PlayerCommands.h"

#include "windows/players/PlayerWindow.h"

PlayerWindow* openPlayerWindow(QMdiArea* area, const QString& databasePath)
{
    return PlayerWindow::showSingle(area, databasePath) ? PlayerWindow::instance() : nullptr;
}
