#pragma once

#include "core/db/Database.h"
#include "core/db/Error.h"
#include "core/db/RecordSet.h"

#include <QObject>
#include <memory>

// A grid window's connection to its league: the window's one open database
// and the record set the grid shows, over a table (or a query). Sort and
// Filter replace the record set with one opened from it; the connection
// counts the table's rows they hide, for the status bar. It has no visible
// part.
class TableConnection : public QObject
{
    Q_OBJECT
public:
    explicit TableConnection(QObject* parent = nullptr);
    ~TableConnection() override;

    QString leaguePath() const { return m_leaguePath; }
    void setLeaguePath(const QString& path) { m_leaguePath = path; }
    // A table's name, or a query's text.
    QString tableOrQuery() const { return m_tableOrQuery; }
    void setTableOrQuery(const QString& tableOrQuery) { m_tableOrQuery = tableOrQuery; }

    // Opens the league (again, when its path changed) and a new record set
    // over the table or query. On error the connection keeps what it had.
    db::Error open();
    // Reads the record set's rows again, and counts what its filters hide.
    db::Error requery();

    db::RecordSet* recordSet() const { return m_recordSet.get(); }
    // Makes a record set opened from the current one current; the old one
    // is dropped.
    void replaceRecordSet(std::unique_ptr<db::RecordSet> recordSet);

    // "2,000 rows", or "37 of 2,000 rows" under a filter, then the filter
    // and the sort in force; empty before the first open.
    QString statusText() const;

signals:
    // The current record set was replaced; the grid rebuilds from it. The
    // old one is still open while the signal is delivered, and dropped after.
    void recordSetReplaced();

private:
    QString m_leaguePath;
    QString m_tableOrQuery;
    qint64 m_rowsFilteredOut = 0; // the table's rows the filters hide
    std::unique_ptr<db::Database> m_database;
    std::unique_ptr<db::RecordSet> m_recordSet;
};
