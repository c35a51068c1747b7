#include "core/import/AccessValues.h"

#include "core/import/JetValues.h"

#include <QtEndian>
#include <cstring>

namespace import {

namespace {
constexpr int LongValueHeader = 12; // MDB_MEMO_OVERHEAD
constexpr quint32 LongValueInline = 0x80000000;
constexpr quint32 LongValueOnePage = 0x40000000;

// The bytes a fixed-size value takes; 0 for values of any length.
int fixedSize(int mdbType)
{
    switch (mdbType) {
    case MDB_BYTE:
        return 1;
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
    case MDB_FLOAT:
        return 4;
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_DATETIME:
        return 8;
    case MDB_REPID:
        return 16;
    case MDB_NUMERIC:
        return 17;
    default:
        return 0;
    }
}

void setText(RowSink& sink, int index, const QByteArray& text)
{
    sink.setText(index, {text.constData(), static_cast<size_t>(text.size())});
}
} // namespace

bool AccessValueReader::read(const MdbColumn* column, const MdbField& field, int index,
                             RowSink& sink)
{
    // A Boolean lives in the null mask: a set bit is True, and it is never null.
    if (column->col_type == MDB_BOOL) {
        sink.setInteger(index, field.is_null ? 0 : 1);
        return true;
    }
    if (field.is_null) {
        sink.setNull(index);
        return true;
    }
    const int start = field.start;
    if (start < 0 || field.siz < fixedSize(column->col_type) ||
        start + field.siz > static_cast<int>(m_mdb->fmt->pg_size))
        return false;
    switch (column->col_type) {
    case MDB_TEXT:
    case MDB_MEMO:
        return readText(column, field, index, sink);
    case MDB_OLE:
        if (!readLongValue(start, field.siz, m_long))
            return false;
        sink.setBlob(index, {m_long.constData(), static_cast<size_t>(m_long.size())});
        return true;
    case MDB_BINARY:
        sink.setBlob(index, {reinterpret_cast<const char*>(m_mdb->pg_buf) + start,
                             static_cast<size_t>(field.siz)});
        return true;
    default:
        return readFixed(column, start, index, sink);
    }
}

bool AccessValueReader::readFixed(const MdbColumn* column, int start, int index, RowSink& sink)
{
    void* page = m_mdb->pg_buf;
    switch (column->col_type) {
    case MDB_BYTE:
        sink.setInteger(index, static_cast<const unsigned char*>(page)[start]);
        return true;
    case MDB_INT:
        sink.setInteger(index, static_cast<qint16>(mdb_get_int16(page, start)));
        return true;
    case MDB_LONGINT:
        sink.setInteger(index, static_cast<qint32>(mdb_get_int32(page, start)));
        return true;
    case MDB_FLOAT:
        sink.setReal(index, mdb_get_single(page, start));
        return true;
    case MDB_DOUBLE:
        sink.setReal(index, mdb_get_double(page, start));
        return true;
    case MDB_MONEY: {
        qint64 value = 0;
        std::memcpy(&value, static_cast<const char*>(page) + start, sizeof value);
        setText(sink, index, currencyText(qFromLittleEndian(value)));
        return true;
    }
    case MDB_DATETIME: {
        const QByteArray text = jetDateText(mdb_get_double(page, start));
        if (text.isEmpty())
            return false;
        setText(sink, index, text);
        return true;
    }
    case MDB_NUMERIC:
    case MDB_REPID: {
        char* text = column->col_type == MDB_NUMERIC
                         ? mdb_numeric_to_string(m_mdb, start, column->col_scale, column->col_prec)
                         : mdb_uuid_to_string(page, start);
        sink.setText(index, text ? std::string_view(text) : std::string_view());
        g_free(text);
        return true;
    }
    }
    return true;
}

bool AccessValueReader::readText(const MdbColumn* column, const MdbField& field, int index,
                                 RowSink& sink)
{
    const char* bytes = reinterpret_cast<const char*>(m_mdb->pg_buf) + field.start;
    int size = field.siz;
    if (column->col_type == MDB_MEMO) {
        if (!readLongValue(field.start, field.siz, m_long))
            return false;
        bytes = m_long.constData();
        size = static_cast<int>(m_long.size());
    }
    // UTF-8 takes at most three bytes for each byte Jet stores.
    m_text.resize(3 * size + 8);
    const int length = size == 0
                           ? 0
                           : mdb_unicode2ascii(m_mdb, bytes, static_cast<size_t>(size),
                                               m_text.data(), static_cast<size_t>(m_text.size()));
    sink.setText(index, {m_text.constData(), static_cast<size_t>(length)});
    return true;
}

// A Memo or OLE value: kept in the row, on one long-value page, or in a chain
// of them. The chain is followed no further than the file has pages.
bool AccessValueReader::readLongValue(int start, int size, QByteArray& out)
{
    out.clear();
    if (size < LongValueHeader)
        return size == 0;
    const auto header = static_cast<quint32>(mdb_get_int32(m_mdb->pg_buf, start));
    qint32 pageRow = static_cast<qint32>(mdb_get_int32(m_mdb->pg_buf, start + 4));
    const quint32 length = header & 0x3fffffff;
    if (header & LongValueInline) {
        out.append(reinterpret_cast<const char*>(m_mdb->pg_buf) + start + LongValueHeader,
                   size - LongValueHeader);
        return true;
    }
    const bool onePage = header & LongValueOnePage;
    if (!onePage && (header & 0xff000000) != 0)
        return false;
    for (qint64 pages = 0; pageRow != 0; ++pages) {
        void* buffer = nullptr;
        int rowStart = 0;
        size_t rowLength = 0;
        if (pages > m_pageCount || !findLongValueRow(pageRow, &buffer, &rowStart, &rowLength))
            return false;
        const char* row = static_cast<const char*>(buffer) + rowStart;
        if (onePage) {
            out.append(row, static_cast<qsizetype>(rowLength));
            return rowLength == length;
        }
        if (rowLength < 4 || out.size() + rowLength - 4 > length)
            return false;
        out.append(row + 4, static_cast<qsizetype>(rowLength - 4));
        pageRow = static_cast<qint32>(mdb_get_int32(buffer, rowStart));
    }
    return static_cast<quint32>(out.size()) == length;
}

// libmdb hands out any row number of any page; a long value's row must be one
// its data page holds, or a zeroed or reused page reads as a value of nothing.
bool AccessValueReader::findLongValueRow(qint32 pageRow, void** buffer, int* start, size_t* length)
{
    if (mdb_find_pg_row(m_mdb, pageRow, buffer, start, length) != 0)
        return false;
    const int rows = mdb_get_int16(*buffer, m_mdb->fmt->row_count_offset);
    return static_cast<unsigned char*>(*buffer)[0] == MDB_PAGE_DATA && (pageRow & 0xff) < rows;
}

} // namespace import
