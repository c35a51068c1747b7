#include "shell/WindowPlacement.h"

#include "ui/Settings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <algorithm>

namespace {
constexpr QSize SmallestRestored{320, 240};

QMargins frameMargins(const QWidget* window)
{
    // Known once the window manager has framed the window; before, a title
    // bar of two lines is room enough for most.
    if (const QRect frame = window->frameGeometry();
        window->isVisible() && frame != window->geometry())
        return {window->geometry().left() - frame.left(), window->geometry().top() - frame.top(),
                frame.right() - window->geometry().right(),
                frame.bottom() - window->geometry().bottom()};
    return {0, 2 * window->fontMetrics().height(), 0, 0};
}
} // namespace

namespace placement {

QRect fitToScreens(const QRect& saved, const QMargins& frame)
{
    const QScreen* screen = QGuiApplication::screenAt(saved.center());
    if (!screen || saved.isEmpty())
        return {};
    // The frame (title bar first) goes inside the screen's free part; the
    // client area gets at least the smallest usable size.
    const QRect available = screen->availableGeometry().marginsRemoved(frame);
    QRect fitted(saved.topLeft(),
                 saved.size().expandedTo(SmallestRestored).boundedTo(available.size()));
    fitted.moveRight(std::min(fitted.right(), available.right()));
    fitted.moveBottom(std::min(fitted.bottom(), available.bottom()));
    fitted.moveLeft(std::max(fitted.left(), available.left()));
    fitted.moveTop(std::max(fitted.top(), available.top()));
    return fitted;
}

void keepTitleBarOnScreen(QWidget* window)
{
    if (window->isMaximized() || window->isFullScreen())
        return;
    if (const QRect fitted = fitToScreens(window->geometry(), frameMargins(window));
        !fitted.isEmpty() && fitted != window->geometry())
        window->setGeometry(fitted);
}

void restore(QWidget* window)
{
    const QStringList parts = readSetting(settings::MainGeometry).split(QLatin1Char(','));
    QRect saved;
    if (parts.size() == 4) {
        bool ok[4] = {};
        saved = QRect(parts[0].toInt(&ok[0]), parts[1].toInt(&ok[1]), parts[2].toInt(&ok[2]),
                      parts[3].toInt(&ok[3]));
        if (!std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }))
            saved = {};
    }
    if (const QRect fitted = fitToScreens(saved, frameMargins(window)); !fitted.isEmpty()) {
        window->setGeometry(fitted);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Designed as a 4680 x 3195 twip client area; that is too small for
        // the grids, so the first start opens at a comfortable share of the
        // screen, centred.
        const QRect available = screen->availableGeometry();
        QRect first(0, 0, available.width() * 3 / 4, available.height() * 3 / 4);
        first.moveCenter(available.center());
        window->setGeometry(first);
    }
    if (readBoolSetting(settings::MainMaximized))
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void save(const QWidget* window)
{
    const QRect r = window->normalGeometry();
    // "left,top,width,height" of the client area
    writeSetting(
        settings::MainGeometry,
        QStringLiteral("%1,%2,%3,%4").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height()));
    writeSetting(settings::MainMaximized, boolText(window->isMaximized()));
}

} // namespace placement
