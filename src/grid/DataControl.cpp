#include "grid/DataControl.h"

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
    const auto kind =
        m_recordsetType == db::RecordSet::Table ? db::RecordSet::Table : db::RecordSet::Dynaset;
    if (db::Error e = db::RecordSet::open(*database, m_recordSource, kind, &recordSet))
        return e;
    m_recordset = std::move(recordSet);
    if (opened)
        m_database = std::move(opened);
    emit recordsetReplaced();
    return {};
}

void DataControl::setRecordset(std::unique_ptr<db::RecordSet> recordSet)
{
    m_recordset = std::move(recordSet);
    emit recordsetReplaced();
}
