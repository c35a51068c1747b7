#include "MdbExport.h"

#include <QFile>
#include <QProcess>
#include <cmath>
#include <mdbtools.h>

namespace MdbExport {

namespace {
QByteArray run(const QStringList& arguments)
{
    QProcess tool;
    tool.start(arguments.first(), arguments.mid(1));
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    return tool.readAllStandardOutput();
}

// RFC 4180 as mdb-export writes it: quotes doubled inside quoted fields,
// which may hold line breaks.
QList<QList<Field>> parseCsv(const QByteArray& csv)
{
    QList<QList<Field>> rows;
    QList<Field> row;
    Field field;
    bool inQuotes = false;
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const char c = csv.at(i);
        if (inQuotes) {
            if (c == '"' && i + 1 < csv.size() && csv.at(i + 1) == '"') {
                field.text += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else {
                field.text += c;
            }
        } else if (c == '"') {
            inQuotes = field.quoted = true;
        } else if (c == ',') {
            row << field;
            field = {};
        } else if (c == '\n') {
            row << field;
            rows << row;
            row.clear();
            field = {};
        } else {
            field.text += c;
        }
    }
    return rows;
}
} // namespace

QStringList tables(const QString& file)
{
    const QString list =
        QString::fromUtf8(run({QStringLiteral("mdb-tables"), QStringLiteral("-1"), file}));
    return list.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

Export exportTable(const QString& file, const QString& table)
{
    const QString format = QStringLiteral("%Y-%m-%d %H:%M:%S");
    QList<QList<Field>> rows =
        parseCsv(run({QStringLiteral("mdb-export"), QStringLiteral("-T"), format,
                      QStringLiteral("-D"), format, QStringLiteral("-b"), QStringLiteral("hex"),
                      QStringLiteral("-0"), QStringLiteral("NULL"), file, table}));
    Export result;
    if (rows.isEmpty())
        return result;
    for (const Field& name : rows.takeFirst())
        result.header << QString::fromUtf8(name.text);
    result.rows = rows;
    return result;
}

QList<double> storedDates(const QString& file, const QString& table, const QString& column)
{
    QList<double> dates;
    MdbHandle* mdb = mdb_open(QFile::encodeName(file).constData(), MDB_NOFLAGS);
    if (!mdb)
        return dates;
    QByteArray name = table.toUtf8();
    if (MdbTableDef* def = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE)) {
        mdb_read_columns(def);
        MdbColumn* date = nullptr;
        for (unsigned int i = 0; i < def->num_cols; ++i) {
            auto* c = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
            if (QString::fromUtf8(c->name) == column)
                date = c;
        }
        mdb_rewind_table(def);
        // The fetch leaves each value's place in the page buffer.
        while (date && mdb_fetch_row(def))
            dates << (date->cur_value_len ? mdb_get_double(mdb->pg_buf, date->cur_value_start)
                                          : std::nan(""));
        mdb_free_tabledef(def);
    }
    mdb_close(mdb);
    return dates;
}

} // namespace MdbExport
