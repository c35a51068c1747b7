#pragma once

#include "core/db/Error.h"

#include <QString>
#include <QVariant>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

namespace db {

// One prepared statement on a connection, finalized when it goes out of
// scope, so no reader is ever left holding the file. Every statement the
// program runs goes through it: the connection's execute and query, the
// record sets, the global edit and its preview, the league generator.
class Statement
{
public:
    Statement() = default;
    Statement(sqlite3* handle, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Prepares sql, finalizing what was prepared before.
    Error prepare(sqlite3* handle, const QString& sql);
    bool isPrepared() const { return m_stmt != nullptr; }

    // Binds values to the parameters from position first (1-based) on. A
    // QVariant is bound by its type: whole numbers as integers, dates as ISO
    // text; a null value (also a null QString) as NULL.
    Error bind(const QVariantList& values, int first = 1);
    Error bind(int position, const QVariant& value);
    // The fast binds, for loops over many rows (1-based, errors on step).
    void bindNull(int position);
    void bindInt64(int position, qint64 value);
    void bindDouble(int position, double value);
    void bindText(int position, const QByteArray& utf8);
    // Copies the bytes; an empty view binds the empty text or blob, never NULL.
    void bindUtf8(int position, std::string_view utf8);
    void bindBlob(int position, std::string_view bytes);

    // True while a row is ready; false at the end or on error (see error()).
    bool next();
    // Runs to the end, rows discarded, then resets for the next binds.
    Error run();
    // Ready to run again; bound values stay.
    void reset();
    Error error() const { return m_error; }

    // A column's storage class, numbered as SQLite numbers them.
    enum class Type { Integer = 1, Real, Text, Blob, Null };

    int columnCount() const;
    Type type(int column) const;
    bool isNull(int column) const { return type(column) == Type::Null; }
    qint64 int64(int column) const;
    double real(int column) const;
    QString text(int column) const;
    // The column as SQLite's UTF-8 text, without a copy: valid until the
    // next step, reset or column read.
    std::string_view utf8(int column) const;
    QVariant value(int column) const;
    // The column's value as SQLite holds it, for code that reads values and
    // function arguments alike.
    sqlite3_value* sqliteValue(int column) const;

private:
    void finalize();

    sqlite3* m_handle = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    Error m_error;
};

// Doubles every quote inside name and puts it in double quotes, so a table
// or field name is only ever a name in SQL text.
QString quoteIdentifier(const QString& name);

} // namespace db
