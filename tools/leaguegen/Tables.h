#pragma once

#include "core/db/Statement.h"
#include "leaguegen/SqliteFile.h"

#include <QByteArray>
#include <QStringList>
#include <vector>

namespace leaguegen {

// One value of a row: a whole number, UTF-8 text or nothing.
struct Cell {
    enum class Kind : unsigned char { Null, Number, Text };
    Kind kind = Kind::Null;
    qint64 number = 0;
    QByteArray text;

    Cell() = default;
    Cell(qint64 n) : kind(Kind::Number), number(n) {}
    Cell(int n) : kind(Kind::Number), number(n) {}
    // Static UTF-8 text (the name lists): no copy is made.
    Cell(const char* utf8) : kind(Kind::Text), text(QByteArray::fromRawData(utf8, qstrlen(utf8))) {}
    Cell(const QString& s) : kind(Kind::Text), text(s.toUtf8()) {}
};
using Row = std::vector<Cell>;

struct TableDef {
    QString name;
    QStringList columns;
    QStringList textColumns; // the others are declared INTEGER
};

// The columns each league table gets, in their natural order.
TableDef conferenceTable();
TableDef freeAgentsTable();
TableDef leagueTable();
TableDef playerTable();
TableDef rosterTable();
TableDef scheduleTable();
TableDef teamTable();
TableDef notesTable();

// Creates a table with some of its columns in a chosen order, and inserts
// rows given in the definition's natural order, so callers build rows one
// way whatever order the file stores them in.
class TableWriter
{
public:
    db::Error create(SqliteFile& file, const TableDef& def, const QStringList& storedColumns);
    bool isOpen() const { return m_open; }
    db::Error insert(const Row& row);

private:
    db::Statement m_insert;
    std::vector<int> m_source; // stored column -> index in the natural row
    bool m_open = false;
};

} // namespace leaguegen
