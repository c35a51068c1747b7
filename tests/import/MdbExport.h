#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// An independent reading of an Access file for comparisons: mdbtools' own
// command-line tools, and libmdb's row fetch for the stored date numbers.
namespace MdbExport {

struct Field {
    QByteArray text;
    bool quoted = false; // mdb-export quotes text-like values, not numbers or NULL
    bool isNull() const { return !quoted && text == "NULL"; }
};

struct Export {
    QStringList header;
    QList<QList<Field>> rows;
};

// mdb-tables' list of the file's user tables.
QStringList tables(const QString& file);
// mdb-export's CSV of the table: dates as "%Y-%m-%d %H:%M:%S", binary as hex,
// NULL as an unquoted NULL.
Export exportTable(const QString& file, const QString& table);
// The stored day numbers of the table's date column, row by row, read with
// libmdb's own fetch (NaN for a NULL).
QList<double> storedDates(const QString& file, const QString& table, const QString& column);

} // namespace MdbExport
