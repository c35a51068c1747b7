#pragma once

#include "core/db/Error.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <string_view>

// What an import reads from a database it copies: its tables with their
// columns and indexes, then each table's rows value by value. The Access
// reader is one source; tests hand the same copying code sources of their own.
namespace import {

// The declared type a column gets in the new file. Exact decimals (Currency,
// Decimal) are Text: a numeric declared type would let SQLite turn "12.3400"
// into a float.
enum class ColumnType { Integer, Real, Text, Blob };

struct Column {
    QString name;
    ColumnType type = ColumnType::Text;
    // The declared type when the source's own width is to be kept (TINYINT
    // for a Byte, so a grid refuses 300 in it); empty: the type's own name.
    QString declared = {};
};

struct Origin; // core/import/Provenance.h

struct Index {
    QString name;
    QStringList columns;
    QList<bool> descending; // one per column
    bool unique = false;
};

struct Table {
    QString name;
    QList<Column> columns; // in stored order
    QList<Index> indexes;
    qint64 storedRows = 0; // what the source says it holds; rows read must match
};

// Receives one row's values, column by column (0-based, each set once), then
// endRow(). Text is UTF-8.
class RowSink
{
public:
    virtual void setNull(int column) = 0;
    virtual void setInteger(int column, qint64 value) = 0;
    virtual void setReal(int column, double value) = 0;
    virtual void setText(int column, std::string_view utf8) = 0;
    virtual void setBlob(int column, std::string_view bytes) = 0;
    // Where the row lies in the source file, for sources that can tell:
    // called before its values.
    virtual void setPlace(quint32 page, int row)
    {
        Q_UNUSED(page);
        Q_UNUSED(row);
    }
    // Stores the row. An error stops the read and is what the read returns.
    virtual db::Error endRow() = 0;

protected:
    ~RowSink() = default;
};

class Source
{
public:
    virtual ~Source() = default;
    // Every user table, in the source's own order.
    virtual const QList<Table>& tables() const = 0;
    // Hands each row of tables()[table] to sink.
    virtual db::Error readRows(int table, RowSink& sink) = 0;
    // Where the tables come from, for a source a league can be written back
    // into; null for the others.
    virtual const Origin* origin() const { return nullptr; }
};

} // namespace import
