#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <optional>

// A league's stored value as the bytes Jet keeps for it in a fixed-size
// column: the opposite of what the import reads (core/import/JetValues.h).
namespace writeback {

// Jet's little-endian bytes of value for a column of libmdb's type mdbType
// (Byte, Integer, Long Integer, Single, Double, Currency, Date/Time; a Yes/No
// gives one byte, 0 or 1, for its bit in the null mask). Nullopt with why
// set when the column cannot hold it; value is never NULL here.
std::optional<QByteArray> encodeJetValue(int mdbType, const QVariant& value, QString* why);

// Currency's count of ten-thousandths from exact decimal text
// ("-12.34", "5"), never through a float; nullopt for more than 4 decimals,
// no number or one out of range.
std::optional<qint64> currencyUnits(const QString& text);

// Jet's day number for "YYYY-MM-DD[ HH:MM[:SS]]" (years 100-9999): whole days
// since 1899-12-30, the time of day as a fraction that counts forward on
// either side of it (1899-12-29 06:00 is -1.25).
std::optional<double> jetDayNumber(const QString& text);

} // namespace writeback
