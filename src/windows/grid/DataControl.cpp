#include "windows/grid/DataControl.h"

#include <utility>

DataControl::DataControl(QObject* parent) : QObject(parent) {}

// The record set goes before the connection it reads through (member order).
DataControl::~DataControl() = default;

db::Error DataControl::refresh()
{
    std::unique_ptr<db::Database> opened;
    db::Database* database = m_database.get();
    if (!database || !database->isOpen() || database->path() != m_databaseName) {
        opened = std::make_unique<db::Database>();
        if (db::Error e = opened->open(m_databaseName))
            return e;
        database = opened.get();
    }
    std::unique_ptr<db::RecordSet> recordSet;
    if (db::Error e = db::RecordSet::open(*database, m_recordSource, &recordSet))
        return e;
    // The old record set and connection stay until the listeners have left
    // them; the record set goes first.
    std::unique_ptr<db::Database> oldDatabase;
    if (opened)
        oldDatabase = std::exchange(m_database, std::move(opened));
    const std::unique_ptr<db::RecordSet> old = std::exchange(m_recordset, std::move(recordSet));
    emit recordsetReplaced();
    return {};
}

void DataControl::setRecordset(std::unique_ptr<db::RecordSet> recordSet)
{
    const std::unique_ptr<db::RecordSet> old = std::exchange(m_recordset, std::move(recordSet));
    emit recordsetReplaced();
}
