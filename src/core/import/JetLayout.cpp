#include "core/import/JetLayout.h"

#include <memory>
#include <vector>

namespace import {

namespace {
constexpr int PrimaryKeyIndex = 1;

QString typeReason(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_DATETIME:
        return {};
    case MDB_TEXT:
        return QStringLiteral("a Text column");
    case MDB_MEMO:
        return QStringLiteral("a Memo column");
    case MDB_OLE:
        return QStringLiteral("an OLE Object column");
    case MDB_NUMERIC:
        return QStringLiteral("a Decimal column");
    case MDB_REPID:
        return QStringLiteral("a Replication ID column");
    default:
        return QStringLiteral("a Binary column");
    }
}

QString relationshipKey(const char* table, const char* column)
{
    return QString::fromUtf8(table) + QLatin1Char('\n') + QString::fromUtf8(column);
}

// Columns of an index libmdb lists.
QSet<int> indexedColumns(MdbTableDef* def)
{
    QSet<int> columns;
    for (unsigned int i = 0; def->indices && i < def->indices->len; ++i) {
        const auto* index = static_cast<MdbIndex*>(g_ptr_array_index(def->indices, i));
        for (unsigned int k = 0; k < index->num_keys && k < MDB_MAX_IDX_COLS; ++k)
            columns.insert(index->key_col_num[k] - 1);
    }
    return columns;
}
// Why a column of a type that can be written still cannot be: Jet keeps
// its values elsewhere too.
QString keyReason(const MdbTableDef* def, const MdbColumn& column, bool indexed,
                  const QSet<QString>& relationships)
{
    // The flags mean AutoNumber only on the types that can be one.
    if (column.is_long_auto && column.col_type == MDB_LONGINT)
        return QStringLiteral("an AutoNumber column");
    if (indexed)
        return QStringLiteral("in an index of the Access file");
    if (relationships.contains(relationshipKey(def->name, column.name)))
        return QStringLiteral("in a relationship of the Access file");
    return {};
}
} // namespace

QString jetFormat(const MdbHandle* mdb)
{
    switch (mdb->f->jet_version) {
    case MDB_VER_JET3:
        return QStringLiteral("Jet 3");
    case MDB_VER_JET4:
        return QStringLiteral("Jet 4");
    default:
        return QStringLiteral("ACE");
    }
}

QString jetDeclaredType(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL:
        return QStringLiteral("BIT");
    case MDB_BYTE:
        return QStringLiteral("TINYINT");
    case MDB_INT:
        return QStringLiteral("SMALLINT");
    case MDB_LONGINT:
        return QStringLiteral("INT4");
    case MDB_FLOAT:
        return QStringLiteral("FLOAT");
    case MDB_DOUBLE:
        return QStringLiteral("DOUBLE");
    default:
        return {};
    }
}

QSet<QString> relationshipColumns(MdbHandle* mdb)
{
    QSet<QString> columns;
    char name[] = "MSysRelationships";
    MdbTableDef* def = mdb_read_table_by_name(mdb, name, MDB_TABLE);
    if (!def)
        return columns;
    const auto freeDef =
        std::unique_ptr<MdbTableDef, void (*)(MdbTableDef*)>(def, mdb_free_tabledef);
    if (!mdb_read_columns(def))
        return columns;
    // szObject.szColumn refers to szReferencedObject.szReferencedColumn.
    const char* names[] = {"szObject", "szColumn", "szReferencedObject", "szReferencedColumn"};
    std::vector<std::vector<char>> bound(4, std::vector<char>(mdb->bind_size + 1));
    for (int i = 0; i < 4; ++i) {
        if (!mdb_bind_column_by_name(def, const_cast<char*>(names[i]), bound[i].data(), nullptr))
            return columns;
    }
    mdb_rewind_table(def);
    while (mdb_fetch_row(def)) {
        columns.insert(relationshipKey(bound[0].data(), bound[1].data()));
        columns.insert(relationshipKey(bound[2].data(), bound[3].data()));
    }
    return columns;
}

JetTable describeJetTable(MdbTableDef* def, const QSet<QString>& relationships)
{
    JetTable table{QString::fromUtf8(def->name), {}};
    const QSet<int> indexed = indexedColumns(def);
    for (unsigned int i = 0; i < def->num_cols; ++i) {
        const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
        const char* required = mdb_col_get_prop(column, "Required");
        JetColumn c{QString::fromUtf8(column->name),
                    column->col_type,
                    column->col_num,
                    column->row_col_num,
                    column->fixed_offset,
                    column->col_size,
                    column->is_fixed != 0,
                    required && required[0] == 'y',
                    typeReason(column->col_type)};
        if (c.notWritable.isEmpty())
            c.notWritable = keyReason(def, *column, indexed.contains(int(i)), relationships);
        table.fixedColumns += c.fixed ? 1 : 0;
        table.deletedColumns = table.deletedColumns || c.rowNumber != c.number;
        table.columns.append(c);
    }
    for (unsigned int i = 0; def->indices && i < def->indices->len; ++i) {
        const auto* index = static_cast<MdbIndex*>(g_ptr_array_index(def->indices, i));
        for (unsigned int k = 0; index->index_type == PrimaryKeyIndex && k < index->num_keys; ++k)
            table.primaryKey << index->key_col_num[k] - 1;
    }
    return table;
}

} // namespace import
