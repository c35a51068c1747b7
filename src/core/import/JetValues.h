#pragma once

#include <QByteArray>
#include <QtGlobal>

// Jet's stored values as the text the new file keeps.
namespace import {

// "YYYY-MM-DD HH:MM:SS" for a Jet date: whole days since 1899-12-30 plus the
// fraction of a day, rounded to the second. Before that date the day count is
// negative while the time fraction still counts forward (-1.25 is 1899-12-29
// 06:00). Empty when the number is no date between the years 100 and 9999.
QByteArray jetDateText(double days);

// A Currency value, stored as a count of ten-thousandths, as exact decimal
// text with its four places ("-12.3400").
QByteArray currencyText(qint64 tenThousandths);

} // namespace import
