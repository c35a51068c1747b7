#include "core/db/Database.h"

#include "core/db/Schema.h"
#include "core/db/SqlExtensions.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QtEndian>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>

namespace db {

namespace {
// A test seam, not program state: the program always waits 5 s; the tests
// shorten the wait (setBusyTimeout) so a lock they expect fails fast.
std::atomic<int> s_busyTimeout{5000};

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
                                  .arg(db::quotedPath(path))};
        if (errno == ENOENT || errno == ENOTDIR)
            return {FileNotFound,
                    QStringLiteral("The league file %1 does not exist.").arg(db::quotedPath(path))};
        return {NotAFile,
                QStringLiteral("The league file %1 cannot be reached: %2")
                    .arg(db::quotedPath(path), QString::fromLocal8Bit(std::strerror(errno)))};
    }
    if (S_ISDIR(info.st_mode))
        return {NotAFile,
                QStringLiteral("%1 is a folder, not a league file.").arg(db::quotedPath(path))};
    if (!S_ISREG(info.st_mode))
        return {NotAFile, QStringLiteral("%1 is not a regular file (it is a device, pipe or "
                                         "socket), so it cannot be a league file.")
                              .arg(db::quotedPath(path))};

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {NotAFile, QStringLiteral("The league file %1 cannot be read: %2")
                              .arg(db::quotedPath(path), file.errorString())};
    const QByteArray head = file.read(32);
    if (head.isEmpty())
        return {NotSQLite, QStringLiteral("The file %1 is empty: it is not a league database.")
                               .arg(db::quotedPath(path))};
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        return {AccessFile, QStringLiteral("The file %1 is a Microsoft Access (Jet) database. "
                                           "Yardmark '99 edits SQLite league files; "
                                           "convert the league first.")
                                .arg(db::quotedPath(path))};
    if (!head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return {NotSQLite, QStringLiteral("The file %1 is not a league database (it is not an "
                                          "SQLite database file).")
                               .arg(db::quotedPath(path))};
    return {};
}

Error Database::openFile(const QString& path)
{
    return openExisting(path, Check::File);
}

Error Database::open(const QString& path)
{
    return openExisting(path, Check::League);
}

Error Database::openExisting(const QString& path, Check check)
{
    close();
    if (Error e = checkFile(path))
        return e;
    // mode=rw: open an existing file, never create one.
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    const QByteArray uri = url.toString(QUrl::FullyEncoded).toUtf8() + "?mode=rw";
    Error e = connect(uri, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI);
    if (!e) {
        m_path = path;
        // A foreign file is refused before its journal is touched.
        if (check == Check::League)
            e = checkLeagueTables();
        if (!e)
            e = useRollbackJournal();
    }
    if (e) {
        close();
        return e;
    }
    return {};
}

Error Database::create(const QString& path)
{
    close();
    Error e = connect(QFile::encodeName(path), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!e) {
        m_path = path;
        e = useRollbackJournal();
    }
    if (e)
        close();
    return e;
}

Error Database::openInMemory()
{
    close();
    return connect(QByteArrayLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

Error Database::connect(const QByteArray& name, int flags)
{
    const int rc = sqlite3_open_v2(name.constData(), &m_handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        const Error e = engineError(rc, m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle))
                                                 : QString::fromUtf8(sqlite3_errstr(rc)));
        close();
        return e;
    }
    sqlite3_busy_timeout(m_handle, s_busyTimeout.load());
    sqlite3_extended_result_codes(m_handle, 1);
    registerExtensions(m_handle);
    if (Error e = execute(QStringLiteral("PRAGMA synchronous=FULL"))) {
        close();
        return e;
    }
    return {};
}

Error Database::useRollbackJournal()
{
    QString mode;
    Error e = query(QStringLiteral("PRAGMA journal_mode"), {},
                    [&](const Statement& q) { mode = q.text(0); });
    if (!e && mode.compare(QStringLiteral("delete"), Qt::CaseInsensitive) != 0)
        e = execute(QStringLiteral("PRAGMA journal_mode=DELETE"));
    return e;
}

Error Database::readMissingTables(QStringList* missing)
{
    QStringList present;
    if (Error e = query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), {},
                        [&](const Statement& q) { present << q.text(0); }))
        return e;
    *missing = schema::leagueTables();
    missing->removeIf(
        [&](const QString& table) { return present.contains(table, Qt::CaseInsensitive); });
    return {};
}

QStringList Database::missingLeagueTables()
{
    QStringList missing;
    if (readMissingTables(&missing))
        return schema::leagueTables();
    return missing;
}

Error Database::checkLeagueTables()
{
    QStringList missing;
    if (Error e = readMissingTables(&missing))
        return e;
    if (!missing.isEmpty())
        return {MissingTable,
                QStringLiteral("The league file %1 has no table \"%2\": it is not a complete "
                               "league database.")
                    .arg(db::quotedPath(m_path), missing.first())};
    return {};
}

void Database::close()
{
    if (!m_handle)
        return;
    // Every statement is finished before its call returns, so nothing is
    // left that would keep the connection open.
    sqlite3_close_v2(m_handle);
    m_handle = nullptr;
    m_path.clear();
}

bool Database::isOpen() const
{
    return m_handle != nullptr;
}

sqlite3* Database::sqliteHandle() const
{
    return m_handle;
}

Error Database::execute(const QString& sql, const QVariantList& params)
{
    Statement q(m_handle, sql);
    if (Error e = q.bind(params))
        return e;
    return q.run();
}

Error Database::query(const QString& sql, const QVariantList& params,
                      const std::function<void(const Statement&)>& onRow)
{
    Statement q(m_handle, sql);
    if (Error e = q.bind(params))
        return e;
    while (q.next())
        onRow(q);
    return q.error();
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

namespace {
// The file the connection holds open: the league itself, or its journal.
sqlite3_file* heldFile(sqlite3* handle, int which)
{
    sqlite3_file* file = nullptr;
    if (!handle || sqlite3_file_control(handle, "main", which, &file) != SQLITE_OK)
        return nullptr;
    return file && file->pMethods ? file : nullptr;
}
} // namespace

std::optional<quint32> Database::changeCounter() const
{
    sqlite3_file* file = heldFile(m_handle, SQLITE_FCNTL_FILE_POINTER);
    uchar bytes[4];
    if (!file || file->pMethods->xRead(file, bytes, 4, 24) != SQLITE_OK)
        return std::nullopt;
    return qFromBigEndian<quint32>(bytes);
}

std::optional<quint32> Database::changeCounterOf(const QString& path)
{
    Database file;
    if (file.openFile(path))
        return std::nullopt;
    return file.changeCounter();
}

bool Database::transactionWrote() const
{
    return heldFile(m_handle, SQLITE_FCNTL_JOURNAL_POINTER) != nullptr;
}

QString Database::storedTableName(const QString& table)
{
    QString name;
    query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? "
                         "COLLATE NOCASE"),
          {table}, [&](const Statement& q) { name = q.text(0); });
    return name;
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
