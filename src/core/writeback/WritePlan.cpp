#include "core/writeback/WritePlan.h"

#include "core/db/Csv.h"
#include "core/db/FieldValues.h"
#include "core/writeback/JetEncode.h"

#include <QDataStream>
#include <algorithm>
#include <mdbtools.h>

namespace writeback {

namespace {
QString valueText(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    if (value.typeId() == QMetaType::QByteArray)
        return QStringLiteral("(binary data)");
    return value.toString();
}

int columnIndex(const QStringList& columns, const QString& name)
{
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

const QString NotWrittenWithRow =
    QStringLiteral("not written: another change of the row cannot be written");
} // namespace

struct Planner::RowChange {
    struct Cell {
        int column;
        bool null;
        QByteArray bytes;
    };
    QList<Cell> cells;
    QList<Unwritable> listed;
};

Planner::Planner(const import::Origin& access, QByteArray file)
    : m_access(access), m_format(FileFormat::of(access)), m_original(file), m_file(std::move(file))
{
    m_plan.digests.resize(access.tables.size());
}

void Planner::planTable(int index, const AccessRows& rows, const LeagueTable* league)
{
    const import::JetTable& table = m_access.tables[index];
    if (!league) {
        if (!rows.order.isEmpty())
            m_plan.listed.append({table.name,
                                  {},
                                  {},
                                  {},
                                  QStringLiteral("the league has no such table; its rows stay "
                                                 "in the Access file")});
        return;
    }
    QList<int> columnMap;
    for (const import::JetColumn& column : table.columns)
        columnMap << columnIndex(league->columns, column.name);
    for (const QString& column : league->columns) {
        if (!table.columns.isEmpty() &&
            std::none_of(table.columns.begin(), table.columns.end(),
                         [&](const import::JetColumn& c) {
                             return c.name.compare(column, Qt::CaseInsensitive) == 0;
                         }))
            m_plan.listed.append({table.name,
                                  {},
                                  column,
                                  {},
                                  QStringLiteral("the column is not in the Access file")});
    }
    QHash<import::RowPlace, QList<int>> written;
    for (qsizetype at = 0; at < league->rows.size(); ++at) {
        const import::RowPlace place = league->places.value(league->rowids[at], {0, 0});
        const bool mapped = league->places.contains(league->rowids[at]) &&
                            rows.values.contains(place) && !written.contains(place);
        if (!mapped) {
            QVariantList values;
            for (int column : columnMap)
                values << (column < 0 ? QVariant() : league->rows[at][column]);
            m_plan.listed.append({table.name,
                                  keyOf(table, values, {}),
                                  {},
                                  {},
                                  QStringLiteral("an added row: rows are not added to the "
                                                 "Access file")});
            continue;
        }
        written.insert(place, planRow(index, rows, *league, at, columnMap));
    }
    for (const import::RowPlace place : rows.order) {
        const QVariantList& values = rows.values[place];
        if (!written.contains(place))
            m_plan.listed.append({table.name,
                                  keyOf(table, values, place),
                                  {},
                                  {},
                                  QStringLiteral("a deleted row: rows are not deleted from the "
                                                 "Access file")});
        m_plan.digests[index].insert(place, rowDigest(values, written.value(place)));
    }
}

QList<int> Planner::planRow(int index, const AccessRows& rows, const LeagueTable& league,
                            qsizetype at, const QList<int>& columnMap)
{
    const import::JetTable& table = m_access.tables[index];
    const import::RowPlace place = league.places[league.rowids[at]];
    const QVariantList& current = rows.values[place];
    const QVariantList& values = league.rows[at];
    const std::optional<StoredRow> row = locateRow(m_file, m_format, place);
    const QString key = keyOf(table, current, place);
    RowChange change;
    for (qsizetype c = 0; c < table.columns.size(); ++c) {
        const import::JetColumn& column = table.columns[c];
        if (columnMap[c] < 0 || db::sameStoredValue(values[columnMap[c]], current[c]))
            continue;
        const QVariant& value = values[columnMap[c]];
        QString why = column.notWritable;
        if (why.isEmpty() && !row)
            why = QStringLiteral("the row cannot be found in its page");
        if (why.isEmpty())
            why = changeCell(int(c), column, value, *row, change);
        if (!why.isEmpty())
            change.listed.append({table.name, key, column.name, valueText(value), why});
    }
    const QString problem =
        row && !change.cells.isEmpty() ? rowProblem(*row, table, m_format) : QString();
    if (change.listed.isEmpty() && problem.isEmpty()) {
        QList<int> columns;
        for (const RowChange::Cell& cell : change.cells) {
            const import::JetColumn& column = table.columns[cell.column];
            setMaskBit(m_file, *row, column,
                       column.type == MDB_BOOL ? cell.bytes[0] != 0 : !cell.null);
            m_touched.append({row->maskStart() + column.number / 8, 1});
            if (column.type != MDB_BOOL && !cell.null) {
                const qint64 start = fieldStart(*row, column, m_format);
                m_file.replace(start, cell.bytes.size(), cell.bytes);
                m_touched.append({start, int(cell.bytes.size())});
            }
            m_plan.written.append({index, place, cell.column, cell.null, cell.bytes});
            columns << cell.column;
        }
        if (!change.cells.isEmpty()) {
            m_plan.cells += change.cells.size();
            ++m_plan.rows;
            if (!m_plan.tables.contains(table.name))
                m_plan.tables << table.name;
        }
        return columns;
    }
    for (const RowChange::Cell& cell : change.cells)
        change.listed.append({table.name, key, table.columns[cell.column].name,
                              valueText(values[columnMap[cell.column]]),
                              problem.isEmpty() ? NotWrittenWithRow : problem});
    m_plan.listed += change.listed;
    return {};
}

// Adds the cell's new bytes to change; nothing when the file already holds
// them. Returns why the value cannot be written, or nothing.
QString Planner::changeCell(int index, const import::JetColumn& column, const QVariant& value,
                            const StoredRow& row, RowChange& change)
{
    const bool present = maskBit(m_file, row, column);
    if (value.isNull()) {
        if (column.type == MDB_BOOL)
            return QStringLiteral("a Yes/No column is never empty");
        if (column.required)
            return QStringLiteral("the column is Required");
        if (present)
            change.cells.append({index, true, {}});
        return {};
    }
    QString why;
    const std::optional<QByteArray> bytes = encodeJetValue(column.type, value, &why);
    if (!bytes)
        return why;
    const bool same =
        column.type == MDB_BOOL
            ? present == ((*bytes)[0] != 0)
            : present && m_file.mid(fieldStart(row, column, m_format), bytes->size()) == *bytes;
    if (!same)
        change.cells.append({index, false, *bytes});
    return {};
}

QString Planner::keyOf(const import::JetTable& table, const QVariantList& values,
                       import::RowPlace place) const
{
    QStringList parts;
    for (int column : table.primaryKey) {
        if (column < 0 || column >= values.size() || values[column].isNull())
            return place == import::RowPlace{}
                       ? QStringLiteral("(new row)")
                       : QStringLiteral("page %1 row %2").arg(place.page).arg(place.row);
        parts << table.columns[column].name + QLatin1Char('=') + valueText(values[column]);
    }
    if (parts.isEmpty())
        return place == import::RowPlace{}
                   ? QStringLiteral("(new row)")
                   : QStringLiteral("page %1 row %2").arg(place.page).arg(place.row);
    return parts.join(QStringLiteral(", "));
}

void Planner::listMissingTables(const QList<LeagueTable>& league)
{
    for (const LeagueTable& table : league) {
        if (!m_access.table(table.name) && !table.rows.isEmpty())
            m_plan.listed.append({table.name,
                                  {},
                                  {},
                                  QStringLiteral("%1 rows").arg(table.rows.size()),
                                  QStringLiteral("the table is not in the Access file")});
    }
}

Plan Planner::finish()
{
    std::sort(m_touched.begin(), m_touched.end());
    for (const auto& [offset, length] : m_touched) {
        if (!m_plan.patches.isEmpty() &&
            m_plan.patches.last().offset + m_plan.patches.last().bytes.size() >= offset) {
            Patch& last = m_plan.patches.last();
            const qint64 end = std::max(last.offset + last.bytes.size(), offset + length);
            last.bytes = m_file.mid(last.offset, end - last.offset);
        } else {
            m_plan.patches.append({offset, m_file.mid(offset, length)});
        }
    }
    return std::move(m_plan);
}

size_t rowDigest(const QVariantList& values, const QList<int>& leftOut)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (leftOut.contains(int(i)))
            out << quint8(0xff);
        else
            out << values[i];
    }
    return qHashBits(bytes.constData(), size_t(bytes.size()), 0x59);
}

QByteArray unwritableCsv(const QList<Unwritable>& list)
{
    QByteArray out;
    const auto line = [&out](const QStringList& fields) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out.append(',');
            const QByteArray utf8 = fields[i].toUtf8();
            db::csv::appendText(out, {utf8.constData(), size_t(utf8.size())});
        }
        db::csv::endRecord(out);
    };
    line({QStringLiteral("Table"), QStringLiteral("Row"), QStringLiteral("Column"),
          QStringLiteral("League value"), QStringLiteral("Why it is not written")});
    for (const Unwritable& u : list)
        line({u.table, u.key, u.column, u.value, u.why});
    return out;
}

} // namespace writeback
