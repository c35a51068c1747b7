#include "core/import/AccessSource.h"

#include "core/import/ImportErrors.h"
#include "core/import/JetLayout.h"
#include "core/import/JetValues.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QtEndian>
#include <cstdio>
#include <cstring>
#include <mdbtools.h>
#include <optional>
#include <vector>

namespace import {

namespace {
constexpr int LongValueHeader = 12; // MDB_MEMO_OVERHEAD
constexpr quint32 LongValueInline = 0x80000000;
constexpr quint32 LongValueOnePage = 0x40000000;
constexpr int DeletedRow = 0x4000;
constexpr int RowOffsetMask = 0x1fff;
constexpr int ForeignKeyIndex = 2; // a relationship's copy of the other table's key

std::optional<ColumnType> columnType(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return ColumnType::Integer;
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return ColumnType::Real;
    case MDB_MONEY:
    case MDB_NUMERIC:
    case MDB_DATETIME:
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
        return ColumnType::Text;
    case MDB_OLE:
    case MDB_BINARY:
        return ColumnType::Blob;
    default:
        return std::nullopt;
    }
}

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

MdbColumn* columnAt(MdbTableDef* table, unsigned int index)
{
    return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, index));
}

class AccessSource final : public Source
{
public:
    ~AccessSource() override
    {
        for (MdbTableDef* def : m_defs)
            mdb_free_tabledef(def);
        if (m_mdb)
            mdb_close(m_mdb);
    }

    db::Error open(const QString& path, bool identify);
    const QList<Table>& tables() const override { return m_tables; }
    db::Error readRows(int table, RowSink& sink) override;
    const Origin* origin() const override { return &m_origin; }

private:
    db::Error describeOrigin(bool identify);
    db::Error readCatalog(GPtrArray** catalog);
    db::Error readTable(MdbCatalogEntry* entry);
    db::Error readValue(const MdbColumn* column, const MdbField& field, int index,
                        const QString& table, RowSink& sink);
    bool readLongValue(int start, int size, QByteArray& out);
    bool findLongValueRow(qint32 pageRow, void** buffer, int* start, size_t* length);
    db::Error damaged(const QString& table) const
    {
        return {AccessDamaged,
                QStringLiteral("The Access database %1 is damaged: table %2 holds a page that "
                               "cannot be read. Nothing was imported.")
                    .arg(db::quotedText(m_path), db::quotedText(table))};
    }

    QString m_path;
    MdbHandle* m_mdb = nullptr;
    qint64 m_pageCount = 0;
    std::vector<MdbTableDef*> m_defs;
    QList<Table> m_tables;
    QByteArray m_long;
    QByteArray m_text;
    Origin m_origin;
    QSet<QString> m_relationships;
};

// The file as the record of the import keeps it; its tables follow as they are read.
db::Error AccessSource::describeOrigin(bool identify)
{
    QFile file(m_path);
    QCryptographicHash sha256(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || (identify && !sha256.addData(&file)))
        return {
            db::FileNotFound,
            QStringLiteral("The Access database %1 cannot be read.").arg(db::quotedPath(m_path))};
    m_origin = {QFileInfo(m_path).absoluteFilePath(),
                file.size(),
                identify ? sha256.result().toHex() : QByteArray(),
                jetFormat(m_mdb),
                int(m_mdb->fmt->pg_size),
                QUuid::createUuid().toString(QUuid::WithoutBraces),
                {}};
    m_relationships = relationshipColumns(m_mdb);
    return {};
}

db::Error AccessSource::open(const QString& path, bool identify)
{
    m_path = path;
    // Without MDB_WRITABLE libmdb opens the file for reading only.
    m_mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!m_mdb)
        return {AccessDamaged,
                QStringLiteral("The Access database %1 cannot be read: its first page is "
                               "damaged.")
                    .arg(db::quotedText(path))};
    m_pageCount = QFileInfo(path).size() / m_mdb->fmt->pg_size;
    // Before the catalog is read for the tables: reading the relationships reads it again.
    if (db::Error e = describeOrigin(identify))
        return e;
    GPtrArray* catalog = nullptr;
    if (db::Error e = readCatalog(&catalog))
        return e;
    for (unsigned int i = 0; i < catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry))
            continue;
        if (db::Error e = readTable(entry))
            return e;
    }
    return {};
}

