#include "core/writeback/JetRows.h"

#include <QtEndian>

namespace writeback {

namespace {
constexpr int OffsetMask = 0x1fff;
constexpr int DeletedFlag = 0x4000;
constexpr int MovedFlag = 0x8000; // the row lives on another page; this is a pointer

quint16 word(const QByteArray& file, qint64 at)
{
    return qFromLittleEndian<quint16>(file.constData() + at);
}
} // namespace

FileFormat FileFormat::of(const import::Origin& origin)
{
    return {origin.pageSize, origin.format == QLatin1String("Jet 3")};
}

std::optional<StoredRow> locateRow(const QByteArray& file, FileFormat format,
                                   import::RowPlace place)
{
    const qint64 page = qint64(place.page) * format.pageSize;
    const int rowCountOffset = format.jet3 ? 0x08 : 0x0c;
    if (page < 0 || page + format.pageSize > file.size())
        return std::nullopt;
    const int rows = word(file, page + rowCountOffset);
    if (place.row >= rows)
        return std::nullopt;
    const int entry = word(file, page + rowCountOffset + 2 + 2 * place.row);
    // Rows fill the page from its end: a row ends where the one before it starts.
    const int end = place.row == 0 ? format.pageSize
                                   : word(file, page + rowCountOffset + 2 * place.row) & OffsetMask;
    const int start = entry & OffsetMask;
    const int countSize = format.jet3 ? 1 : 2;
    if ((entry & DeletedFlag) || start >= end || end > format.pageSize || end - start <= countSize)
        return std::nullopt;
    StoredRow row{page + start, end - start, 0, (entry & MovedFlag) != 0};
    row.columns = format.jet3 ? quint8(file[row.start]) : word(file, row.start);
    return row;
}

QString rowProblem(const StoredRow& row, const import::JetTable& table, FileFormat format)
{
    if (row.moved)
        return QStringLiteral("the row is stored moved (on another page)");
    if (table.deletedColumns || row.columns != table.columns.size())
        return QStringLiteral("the row is stored with %1 columns, the table has %2")
            .arg(row.columns)
            .arg(table.columns.size());
    for (const import::JetColumn& column : table.columns) {
        if (column.fixed && fieldStart(row, column, format) + column.size > row.maskStart())
            return QStringLiteral("the row is stored shorter than the table's columns");
    }
    return {};
}

qint64 fieldStart(const StoredRow& row, const import::JetColumn& column, FileFormat format)
{
    return row.start + (format.jet3 ? 1 : 2) + column.fixedOffset;
}

bool maskBit(const QByteArray& file, const StoredRow& row, const import::JetColumn& column)
{
    return (quint8(file[row.maskStart() + column.number / 8]) >> (column.number % 8)) & 1;
}

void setMaskBit(QByteArray& file, const StoredRow& row, const import::JetColumn& column, bool on)
{
    char& byte = file[row.maskStart() + column.number / 8];
    const char bit = char(1 << (column.number % 8));
    byte = on ? char(byte | bit) : char(byte & ~bit);
}

} // namespace writeback
