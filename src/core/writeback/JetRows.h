#pragma once

#include "core/import/Provenance.h"

#include <QByteArray>
#include <optional>

// Rows of an Access file as bytes: where a row lies in its data page, its own
// column count and null mask, and where a fixed-size field sits in it. Read
// from the file's bytes alone; libmdb only says which rows there are.
namespace writeback {

struct FileFormat {
    int pageSize = 4096;
    bool jet3 = false; // a row's column count takes 1 byte in Jet 3, else 2

    static FileFormat of(const import::Origin& origin);
};

struct StoredRow {
    qint64 start = 0; // file offset of the row's first byte
    int size = 0;
    int columns = 0; // the row's own column count
    bool moved = false;
    qint64 maskStart() const { return start + size - (columns + 7) / 8; }
};

// The row at place; nullopt when the page holds no such row or a deleted one.
std::optional<StoredRow> locateRow(const QByteArray& file, FileFormat format,
                                   import::RowPlace place);

// Why a field of the row cannot be written in place; empty when it can.
QString rowProblem(const StoredRow& row, const import::JetTable& table, FileFormat format);

// The file offset of a fixed-size column's value in the row.
qint64 fieldStart(const StoredRow& row, const import::JetColumn& column, FileFormat format);

// Whether the row's null-mask bit of the column is set (a value; for Yes/No, Yes).
bool maskBit(const QByteArray& file, const StoredRow& row, const import::JetColumn& column);
void setMaskBit(QByteArray& file, const StoredRow& row, const import::JetColumn& column, bool on);

} // namespace writeback
