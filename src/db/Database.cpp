#include "db/Database.h"

#include "db/Schema.h"
#include "db/SqlExtensions.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>

namespace db {

namespace {
std::atomic<int> s_busyTimeout{5000};
std::atomic<int> s_connectionCounter{0};

QString quoted(const QString& path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

// Where the primary result code would only say "read-only", the extended
// one names the cause and what the user can do about it.
struct ExtendedCause {
    int code;
    const char* text;
};
constexpr ExtendedCause extendedCauses[] = {
    {SQLITE_READONLY_DBMOVED,
     "The league file was deleted, moved or replaced by another program while this window had "
     "it open, so nothing was saved. Close the window and open the league again."},
    {SQLITE_READONLY_ROLLBACK,
     "The league file holds a change that another program left unfinished (a journal file lies "
     "beside it), and it cannot be undone because the league's folder cannot be written. Make "
     "the folder writable, then open the league again; nothing was changed."},
    {SQLITE_READONLY_DIRECTORY,
     "The league's folder cannot be written, and a change needs a journal file there; nothing "
     "was changed. Make the folder writable and try again."},
};

bool bind(QSqlQuery& q, const QString& sql, const QVariantList& params)
{
    if (!q.prepare(sql))
        return false;
    for (const QVariant& p : params)
        q.addBindValue(p);
    return true;
}
} // namespace

Database::Database() = default;

Database::~Database()
{
    close();
}

void Database::setBusyTimeout(int milliseconds)
{
    s_busyTimeout = milliseconds;
}

int Database::busyTimeout()
{
    return s_busyTimeout;
}

Error Database::checkFile(const QString& path) const
{
    if (path.isEmpty())
        return {NoLeagueFileChosen,
                QStringLiteral("No league file is chosen. Choose one with File > Open.")};
    // stat() follows links and says why it could not: a loop of links is
    // not a missing file. Only a regular file is read below; a pipe or a
    // device would block the read, or never end it.
    struct stat info {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        if (errno == ELOOP)
            return {NotAFile, QStringLiteral("The league file %1 is a symbolic link that leads "
                                             "back to itself. Choose the league file itself "
                                             "with File > Open.")
                                  .arg(quoted(path))};
        if (errno == ENOENT || errno == ENOTDIR)
            return {FileNotFound,
                    QStringLiteral("The league file %1 does not exist.").arg(quoted(path))};
        return {NotAFile, QStringLiteral("The league file %1 cannot be reached: %2")
                              .arg(quoted(path), QString::fromLocal8Bit(std::strerror(errno)))};
    }
    if (S_ISDIR(info.st_mode))
        return {NotAFile, QStringLiteral("%1 is a folder, not a league file.").arg(quoted(path))};
    if (!S_ISREG(info.st_mode))
        return {NotAFile, QStringLiteral("%1 is not a regular file (it is a device, pipe or "
                                         "socket), so it cannot be a league file.")
                              .arg(quoted(path))};

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {NotAFile, QStringLiteral("The league file %1 cannot be read: %2")
                              .arg(quoted(path), file.errorString())};
    const QByteArray head = file.read(32);
    if (head.isEmpty())
        return {
            NotSQLite,
            QStringLiteral("The file %1 is empty: it is not a league database.").arg(quoted(path))};
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        return {AccessFile, QStringLiteral("The file %1 is a Microsoft Access (Jet) database. "
                                           "Yardmark '99 edits SQLite league files; "
                                           "convert the league first.")
                                .arg(quoted(path))};
    if (!head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return {NotSQLite, QStringLiteral("The file %1 is not a league database (it is not an "
                                          "SQLite database file).")
                               .arg(quoted(path))};
    return {};
}

Error Database::open(const QString& path)
{
    close();
    if (Error e = checkFile(path))
        return e;

    m_name = QStringLiteral("ym_connection_%1").arg(++s_connectionCounter);
    if (Error e = connect(path)) {
        close();
        return e;
    }
    m_path = path;
    sqlite3_extended_result_codes(sqliteHandle(), 1);
    registerExtensions(sqliteHandle());

    Error e = execute(QStringLiteral("PRAGMA synchronous=FULL"));
    if (!e)
        e = checkLeagueTables();
    if (!e) {
        // The league stays one file: no -wal beside it after we are done.
        QString mode;
        e = query(QStringLiteral("PRAGMA journal_mode"), {},
                  [&](const QSqlQuery& q) { mode = q.value(0).toString(); });
        if (!e && mode.compare(QStringLiteral("delete"), Qt::CaseInsensitive) != 0)
            e = execute(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    if (e) {
        close();
        return e;
    }
    return {};
}

Error Database::connect(const QString& path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // mode=rw: open an existing file, never create one.
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    db.setDatabaseName(url.toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw"));
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(s_busyTimeout.load()));
    if (!db.open())
        return errorFrom(db.lastError());
    return {};
}

Error Database::checkLeagueTables()
{
    QStringList present;
    Error e = query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), {},
                    [&](const QSqlQuery& q) { present << q.value(0).toString(); });
    if (e)
        return e;
    for (const QString& table : schema::leagueTables()) {
        if (!present.contains(table, Qt::CaseInsensitive))
            return {MissingTable,
                    QStringLiteral("The league file %1 has no table \"%2\": it is not a complete "
                                   "league database.")
                        .arg(quoted(m_path), table)};
    }
    return {};
}

void Database::close()
{
    if (m_name.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
    m_path.clear();
}

bool Database::isOpen() const
{
    return !m_name.isEmpty() && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_name, false);
}

sqlite3* Database::sqliteHandle() const
{
    const QVariant v = connection().driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(v.constData());
    return nullptr;
}

Error Database::execute(const QString& sql, const QVariantList& params)
{
    QSqlQuery q(connection());
    if (!bind(q, sql, params) || !q.exec())
        return errorFrom(q.lastError());
    m_rowsAffected = q.numRowsAffected();
    q.finish();
    return {};
}

Error Database::query(const QString& sql, const QVariantList& params,
                      const std::function<void(const QSqlQuery&)>& onRow)
{
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!bind(q, sql, params) || !q.exec())
        return errorFrom(q.lastError());
    while (q.next())
        onRow(q);
    if (q.lastError().isValid())
        return errorFrom(q.lastError());
    q.finish();
    return {};
}

Error Database::beginImmediate()
{
    return execute(QStringLiteral("BEGIN IMMEDIATE"));
}

Error Database::commit()
{
    return execute(QStringLiteral("COMMIT"));
}

void Database::rollback()
{
    if (sqlite3* h = sqliteHandle(); h && sqlite3_get_autocommit(h))
        return; // nothing open
    execute(QStringLiteral("ROLLBACK"));
}

QString Database::storedTableName(const QString& table)
{
    QString name;
    query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? "
                         "COLLATE NOCASE"),
          {table}, [&](const QSqlQuery& q) { name = q.value(0).toString(); });
    return name;
}

