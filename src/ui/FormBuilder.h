#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

class QFrame;
class QLabel;
class QWidget;

// Controls styled as the splash and About box draw them, for Qt layouts.
namespace form {

// A label in its own font, colour and alignment.
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
// A horizontal line one pixel high (set it one pixel wide for a vertical one).
QFrame* makeLine(QWidget* parent, const QString& name, const QColor& color);
// A picture at its own size, for a layout.
QLabel* makeImage(QWidget* parent, const QString& name, const QString& accessibleName,
                  const QPixmap& picture);

// The program's icon in every size it ships in; also the windows' icon.
QIcon programIcon();
// A 60 x 60 picture of the fifty-yard line for the splash.
QPixmap yardLinePicture();

} // namespace form
