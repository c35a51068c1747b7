#include "ui/Twips.h"

#include <QWidget>

namespace {
constexpr double TwipsPerInch = 1440.0;
} // namespace

int twipsToPixels(const QWidget* widget, int twips)
{
    return qRound(twips * widget->logicalDpiY() / TwipsPerInch);
}

QRect twipsRect(const QWidget* widget, int left, int top, int width, int height)
{
    return {twipsToPixels(widget, left), twipsToPixels(widget, top),
            qMax(1, twipsToPixels(widget, width)), qMax(1, twipsToPixels(widget, height))};
}
