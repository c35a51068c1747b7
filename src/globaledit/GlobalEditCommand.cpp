#include "globaledit/GlobalEditCommand.h"

#include "globaledit/frmGlobal.h"
#include "shell/base/Prompts.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {
QPointer<QMdiSubWindow>& single()
{
    static QPointer<QMdiSubWindow> window;
    return window;
}

frmGlobal* loadedDialog()
{
    return single() ? qobject_cast<frmGlobal*>(single()->widget()) : nullptr;
}
} // namespace

void showGlobalEdit(QMdiArea* area, const QString& leaguePath,
                    const std::function<void(const QString&)>& showResult)
{
    QPointer<QMdiSubWindow>& window = single();
    if (frmGlobal* form = loadedDialog()) {
        if (const db::Error e = form->useLeague(leaguePath))
            Prompts::showError(area, e.number, e.description);
    } else {
        auto* newForm = new frmGlobal(leaguePath);
        if (const db::Error e = newForm->Form_Load()) {
            delete newForm;
            Prompts::showError(area, e.number, e.description);
            return;
        }
        QObject::connect(newForm, &frmGlobal::edited, area, showResult);
        // A fixed border, a close box, no minimize or maximize.
        window = area->addSubWindow(newForm, Qt::SubWindow | Qt::CustomizeWindowHint |
                                                 Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                 Qt::WindowCloseButtonHint);
        window->setObjectName(QStringLiteral("frmGlobalWindow"));
        window->setAttribute(Qt::WA_DeleteOnClose); // the close box unloads it
        window->adjustSize();
        window->setFixedSize(window->sizeHint());
        newForm->setFocus();
    }
    window->show();
    area->setActiveSubWindow(window);
}

void globalEditLeagueChanged(const QString& leaguePath)
{
    // An unreadable league is said when the dialog is next used.
    if (frmGlobal* form = loadedDialog())
        form->useLeague(leaguePath);
}
