#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

// Where the main window sits: as it was left (the settings section
// "MainWindow"), fitted to the screens, its title bar kept on screen.
namespace placement {

// Where a window saved at saved (client area) with this frame around it
// goes now: the same place, moved and shrunk so the frame, title bar
// included, is inside the screen under its middle, and no smaller than
// 320 x 240; an empty rectangle when no screen is under it.
QRect fitToScreens(const QRect& saved, const QMargins& frame = {});
// Puts window where it was left, or on a first start at a comfortable share
// of the primary screen, centred.
void restore(QWidget* window);
void save(const QWidget* window);
// Moves window back inside its screen when its frame went off it.
void keepTitleBarOnScreen(QWidget* window);

} // namespace placement
