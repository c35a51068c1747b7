#pragma once

#include "core/db/Error.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace db {

class RecordSet;

// progress(done, total) may stop an export by returning false.
using ExportProgress = std::function<bool(qint64 done, qint64 total)>;
// The text a grid shows for a stored value (a coded field's name).
using ShownAs = std::function<QString(const QVariant& stored)>;

// Writes the rows of records, in its order, as RFC 4180 CSV in UTF-8: a
// header record of captions, then the fields' values (a null as an empty
// field, binary data as "0x" and hexadecimal digits, text that a spreadsheet
// would take for a formula after an apostrophe). The rows are read afresh in
// one statement, as the file holds them now under the record set's filters
// and sort; *changed says whether they differ from the rows the record set
// read and cached (another program added, removed or changed some). The file
// appears at path only when it is complete: a failed or stopped export
// leaves whatever was there before. A field with a function in shownAs (by
// its place in fields) is written as the text the function makes of each
// stored value.
Error exportCsv(const RecordSet& records, const QString& path, const QStringList& captions,
                const QList<int>& fields, const ExportProgress& progress = {},
                bool* changed = nullptr, const QList<ShownAs>& shownAs = {});

} // namespace db
