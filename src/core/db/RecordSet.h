#pragma once

#include "core/db/Error.h"
#include "core/db/Expression.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

namespace db {

class Database;
class Statement;

// The file change counter (see Database::changeCounter) a write found under
// its lock, and the one its commit left: one more when it wrote anything.
struct CounterMove {
    quint32 found = 0;
    quint32 left = 0;
};

// One field of a record set: the name as the file stores it, its affinity
// and what the declared type says about the values that fit.
struct FieldInfo {
    FieldDef def;
    QString declaredType;      // as written in CREATE TABLE, e.g. "INTEGER", "VARCHAR(20)"
    bool wholeNumbers = false; // integer fields, and Jet's narrow number types
    qint64 minimum = 0;        // the range of whole numbers that fit
    qint64 maximum = 0;
    int maxLength = 0; // characters, for text fields with a declared size; 0: no limit

    const QString& name() const { return def.name; }
};

// A field's affinity and limits, from its declared type: BYTE/TINYINT hold
// 0..255, SMALLINT/SHORT 16 bits, LONG/INT4/MEDIUMINT 32 bits, other whole
// numbers 64 bits; TEXT(n), VARCHAR(n) and CHAR(n) hold n characters.
FieldInfo describeField(const QString& name, const QString& declaredType);

// The status bar's note when a value typed into a whole-number field was
// stored as a number that reads otherwise (a fraction rounded, an exponent
// worked out): "Founded: 45.5 was stored as 46 — the field holds whole
// numbers". Empty when the stored value reads as typed.
QString wholeNumberNote(const FieldInfo& field, const QString& shownName, const QVariant& typed,
                        const QVariant& stored);

// Whether two values are the same as SQLite stores them: the same storage
// type and value, so 45 and 45.0 or 1 and '1' differ; two nulls are the same.
bool sameStoredValue(const QVariant& a, const QVariant& b);

// A keyset over one table: the ordered list of rowids that its filters and
// sort select, read once when it opens or requeries. Field values are read by
// key a page at a time into a small cache; no statement stays open between
// reads, so a grid never blocks another connection's writer. Memory grows with
// the pages read, not with the table (8 bytes a row for the keys).
//
// Rows are addressed by position (0 .. count()-1); writes and deletes go to
// the row's key, so two identical rows stay two rows.
class RecordSet
{
public:
    static constexpr int PageSize = 200;
    static constexpr int CachedPages = 6;

    // Opens a record set over every row of table (a table name, matched
    // without regard to case). database must outlive the record set. A table
    // without rowid opens read-only; readOnlyReason() says why.
    static Error open(Database& database, const QString& table, std::unique_ptr<RecordSet>* out);
    // A record set over just the rows with these keys, in this order, read
    // no further: what the history writes through when it takes a change
    // back or makes it again. Rows that are gone read as null values, and
    // every write to them is refused as below.
    static Error openKeys(Database& database, const QString& table, const QList<qint64>& keys,
                          std::unique_ptr<RecordSet>* out);

    // A new record set with this one's filters and filterText added. Errors
    // (a filter that does not parse, names an unknown field, compares
    // incompatible things) leave this record set exactly as it was.
    Error openFiltered(const QString& filterText, std::unique_ptr<RecordSet>* out) const;
    // A new record set with this one's filters and the rows whose field holds
    // value (null: is null), compared as a filter's "=" compares it (text
    // without regard to case, 1 as 1.0); the value is bound, never written
    // into expression text, so any value of any size works. shownAs names
    // the filter in filterTexts().
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
    // A record set over the one row of table whose key is key, for a window
    // that shows and writes one row at a time without reading every key.
    // RowVanished when no row has that key any more.
    static Error openRow(Database& database, const QString& table, qint64 key,
                         std::unique_ptr<RecordSet>* out);

    QString table() const { return m_table; } // as the file spells it
    Database& database() const { return m_db; }
    QStringList filterTexts() const { return m_filterTexts; } // oldest first
    QStringList sortTexts() const { return m_sortTexts; }     // newest first: the one that rules
    // The ruling sort's keys as its compiler read them; empty when unsorted.
    QList<SortKey> sortKeys() const { return m_sortKeys.value(0); }

    bool isReadOnly() const { return !m_readOnlyReason.isEmpty(); }
    QString readOnlyReason() const { return m_readOnlyReason; }

