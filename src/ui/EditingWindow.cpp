#include "ui/EditingWindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>

bool settlePendingEdits(QMdiArea* area)
{
    for (QMdiSubWindow* sub : area->subWindowList()) {
        if (auto* editing = dynamic_cast<EditingWindow*>(sub->widget());
            editing && !editing->resolvePendingEdit())
            return false;
    }
    return true;
}
