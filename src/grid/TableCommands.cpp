#include "grid/TableCommands.h"

#include "grid/frmDataGrid.h"
#include "shell/base/Globals.h"

#include <QAction>

void openTableWindow(QMdiArea* area, QAction* menuItem, const QString& recordSource, int number)
{
    // The check mark says the table's window is open; it is not brought forward.
    if (menuItem && menuItem->isChecked())
        return;
    auto* window = new frmDataGrid;
    mMain::CurrentTable = recordSource;
    // A window whose load failed has shown its error and is gone: no check
    // mark and no Tag, so the table can be opened again once the cause is mended.
    if (!frmDataGrid::loadAndShow(area, window))
        return;
    if (menuItem)
        menuItem->setChecked(true);
    window->setTag(QString::number(number));
}
