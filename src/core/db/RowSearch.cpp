#include "core/db/RowSearch.h"

#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/db/Statement.h"

#include <QSet>
#include <vector>

namespace db {

namespace {
constexpr int FindFieldsPerCall = 100;

// A row's test: any searched field holds the text, or any coded field one of
// its codes; needles gets what it binds.
QString findCondition(const TableFields& fields, const FindRequest& request, QVariantList* needles)
{
    // A call takes at most FindFieldsPerCall fields, well under SQLite's
    // limit on a function's arguments.
    QStringList tests;
    const QStringList names = fields.quoted(request.fields);
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
                     .arg(quoteIdentifier(fields.name(field)));
        *needles << QString(QLatin1Char('[') + list.join(QLatin1Char(',')) + QLatin1Char(']'));
    }
    return tests.join(QStringLiteral(" OR "));
}
} // namespace

Error findRow(const RecordSet& records, const FindRequest& request, int from, int* found,
              bool* wrapped)
{
    *found = -1;
    if (wrapped)
        *wrapped = false;
    const int n = records.count();
    if (request.text.isEmpty() || (request.fields.isEmpty() && request.codes.isEmpty()) || n == 0)
        return {};

    QVariantList needles;
    const QString anyField = findCondition(records.fields(), request, &needles);

    // Which rows match: by key where rows have one, else by place in the order.
    const QString keyName = records.fields().keyName();
    const QVariantList& params = records.selection().params();
    QSet<qint64> matchingKeys;
    std::vector<bool> matchingRows;
    if (keyName.isEmpty()) {
        Statement select(records.database().sqliteHandle(),
                         records.selectSql({anyField}, {}, true));
        select.bind(needles + params);
        while (select.next())
            matchingRows.push_back(select.int64(0) != 0);
        if (select.error())
            return select.error();
    } else {
        Statement select(records.database().sqliteHandle(),
                         records.selectSql({keyName}, anyField, false));
        select.bind(params + needles);
        while (select.next())
            matchingKeys.insert(select.int64(0));
        if (select.error())
            return select.error();
    }
    const auto matches = [&](int row) {
        if (keyName.isEmpty())
            return size_t(row) < matchingRows.size() && matchingRows[size_t(row)];
        return matchingKeys.contains(records.key(row));
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

} // namespace db
