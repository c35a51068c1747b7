// The Window menu: arranging, closing and switching the child windows.
#include "shell/MainWindow.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <utility>

namespace {
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
} // namespace

void MainWindow::buildWindowMenu()
{
    m_windowMenu = new QMenu(QStringLiteral("&Window"), menuBar());
    m_windowMenu->setObjectName(QStringLiteral("mnuWindow"));
    m_windowMenu->menuAction()->setObjectName(QStringLiteral("mnuWindowAction"));
    // Between Table and Help, as in every multiple-document program.
    menuBar()->insertMenu(action(QStringLiteral("mnuHelpAction")), m_windowMenu);

    const struct {
        const char* name;
        const char* caption;
        QKeySequence keys;
        void (QMdiArea::*command)();
    } items[] = {
        {"mnuCascade", "&Cascade", {}, &QMdiArea::cascadeSubWindows},
        {"mnuTile", "&Tile", {}, &QMdiArea::tileSubWindows},
        {"mnuCloseAll", "Close &All", {}, &QMdiArea::closeAllSubWindows},
        {nullptr, nullptr, {}, nullptr},
        {"mnuNextWindow", "&Next", QKeySequence(Qt::CTRL | Qt::Key_F6),
         &QMdiArea::activateNextSubWindow},
        {"mnuPreviousWindow", "&Previous", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6),
         &QMdiArea::activatePreviousSubWindow},
    };
    for (const auto& item : items) {
        if (!item.name) {
            m_windowMenu->addSeparator();
            continue;
        }
        QAction* a = m_windowMenu->addAction(QString::fromLatin1(item.caption));
        a->setObjectName(QString::fromLatin1(item.name));
        a->setShortcut(item.keys);
        connect(a, &QAction::triggered, m_area, item.command);
    }
    m_windowMenu->addSeparator()->setObjectName(QStringLiteral("mnuWindowSpace"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &MainWindow::updateWindowMenu);
    connect(m_area, &QMdiArea::subWindowActivated, this, &MainWindow::updateWindowMenu);
    updateWindowMenu();
}

void MainWindow::updateWindowMenu()
{
    const QList<QMdiSubWindow*> shown = shownChildren(m_area);
    for (const char* name :
         {"mnuCascade", "mnuTile", "mnuCloseAll", "mnuNextWindow", "mnuPreviousWindow"})
        action(QString::fromLatin1(name))->setEnabled(!shown.isEmpty());

    // Later: the item being chosen may be the one that asked for this.
    for (QAction* old : std::as_const(m_windowListItems)) {
        m_windowMenu->removeAction(old);
        old->setObjectName({});
        old->deleteLater();
    }
    m_windowListItems.clear();
    for (int i = 0; i < shown.size(); ++i) {
        QMdiSubWindow* window = shown.at(i);
        // The first nine have their number as access key.
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QString::number(i + 1);
        QString title = window->windowTitle();
        QAction* item = m_windowMenu->addAction(
            number + QLatin1Char(' ') + title.replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setObjectName(QStringLiteral("mnuWindow%1").arg(i + 1));
        item->setCheckable(true);
        item->setChecked(window == m_area->currentSubWindow());
        connect(item, &QAction::triggered, this, [this, window] { activateChild(window); });
        m_windowListItems << item;
    }
}

void MainWindow::activateChild(QMdiSubWindow* window)
{
    if (!m_area->subWindowList().contains(window))
        return; // closed since the menu was built
    if (window->isMinimized())
        window->showNormal();
    m_area->setActiveSubWindow(window);
    window->raise();
    if (window->widget())
        window->widget()->setFocus();
}
