#pragma once

#include "core/db/Error.h"

#include <QByteArray>
#include <QString>

struct sqlite3;

namespace leaguegen {

// A thin owner of a new SQLite file. The generator writes hundreds of
// thousands of rows, so its statements (db::Statement) bind values directly
// instead of through QVariant per value.
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

} // namespace leaguegen
