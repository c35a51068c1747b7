#include "core/import/CopyTables.h"

#include "core/db/AtomicFile.h"
#include "core/db/Database.h"
#include "core/db/Statement.h"
#include "core/import/ImportErrors.h"
#include "core/import/Provenance.h"

#include <QFile>
#include <QSet>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace import {

namespace {
constexpr qint64 ProgressEvery = 512;

const char* declaredType(ColumnType type)
{
    switch (type) {
    case ColumnType::Integer:
        return "INTEGER";
    case ColumnType::Real:
        return "REAL";
    case ColumnType::Text:
        return "TEXT";
    case ColumnType::Blob:
        return "BLOB";
    }
    return "TEXT";
}

// Binds each value as it is read and stores the row on its end; counts the
// rows, so a source that gives more than it records stops at once.
class InsertSink final : public RowSink
{
public:
    InsertSink(db::Statement& insert, const Table& table, CopyObserver* observer)
        : m_insert(insert), m_table(table), m_observer(observer)
    {
    }

    void setNull(int column) override { m_insert.bindNull(column + 1); }
    void setInteger(int column, qint64 value) override { m_insert.bindInt64(column + 1, value); }
    void setReal(int column, double value) override { m_insert.bindDouble(column + 1, value); }
    void setText(int column, std::string_view utf8) override
    {
        m_insert.bindUtf8(column + 1, utf8);
    }
    void setBlob(int column, std::string_view bytes) override
    {
        m_insert.bindBlob(column + 1, bytes);
    }
    void setPlace(quint32 page, int row) override { m_places.push_back({page, quint16(row)}); }
    db::Error endRow() override
    {
        if (db::Error e = m_insert.run())
            return e;
        if (++m_rows > m_table.storedRows)
            return wrongCount();
        if (m_observer && m_rows % ProgressEvery == 0)
            m_observer->rowsCopied(m_rows);
        return {};
    }

    qint64 rows() const { return m_rows; }
    // Row n's place, for the rowid n + 1 that the new table gave it.
    const std::vector<RowPlace>& places() const { return m_places; }
    // libmdb reads phantom rows from a damaged page, or loses real ones.
    db::Error wrongCount() const
    {
        const QString read = m_rows > m_table.storedRows
                                 ? QStringLiteral("more were read")
                                 : QStringLiteral("only %1 were read").arg(m_rows);
        return {AccessDamaged, QStringLiteral("The database is damaged: table %1 records %2 "
                                              "rows, but %3. Nothing was imported.")
                                   .arg(db::quotedText(m_table.name))
                                   .arg(m_table.storedRows)
                                   .arg(read)};
    }

private:
    db::Statement& m_insert;
    const Table& m_table;
    CopyObserver* m_observer;
    qint64 m_rows = 0;
    std::vector<RowPlace> m_places;
};

db::Error run(sqlite3* handle, const QString& sql)
{
    db::Statement statement;
    if (db::Error e = statement.prepare(handle, sql))
        return e;
    return statement.run();
}

QString createTableSql(const Table& table)
{
    QStringList columns;
    for (const Column& column : table.columns)
        columns << db::quoteIdentifier(column.name) + QLatin1Char(' ') +
                       (column.declared.isEmpty() ? QLatin1String(declaredType(column.type))
                                                  : column.declared);
    return QStringLiteral("CREATE TABLE ") + db::quoteIdentifier(table.name) +
           QStringLiteral(" (") + columns.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString insertSql(const Table& table)
{
    QStringList marks;
    for (qsizetype i = 0; i < table.columns.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO ") + db::quoteIdentifier(table.name) +
           QStringLiteral(" VALUES (") + marks.join(QLatin1Char(',')) + QLatin1Char(')');
}

// Index names are global to an SQLite file; a second "A_B" becomes "A_B 2".
QString uniqueName(const QString& name, QSet<QString>& used)
{
    QString candidate = name;
    for (int n = 2; used.contains(candidate.toLower()); ++n)
        candidate = name + QLatin1Char(' ') + QString::number(n);
    used.insert(candidate.toLower());
    return candidate;
}

QString createIndexSql(const Table& table, const Index& index, const QString& name)
{
    QStringList columns;
    for (qsizetype i = 0; i < index.columns.size(); ++i)
        columns << db::quoteIdentifier(index.columns[i]) +
                       (index.descending.value(i) ? QStringLiteral(" DESC") : QString());
    return QStringLiteral("CREATE ") + (index.unique ? QStringLiteral("UNIQUE ") : QString()) +
           QStringLiteral("INDEX ") + db::quoteIdentifier(name) + QStringLiteral(" ON ") +
           db::quoteIdentifier(table.name) + QStringLiteral(" (") +
           columns.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// A unique index the source declares but its rows break: libmdb read a row
// twice, or a damaged page as a copy of another.
db::Error createIndex(sqlite3* handle, const Table& table, const Index& index, const QString& name)
{
    const db::Error e = run(handle, createIndexSql(table, index, name));
    if ((e.number & 0xff) != SQLITE_CONSTRAINT)
        return e;
    return {AccessDamaged,
            QStringLiteral("The database is damaged: table %1 holds two rows with the same %2, "
                           "which its unique index %3 forbids. Nothing was imported.")
                .arg(db::quotedText(table.name), index.columns.join(QStringLiteral(", ")),
                     db::quotedText(index.name))};
}

db::Error copyTable(sqlite3* handle, Source& source, int index, QSet<QString>& indexNames,
                    CopyObserver* observer)
{
    const Table& table = source.tables()[index];
    if (observer)
        observer->tableStarted(index, table);
    if (db::Error e = run(handle, createTableSql(table)))
        return e;
    db::Statement insert;
    if (db::Error e = insert.prepare(handle, insertSql(table)))
        return e;
    InsertSink sink(insert, table, observer);
    if (db::Error e = source.readRows(index, sink))
        return e;
    if (sink.rows() != table.storedRows)
        return sink.wrongCount();
    if (observer)
        observer->rowsCopied(sink.rows());
    if (source.origin()) {
        if (db::Error e = writePlaces(handle, table.name, sink.places()))
            return e;
    }
    for (const Index& tableIndex : table.indexes) {
        if (db::Error e =
                createIndex(handle, table, tableIndex, uniqueName(tableIndex.name, indexNames)))
            return e;
    }
    return {};
}

db::Error flush(const QString& path)
{
    if (db::syncFile(path) != 0)
        return {db::WriteFailed,
                QStringLiteral("The new league file %1 could not be written to disk.")
                    .arg(db::quotedText(path))};
    return {};
}
} // namespace

db::Error copyTables(Source& source, const QString& path, CopyObserver* observer)
{
    db::Database target;
    if (db::Error e = target.create(path))
        return e;
    sqlite3* handle = target.sqliteHandle();
    // The file is new and only becomes the target by a rename once whole,
    // so it needs no journal of its own; it is flushed once at the end.
    for (const char* sql : {"PRAGMA journal_mode=OFF", "PRAGMA synchronous=OFF", "BEGIN"}) {
        if (db::Error e = run(handle, QString::fromLatin1(sql)))
            return e;
    }
    QSet<QString> indexNames;
    for (int i = 0; i < source.tables().size(); ++i) {
        if (db::Error e = copyTable(handle, source, i, indexNames, observer))
            return e;
    }
    if (const Origin* origin = source.origin()) {
        if (db::Error e = writeOrigin(handle, *origin))
            return e;
    }
    if (db::Error e = run(handle, QStringLiteral("COMMIT")))
        return e;
    target.close();
    return flush(path);
}

} // namespace import
