#pragma once

#include <QString>
#include <optional>

namespace globaledit {

// Reads the text of a percentage or bound box: a decimal number with an
// optional sign and fractional part, blanks around it allowed, always with
// '.' as the decimal point whatever the user's locale. No exponent, no
// thousands separators, nothing too large for a double: those give nullopt.
std::optional<double> parseDecimal(const QString& text);

} // namespace globaledit