// libmdb's catalog read stops without a word at a page it cannot read, and
// the tables listed on the pages after it are then silently missing. So the
// rows it yields are counted against the rows MSysObjects records.
db::Error AccessSource::readCatalog(GPtrArray** catalog)
{
    MdbCatalogEntry objects{};
    objects.mdb = m_mdb;
    objects.object_type = MDB_TABLE;
    objects.table_pg = 2; // MSysObjects' definition is always on page 2
    std::snprintf(objects.object_name, sizeof objects.object_name, "MSysObjects");
    MdbTableDef* def = mdb_read_table(&objects);
    const qint64 recorded = def ? qint64(def->num_rows) : -1;
    if (def)
        mdb_free_tabledef(def);
    *catalog = recorded > 0 ? mdb_read_catalog(m_mdb, MDB_ANY) : nullptr;
    const qint64 read = *catalog ? qint64((*catalog)->len) : 0;
    if (recorded <= 0)
        return {AccessProtected,
                QStringLiteral("The table list of the Access database %1 cannot be read: the "
                               "file is encrypted or damaged.")
                    .arg(db::quotedText(m_path))};
    if (read < recorded)
        return {AccessDamaged,
                QStringLiteral("The Access database %1 is damaged: its table list records %2 "
                               "objects, but only %3 could be read, so tables would be missing. "
                               "Nothing was imported.")
                    .arg(db::quotedText(m_path))
                    .arg(recorded)
                    .arg(read)};
    return {};
}

db::Error AccessSource::readTable(MdbCatalogEntry* entry)
{
    const QString name = QString::fromUtf8(entry->object_name);
    const db::Error unreadable{AccessUnreadable,
                               QStringLiteral("The table %1 of the Access database %2 cannot be "
                                              "read. Nothing was imported.")
                                   .arg(db::quotedText(name), db::quotedText(m_path))};
    MdbTableDef* def = mdb_read_table(entry);
    if (!def)
        return unreadable;
    m_defs.push_back(def);
    if (!mdb_read_columns(def) || def->num_cols == 0 || def->num_cols > MDB_MAX_COLS)
        return unreadable;
    mdb_read_indices(def);

    Table table{name, {}, {}, def->num_rows};
    for (unsigned int i = 0; i < def->num_cols; ++i) {
        const MdbColumn* column = columnAt(def, i);
        const QString columnName = QString::fromUtf8(column->name);
        const std::optional<ColumnType> type = columnType(column->col_type);
        if (!type)
            return {AccessUnreadable,
                    QStringLiteral("The column %1 of table %2 has a type libmdb cannot read "
                                   "(type number %3). Nothing was imported.")
                        .arg(db::quotedText(columnName), db::quotedText(name))
                        .arg(column->col_type)};
        table.columns.append({columnName, *type, jetDeclaredType(column->col_type)});
    }
    for (unsigned int i = 0; def->indices && i < def->indices->len; ++i) {
        const auto* index = static_cast<MdbIndex*>(g_ptr_array_index(def->indices, i));
        if (index->index_type == ForeignKeyIndex || index->num_keys == 0)
            continue;
        Index copy{name + QLatin1Char('_') + QString::fromUtf8(index->name),
                   {},
                   {},
                   (index->flags & MDB_IDX_UNIQUE) != 0};
        for (unsigned int k = 0; k < index->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
            const int column = index->key_col_num[k] - 1;
            if (column < 0 || column >= static_cast<int>(def->num_cols))
                break;
            copy.columns << table.columns[column].name;
            copy.descending << (index->key_col_order[k] == MDB_DESC);
        }
        // Where libmdb does not give every column the rows go alone.
        if (copy.columns.size() == static_cast<int>(index->num_keys))
            table.indexes << copy;
    }
    m_tables << table;
    m_origin.tables << describeJetTable(def, m_relationships);
    return {};
}

db::Error AccessSource::readRows(int tableIndex, RowSink& sink)
{
    MdbTableDef* def = m_defs[tableIndex];
    const QString& name = m_tables[tableIndex].name;
    MdbFormatConstants* format = m_mdb->fmt;
    std::vector<MdbField> fields(MDB_MAX_COLS);
    // The same walk as libmdb's own row fetch, but the cracked row keeps each
    // value's null flag: an empty text is not a missing one.
    mdb_rewind_table(def);
    for (qint64 pages = 0; mdb_read_next_dpg(def); ++pages) {
        if (pages > m_pageCount)
            return damaged(name); // the page map leads round in a circle
        const int rows = mdb_get_int16(m_mdb->pg_buf, format->row_count_offset);
        for (int row = 0; row < rows; ++row) {
            int start = 0;
            size_t size = 0;
            if (mdb_find_row(m_mdb, row, &start, &size) != 0 || size == 0 || (start & DeletedRow))
                continue;
            const int count = mdb_crack_row(def, start & RowOffsetMask, size, fields.data());
            if (count < 0)
                return damaged(name);
            sink.setPlace(def->cur_phys_pg, row);
            for (unsigned int i = 0; i < def->num_cols; ++i) {
                const MdbField& field = fields[i];
                if (field.colnum < 0 || field.colnum >= static_cast<int>(def->num_cols))
                    return damaged(name);
                if (db::Error e =
                        readValue(columnAt(def, field.colnum), field, field.colnum, name, sink))
                    return e;
            }
            if (db::Error e = sink.endRow())
                return e;
        }
    }
    return {};
}