Error Database::errorFrom(const QSqlError& error)
{
    bool ok = false;
    int code = error.nativeErrorCode().toInt(&ok);
    if (!ok || code == 0)
        code = SQLITE_ERROR;
    QString text = error.driverText();
    const QString engine = error.databaseText();
    for (const ExtendedCause& cause : extendedCauses) {
        if (code == cause.code)
            return {code, QString::fromUtf8(cause.text)};
    }
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        text = QStringLiteral("The league file is locked by another program; nothing was changed. "
                              "Close the league there and try again.");
        break;
    case SQLITE_READONLY:
        text = QStringLiteral("The league file is read-only, so the change cannot be saved (%1).")
                   .arg(engine);
        break;
    case SQLITE_NOTADB:
        text = QStringLiteral("The file is not a league database (%1).").arg(engine);
        break;
    case SQLITE_CANTOPEN:
        text = QStringLiteral("The league file cannot be opened (%1).").arg(engine);
        break;
    default:
        text = engine.isEmpty() ? text : engine;
        break;
    }
    return {code, text};
}

Transaction::~Transaction()
{
    if (m_open)
        m_db.rollback();
}

Error Transaction::begin()
{
    Error e = m_db.beginImmediate();
    m_open = !e;
    return e;
}

Error Transaction::commit()
{
    Error e = m_db.commit();
    if (!e)
        m_open = false;
    return e;
}

} // namespace db
