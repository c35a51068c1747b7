#include "windows/globaledit/GlobalEditCommand.h"

#include "ui/MdiPlacement.h"
#include "ui/Prompts.h"
#include "windows/globaledit/GlobalEditDialog.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QStyle>

namespace {
GlobalEditDialog* loadedDialog(const GlobalEditWindows& open)
{
    return open.dialog ? qobject_cast<GlobalEditDialog*>(open.dialog->widget()) : nullptr;
}

// The dialog whole when the main window has room for it, else as much as
// fits, scrolling for the rest.
void fitIntoArea(QMdiSubWindow* window, QMdiArea* area)
{
    const QMargins m = window->contentsMargins();
    QSize want = window->widget()->sizeHint() + QSize(m.left() + m.right(), m.top() + m.bottom());
    const QSize room = area->viewport()->size();
    const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (want.height() > room.height())
        want.rwidth() += bar;
    if (want.width() > room.width())
        want.rheight() += bar;
    window->setFixedSize(want.boundedTo(room));
    fitWindowIntoArea(window, area, window->size());
}

// Fits the dialog again whenever the main window's document area changes
// size: a main window made larger shows all of it, a smaller one scrolls.
class AreaWatcher : public QObject
{
public:
    AreaWatcher(QMdiSubWindow* window, QMdiArea* area)
        : QObject(window), m_window(window), m_area(area)
    {
        area->viewport()->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize && m_window->isVisible())
            fitIntoArea(m_window, m_area);
        return false;
    }

private:
    QMdiSubWindow* m_window;
    QMdiArea* m_area;
};
} // namespace

void showGlobalEdit(GlobalEditWindows& open, QMdiArea* area, const QString& leaguePath,
                    const std::function<void(const QString&)>& showResult,
                    const std::function<QString(const backups::UndoPoint&)>& recordUndo)
{
    QPointer<QMdiSubWindow>& window = open.dialog;
    if (GlobalEditDialog* form = loadedDialog(open)) {
        if (const db::Error e = form->useLeague(leaguePath))
            Prompts::showError(area, e.message());
    } else {
        auto* newForm = new GlobalEditDialog(leaguePath);
        if (const db::Error e = newForm->readTeams()) {
            delete newForm;
            Prompts::showError(area, e.message());
            return;
        }
        newForm->setUndoReceiver(recordUndo);
        newForm->setPreviewHolder(open.preview);
        QObject::connect(newForm, &GlobalEditDialog::edited, area, showResult);
        // A fixed border, a close box, no minimize or maximize.
        window = new QMdiSubWindow(nullptr, Qt::SubWindow | Qt::CustomizeWindowHint |
                                                Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                Qt::WindowCloseButtonHint);
        window->setWidget(newForm);
        keepOthersMaximized(window, area);
        area->addSubWindow(window);
        window->setObjectName(QStringLiteral("frmGlobalWindow"));
        window->setAttribute(Qt::WA_DeleteOnClose); // the close box unloads it
        // Activating it beside a maximized grid window would maximize it too,
        // a small dialog in a grey void: it stays as it is.
        QObject::connect(window, &QMdiSubWindow::windowStateChanged, window,
                         [w = window.data()](Qt::WindowStates, Qt::WindowStates now) {
                             if (now & Qt::WindowMaximized)
                                 w->showNormal();
                         });
        new AreaWatcher(window, area);
        newForm->setFocus();
    }
    // Window > Close All takes a dialog put away out of the area without
    // unloading it: it goes back in.
    if (!area->subWindowList().contains(window))
        area->addSubWindow(window);
    fitIntoArea(window, area);
    window->show();
    area->setActiveSubWindow(window);
}

void globalEditLeagueChanged(const GlobalEditWindows& open, const QString& leaguePath)
{
    // An unreadable league is said when the dialog is next used.
    if (GlobalEditDialog* form = loadedDialog(open))
        form->useLeague(leaguePath);
}
