#include "ui/MdiPlacement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <algorithm>

void fitWindowIntoArea(QMdiSubWindow* window, QMdiArea* area, QSize wanted)
{
    const QSize room = area->viewport()->size();
    window->resize(wanted.boundedTo(room));
    window->move(std::clamp(window->x(), 0, std::max(0, room.width() - window->width())),
                 std::clamp(window->y(), 0, std::max(0, room.height() - window->height())));
}

void keepOthersMaximized(QMdiSubWindow* window, QMdiArea* area)
{
    // Connected before the area's own handler, which then sees the option.
    QObject::connect(window, &QMdiSubWindow::aboutToActivate, area, [area] {
        if (area->testOption(QMdiArea::DontMaximizeSubWindowOnActivation))
            return;
        area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
        QTimer::singleShot(0, area, [area] {
            area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, false);
        });
    });
}
