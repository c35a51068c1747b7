#include "ui/FormBuilder.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>

namespace form {

QLabel* makeLabel(QWidget* parent, const LabelStyle& style)
{
    auto* label = new QLabel(style.text, parent);
    label->setObjectName(QString::fromLatin1(style.name));
    label->setAccessibleName(style.text);
    QFont font(style.family, style.pointSize);
    if (style.heavy)
        font.setWeight(QFont::Black);
    label->setFont(font);
    label->setAlignment(style.alignment);
    if (style.color.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, style.color);
        label->setPalette(palette);
    }
    return label;
}

QFrame* makeLine(QWidget* parent, const QString& name, const QColor& color)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setAccessibleName(QStringLiteral("Separator line"));
    line->setFrameShape(QFrame::NoFrame);
    line->setFixedHeight(1);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
    line->setAutoFillBackground(true);
    return line;
}

QLabel* makeImage(QWidget* parent, const QString& name, const QString& accessibleName,
                  const QPixmap& picture)
{
    auto* image = new QLabel(parent);
    image->setObjectName(name);
    image->setAccessibleName(accessibleName);
    image->setPixmap(picture);
    image->setFixedSize(picture.deviceIndependentSize().toSize());
    return image;
}

QIcon programIcon()
{
    // Rendered at build time from the program's SVG icon, one PNG per size.
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/yardmark99.png").arg(size));
    return icon;
}

QPixmap yardLinePicture()
{
    constexpr int Size = 60;
    QPixmap picture(Size, Size);
    picture.fill(QColor(20, 110, 40));
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::white, 2));
    for (int x = 6; x < Size; x += 12)
        painter.drawLine(x, 0, x, Size);
    painter.fillRect(QRect(14, 18, 32, 24), QColor(20, 110, 40));
    QFont font(QStringLiteral("Arial Black"), 14);
    font.setWeight(QFont::Black);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, Size, Size), Qt::AlignCenter, QStringLiteral("50"));
    return picture;
}

} // namespace form
