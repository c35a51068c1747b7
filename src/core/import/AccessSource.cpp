#include "core/import/AccessSource.h"

#include "core/import/AccessValues.h"
#include "core/import/ImportErrors.h"
#include "core/import/JetLayout.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cstdio>
#include <mdbtools.h>
#include <optional>
#include <vector>

namespace import {

namespace {
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
    std::optional<AccessValueReader> m_values;
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
    m_values.emplace(m_mdb, m_pageCount);
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
                if (!m_values->read(columnAt(def, field.colnum), field, field.colnum, sink))
                    return damaged(name);
            }
            if (db::Error e = sink.endRow())
                return e;
        }
    }
    return {};
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
