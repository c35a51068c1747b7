// Export as CSV: SQLite reads every row in one pass, instead of going page
// by page through the record set's values, which would build a QVariant for
// every cell.
#include "core/db/CsvExport.h"

#include "core/db/AtomicFile.h"
#include "core/db/Csv.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/db/Statement.h"

#include <algorithm>
#include <cstring>

namespace db {

namespace {
constexpr int ProgressEvery = 2048;
constexpr int FlushBytes = 1 << 20;

// A cell as the grid shows it: reals as Qt writes them, everything else as
// SQLite turns it into text; a null is an empty field.
void appendCell(QByteArray& out, const Statement& select, int column)
{
    switch (select.type(column)) {
    case Statement::Type::Null:
        return;
    case Statement::Type::Real: {
        const QByteArray text = QVariant(select.real(column)).toString().toUtf8();
        csv::appendField(out, {text.constData(), size_t(text.size())});
        return;
    }
    case Statement::Type::Text:
        csv::appendText(out, select.utf8(column));
        return;
    case Statement::Type::Blob:
        csv::appendBlob(out, select.utf8(column));
        return;
    case Statement::Type::Integer:
        csv::appendField(out, select.utf8(column));
    }
}

void appendRecord(QByteArray& out, const Statement& select, int firstColumn, int columns,
                  const QList<ShownAs>& shownAs)
{
    for (int c = 0; c < columns; ++c) {
        if (c)
            out.append(',');
        if (c < shownAs.size() && shownAs.at(c)) {
            const QByteArray text = shownAs.at(c)(select.value(firstColumn + c)).toUtf8();
            csv::appendText(out, {text.constData(), size_t(text.size())});
            continue;
        }
        appendCell(out, select, firstColumn + c);
    }
    csv::endRecord(out);
}

Error writeFailed(const QString& path, int error)
{
    return {WriteFailed, QStringLiteral("The file \"%1\" could not be written (%2); nothing was "
                                        "saved.")
                             .arg(path, QString::fromLocal8Bit(std::strerror(error)))};
}
void appendCaptions(QByteArray& out, const QStringList& captions)
{
    for (int i = 0; i < captions.size(); ++i) {
        if (i)
            out.append(',');
        const QByteArray caption = captions.at(i).toUtf8();
        csv::appendField(out, {caption.constData(), size_t(caption.size())});
    }
    csv::endRecord(out);
}

// Whether the fields read from select (from firstColumn on) differ from the
// row's values in the record set's page cache; false when it is not cached.
bool differsFromCache(const RecordSet& records, int row, const Statement& select, int firstColumn,
                      const QList<int>& fields)
{
    const QVariant* cached = records.pages().cachedRow(row, records.fields().count());
    if (!cached)
        return false;
    for (int i = 0; i < fields.size(); ++i) {
        if (!sameStoredValue(cached[fields.at(i)], select.value(firstColumn + i)))
            return true;
    }
    return false;
}
} // namespace

Error exportCsv(const RecordSet& records, const QString& path, const QStringList& captions,
                const QList<int>& fields, const ExportProgress& progress, bool* changed,
                const QList<ShownAs>& shownAs)
{
    AtomicFile file(path);
    if (const int error = file.open())
        return writeFailed(path, error);
    QByteArray out;
    out.reserve(FlushBytes + 64 * 1024);
    appendCaptions(out, captions);

    // One statement reads every row as the file holds it now, so the file
    // is one consistent state of the table even while others write to it.
    // Rows another program removed are not in it; that the rows differ from
    // those the grid read is told, so the user knows to Refresh.
    const int n = records.count();
    const QString keyName = records.fields().keyName();
    const bool keyed = !keyName.isEmpty();
    const int firstField = keyed ? 1 : 0;
    const QStringList quoted = records.fields().quoted(fields);
    Statement select(records.database().sqliteHandle(),
                     records.selectSql(keyed ? QStringList{keyName} + quoted : quoted, {}, true));
    select.bind(records.selection().params());
    bool differs = false;
    int row = 0;
    while (select.next()) {
        if (!differs)
            differs = row >= n || (keyed && select.int64(0) != records.key(row)) ||
                      differsFromCache(records, row, select, firstField, fields);
        appendRecord(out, select, firstField, int(fields.size()), shownAs);
        ++row;
        if (out.size() >= FlushBytes) {
            if (const int error = file.write(out))
                return writeFailed(path, error);
            out.clear();
        }
        const int total = std::max(n, row);
        if (progress && row % ProgressEvery == 0 && !progress(row, total))
            return {Cancelled, QStringLiteral("The export was stopped; no file was written.")};
    }
    if (select.error())
        return select.error();
    if (progress && !progress(row, std::max(n, row)))
        return {Cancelled, QStringLiteral("The export was stopped; no file was written.")};
    if (changed)
        *changed = differs || row != n;
    int error = file.write(out);
    if (!error)
        error = file.commit();
    if (error)
        return writeFailed(path, error);
    return {};
}

} // namespace db
