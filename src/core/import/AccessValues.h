#pragma once

#include "core/import/Source.h"

#include <QByteArray>
#include <mdbtools.h>

// Jet's stored values as the import hands them on: one cracked value of a
// row on libmdb's current page, Memo and OLE values through their long-value
// pages. For the Access source only: it takes libmdb's handles.
namespace import {

class AccessValueReader
{
public:
    // pageCount bounds a chain of long-value pages.
    AccessValueReader(MdbHandle* mdb, qint64 pageCount) : m_mdb(mdb), m_pageCount(pageCount) {}

    // Hands the value of column (at index in the row) to sink; false when
    // its bytes lie outside the page or do not read as a value of its type.
    bool read(const MdbColumn* column, const MdbField& field, int index, RowSink& sink);

private:
    // Numbers, Currency, dates, Decimal and GUIDs: values of a fixed size.
    bool readFixed(const MdbColumn* column, int start, int index, RowSink& sink);
    bool readText(const MdbColumn* column, const MdbField& field, int index, RowSink& sink);
    bool readLongValue(int start, int size, QByteArray& out);
    bool findLongValueRow(qint32 pageRow, void** buffer, int* start, size_t* length);

    MdbHandle* m_mdb;
    qint64 m_pageCount;
    QByteArray m_long;
    QByteArray m_text;
};

} // namespace import
