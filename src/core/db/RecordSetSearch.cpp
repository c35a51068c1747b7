// Remove Filter and Sort, Find and Export as CSV. Find and Export read
// every row; both let SQLite do the reading in one pass instead of going page by page
// through value(), which would build a QVariant for every cell.
#include "core/db/AtomicFile.h"
#include "core/db/Csv.h"
#include "core/db/Database.h"
#include "core/db/ExpressionTree.h"
#include "core/db/RecordSet.h"
#include "core/db/Statement.h"

#include <QSet>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace db {

namespace {
constexpr int ProgressEvery = 2048;
constexpr int FlushBytes = 1 << 20;
constexpr int FindFieldsPerCall = 100;

// A cell as the grid shows it: reals as Qt writes them, everything else as
// SQLite turns it into text; a null is an empty field.
void appendCell(QByteArray& out, const Statement& select, int column)
{
    switch (select.type(column)) {
    case Statement::Type::Null:
        return;
    case Statement::Type::Real: {
        const QByteArray text = QVariant(select.real(column)).toString().toUtf8();
        csv::appendField(out, {text.constData(), size_t(text.size())});
        return;
    }
    case Statement::Type::Text:
        csv::appendText(out, select.utf8(column));
        return;
    case Statement::Type::Blob:
        csv::appendBlob(out, select.utf8(column));
        return;
    case Statement::Type::Integer:
        csv::appendField(out, select.utf8(column));
    }
}

void appendRecord(QByteArray& out, const Statement& select, int firstColumn, int columns,
                  const QList<RecordSet::ShownAs>& shownAs)
{
    for (int c = 0; c < columns; ++c) {
        if (c)
            out.append(',');
        if (c < shownAs.size() && shownAs.at(c)) {
            const QByteArray text = shownAs.at(c)(select.value(firstColumn + c)).toUtf8();
            csv::appendText(out, {text.constData(), size_t(text.size())});
            continue;
        }
        appendCell(out, select, firstColumn + c);
    }
    csv::endRecord(out);
}

Error writeFailed(const QString& path, int error)
{
    return {WriteFailed, QStringLiteral("The file \"%1\" could not be written (%2); nothing was "
                                        "saved.")
                             .arg(path, QString::fromLocal8Bit(std::strerror(error)))};
}
} // namespace

QStringList RecordSet::quotedFields(const QList<int>& fields) const
{
    QStringList names;
    for (int f : fields)
        names << quoteIdentifier(fieldName(f));
    return names;
}

QString RecordSet::selectSql(const QStringList& columns, const QString& extra, bool ordered) const
{
    QStringList conditions = m_filterSql;
    if (!extra.isEmpty())
        conditions << extra;
    QString sql = QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) +
                  QStringLiteral(" FROM ") + quoteIdentifier(m_table);
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE (") + conditions.join(QStringLiteral(") AND (")) +
               QLatin1Char(')');
    return ordered ? sql + orderClause() : sql;
}

Error RecordSet::openAll(std::unique_ptr<RecordSet>* out) const
{
    return openDerived(
        [](RecordSet& rs) {
            rs.m_filterTexts.clear();
            rs.m_filterSql.clear();
            rs.m_filterParams.clear();
            rs.m_sortTexts.clear();
            rs.m_sortSql.clear();
            rs.m_sortKeys.clear();
        },
        out);
}

QString RecordSet::findCondition(const FindRequest& request, QVariantList* needles) const
{
    // A call takes at most FindFieldsPerCall fields, well under SQLite's
    // limit on a function's arguments.
    QStringList tests;
    const QStringList names = quotedFields(request.fields);
    for (qsizetype i = 0; i < names.size(); i += FindFieldsPerCall) {
        tests << QStringLiteral("ym_find(?, ?, %1)")
                     .arg(names.mid(i, FindFieldsPerCall).join(QStringLiteral(", ")));
        *needles << request.text << int(request.matchCase);
    }
    for (const auto& [field, codes] : request.codes) {
        QStringList list;
        for (qint64 code : codes)
            list << QString::number(code);
        tests << QStringLiteral("%1 IN (SELECT value FROM json_each(?))")
                     .arg(quoteIdentifier(fieldName(field)));
        *needles << QString(QLatin1Char('[') + list.join(QLatin1Char(',')) + QLatin1Char(']'));
    }
    return tests.join(QStringLiteral(" OR "));
}

