// Typed text to stored values, and what a declared type allows.
#include "core/db/FieldValues.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace db {

namespace {
struct WholeRange {
    const char* word;
    qint64 minimum;
    qint64 maximum;
};

// Jet's narrow number types keep their ranges when a league is converted
// with their names in the declared type.
constexpr WholeRange narrowTypes[] = {
    {"BYTE", 0, 255},
    {"TINYINT", 0, 255},
    {"SHORT", -32768, 32767},
    {"SMALLINT", -32768, 32767},
    {"INT2", -32768, 32767},
    {"LONG", -2147483648LL, 2147483647LL},
    {"INT4", -2147483648LL, 2147483647LL},
    {"MEDIUMINT", -2147483648LL, 2147483647LL},
    {"COUNTER", -2147483648LL, 2147483647LL},
    {"BIT", -1, 1}, // Yes/No: 0 is No, 1 or -1 is Yes
};

Error doesNotFit(const FieldInfo& field, const QString& text, const QString& takes)
{
    return {ValueDoesNotFit, QStringLiteral("The value \"%1\" does not fit the field \"%2\": %3.")
                                 .arg(text, field.name(), takes)};
}

Error refuseWholeNumber(const FieldInfo& field, const QString& text)
{
    return doesNotFit(field, text,
                      QStringLiteral("it takes whole numbers from %1 to %2")
                          .arg(field.minimum)
                          .arg(field.maximum));
}

// Numbers as typed: the C locale's, without group separators. "1,000" is no
// number, as "abc" is none: in German it reads as 1.0.
const QLocale& numberLocale()
{
    static const QLocale locale = [] {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        return c;
    }();
    return locale;
}

bool parseNumber(const QString& text, double* number)
{
    bool ok = false;
    *number = numberLocale().toDouble(text, &ok);
    return ok && std::isfinite(*number);
}

// A fraction rounds to the nearest whole number, an exact half to the even
// neighbour, as every double-to-whole conversion of the program does.
Error wholeNumber(const FieldInfo& field, const QString& text, QVariant* stored)
{
    bool ok = false;
    qint64 value = numberLocale().toLongLong(text, &ok);
    if (!ok) {
        double number = 0;
        if (!parseNumber(text, &number))
            return refuseWholeNumber(field, text);
        const double rounded = std::nearbyint(number);
        // 2^63 is exact as a double; anything at or beyond it does not fit.
        if (rounded < -9223372036854775808.0 || rounded >= 9223372036854775808.0)
            return refuseWholeNumber(field, text);
        value = qint64(rounded);
    }
    if (value < field.minimum || value > field.maximum)
        return refuseWholeNumber(field, text);
    *stored = qlonglong(value);
    return {};
}

// What an untyped field keeps: a number when the text is one, else the text.
QVariant looseValue(const QString& text)
{
    bool ok = false;
    const qint64 whole = numberLocale().toLongLong(text, &ok);
    if (ok)
        return qlonglong(whole);
    double number = 0;
    if (parseNumber(text, &number))
        return number;
    return text;
}
} // namespace

FieldInfo describeField(const QString& name, const QString& declaredType)
{
    FieldInfo field;
    field.def = {name, affinityOf(declaredType)};
    field.declaredType = declaredType;
    field.minimum = std::numeric_limits<qint64>::min();
    field.maximum = std::numeric_limits<qint64>::max();
    field.wholeNumbers = field.def.affinity == Affinity::Integer;

    static const QRegularExpression wordSplit(QStringLiteral("[^A-Za-z0-9_]+"));
    const QStringList words = declaredType.toUpper().split(wordSplit, Qt::SkipEmptyParts);
    for (const WholeRange& range : narrowTypes) {
        if (words.contains(QLatin1String(range.word))) {
            field.wholeNumbers = true;
            field.minimum = range.minimum;
            field.maximum = range.maximum;
            break;
        }
    }
    if (field.def.affinity == Affinity::Text) {
        static const QRegularExpression size(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
        if (const auto match = size.match(declaredType); match.hasMatch())
            field.maxLength = match.captured(1).toInt();
    }
    return field;
}

QString wholeNumberNote(const FieldInfo& field, const QString& shownName, const QVariant& typed,
                        const QVariant& stored)
{
    if (!field.wholeNumbers || stored.typeId() != QMetaType::LongLong)
        return {};
    const QString text = typed.toString().trimmed();
    const QString number = QString::number(stored.toLongLong());
    if (text == number)
        return {};
    return QStringLiteral("%1: %2 was stored as %3 \u2014 the field holds whole numbers")
        .arg(shownName, text, number);
}

Error convertValue(const FieldInfo& field, const QVariant& typed, QVariant* stored)
{
    if (typed.isNull() || typed.typeId() == QMetaType::QByteArray) {
        *stored = typed.isNull() ? QVariant() : typed;
        return {};
    }
    const QString text = typed.toString();
    const QString trimmed = text.trimmed();
    // An emptied cell holds no value, in any field.
    if (text.isEmpty() || (trimmed.isEmpty() && field.def.affinity != Affinity::Text)) {
        *stored = QVariant();
        return {};
    }
    if (field.wholeNumbers)
        return wholeNumber(field, trimmed, stored);

    switch (field.def.affinity) {
    case Affinity::Text:
        if (field.maxLength > 0 && text.size() > field.maxLength)
            return doesNotFit(
                field, text,
                QStringLiteral("it takes text of at most %1 characters").arg(field.maxLength));
        *stored = text;
        return {};
    case Affinity::Real: {
        double number = 0;
        if (!parseNumber(trimmed, &number))
            return doesNotFit(field, text, QStringLiteral("it takes numbers"));
        *stored = number;
        return {};
    }
    case Affinity::Numeric: {
        const QVariant value = looseValue(trimmed);
        // Dates and times are kept as typed; anything else must be a number.
        const bool takesText =
            field.declaredType.contains(QLatin1String("DATE"), Qt::CaseInsensitive) ||
            field.declaredType.contains(QLatin1String("TIME"), Qt::CaseInsensitive);
        if (value.typeId() == QMetaType::QString && !takesText)
            return doesNotFit(field, text, QStringLiteral("it takes numbers"));
        *stored = value;
        return {};
    }
    case Affinity::Integer: // whole numbers are handled above
    case Affinity::Blob:
        break;
    }
    *stored = looseValue(trimmed);
    return {};
}

bool sameStoredValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a.typeId() == b.typeId() && a == b;
}

} // namespace db
