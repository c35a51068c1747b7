#pragma once

#include "core/import/Provenance.h"
#include "core/writeback/JetRows.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QVariant>

// What writing a league back into its Access file would do: the cells it
// writes, as byte patches of the file, and what it cannot write, with why.
// Made from the league's rows and the Access file as it is now; pure, so it
// runs wherever the file was read.
namespace writeback {

// A league table as the league holds it now, with the places its import recorded.
struct LeagueTable {
    QString name;
    QStringList columns;
    QList<qint64> rowids;
    QList<QVariantList> rows;
    QHash<qint64, import::RowPlace> places;
};

// An Access table's rows as the import would store them now, by place.
struct AccessRows {
    QList<import::RowPlace> order;
    QHash<import::RowPlace, QVariantList> values;
};

// One change that cannot be written. key: the row's Access primary key
// ("OrderID=10248"), else "page P row R"; column empty for a whole row or table.
struct Unwritable {
    QString table;
    QString key;
    QString column;
    QString value;
    QString why;
};

struct Patch {
    qint64 offset = 0;
    QByteArray bytes;
};

// A written cell, for the check of the written copy: the bytes (or, for NULL,
// none) that the copy must hold there.
struct WrittenCell {
    int table = 0; // in the Access file's order
    import::RowPlace place;
    int column = 0;
    bool null = false;
    QByteArray bytes;
};

struct Plan {
    qint64 cells = 0;
    qint64 rows = 0;
    QStringList tables; // those with written rows
    QList<Unwritable> listed;
    QList<Patch> patches; // sorted by offset, none overlapping
    QList<WrittenCell> written;
    // Per Access table and row, a digest of every cell that is not written:
    // the copy must give the same.
    QList<QHash<import::RowPlace, size_t>> digests;
};

// Plans one Access table: league is its league table (null when the league
// has none). Changes file (the Access file's bytes) as the write would and
// adds to plan; Plan::patches are made from the changed bytes by finish().
class Planner
{
public:
    Planner(const import::Origin& access, QByteArray file);
    void planTable(int index, const AccessRows& rows, const LeagueTable* league);
    // League tables the Access file lacks: their rows are listed.
    void listMissingTables(const QList<LeagueTable>& league);
    Plan finish();

private:
    struct RowChange;
    // The columns written; none when the row is listed or unchanged.
    QList<int> planRow(int index, const AccessRows& rows, const LeagueTable& league, qsizetype at,
                       const QList<int>& columnMap);
    QString changeCell(int index, const import::JetColumn& column, const QVariant& value,
                       const StoredRow& row, RowChange& change);
    QString keyOf(const import::JetTable& table, const QVariantList& values,
                  import::RowPlace place) const;

    const import::Origin& m_access;
    FileFormat m_format;
    QByteArray m_original;
    QByteArray m_file;
    QList<std::pair<qint64, int>> m_touched; // offset, length
    Plan m_plan;
};

// The digest of a row's values, leaving out the given columns.
size_t rowDigest(const QVariantList& values, const QList<int>& leftOut = {});

// The list as CSV: a header line, then one line per entry.
QByteArray unwritableCsv(const QList<Unwritable>& list);

} // namespace writeback
