#pragma once

#include "db/Error.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

namespace leaguegen {

// A thin owner of a new SQLite file and its statements. The generator writes
// hundreds of thousands of rows, so it talks to the engine directly instead of
// going through QVariant per value.
class SqliteFile
{
public:
    SqliteFile() = default;
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    db::Error create(const QString& path);
    db::Error close();
    db::Error exec(const QString& sql);
    db::Error lastError() const;
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

class Statement
{
public:
    Statement() = default;
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    db::Error prepare(const SqliteFile& file, const QString& sql);

    // Columns count from 0 here; the engine copies text at once.
    void bindNull(int column);
    void bindInt(int column, std::int64_t value);
    void bindText(int column, const QByteArray& utf8);

    // Steps once and resets, so the statement is ready for the next row.
    db::Error run();

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace leaguegen
