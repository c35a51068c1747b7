#pragma once

#include "db/Error.h"

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

// One prepared statement on the raw connection, finalized when it goes out
// of scope, so no reader is ever left holding the file. Record sets read
// keys through it: a 200,000-row keyset is read far faster this way than row
// by row through QSqlQuery.
class RecordSetStatement
{
public:
    RecordSetStatement(sqlite3* handle, const QString& sql);
    ~RecordSetStatement();
    RecordSetStatement(const RecordSetStatement&) = delete;
    RecordSetStatement& operator=(const RecordSetStatement&) = delete;

    // Binds values to the parameters from position first (1-based) on.
    Error bind(const QVariantList& values, int first = 1);
    Error bind(int position, const QVariant& value);
    // True while a row is ready; false at the end or on error (see error()).
    bool next();
    Error error() const { return m_error; }

    qint64 int64(int column) const;
    sqlite3_stmt* handle() const { return m_stmt; }
    QVariant value(int column) const;

    // The engine's error on handle, worded as the rest of the program words it.
    static Error engineError(sqlite3* handle);

private:
    sqlite3* m_handle;
    sqlite3_stmt* m_stmt = nullptr;
    Error m_error;
};

} // namespace db
