#include "windows/grid/WindowPlace.h"

#include "ui/Settings.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

namespace {
// A place in the area's visible part: no smaller than smallest, no larger
// than the part, and moved into it so the title bar and close box can be
// reached.
QRect fitted(QRect place, QSize room, QSize smallest)
{
    place.setSize(place.size().expandedTo(smallest).boundedTo(room));
    place.moveLeft(std::clamp(place.left(), 0, std::max(0, room.width() - place.width())));
    place.moveTop(std::clamp(place.top(), 0, std::max(0, room.height() - place.height())));
    return place;
}

// "left,top,width,height,maximized"; false for anything else.
bool readPlace(const QString& text, QRect* place, bool* maximized)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 5)
        return false;
    int n[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        n[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    if (n[2] <= 0 || n[3] <= 0)
        return false;
    *place = QRect(n[0], n[1], n[2], n[3]);
    *maximized = parts[4].trimmed().compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
    return true;
}
} // namespace

QString WindowPlace::settingsSection()
{
    return settings::TablePlace.section;
}

WindowPlace::WindowPlace(QMdiSubWindow* window, const QString& table)
    : QObject(window), m_window(window), m_table(table)
{
    window->installEventFilter(this);
}

void WindowPlace::show(QMdiSubWindow* window, const QString& table, QSize smallest)
{
    const QSize room = window->mdiArea()->viewport()->size();
    // The frame and title bar around the window's contents.
    if (QWidget* contents = window->widget())
        smallest += (window->sizeHint() - contents->sizeHint()).expandedTo({0, 0});
    QRect place;
    bool maximized = false;
    if (readPlace(readSetting(settingsSection(), table), &place, &maximized)) {
        window->setGeometry(fitted(place, room, smallest));
    } else if (!window->testAttribute(Qt::WA_Resized)) {
        // The area sized and placed it by its size hint already when the
        // area was on screen; else it is sized here.
        window->resize(window->sizeHint().boundedTo(room));
    }
    window->show();
    if (!room.isEmpty())
        window->setGeometry(fitted(window->geometry(), room, smallest));
    // Noted before it is maximized: restoring it later goes back here.
    auto* keeper = new WindowPlace(window, table);
    keeper->note();
    if (maximized)
        window->showMaximized();
}

WindowPlace::~WindowPlace()
{
    // As the window goes, also on File > Exit, which closes none.
    if (m_normal.isEmpty())
        return;
    writeSetting(settingsSection(), m_table,
                 QStringLiteral("%1,%2,%3,%4,%5")
                     .arg(m_normal.left())
                     .arg(m_normal.top())
                     .arg(m_normal.width())
                     .arg(m_normal.height())
                     .arg(boolText(m_maximized)));
}

bool WindowPlace::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        note();
        break;
    default:
        break;
    }
    return false;
}

void WindowPlace::note()
{
    // A closed window no longer changes what is kept of it.
    if (!m_window->isVisible() || m_window->isMinimized())
        return;
    m_maximized = m_window->isMaximized();
    if (!m_maximized)
        m_normal = m_window->geometry();
}
