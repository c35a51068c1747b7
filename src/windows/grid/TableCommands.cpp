#include "windows/grid/TableCommands.h"

#include "windows/grid/frmDataGrid.h"

frmDataGrid* openTableWindow(QMdiArea* area, const QString& databasePath,
                             const QString& recordSource, int number)
{
    auto* window = new frmDataGrid(databasePath, recordSource);
    // A window whose load failed has shown its error and is gone: no Tag,
    // so the table can be opened again once the cause is mended.
    if (!frmDataGrid::loadAndShow(area, window))
        return nullptr;
    window->setTag(QString::number(number));
    return window;
}
