#pragma once

#include <QRect>

class QWidget;

// Window layouts are designed in twips, 1440 to the inch; the screen's
// logical DPI turns them into pixels (15 twips a pixel at 96 DPI).
int twipsToPixels(const QWidget* widget, int twips);
// A rectangle in twips as pixels; never narrower or lower than one pixel.
QRect twipsRect(const QWidget* widget, int left, int top, int width, int height);
