#include "shell/WindowMenu.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <utility>

namespace {
const QKeySequence CloseKey(Qt::CTRL | Qt::Key_F4);

// Children the user can switch to: a hidden Global Edit dialog is not one.
QList<QMdiSubWindow*> shownChildren(const QMdiArea* area)
{
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* w : area->subWindowList()) {
        if (w->isVisible())
            shown << w;
    }
    return shown;
}

// The title as the window's frame shows it: "[*]" marks where a changed
// window's "*" goes.
QString shownTitle(const QMdiSubWindow* window)
{
    const bool changed =
        window->isWindowModified() || (window->widget() && window->widget()->isWindowModified());
    return window->windowTitle().replace(QStringLiteral("[*]"),
                                         changed ? QStringLiteral("*") : QString());
}

// Ctrl+F4 is the Window menu's Close: a child's own Close item, which some
// platforms give it too, keeps only its other keys (Ctrl+W), so the key is
// never an ambiguous shortcut that closes nothing.
void leaveCloseKeyToMenu(QMdiSubWindow* window)
{
    QMenu* menu = window ? window->systemMenu() : nullptr;
    for (QAction* item : menu ? menu->actions() : QList<QAction*>()) {
        QList<QKeySequence> keys = item->shortcuts();
        if (keys.removeAll(CloseKey) > 0)
            item->setShortcuts(keys);
    }
}
} // namespace

WindowMenu::WindowMenu(QMenuBar* bar, QAction* before, QMdiArea* area)
    : QObject(bar), m_area(area), m_menu(new QMenu(QStringLiteral("&Window"), bar))
{
    m_menu->setObjectName(QStringLiteral("mnuWindow"));
    m_menu->menuAction()->setObjectName(QStringLiteral("mnuWindowAction"));
    // Between Table and Help, as in every multiple-document program.
    bar->insertMenu(before, m_menu);

    const struct {
        const char* name;
        const char* caption;
        QKeySequence keys;
        void (QMdiArea::*command)();
    } items[] = {
        {"mnuCascade", "&Cascade", {}, &QMdiArea::cascadeSubWindows},
        {"mnuTile", "&Tile", {}, &QMdiArea::tileSubWindows},
        {"mnuCloseWindow", "Cl&ose", CloseKey, &QMdiArea::closeActiveSubWindow},
        {"mnuCloseAll", "Close &All", {}, &QMdiArea::closeAllSubWindows},
        {nullptr, nullptr, {}, nullptr},
        {"mnuNextWindow", "&Next", QKeySequence(Qt::CTRL | Qt::Key_F6),
         &QMdiArea::activateNextSubWindow},
        {"mnuPreviousWindow", "&Previous", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6),
         &QMdiArea::activatePreviousSubWindow},
    };
    for (const auto& item : items) {
        if (!item.name) {
            m_menu->addSeparator();
            continue;
        }
        QAction* a = m_menu->addAction(QString::fromLatin1(item.caption));
        a->setObjectName(QString::fromLatin1(item.name));
        a->setShortcut(item.keys);
        connect(a, &QAction::triggered, m_area, item.command);
    }
    m_menu->addSeparator()->setObjectName(QStringLiteral("mnuWindowSpace"));
    connect(m_menu, &QMenu::aboutToShow, this, &WindowMenu::update);
    connect(m_area, &QMdiArea::subWindowActivated, this, &WindowMenu::update);
    connect(m_area, &QMdiArea::subWindowActivated, this, &leaveCloseKeyToMenu);
    update();
}

void WindowMenu::update()
{
    const QList<QMdiSubWindow*> shown = shownChildren(m_area);
    for (const char* name : {"mnuCascade", "mnuTile", "mnuCloseWindow", "mnuCloseAll",
                             "mnuNextWindow", "mnuPreviousWindow"})
        m_menu->findChild<QAction*>(QString::fromLatin1(name))->setEnabled(!shown.isEmpty());

    // Later: the item being chosen may be the one that asked for this.
    for (QAction* old : std::as_const(m_listItems)) {
        m_menu->removeAction(old);
        old->setObjectName({});
        old->deleteLater();
    }
    m_listItems.clear();
    for (int i = 0; i < shown.size(); ++i) {
        QMdiSubWindow* window = shown.at(i);
        // The first nine have their number as access key.
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QString::number(i + 1);
        QString title = shownTitle(window);
        QAction* item = m_menu->addAction(number + QLatin1Char(' ') +
                                          title.replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setObjectName(QStringLiteral("mnuWindow%1").arg(i + 1));
        item->setCheckable(true);
        item->setChecked(window == m_area->currentSubWindow());
        connect(item, &QAction::triggered, this, [this, window] { activate(window); });
        m_listItems << item;
    }
}

void WindowMenu::activate(QMdiSubWindow* window)
{
    if (!m_area->subWindowList().contains(window))
        return; // closed since the menu was built
    if (window->isMinimized())
        window->showNormal();
    // Activating it gives the focus to its own control, as Ctrl+F6 does.
    m_area->setActiveSubWindow(window);
    window->raise();
}
