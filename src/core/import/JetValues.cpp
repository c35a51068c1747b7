#include "core/import/JetValues.h"

#include <QDate>
#include <cmath>
#include <cstdio>

namespace import {

QByteArray jetDateText(double days)
{
    static const QDate epoch(1899, 12, 30);
    // Outside this the date could not be one of Jet's, so the text would lie.
    if (!std::isfinite(days) || days < -700000.0 || days > 3000000.0)
        return {};
    const double whole = std::trunc(days);
    qint64 day = static_cast<qint64>(whole);
    qint64 seconds = std::llround(std::fabs(days - whole) * 86400.0);
    if (seconds >= 86400) {
        // Rounded up to the next midnight, which is later in time either side of the epoch.
        seconds -= 86400;
        ++day;
    }
    const QDate date = epoch.addDays(day);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return {};
    char text[24];
    const int length =
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(),
                      date.day(), static_cast<int>(seconds / 3600),
                      static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return QByteArray(text, length);
}

QByteArray currencyText(qint64 tenThousandths)
{
    const bool negative = tenThousandths < 0;
    // Unsigned, so the most negative value has a magnitude too.
    const quint64 magnitude =
        negative ? 0 - static_cast<quint64>(tenThousandths) : static_cast<quint64>(tenThousandths);
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%s%llu.%04llu", negative ? "-" : "",
                                     static_cast<unsigned long long>(magnitude / 10000),
                                     static_cast<unsigned long long>(magnitude % 10000));
    return QByteArray(text, length);
}

} // namespace import
