#pragma once

#include "core/db/Error.h"
#include "core/db/PageCache.h"
#include "core/db/RowSelection.h"
#include "core/db/TableFields.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

namespace db {

class Database;

// A keyset over one table: the ordered list of rowids that its filters and
// sort select, read once when it opens or requeries. Field values are read by
// key a page at a time into a small cache; no statement stays open between
// reads, so a grid never blocks another connection's writer. Memory grows with
// the pages read, not with the table (8 bytes a row for the keys).
//
// Rows are addressed by position (0 .. count()-1); writes (RowWriter) go to
// the row's key, so two identical rows stay two rows.
class RecordSet
{
public:
    // Opens a record set over every row of table (a table name, matched
    // without regard to case). database must outlive the record set. A table
    // without rowid opens read-only; fields().readOnlyReason() says why.
    static Error open(Database& database, const QString& table, std::unique_ptr<RecordSet>* out);
    // A record set over just the rows with these keys, in this order, read
    // no further: what the history writes through when it takes a change
    // back or makes it again. Rows that are gone read as null values, and
    // every write to them is refused.
    static Error openKeys(Database& database, const QString& table, const QList<qint64>& keys,
                          std::unique_ptr<RecordSet>* out);
    // A record set over the one row of table whose key is key, for a window
    // that shows and writes one row at a time without reading every key.
    // RowVanished when no row has that key any more.
    static Error openRow(Database& database, const QString& table, qint64 key,
                         std::unique_ptr<RecordSet>* out);

    // A new record set with this one's filters and filterText added. Errors
    // (a filter that does not parse, names an unknown field, compares
    // incompatible things) leave this record set exactly as it was.
    Error openFiltered(const QString& filterText, std::unique_ptr<RecordSet>* out) const;
    // A new record set with this one's filters and the rows whose field holds
    // value (see RowSelection::addValueFilter); any value of any size works.
    Error openFilteredByValue(int field, const QVariant& value, const QString& shownAs,
                              std::unique_ptr<RecordSet>* out) const;
    // A new record set with this one's filters, sorted by sortText with this
    // one's sorts as tie-breakers. Errors change nothing.
    Error openSorted(const QString& sortText, std::unique_ptr<RecordSet>* out) const;
    // A new record set over every row of the table, in stored order: no
    // filter, no sort. The field aliases stay.
    Error openAll(std::unique_ptr<RecordSet>* out) const;
    // Re-reads the keys with the same filters and sort. On error the record
    // set keeps its previous rows.
    Error requery();

    QString table() const { return m_fields.table(); } // as the file spells it
    Database& database() const { return m_db; }
    // The fields; aliases and codes set on them stay with the sets opened
    // from this one.
    const TableFields& fields() const { return m_fields; }
    TableFields& fields() { return m_fields; }
    const RowSelection& selection() const { return m_selection; }
    // SELECT columns FROM the table WHERE its filters [AND extra] [ORDER BY
    // its order]; the filters' parameters (selection().params()) come after
    // any in columns.
    QString selectSql(const QStringList& columns, const QString& extra, bool ordered) const;
    // Every row of the table, whatever the filters: read from the file.
    Error countTableRows(qint64* rows) const;

    int count() const { return int(m_keys.size()); }
    qint64 key(int row) const { return m_keys.at(row); }
    const QVector<qint64>& keys() const { return m_keys; }
    // The row that has this key; -1 when none.
    int rowOfKey(qint64 key) const { return int(m_keys.indexOf(key)); }
    // The stored value; reads the row's page when it is not cached. A row
    // that has vanished from the file reads as null values.
    QVariant value(int row, int field);
    // The row's values as the grid reads them (from the cache when there).
    QVector<QVariant> rowValues(int row);
    // The first read error since the last call (the view asks for values
    // where no error can be returned), cleared by reading it.
    Error takeReadError();
    const PageCache& pages() const { return m_pages; }

    // What a write changed in the keyset: a row's new key (an edit of an
    // INTEGER PRIMARY KEY), a row added at the end whatever the sort says
    // (until a requery), rows removed (kept until then, so a model can
    // announce each run of rows before it goes).
    void setKey(int row, qint64 key);
    void appendKey(qint64 key);
    void dropRows(int first, int count);
    // Drops the cached values of the row (all rows), so the next read sees
    // the file: for a row another window wrote.
    void forgetRow(int row) { m_pages.forgetPageOf(row); }
    void forgetRows() { m_pages.forgetAll(); }

private:
    RecordSet(Database& database, TableFields fields);
    static Error openUnkeyed(Database& database, const QString& table,
                             std::unique_ptr<RecordSet>* out);
    // A copy of this record set's table and fields over selection, keyed.
    Error openDerived(const RowSelection& selection, std::unique_ptr<RecordSet>* out) const;
    Error readKeys(QVector<qint64>* keys) const;
    Error readPage(int page);
    // Rows by their place in the order, for tables without rowid.
    QString keylessPageSql() const;

    Database& m_db;
    TableFields m_fields;
    RowSelection m_selection;
    QVector<qint64> m_keys;
    PageCache m_pages;
    Error m_readError;
};

} // namespace db
