#include "core/writeback/JetEncode.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QtEndian>
#include <cmath>
#include <limits>
#include <mdbtools.h>

namespace writeback {

namespace {
template <typename T> QByteArray littleEndian(T value)
{
    QByteArray bytes(sizeof(T), Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

bool isNumber(const QVariant& value)
{
    return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int ||
           value.typeId() == QMetaType::Double;
}

// A whole number the range holds; a real only when it has no fraction.
std::optional<qint64> wholeNumber(const QVariant& value, qint64 minimum, qint64 maximum,
                                  QString* why)
{
    if (!isNumber(value)) {
        *why = QStringLiteral("text in a number column");
        return std::nullopt;
    }
    qint64 whole = value.toLongLong();
    if (value.typeId() == QMetaType::Double) {
        const double real = value.toDouble();
        if (!std::isfinite(real) || real != std::trunc(real) || std::fabs(real) > 9e18) {
            *why = QStringLiteral("not a whole number");
            return std::nullopt;
        }
        whole = qint64(real);
    }
    if (whole < minimum || whole > maximum) {
        *why = QStringLiteral("out of the column's range %1 to %2").arg(minimum).arg(maximum);
        return std::nullopt;
    }
    return whole;
}

std::optional<double> finiteNumber(const QVariant& value, QString* why)
{
    if (!isNumber(value)) {
        *why = QStringLiteral("text in a number column");
        return std::nullopt;
    }
    const double real = value.toDouble();
    if (!std::isfinite(real)) {
        *why = QStringLiteral("not a finite number");
        return std::nullopt;
    }
    return real;
}

std::optional<QByteArray> encodeSingle(const QVariant& value, QString* why)
{
    const std::optional<double> real = finiteNumber(value, why);
    if (!real)
        return std::nullopt;
    if (std::fabs(*real) > double(std::numeric_limits<float>::max())) {
        *why = QStringLiteral("too large for a Single");
        return std::nullopt;
    }
    return littleEndian(float(*real)); // the nearest float
}

std::optional<QByteArray> encodeCurrency(const QVariant& value, QString* why)
{
    // A number typed into the grid is taken by its shortest exact text.
    const QString text =
        value.typeId() == QMetaType::Double
            ? QLocale::c().toString(value.toDouble(), 'f', QLocale::FloatingPointShortest)
            : value.toString();
    const std::optional<qint64> units = currencyUnits(text.trimmed());
    if (!units) {
        *why = QStringLiteral("not a Currency amount (at most 4 decimals)");
        return std::nullopt;
    }
    return littleEndian(*units);
}

std::optional<QByteArray> encodeDate(const QVariant& value, QString* why)
{
    const std::optional<double> days = value.typeId() == QMetaType::QString
                                           ? jetDayNumber(value.toString().trimmed())
                                           : std::nullopt;
    if (!days) {
        *why = QStringLiteral("not a date YYYY-MM-DD [HH:MM[:SS]] of the years 100 to 9999");
        return std::nullopt;
    }
    return littleEndian(*days);
}
} // namespace

std::optional<QByteArray> encodeJetValue(int mdbType, const QVariant& value, QString* why)
{
    std::optional<qint64> whole;
    switch (mdbType) {
    case MDB_BOOL:
        if (!(whole = wholeNumber(value, -1, 1, why)))
            return std::nullopt;
        return QByteArray(1, *whole == 0 ? '\0' : '\1');
    case MDB_BYTE:
        if (!(whole = wholeNumber(value, 0, 255, why)))
            return std::nullopt;
        return QByteArray(1, char(*whole));
    case MDB_INT:
        if (!(whole = wholeNumber(value, -32768, 32767, why)))
            return std::nullopt;
        return littleEndian(qint16(*whole));
    case MDB_LONGINT:
        if (!(whole = wholeNumber(value, -2147483648LL, 2147483647LL, why)))
            return std::nullopt;
        return littleEndian(qint32(*whole));
    case MDB_FLOAT:
        return encodeSingle(value, why);
    case MDB_DOUBLE: {
        const std::optional<double> real = finiteNumber(value, why);
        return real ? std::optional(littleEndian(*real)) : std::nullopt;
    }
    case MDB_MONEY:
        return encodeCurrency(value, why);
    case MDB_DATETIME:
        return encodeDate(value, why);
    default:
        *why = QStringLiteral("a column that cannot be written");
        return std::nullopt;
    }
}

std::optional<qint64> currencyUnits(const QString& text)
{
    static const QRegularExpression amount(
        QStringLiteral(R"(^([+-]?)(\d{1,15})(?:\.(\d{0,4}))?$)"));
    const QRegularExpressionMatch m = amount.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString fraction = QString(m.captured(3) + QStringLiteral("0000")).left(4);
    // Up to 15 digits times 10^4 plus 4 digits stays inside 64 unsigned bits.
    const quint64 magnitude = m.captured(2).toULongLong() * 10000 + fraction.toULongLong();
    const bool negative = m.captured(1) == QLatin1String("-");
    // Currency holds -922337203685477.5808 to 922337203685477.5807.
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    if (magnitude > limit)
        return std::nullopt;
    return negative ? qint64(0 - magnitude) : qint64(magnitude);
}

std::optional<double> jetDayNumber(const QString& text)
{
    static const QRegularExpression dateTime(
        QStringLiteral(R"(^(\d{4})-(\d\d)-(\d\d)(?: (\d\d):(\d\d)(?::(\d\d))?)?$)"));
    const QRegularExpressionMatch m = dateTime.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const int hours = m.captured(4).toInt();
    const int minutes = m.captured(5).toInt();
    const int seconds = m.captured(6).toInt();
    if (!date.isValid() || date.year() < 100 || hours > 23 || minutes > 59 || seconds > 59)
        return std::nullopt;
    const qint64 days = QDate(1899, 12, 30).daysTo(date);
    const double fraction = (hours * 3600 + minutes * 60 + seconds) / 86400.0;
    return days < 0 ? double(days) - fraction : double(days) + fraction;
}

} // namespace writeback
