#include "core/import/Provenance.h"

#include "core/db/Database.h"
#include "core/db/Statement.h"

namespace import {

namespace {
const QString Prefix = QStringLiteral("yardmark99.");
const QString SourceTable = QStringLiteral("yardmark99.source");
const QString ColumnsTable = QStringLiteral("yardmark99.columns");
const QString RowsTable = QStringLiteral("yardmark99.rows");

db::Error run(sqlite3* handle, const QString& sql, const QVariantList& values = {})
{
    db::Statement statement;
    if (db::Error e = statement.prepare(handle, sql))
        return e;
    if (db::Error e = statement.bind(values))
        return e;
    return statement.run();
}

db::Error writeColumns(sqlite3* handle, const Origin& origin)
{
    db::Statement insert;
    if (db::Error e = insert.prepare(
            handle,
            QStringLiteral("INSERT INTO \"%1\" VALUES (?,?,?,?,?,?,?,?,?,?,?)").arg(ColumnsTable)))
        return e;
    for (const JetTable& table : origin.tables) {
        for (qsizetype i = 0; i < table.columns.size(); ++i) {
            const JetColumn& c = table.columns[i];
            if (db::Error e = insert.bind({table.name, c.name, qlonglong(i), c.type, c.number,
                                           c.rowNumber, c.fixedOffset, c.size, c.fixed, c.required,
                                           c.notWritable.isEmpty() ? QVariant() : c.notWritable}))
                return e;
            if (db::Error e = insert.run())
                return e;
        }
    }
    return {};
}

db::Error readColumns(db::Database& league, Origin* origin)
{
    return league.query(
        QStringLiteral("SELECT tbl, name, type, number, rowNumber, fixedOffset, size, fixed, "
                       "required, notWritable FROM \"%1\" ORDER BY rowid")
            .arg(ColumnsTable),
        {}, [&](const db::Statement& q) {
            const QString table = q.text(0);
            if (origin->tables.isEmpty() || origin->tables.last().name != table)
                origin->tables.append({table, {}});
            JetTable& t = origin->tables.last();
            JetColumn c{q.text(1),       int(q.int64(2)), int(q.int64(3)),
                        int(q.int64(4)), int(q.int64(5)), int(q.int64(6)),
                        q.int64(7) != 0, q.int64(8) != 0, q.isNull(9) ? QString() : q.text(9)};
            t.fixedColumns += c.fixed ? 1 : 0;
            t.deletedColumns = t.deletedColumns || c.rowNumber != c.number;
            t.columns.append(c);
        });
}
} // namespace

const JetTable* Origin::table(const QString& name) const
{
    for (const JetTable& t : tables) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

bool isRecordTable(const QString& name)
{
    return name.startsWith(Prefix, Qt::CaseInsensitive);
}

db::Error writeOrigin(sqlite3* handle, const Origin& origin)
{
    const QStringList create{
        QStringLiteral("CREATE TABLE \"%1\" (key TEXT PRIMARY KEY, value)").arg(SourceTable),
        QStringLiteral("CREATE TABLE \"%1\" (tbl TEXT, name TEXT, position INTEGER, type INTEGER, "
                       "number INTEGER, rowNumber INTEGER, fixedOffset INTEGER, size INTEGER, "
                       "fixed INTEGER, required INTEGER, notWritable TEXT)")
            .arg(ColumnsTable)};
    for (const QString& sql : create) {
        if (db::Error e = run(handle, sql))
            return e;
    }
    const QList<std::pair<QString, QVariant>> values{
        {QStringLiteral("path"), origin.path},
        {QStringLiteral("size"), origin.size},
        {QStringLiteral("sha256"), QString::fromLatin1(origin.sha256)},
        {QStringLiteral("format"), origin.format},
        {QStringLiteral("pageSize"), origin.pageSize},
        {QStringLiteral("leagueId"), origin.leagueId}};
    for (const auto& [key, value] : values) {
        if (db::Error e =
                run(handle, QStringLiteral("INSERT INTO \"%1\" VALUES (?, ?)").arg(SourceTable),
                    {key, value}))
            return e;
    }
    return writeColumns(handle, origin);
}

db::Error writePlaces(sqlite3* handle, const QString& table, const std::vector<RowPlace>& places)
{
    if (db::Error e = run(handle, QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (tbl TEXT, "
                                                 "id INTEGER, page INTEGER, row INTEGER, "
                                                 "PRIMARY KEY (tbl, id)) WITHOUT ROWID")
                                      .arg(RowsTable)))
        return e;
    db::Statement insert;
    if (db::Error e = insert.prepare(
            handle, QStringLiteral("INSERT INTO \"%1\" VALUES (?,?,?,?)").arg(RowsTable)))
        return e;
    const QByteArray name = table.toUtf8();
    for (size_t i = 0; i < places.size(); ++i) {
        insert.bindUtf8(1, {name.constData(), size_t(name.size())});
        insert.bindInt64(2, qint64(i) + 1);
        insert.bindInt64(3, places[i].page);
        insert.bindInt64(4, places[i].row);
        if (db::Error e = insert.run())
            return e;
    }
    return {};
}

db::Error readOrigin(db::Database& league, Origin* origin)
{
    *origin = {};
    QHash<QString, QVariant> values;
    const db::Error e =
        league.query(QStringLiteral("SELECT key, value FROM \"%1\"").arg(SourceTable), {},
                     [&](const db::Statement& q) { values.insert(q.text(0), q.value(1)); });
    if (e || !values.contains(QStringLiteral("sha256")))
        return {NoImportRecord,
                QStringLiteral("The league %1 records no Access file it came from: it was not "
                               "imported, or was imported by an earlier version of Yardmark '99. "
                               "Import the Access file again (File > Import Access Database…), "
                               "make the changes in the new league, then write it back.")
                    .arg(db::quotedPath(league.path()))};
    origin->path = values.value(QStringLiteral("path")).toString();
    origin->size = values.value(QStringLiteral("size")).toLongLong();
    origin->sha256 = values.value(QStringLiteral("sha256")).toString().toLatin1();
    origin->format = values.value(QStringLiteral("format")).toString();
    origin->pageSize = values.value(QStringLiteral("pageSize")).toInt();
    origin->leagueId = values.value(QStringLiteral("leagueId")).toString();
    return readColumns(league, origin);
}

db::Error readPlaces(db::Database& league, const QString& table, QHash<qint64, RowPlace>* places)
{
    places->clear();
    return league.query(
        QStringLiteral("SELECT id, page, row FROM \"%1\" WHERE tbl = ?").arg(RowsTable), {table},
        [&](const db::Statement& q) {
            places->insert(q.int64(0), {quint32(q.int64(1)), quint16(q.int64(2))});
        });
}

} // namespace import
