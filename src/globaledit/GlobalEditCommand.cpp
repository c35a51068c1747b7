#include "globaledit/GlobalEditCommand.h"

#include "globaledit/frmGlobal.h"
#include "shell/base/Prompts.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

void showGlobalEdit(QMdiArea* area)
{
    static QPointer<QMdiSubWindow> window;
    if (!window) {
        auto* form = new frmGlobal;
        if (const db::Error e = form->Form_Load()) {
            delete form;
            Prompts::showError(area, e.number, e.description);
            return;
        }
        // A fixed border, a close box, no minimize or maximize.
        window =
            area->addSubWindow(form, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        window->setObjectName(QStringLiteral("frmGlobalWindow"));
        window->setAttribute(Qt::WA_DeleteOnClose); // the close box unloads it
        window->adjustSize();
        window->setFixedSize(window->sizeHint());
        form->setFocus();
    }
    window->show();
    area->setActiveSubWindow(window);
}
