#pragma once

#include "core/db/Error.h"
#include "core/db/Statement.h"

#include <QStringList>
#include <QVariantList>
#include <functional>

struct sqlite3;

namespace db {

// One connection to a league file. Each command opens its own and closes it
// before it ends; a grid window owns one for its lifetime.
class Database
{
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing league file read-write. Never creates a file: a path
    // where no file is, a folder, a foreign file or a league without one of
    // the seven tables fails with an error that says which.
    Error open(const QString& path);
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
    // Number of rows the last execute() changed.
    int rowsAffected() const { return m_rowsAffected; }

    // BEGIN IMMEDIATE takes the write lock up front, so a transaction never
    // fails half-way because another program started writing.
    Error beginImmediate();
    Error commit();
    void rollback();

    // The table's name as the file spells it, or empty when it is absent.
    QString storedTableName(const QString& table);

    // How long a statement waits for another program's lock. Tests shorten it.
    static void setBusyTimeout(int milliseconds);
    static int busyTimeout();

private:
    Error checkFile(const QString& path) const;
    Error connect(const QString& path);
    Error checkLeagueTables();

    sqlite3* m_handle = nullptr;
    QString m_path;
    int m_rowsAffected = 0;
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
