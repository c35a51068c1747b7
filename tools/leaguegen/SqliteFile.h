#pragma once

#include "core/db/Database.h"
#include "core/db/Error.h"

#include <QString>

struct sqlite3;

namespace leaguegen {

// A thin owner of a new SQLite file. The generator writes hundreds of
// thousands of rows, so its statements (db::Statement) bind values directly
// instead of through QVariant per value.
class SqliteFile
{
public:
    db::Error create(const QString& path) { return m_database.create(path); }
    void close() { m_database.close(); }
    db::Error exec(const QString& sql) { return m_database.execute(sql); }
    sqlite3* handle() const { return m_database.sqliteHandle(); }

private:
    db::Database m_database;
};

} // namespace leaguegen