    const QList<FieldInfo>& fields() const { return m_fields; }
    int fieldCount() const { return int(m_fields.size()); }
    QString fieldName(int field) const { return m_fields.value(field).name(); }
    // Index of the field with this name, ignoring case; -1 when none.
    int fieldIndex(const QString& name) const;
    // Lets sorts and filters name fields by other names too (a grid's column
    // captions), given as (alias, field name) pairs. Record sets opened from
    // this one keep them.
    void setFieldAliases(const QList<QPair<QString, QString>>& aliasAndField);
    // Lets filters compare a coded field with the names of its codes (see
    // FieldDef::codeNamed). Record sets opened from this one keep them.
    void setFieldCodes(int field, const QString& noun,
                       const std::function<std::optional<qint64>(const QString&)>& codeNamed);

    int count() const { return int(m_keys.size()); }
    // Every row of the table, whatever the filters: read from the file.
    Error countTableRows(qint64* rows) const;
    qint64 key(int row) const { return m_keys.at(row); }
    // The row that has this key; -1 when none.
    int rowOfKey(qint64 key) const { return int(m_keys.indexOf(key)); }
    // Drops the cached values of the row, so the next read sees the file:
    // for a row another window wrote.
    void forgetRow(int row) { forgetPageOf(row); }
    // The stored value; reads the row's page when it is not cached. A row
    // that has vanished from the file reads as null values.
    QVariant value(int row, int field);
    // The first read error since the last call (the view asks for values
    // where no error can be returned), cleared by reading it.
    Error takeReadError();

    // Find: the next row after `from` (before it, when backward) whose value
    // in one of fields contains text, as the file stores it; past the last
    // row the search goes on from the first (and back), *wrapped says so.
    // -1 when no row matches; from may be -1 or count().
    struct FindRequest {
        QString text;
        QList<int> fields;
        bool matchCase = false;
        bool backward = false;
        // Rows whose field holds one of these codes match too: a coded
        // field's cells show names, and the text is in those codes' names.
        QList<QPair<int, QList<qint64>>> codes = {};
    };
    Error find(const FindRequest& request, int from, int* found, bool* wrapped = nullptr) const;

    // Writes the rows, in this record set's order, as RFC 4180 CSV in UTF-8:
    // a header record of captions, then the fields' values (a null as an
    // empty field, binary data as "0x" and hexadecimal digits, text that a
    // spreadsheet would take for a formula after an apostrophe). The rows
    // are read afresh, as the file holds them now under this record set's
    // filters and sort; *changed says whether they differ from the rows this
    // record set read (another program added, removed or changed some).
    // progress(done, total) may stop the export by returning false. The file
    // appears at path only when it is complete: a failed or stopped export
    // leaves whatever was there before.
    // A field with a function in shownAs (by its place in fields) is written
    // as the text the function makes of each stored value: what the grid shows.
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    using ShownAs = std::function<QString(const QVariant& stored)>;
    Error exportCsv(const QString& path, const QStringList& captions, const QList<int>& fields,
                    const Progress& progress = {}, bool* changed = nullptr,
                    const QList<ShownAs>& shownAs = {}) const;

    // Turns a typed value into what the field stores: empty text is null,
    // numbers are parsed (a fraction in a whole-number field rounds to the
    // nearest, a half to even). Text in a number field, a number out of the
    // field's range or text longer than its size give ValueDoesNotFit naming
    // the field.
    Error convertValue(int field, const QVariant& typed, QVariant* stored) const;

    // The row's values as the grid reads them (from the cache when there).
    QVector<QVariant> rowValues(int row);

