#include "leaguegen/SqliteFile.h"

#include <QFile>
#include <sqlite3.h>

namespace leaguegen {

namespace {
// Worded as every other engine error of the program.
db::Error errorOf(sqlite3* db, int code)
{
    return db ? db::engineError(db)
              : db::engineError(code, QString::fromUtf8(sqlite3_errstr(code)));
}
} // namespace

SqliteFile::~SqliteFile()
{
    close();
}

db::Error SqliteFile::create(const QString& path)
{
    close();
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        db::Error e = errorOf(m_db, rc);
        close();
        return e;
    }
    sqlite3_extended_result_codes(m_db, 1);
    return {};
}

db::Error SqliteFile::close()
{
    if (!m_db)
        return {};
    const int rc = sqlite3_close(m_db);
    db::Error e = rc == SQLITE_OK ? db::Error() : errorOf(m_db, rc);
    if (rc != SQLITE_OK)
        sqlite3_close_v2(m_db); // release what is left once the last statement goes
    m_db = nullptr;
    return e;
}

db::Error SqliteFile::exec(const QString& sql)
{
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? db::Error() : errorOf(m_db, rc);
}

db::Error SqliteFile::lastError() const
{
    return errorOf(m_db, sqlite3_extended_errcode(m_db));
}

} // namespace leaguegen
