#pragma once

#include <QByteArray>
#include <string_view>

// RFC 4180 text: fields separated by commas, records ended by CRLF; a field
// that holds a comma, a quote, CR or LF is quoted, its quotes doubled.
namespace db::csv {

void appendField(QByteArray& out, std::string_view field);
inline void endRecord(QByteArray& out)
{
    out.append("\r\n", 2);
}

} // namespace db::csv