    // Every write checks that the row it addresses still holds what the grid
    // read (another program may have emptied and refilled the table, and
    // SQLite reuses ids: RowVanished), and that exactly that one row was
    // added, changed or removed (a constraint or trigger may skip or widen
    // it: WriteSkipped). Either way nothing is written.
    //
    // Writes the given fields (by index) of one row, whose values were seen
    // as `seen` (field by field). The values are converted first; nothing is
    // written unless all of them fit.
    Error update(int row, const QHash<int, QVariant>& values, const QVector<QVariant>& seen);
    // Writes stored values as they are, in their storage type, when the
    // fields in expected still hold those values (the others may differ).
    Error updateStored(int row, const QHash<int, QVariant>& values,
                       const QHash<int, QVariant>& expected);
    // The same guarded write checking every field against seen (a whole row
    // as read), of values already in stored form.
    Error updateStored(int row, const QHash<int, QVariant>& stored, const QVector<QVariant>& seen);
    // Inserts a row with the given fields and appends the key SQLite returns
    // for it at the end.
    Error insert(const QHash<int, QVariant>& values);
    // Deletes the rows, as rowValues() shows them, in one transaction. The
    // rows stay in the keyset until dropRows, so a model can announce each
    // run of rows before it goes.
    Error deleteFromFile(QList<int> rows);
    // Deletes every row of the record set when each still holds seen (row
    // by row, every field), in one transaction.
    Error deleteSeen(const QList<QVector<QVariant>>& seen);
    // Puts rows back under their own keys with their stored values (row by
    // row, every field), in one transaction; a key another row holds now
    // refuses all of them (RowVanished).
    Error insertWithKeys(const QList<QVector<QVariant>>& rows);
    void dropRows(int first, int count);
    // The file change counter the last write found and left, read under
    // that write's lock; empty when unknown.
    std::optional<CounterMove> lastCounterMove() const { return m_counterMove; }
    // Rows as runs of neighbours (first, count), the highest run first: the
    // order in which dropping one run leaves the others' positions valid.
    static QList<QPair<int, int>> runsFromLast(QList<int> rows);

private:
    explicit RecordSet(Database& database);
    // Runs write in one transaction and commits only when it says it took
    // and the table's row count moved by exactly rowsAdded; otherwise rolls
    // back and says the what ("change", "add", "delete") took nothing.
    Error countedWrite(const QString& what, qint64 rowsAdded,
                       const std::function<Error(bool* took)>& write);
    Error readFields(const QString& table);
    Error readKeys(QVector<qint64>* keys) const;
    Error readPage(int page);
    Error convertAll(const QHash<int, QVariant>& typed, QHash<int, QVariant>* stored) const;
    Error checkWritable() const;
    // A record set over table's fields, its keys not read yet.
    static Error openUnkeyed(Database& database, const QString& table,
                             std::unique_ptr<RecordSet>* out);
    // SELECT columns FROM the table WHERE its filters [AND extra] [ORDER BY
    // its order]; the filters' parameters come after any in columns.
    QString selectSql(const QStringList& columns, const QString& extra, bool ordered) const;
    QStringList quotedFields(const QList<int>& fields) const;
    // find's test of a row: any searched field holds the text, or any coded
    // field one of its codes; needles gets what it binds.
    QString findCondition(const FindRequest& request, QVariantList* needles) const;
    // Checks that the row holds seen in fields (all of them when empty).
    Error confirmRow(qint64 key, const QVector<QVariant>& seen,
                     const QList<int>& fields = {}) const;
    Error writeStored(int row, const QHash<int, QVariant>& stored, const QVector<QVariant>& seen,
                      const QList<int>& checked);
    Error deleteRows(const QList<int>& rows, const std::function<QVector<QVariant>(int)>& seenOf);
    // Whether the fields read from select (from firstColumn on) differ from
    // row's values in the page cache; false when the row is not cached.
    bool differsFromCache(int row, const Statement& select, int firstColumn,
                          const QList<int>& fields) const;
    // A copy of this record set's table, fields, filters and sorts, with
    // one more condition added, keyed afresh.
    Error openDerived(const std::function<void(RecordSet&)>& addCondition,
                      std::unique_ptr<RecordSet>* out) const;
    QList<FieldDef> fieldDefs() const;
    QString selectColumns() const;
    QString whereClause() const;
    QString orderClause() const;
    // Rows by their place in the order, for tables without rowid.
    QString keylessPageSql() const;
    void forgetPages();
    void forgetPageOf(int row);

    Database& m_db;
    std::optional<CounterMove> m_counterMove;
    QString m_table;
    QString m_keyName;       // the spelling of the rowid no column shadows; empty: none
    QStringList m_orderTail; // what makes the order total: the rowid, else the primary key
    QString m_readOnlyReason;
    QList<FieldInfo> m_fields;
    QStringList m_filterTexts;
    QStringList m_sortTexts;
    QStringList m_filterSql;          // compiled, in the order they were added
    QVariantList m_filterParams;      // the literals of all filters, in order
    QStringList m_sortSql;            // newest first
    QList<QList<SortKey>> m_sortKeys; // the keys of each sort, newest first

    QVector<qint64> m_keys;
    struct Page {
        int index = -1;
        QVector<QVariant> values; // row by row, fieldCount() a row
        quint64 lastUse = 0;
    };
    QVector<Page> m_pages;
    quint64 m_useCounter = 0;
    Error m_readError;
};

} // namespace db
