#pragma once

#include "core/db/Error.h"

#include <QList>
#include <QPair>
#include <QString>

namespace db {

class RecordSet;

// What Find looks for: text in one of fields, as the file stores it.
struct FindRequest {
    QString text;
    QList<int> fields;
    bool matchCase = false;
    bool backward = false;
    // Rows whose field holds one of these codes match too: a coded
    // field's cells show names, and the text is in those codes' names.
    QList<QPair<int, QList<qint64>>> codes = {};
};

// Find: the next row of records after `from` (before it, when backward)
// that matches request; past the last row the search goes on from the first
// (and back), *wrapped says so. -1 when no row matches; from may be -1 or
// records.count(). SQLite tests every row in one pass, rather than going
// page by page through the record set's values.
Error findRow(const RecordSet& records, const FindRequest& request, int from, int* found,
              bool* wrapped = nullptr);

} // namespace db
