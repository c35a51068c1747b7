#include "windows/players/CardFormat.h"

#include <QLabel>
#include <QPalette>
#include <QRegularExpression>
#include <QStringList>
#include <QTableWidgetItem>
#include <QVariant>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// A changed value's mark: the window's own base colour tinted amber, so the
// palette's text stays readable on it, light or dark.
QColor changedMark(const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor amber(255, 196, 0);
    constexpr float Tint = 0.3f;
    const auto mix = [&](float from, float to) { return from + (to - from) * Tint; };
    return QColor::fromRgbF(mix(base.redF(), amber.redF()), mix(base.greenF(), amber.greenF()),
                            mix(base.blueF(), amber.blueF()));
}

} // namespace

namespace cardformat {

QString describeChange(const QStringList& captions, const QString& playerName)
{
    constexpr int Named = 4;
    QString fields = captions.mid(0, Named).join(QStringLiteral(", "));
    if (captions.size() > Named)
        fields += QStringLiteral(" and %1 more").arg(captions.size() - Named);
    return QStringLiteral("Change of %1 for %2").arg(fields, playerName);
}

QString spacedName(const QString& field)
{
    static const QRegularExpression wordStart(u"(?<=[a-z])(?=[A-Z])"_s);
    return QString(field).replace(wordStart, u" "_s);
}

QString textOf(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QByteArray)
        return u"(%1 bytes)"_s.arg(value.toByteArray().size());
    QString text = value.toString();
    static const QRegularExpression pointOrWord(u"[.eEni]"_s); // 1.5, 1e+20, nan, inf
    if (value.typeId() == QMetaType::Double && !text.contains(pointOrWord))
        text += u".0"_s;
    return text;
}

QString storageOf(const QVariant& value)
{
    if (value.isNull())
        return u"Stored as Null (no value)"_s;
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return u"Stored as a whole number"_s;
    case QMetaType::Double:
        return u"Stored as a real number"_s;
    case QMetaType::QByteArray:
        return u"Stored as binary data (not editable here)"_s;
    default:
        return u"Stored as text"_s;
    }
}

QLabel* addLabel(QWidget* parent, const QString& name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAccessibleName(QString(text).remove(u'&'));
    return label;
}

void markChanged(QWidget* edit, bool changed)
{
    QFont font = edit->font();
    font.setBold(changed);
    edit->setFont(font);
    // Only the base is the box's own: every other colour, and the base of an
    // unchanged box, follows the window's palette.
    QPalette palette;
    if (changed)
        palette.setColor(QPalette::Base, changedMark(edit->parentWidget()->palette()));
    edit->setPalette(palette);
}

void markChanged(QTableWidgetItem* item, bool changed)
{
    QFont font = item->font();
    font.setBold(changed);
    item->setFont(font);
    item->setBackground(changed ? QBrush(changedMark(item->tableWidget()->palette())) : QBrush());
}

} // namespace cardformat
