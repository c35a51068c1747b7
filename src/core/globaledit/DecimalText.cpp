#include "core/globaledit/DecimalText.h"

#include <QRegularExpression>
#include <charconv>
#include <cmath>

namespace globaledit {

std::optional<double> parseDecimal(const QString& text)
{
    static const QRegularExpression shape(
        QStringLiteral("^\\s*([+-]?)([0-9]+\\.?[0-9]*|\\.[0-9]+)\\s*$"));
    const QRegularExpressionMatch m = shape.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    // from_chars is locale-independent, unlike strtod under a German locale.
    const QByteArray digits = m.captured(2).toLatin1();
    double value = 0;
    const auto [end, ec] =
        std::from_chars(digits.constData(), digits.constData() + digits.size(), value);
    if (ec != std::errc() || end != digits.constData() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    return m.captured(1) == QLatin1String("-") ? -value : value;
}

} // namespace globaledit
