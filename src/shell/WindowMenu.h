#pragma once

#include <QList>
#include <QObject>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;

// The Window menu: arranges, closes and switches the child windows of an
// area, and lists them with the current one checked.
class WindowMenu : public QObject
{
    Q_OBJECT
public:
    // Builds the menu into bar before the item before, for area's windows.
    WindowMenu(QMenuBar* bar, QAction* before, QMdiArea* area);

private:
    void update();
    void activate(QMdiSubWindow* window);

    QMdiArea* m_area;
    QMenu* m_menu;
    QList<QAction*> m_listItems;
};
