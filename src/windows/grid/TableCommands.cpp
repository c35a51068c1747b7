#include "windows/grid/TableCommands.h"

#include "windows/grid/SharedMeanings.h"
#include "windows/grid/TableWindow.h"

TableWindow* openTableWindow(QMdiArea* area, const QString& databasePath,
                             const QString& tableOrQuery)
{
    auto* window = new TableWindow(SharedMeanings::of(area), databasePath, tableOrQuery);
    // A window whose load failed has shown its error and is gone, so the
    // table can be opened again once the cause is mended.
    return TableWindow::bindAndShow(area, window) ? window : nullptr;
}
