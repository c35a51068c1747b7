#pragma once

#include "core/db/Database.h"
#include "core/db/Error.h"
#include "core/db/RecordSet.h"

#include <QObject>
#include <memory>

// dataControl: binds a grid to a table. Holds the database name, the record
// source and the current record set, and owns the window's one connection.
// It has no visible part.
class DataControl : public QObject
{
    Q_OBJECT
public:
    explicit DataControl(QObject* parent = nullptr);
    ~DataControl() override;

    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString& path) { m_databaseName = path; }
    QString recordSource() const { return m_recordSource; }
    void setRecordSource(const QString& source) { m_recordSource = source; }

    // Opens the database (again, when the name changed) and a new record set
    // over the record source. On error the control keeps what it had.
    db::Error refresh();

    db::RecordSet* recordset() const { return m_recordset.get(); }
    // Makes a record set opened from the current one current; the old one
    // is dropped.
    void setRecordset(std::unique_ptr<db::RecordSet> recordSet);

signals:
    // The current record set was replaced; the grid rebuilds from it. The
    // old one is still open while the signal is delivered, and dropped after.
    void recordsetReplaced();

private:
    QString m_databaseName;
    QString m_recordSource;
    std::unique_ptr<db::Database> m_database;
    std::unique_ptr<db::RecordSet> m_recordset;
};
