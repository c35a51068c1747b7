#pragma once

#include <QRect>

class QWidget;

namespace players {
// Layouts are designed in twips, 1440 to the inch; the screen's logical DPI
// turns them into pixels (15 twips a pixel at 96 DPI).
int twipsToPixels(const QWidget* widget, int twips);
QRect twipsRect(const QWidget* widget, int left, int top, int width, int height);
} // namespace players
