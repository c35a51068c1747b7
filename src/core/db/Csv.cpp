#include "core/db/Csv.h"

#include <QByteArrayView>
#include <QString>

namespace db::csv {

void appendField(QByteArray& out, std::string_view field)
{
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(field.data(), qsizetype(field.size()));
        return;
    }
    out.append('"');
    for (char c : field) {
        if (c == '"')
            out.append('"');
        out.append(c);
    }
    out.append('"');
}

void appendText(QByteArray& out, std::string_view utf8)
{
    QByteArray mended;
    if (!QByteArrayView(utf8.data(), qsizetype(utf8.size())).isValidUtf8()) {
        mended = QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toUtf8();
        utf8 = {mended.constData(), size_t(mended.size())};
    }
    if (utf8.empty() || std::string_view("=+-@\t\r").find(utf8.front()) == std::string_view::npos) {
        appendField(out, utf8);
        return;
    }
    QByteArray guarded;
    guarded.reserve(qsizetype(utf8.size()) + 1);
    guarded.append('\'').append(utf8.data(), qsizetype(utf8.size()));
    appendField(out, {guarded.constData(), size_t(guarded.size())});
}

void appendBlob(QByteArray& out, std::string_view bytes)
{
    out.append("0x", 2);
    out.append(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())).toHex().toUpper());
}

} // namespace db::csv