Error RecordSet::find(const FindRequest& request, int from, int* found, bool* wrapped) const
{
    *found = -1;
    if (wrapped)
        *wrapped = false;
    const int n = count();
    if (request.text.isEmpty() || (request.fields.isEmpty() && request.codes.isEmpty()) || n == 0)
        return {};

    QVariantList needles;
    const QString anyField = findCondition(request, &needles);

    // Which rows match: by key where rows have one, else by place in the order.
    QSet<qint64> matchingKeys;
    std::vector<bool> matchingRows;
    if (m_keyName.isEmpty()) {
        Statement select(m_db.sqliteHandle(), selectSql({anyField}, {}, true));
        select.bind(needles + m_filterParams);
        while (select.next())
            matchingRows.push_back(select.int64(0) != 0);
        if (select.error())
            return select.error();
    } else {
        Statement select(m_db.sqliteHandle(), selectSql({m_keyName}, anyField, false));
        select.bind(m_filterParams + needles);
        while (select.next())
            matchingKeys.insert(select.int64(0));
        if (select.error())
            return select.error();
    }
    const auto matches = [&](int row) {
        if (m_keyName.isEmpty())
            return size_t(row) < matchingRows.size() && matchingRows[size_t(row)];
        return matchingKeys.contains(m_keys.at(row));
    };

    for (int step = 1; step <= n; ++step) {
        int row = request.backward ? from - step : from + step;
        const bool past = row < 0 || row >= n;
        row = ((row % n) + n) % n;
        if (matches(row)) {
            *found = row;
            if (wrapped)
                *wrapped = past;
            return {};
        }
    }
    return {};
}

Error RecordSet::exportCsv(const QString& path, const QStringList& captions,
                           const QList<int>& fields, const Progress& progress, bool* changed,
                           const QList<ShownAs>& shownAs) const
{
    AtomicFile file(path);
    if (const int error = file.open())
        return writeFailed(path, error);
    QByteArray out;
    out.reserve(FlushBytes + 64 * 1024);
    for (int i = 0; i < captions.size(); ++i) {
        if (i)
            out.append(',');
        const QByteArray caption = captions.at(i).toUtf8();
        csv::appendField(out, {caption.constData(), size_t(caption.size())});
    }
    csv::endRecord(out);

    // One statement reads every row as the file holds it now, so the file
    // is one consistent state of the table even while others write to it.
    // Rows another program removed are not in it; that the rows differ from
    // those the grid read is told, so the user knows to Refresh.
    const int n = count();
    const bool keyed = !m_keyName.isEmpty();
    const int firstField = keyed ? 1 : 0;
    const QStringList columns =
        keyed ? QStringList{m_keyName} + quotedFields(fields) : quotedFields(fields);
    Statement select(m_db.sqliteHandle(), selectSql(columns, {}, true));
    select.bind(m_filterParams);
    bool differs = false;
    int row = 0;
    while (select.next()) {
        if (!differs)
            differs = row >= n || (keyed && select.int64(0) != m_keys.at(row)) ||
                      differsFromCache(row, select, firstField, fields);
        appendRecord(out, select, firstField, int(fields.size()), shownAs);
        ++row;
        if (out.size() >= FlushBytes) {
            if (const int error = file.write(out))
                return writeFailed(path, error);
            out.clear();
        }
        const int total = std::max(n, row);
        if (progress && row % ProgressEvery == 0 && !progress(row, total))
            return {Cancelled, QStringLiteral("The export was stopped; no file was written.")};
    }
    if (select.error())
        return select.error();
    if (progress && !progress(row, std::max(n, row)))
        return {Cancelled, QStringLiteral("The export was stopped; no file was written.")};
    if (changed)
        *changed = differs || row != n;
    int error = file.write(out);
    if (!error)
        error = file.commit();
    if (error)
        return writeFailed(path, error);
    return {};
}

} // namespace db
