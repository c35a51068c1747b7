#include "players/Twips.h"

#include <QWidget>
#include <cmath>

namespace players {

int twipsToPixels(const QWidget* widget, int twips)
{
    return static_cast<int>(std::lround(twips * widget->logicalDpiX() / 1440.0));
}

QRect twipsRect(const QWidget* widget, int left, int top, int width, int height)
{
    return {twipsToPixels(widget, left), twipsToPixels(widget, top), twipsToPixels(widget, width),
            twipsToPixels(widget, height)};
}

} // namespace players
