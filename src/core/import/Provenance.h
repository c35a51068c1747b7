#pragma once

#include "core/db/Error.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <vector>

namespace db {
class Database;
}
struct sqlite3;

// Where an imported league came from: the Access file (its path, size,
// SHA-256 and format), each copied column as Jet stores it, and each copied
// row's place in the file. Kept in tables of the imported file whose names
// no Access table can have (Access refuses a '.' in a name), so a league can
// be written back into the file it came from.
namespace import {

// The league records no Access file: not imported, or by an earlier version.
inline constexpr int NoImportRecord = 1070;

// One column as the Access file stores it.
struct JetColumn {
    QString name;
    int type = 0;        // libmdb's type number (MDB_BYTE, ...)
    int number = 0;      // its bit in a row's null mask
    int rowNumber = 0;   // its place among a row's columns, deleted ones counted
    int fixedOffset = 0; // where a fixed-size value starts, after the column count
    int size = 0;        // bytes of a fixed-size value
    bool fixed = false;
    bool required = false;
    QString notWritable; // why a change of it cannot be written; empty: it can
};

struct JetTable {
    QString name;
    QList<JetColumn> columns;
    int fixedColumns = 0; // how many of columns are fixed-size
    bool deletedColumns = false;
    QList<int> primaryKey = {}; // columns of the primary key, as read from the file (not recorded)
};

struct Origin {
    QString path; // absolute
    qint64 size = 0;
    QByteArray sha256; // hex
    QString format;    // "Jet 3", "Jet 4", "ACE"
    int pageSize = 0;
    QString leagueId; // made at import; names the league in the record of written versions
    QList<JetTable> tables;

    const JetTable* table(const QString& name) const;
};

// A row's place: its data page and its number in the page's row-offset table.
struct RowPlace {
    quint32 page = 0;
    quint16 row = 0;
    bool operator==(const RowPlace&) const = default;
};
inline size_t qHash(RowPlace place, size_t seed = 0)
{
    return ::qHash((quint64(place.page) << 16) | place.row, seed);
}

// The record's tables: never a league table, never in the Table menu.
bool isRecordTable(const QString& name);

// Written by the import, in its transaction.
db::Error writeOrigin(sqlite3* handle, const Origin& origin);
// rowids 1..places.size() of table, in the order they were copied.
db::Error writePlaces(sqlite3* handle, const QString& table, const std::vector<RowPlace>& places);

// What the league records; NoImportRecord when it records nothing.
db::Error readOrigin(db::Database& league, Origin* origin);
db::Error readPlaces(db::Database& league, const QString& table, QHash<qint64, RowPlace>* places);

} // namespace import