db::Error AccessSource::readValue(const MdbColumn* column, const MdbField& field, int index,
                                  const QString& table, RowSink& sink)
{
    const unsigned char* page = m_mdb->pg_buf;
    const int start = field.start;
    // A Boolean lives in the null mask: a set bit is True, and it is never null.
    if (column->col_type == MDB_BOOL) {
        sink.setInteger(index, field.is_null ? 0 : 1);
        return {};
    }
    if (field.is_null) {
        sink.setNull(index);
        return {};
    }
    if (start < 0 || field.siz < fixedSize(column->col_type) ||
        start + field.siz > static_cast<int>(m_mdb->fmt->pg_size))
        return damaged(table);
    switch (column->col_type) {
    case MDB_BYTE:
        sink.setInteger(index, page[start]);
        break;
    case MDB_INT:
        sink.setInteger(index, static_cast<qint16>(mdb_get_int16(m_mdb->pg_buf, start)));
        break;
    case MDB_LONGINT:
        sink.setInteger(index, static_cast<qint32>(mdb_get_int32(m_mdb->pg_buf, start)));
        break;
    case MDB_FLOAT:
        sink.setReal(index, mdb_get_single(m_mdb->pg_buf, start));
        break;
    case MDB_DOUBLE:
        sink.setReal(index, mdb_get_double(m_mdb->pg_buf, start));
        break;
    case MDB_MONEY: {
        qint64 value = 0;
        std::memcpy(&value, page + start, sizeof value);
        const QByteArray text = currencyText(qFromLittleEndian(value));
        sink.setText(index, {text.constData(), static_cast<size_t>(text.size())});
        break;
    }
    case MDB_DATETIME: {
        const QByteArray text = jetDateText(mdb_get_double(m_mdb->pg_buf, start));
        if (text.isEmpty())
            return damaged(table);
        sink.setText(index, {text.constData(), static_cast<size_t>(text.size())});
        break;
    }
    case MDB_NUMERIC:
    case MDB_REPID: {
        char* text = column->col_type == MDB_NUMERIC
                         ? mdb_numeric_to_string(m_mdb, start, column->col_scale, column->col_prec)
                         : mdb_uuid_to_string(m_mdb->pg_buf, start);
        sink.setText(index, text ? std::string_view(text) : std::string_view());
        g_free(text);
        break;
    }
    case MDB_TEXT:
    case MDB_MEMO: {
        const char* bytes = reinterpret_cast<const char*>(page) + start;
        int size = field.siz;
        if (column->col_type == MDB_MEMO) {
            if (!readLongValue(start, field.siz, m_long))
                return damaged(table);
            bytes = m_long.constData();
            size = static_cast<int>(m_long.size());
        }
        // UTF-8 takes at most three bytes for each byte Jet stores.
        m_text.resize(3 * size + 8);
        const int length =
            size == 0 ? 0
                      : mdb_unicode2ascii(m_mdb, bytes, static_cast<size_t>(size), m_text.data(),
                                          static_cast<size_t>(m_text.size()));
        sink.setText(index, {m_text.constData(), static_cast<size_t>(length)});
        break;
    }
    case MDB_OLE:
        if (!readLongValue(start, field.siz, m_long))
            return damaged(table);
        sink.setBlob(index, {m_long.constData(), static_cast<size_t>(m_long.size())});
        break;
    case MDB_BINARY:
        sink.setBlob(index,
                     {reinterpret_cast<const char*>(page) + start, static_cast<size_t>(field.siz)});
        break;
    }
    return {};
}

// A Memo or OLE value: kept in the row, on one long-value page, or in a chain
// of them. The chain is followed no further than the file has pages.
bool AccessSource::readLongValue(int start, int size, QByteArray& out)
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
bool AccessSource::findLongValueRow(qint32 pageRow, void** buffer, int* start, size_t* length)
{
    if (mdb_find_pg_row(m_mdb, pageRow, buffer, start, length) != 0)
        return false;
    const int rows = mdb_get_int16(*buffer, m_mdb->fmt->row_count_offset);
    return static_cast<unsigned char*>(*buffer)[0] == MDB_PAGE_DATA && (pageRow & 0xff) < rows;
}
} // namespace

std::unique_ptr<Source> openAccessSource(const QString& path, db::Error& error, bool identify)
{
    auto source = std::make_unique<AccessSource>();
    error = source->open(path, identify);
    if (error)
        return nullptr;
    return source;
}

} // namespace import
