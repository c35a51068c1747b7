#include "core/writeback/WriteBack.h"

#include "core/backups/Backups.h"
#include "core/db/AtomicFile.h"
#include "core/db/Database.h"
#include "core/db/Statement.h"
#include "core/import/AccessSource.h"
#include "core/writeback/AccessRows.h"
#include "core/writeback/AccessTarget.h"
#include "core/writeback/JetEncode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <cstring>

namespace writeback {

namespace {
const QString Command = QStringLiteral("Write Back");

const LeagueTable* findTable(const QList<LeagueTable>& tables, const QString& name)
{
    for (const LeagueTable& t : tables) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

// Every table of the league but the import's record, with the places it records.
db::Error readLeague(db::Database& league, QList<LeagueTable>* tables)
{
    QStringList names;
    if (db::Error e = league.query(
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                           "'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"),
            {}, [&](const db::Statement& q) { names << q.text(0); }))
        return e;
    for (const QString& name : names) {
        if (import::isRecordTable(name))
            continue;
        LeagueTable table{name, {}, {}, {}, {}};
        const QString quoted = db::quoteIdentifier(name);
        db::Error e = league.query(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {name},
                                   [&](const db::Statement& q) { table.columns << q.text(0); });
        if (!e)
            e = league.query(QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(quoted),
                             {}, [&](const db::Statement& q) {
                                 table.rowids << q.int64(0);
                                 QVariantList values;
                                 for (int c = 1; c < q.columnCount(); ++c)
                                     values << q.value(c);
                                 table.rows << values;
                             });
        if (!e)
            e = import::readPlaces(league, name, &table.places);
        if (e)
            return e;
        tables->append(table);
    }
    return {};
}

db::Error readFile(const QString& path, QByteArray* bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {db::FileNotFound,
                QStringLiteral("The Access file %1 cannot be read.").arg(db::quotedPath(path))};
    *bytes = file.readAll();
    return {};
}

db::Error checkIdentity(const QString& path, const import::Origin& origin, const Identity& now)
{
    if (now == Identity{origin.size, origin.sha256} || wroteVersion(path, origin.leagueId, now))
        return {};
    return {AccessChanged,
            QStringLiteral("The Access file %1 is neither the file the league was imported from "
                           "nor one it wrote: another program (such as the league converter) has "
                           "changed it since. Nothing was written. Import it again (File > Import "
                           "Access Database…), make the changes in the new league, then write "
                           "it back.")
                .arg(db::quotedPath(path))};
}

// In the child: the file's current rows against the league's.
ChildWork planning(const QString& path, const QByteArray& bytes, const QList<LeagueTable>& league)
{
    return [&path, &bytes, &league](const Alive& alive, QByteArray* out) -> db::Error {
        db::Error e;
        const std::unique_ptr<import::Source> source = import::openAccessSource(path, e, false);
        if (!source)
            return e;
        const import::Origin& access = *source->origin();
        Planner planner(access, bytes);
        for (int i = 0; i < source->tables().size(); ++i) {
            AccessRows rows;
            if (db::Error e = readAccessRows(*source, i, alive, &rows))
                return e;
            planner.planTable(i, rows, findTable(league, access.tables[i].name));
        }
        planner.listMissingTables(league);
        *out = planBytes(planner.finish());
        return {};
    };
}

db::Error notVerified(const QString& what)
{
    return {WriteNotVerified,
            QStringLiteral("The written copy did not read back as planned (%1), so nothing was "
                           "written to the Access file.")
                .arg(what)};
}

// Whether a cell of the copy reads as the plan wrote it.
bool readsAsWritten(const QVariant& value, const WrittenCell& cell, int type)
{
    if (cell.null)
        return value.isNull();
    QString why;
    return !value.isNull() && encodeJetValue(type, value, &why) == cell.bytes;
}

// In the child: the written copy read back, every cell against the plan.
ChildWork verifying(const QString& temp, const QByteArray& expected, const Plan& plan)
{
    return [&temp, &expected, &plan](const Alive& alive, QByteArray*) -> db::Error {
        QFile file(temp);
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != expected)
            return notVerified(QStringLiteral("its bytes differ outside the written fields"));
        db::Error e;
        const std::unique_ptr<import::Source> source = import::openAccessSource(temp, e, false);
        if (!source)
            return e;
        if (source->tables().size() != plan.digests.size())
            return notVerified(QStringLiteral("its tables differ"));
        QHash<std::pair<int, import::RowPlace>, QList<WrittenCell>> cells;
        for (const WrittenCell& cell : plan.written)
            cells[{cell.table, cell.place}] << cell;
        for (int i = 0; i < source->tables().size(); ++i) {
            const import::JetTable& table = source->origin()->tables[i];
            AccessRows rows;
            if (db::Error e = readAccessRows(*source, i, alive, &rows))
                return e;
            if (rows.order.size() != plan.digests[i].size())
                return notVerified(QStringLiteral("table %1 has other rows").arg(table.name));
            for (const import::RowPlace place : rows.order) {
                const QVariantList& values = rows.values[place];
                QList<int> written;
                for (const WrittenCell& cell : cells.value({i, place})) {
                    written << cell.column;
                    if (!readsAsWritten(values[cell.column], cell, table.columns[cell.column].type))
                        return notVerified(QStringLiteral("%1.%2 reads another value")
                                               .arg(table.name, table.columns[cell.column].name));
                }
                if (plan.digests[i].value(place) != rowDigest(values, written))
                    return notVerified(QStringLiteral("a row of %1 changed").arg(table.name));
            }
        }
        return {};
    };
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The changed file beside the original, flushed, with the original's mode.
db::Error writeTemp(db::AtomicFile& file, const QByteArray& bytes)
{
    if (const int error = file.open())
        return {db::WriteFailed, QStringLiteral("No file can be written beside %1: %2")
                                     .arg(db::quotedPath(file.target()), systemText(error))};
    int error = file.write(bytes);
    if (!error)
        error = file.finish();
    if (error)
        return {db::WriteFailed, QStringLiteral("The new Access file could not be written beside "
                                                "%1 (%2); the file was not changed.")
                                     .arg(db::quotedPath(file.target()), systemText(error))};
    return {};
}

QByteArray patched(QByteArray bytes, const Plan& plan)
{
    for (const Patch& patch : plan.patches)
        bytes.replace(patch.offset, patch.bytes.size(), patch.bytes);
    return bytes;
}
struct Inputs {
    import::Origin origin;
    QList<LeagueTable> tables;
    QByteArray bytes; // the Access file's
};

db::Error readInputs(const QString& leaguePath, const QString& path, Inputs* in)
{
    db::Database league;
    db::Error e = league.openFile(leaguePath);
    if (!e)
        e = import::readOrigin(league, &in->origin);
    if (!e)
        e = readLeague(league, &in->tables);
    league.close();
    return e ? e : readFile(path, &in->bytes);
}

// The plan written into a copy beside the file, checked, and renamed over it.
db::Error writeChecked(const QString& path, const Inputs& in, const WriteOptions& options,
                       WriteResult* result)
{
    const QByteArray written = patched(in.bytes, result->plan);
    db::AtomicFile file(path, QLatin1Char('.') + QFileInfo(path).fileName() +
                                  QStringLiteral(".writeback-XXXXXX"));
    auto removeBackup = qScopeGuard([&] {
        if (!result->written && !result->backup.isEmpty())
            QFile::remove(result->backup);
    });
    if (db::Error e = writeTemp(file, written))
        return e;
    const QString temp = file.tempPath();
    // The copy of the old file and the record of the new one are made while
    // the child reads the new one back.
    const auto keepOldAndRecordNew = [&] {
        if (db::Error e = backups::copyFile(path, Command, &result->backup))
            return e;
        return recordVersion(path, in.origin.leagueId, identityOf(written));
    };
    if (db::Error e = runInChild(verifying(temp, written, result->plan), options.child,
                                 db::quotedPath(temp), nullptr, keepOldAndRecordNew))
        return e;
    // Another program may have written the file while the copy was made.
    QByteArray now;
    if (db::Error e = readFile(path, &now); e || now != in.bytes)
        return {AccessChanged, QStringLiteral("Another program changed the Access file %1 while "
                                              "it was being written, so nothing was written. "
                                              "Try again.")
                                   .arg(db::quotedPath(path))};
    if (const int error = file.commit())
        return {db::WriteFailed, QStringLiteral("The written Access file could not replace %1 "
                                                "(%2); the file was not changed.")
                                     .arg(db::quotedPath(path), systemText(error))};
    result->written = true;
    backups::pruneCopies(path, QFileInfo(path).suffix(), options.keep, {result->backup});
    return {};
}
} // namespace

db::Error writeBack(const QString& leaguePath, const QString& access, const WriteOptions& options,
                    WriteResult* result)
{
    *result = {};
    const QString path = realAccessPath(access);
    result->access = path;
    if (db::Error e = checkAccessTarget(path, options.heldLeagues + QStringList{leaguePath}))
        return e;
    Inputs in;
    if (db::Error e = readInputs(leaguePath, path, &in))
        return e;
    if (options.step)
        options.step(QStringLiteral("Reading the Access file\u2026"));
    QByteArray planned;
    // The child only reads; the file's identity is checked meanwhile.
    if (db::Error e = runInChild(
            planning(path, in.bytes, in.tables), options.child, db::quotedPath(path), &planned,
            [&] { return checkIdentity(path, in.origin, identityOf(in.bytes)); }))
        return e;
    result->plan = planFromBytes(planned);
    const Plan& plan = result->plan;
    if (options.allOrNothing && !plan.listed.isEmpty())
        return {NotAllWritable,
                QStringLiteral("%1 changes of the league cannot be written to the Access file, so "
                               "nothing was written.")
                    .arg(plan.listed.size())};
    if (plan.cells == 0)
        return {};
    if (options.confirm && !options.confirm(plan))
        return {db::Cancelled,
                QStringLiteral("The write-back was cancelled; nothing was written.")};
    if (options.step)
        options.step(QStringLiteral("Writing and checking the new Access file\u2026"));
    return writeChecked(path, in, options, result);
}

QString resultText(const WriteResult& result)
{
    if (!result.written)
        return QStringLiteral("Nothing to write: the Access file %1 already holds every change "
                              "that can be written.")
            .arg(db::quotedPath(result.access));
    return QStringLiteral("Wrote %1 cells in %2 rows (%3) to %4; the file as it was is kept as %5.")
        .arg(result.plan.cells)
        .arg(result.plan.rows)
        .arg(result.plan.tables.join(QStringLiteral(", ")), db::quotedPath(result.access),
             db::quotedPath(result.backup));
}

} // namespace writeback
