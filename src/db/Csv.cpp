#include "db/Csv.h"

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

} // namespace db::csv
