#pragma once

#include "core/db/Error.h"
#include "core/db/Statement.h"

#include <QStringList>
#include <QVariantList>
#include <functional>
#include <optional>

struct sqlite3;

namespace db {

// One SQLite connection, most often to a league file. Each command opens its
// own and closes it before it ends; a grid window owns one for its lifetime.
class Database
{
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Every connection of the program is made by one of these, so each gets
    // the same busy timeout, SQL functions and synchronous=FULL, and a file
    // journal_mode=DELETE (the file stays one file: no -wal beside it).
    //
    // openFile: an existing SQLite file, read-write. Never creates a file: a
    // path where no file is, a folder or a foreign file fails with an error
    // that says which.
    Error openFile(const QString& path);
    // open: as openFile, and the file must be a league: one of the seven
    // tables missing fails with MissingTable, before anything is changed.
    Error open(const QString& path);
    // A new or existing file, created when absent (a file the program is
    // about to fill), and a private in-memory database.
    Error create(const QString& path);
    Error openInMemory();
    void close();
    bool isOpen() const;

    QString path() const { return m_path; }
    sqlite3* sqliteHandle() const; // for registering functions and fast loops

    // Runs a statement to its end, with every value bound as a parameter.
    Error execute(const QString& sql, const QVariantList& params = {});
    // Runs a SELECT and hands each row to onRow; the statement is finished
    // before this returns, so no reader is left holding the file.
    Error query(const QString& sql, const QVariantList& params,
                const std::function<void(const Statement&)>& onRow);

    // BEGIN IMMEDIATE takes the write lock up front, so a transaction never
    // fails half-way because another program started writing.
    Error beginImmediate();
    Error commit();
    void rollback();

    // The file change counter in the header (bytes 24..27), read through
    // this connection's own file, so under whatever lock it holds; empty
    // when it cannot be read. A commit that wrote counts it up by one.
    std::optional<quint32> changeCounter() const;
    // The same for the file at path, through a connection of its own: a
    // window that reads the league now and then tells whether it changed.
    static std::optional<quint32> changeCounterOf(const QString& path);
    // Whether the open transaction has written a page yet (its rollback
    // journal is open): only then does its commit count the counter up.
    bool transactionWrote() const;

    // The table's name as the file spells it, or empty when it is absent.
    QString storedTableName(const QString& table);
    // The league's tables the open file lacks: empty for a league. All of
    // them when the file cannot be read.
    QStringList missingLeagueTables();

    // How long a statement waits for another program's lock. Tests shorten it.
    static void setBusyTimeout(int milliseconds);
    static int busyTimeout();

private:
    enum class Check { File, League };
    Error openExisting(const QString& path, Check check);
    Error checkFile(const QString& path) const;
    // Makes the connection and sets it up as above, but for the journal.
    Error connect(const QByteArray& name, int flags);
    Error useRollbackJournal();
    Error readMissingTables(QStringList* missing);
    Error checkLeagueTables();

    sqlite3* m_handle = nullptr;
    QString m_path;
};

// Rolls back on scope exit unless commit() succeeded.
class Transaction
{
public:
    explicit Transaction(Database& db) : m_db(db) {}
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    Error begin();
    Error commit();

private:
    Database& m_db;
    bool m_open = false;
};

} // namespace db
