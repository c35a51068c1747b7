#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRect>
#include <QString>

#include "ui/Twips.h"

class QFrame;
class QLabel;
class QWidget;

// Fixed-layout forms (splash, About) are laid out in twips, 1440 to the
// inch, and placed in pixels by the screen's logical DPI.
namespace form {

// Gives the form a fixed client area and centres it on its screen.
void setClientSizeTwips(QWidget* form, int width, int height);

struct LabelSpec {
    const char* name;
    QString text;
    QRect twips; // left, top, width, height
    QString family;
    int pointSize;
    bool heavy; // Arial Black; where it is missing the fallback is drawn at black weight
    QColor color;
    Qt::Alignment alignment;
};
QLabel* addLabel(QWidget* form, const LabelSpec& design);

// The same label, for a window laid out by a Qt layout.
struct LabelStyle {
    const char* name;
    QString text;
    QString family;
    int pointSize;
    bool heavy;
    QColor color;
    Qt::Alignment alignment;
};
QLabel* makeLabel(QWidget* parent, const LabelStyle& style);
// A horizontal line one pixel high, for a layout.
QFrame* makeLine(QWidget* parent, const QString& name, const QColor& color);
// A picture at its own size, for a layout.
QLabel* makeImage(QWidget* parent, const QString& name, const QString& accessibleName,
                  const QPixmap& picture);

// A thin line from a twips rectangle one pixel high (or wide).
QFrame* addLine(QWidget* form, const QString& name, const QRect& twips, const QColor& color);

QLabel* addImage(QWidget* form, const QString& name, const QString& accessibleName,
                 const QPixmap& picture, const QPoint& twipsTopLeft);

// The program's icon in every size it ships in; also the windows' icon.
QIcon programIcon();
// A 60 x 60 picture of the fifty-yard line for the splash.
QPixmap yardLinePicture();

} // namespace form
