#pragma once

#include <QByteArray>
#include <string_view>

// RFC 4180 text: fields separated by commas, records ended by CRLF; a field
// that holds a comma, a quote, CR or LF is quoted, its quotes doubled.
namespace db::csv {

void appendField(QByteArray& out, std::string_view field);
// A text value (UTF-8; invalid bytes become U+FFFD). Text beginning with
// = + - @, a tab or CR is a formula to a spreadsheet that opens the file, so
// it gets a leading apostrophe: a league shared by others may carry one.
void appendText(QByteArray& out, std::string_view utf8);
// Binary data as hexadecimal text, "0xDEADBEEF", so the file stays UTF-8.
void appendBlob(QByteArray& out, std::string_view bytes);
inline void endRecord(QByteArray& out)
{
    out.append("\r\n", 2);
}

} // namespace db::csv
