// The Access import: every real sample file against mdbtools' own reading,
// Jet's date and currency values, the files and targets it refuses, cancel and
// the watchdog, and a league copied by the same code from memory.
#include "TestSupport.h"
#include "core/db/Database.h"
#include "core/db/Schema.h"
#include "core/import/CopyTables.h"
#include "core/import/ImportAccess.h"
#include "core/import/ImportErrors.h"
#include "core/import/JetValues.h"
#include "leaguegen/LeagueGenerator.h"

#include <QtTest>
#include <cmath>
#include <mdbtools.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;
using TestSupport::columns;
using TestSupport::fetch;

namespace {
using TestSupport::jetSample;
const QStringList Samples{u"nwind.mdb"_s, u"DateTestDatabase.mdb"_s};

// An independent reading of an Access file for comparisons: mdbtools' own
// command-line tools, and libmdb's row fetch for the stored date numbers.
namespace MdbExport {

// mdb-export's text of a NULL, and its field and row separators: bytes no
// sample's text holds, so no quoting is needed.
const QByteArray Null = "\x1dNULL";

QByteArray run(const QStringList& arguments)
{
    QProcess tool;
    tool.start(arguments.first(), arguments.mid(1));
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    return tool.readAllStandardOutput();
}

// mdb-export's reading of the table, header first: dates as "%Y-%m-%d %H:%M:%S", binary
// as hex.
QList<QList<QByteArray>> exportTable(const QString& file, const QString& table)
{
    const QString format = u"%Y-%m-%d %H:%M:%S"_s;
    QList<QByteArray> lines = run({u"mdb-export"_s, u"-Q"_s, u"-d"_s, u"\x1f"_s, u"-R"_s, u"\x1e"_s,
                                   u"-0"_s, QString::fromLatin1(Null), u"-T"_s, format, u"-D"_s,
                                   format, u"-b"_s, u"hex"_s, file, table})
                                  .split('\x1e');
    lines.removeLast(); // after the last row's separator
    QList<QList<QByteArray>> rows;
    for (const QByteArray& line : lines)
        rows << line.split('\x1f');
    return rows;
}

// The page size and the pages of the file's table list: MSysObjects'
// definition (page 2), its usage map and its data pages.
std::pair<qint64, QList<qint64>> catalogPages(const QString& file)
{
    MdbHandle* mdb = mdb_open(QFile::encodeName(file).constData(), MDB_NOFLAGS);
    char name[] = "MSysObjects";
    MdbTableDef* def = mdb_read_table_by_name(mdb, name, MDB_TABLE);
    QList<qint64> pages{2, def->map_base_pg};
    for (mdb_rewind_table(def); mdb_read_next_dpg(def);)
        pages << def->cur_phys_pg;
    const qint64 size = mdb->fmt->pg_size;
    mdb_free_tabledef(def);
    mdb_close(mdb);
    pages.removeAll(0); // no usage map page of its own
    return {size, pages};
}

} // namespace MdbExport

// Tables and rows held in memory: the copying code's other source.
class MemorySource final : public import::Source
{
public:
    QList<import::Table> list;
    QList<QList<QVariantList>> rows;
    bool hang = false;

    const QList<import::Table>& tables() const override { return list; }
    db::Error readRows(int table, import::RowSink& sink) override
    {
        while (hang)
            QThread::msleep(50);
        for (const QVariantList& row : rows[table]) {
            for (int c = 0; c < row.size(); ++c) {
                const QVariant& v = row[c];
                if (v.isNull())
                    sink.setNull(c);
                else if (v.typeId() == QMetaType::LongLong)
                    sink.setInteger(c, v.toLongLong());
                else if (v.typeId() == QMetaType::Double)
                    sink.setReal(c, v.toDouble());
                else
                    sink.setText(c, v.toString().toStdString());
            }
            if (db::Error e = sink.endRow())
                return e;
        }
        return {};
    }
    auto opener() const
    {
        return [copy = *this](db::Error&) { return std::make_unique<MemorySource>(copy); };
    }
};

// Every row the query yields from the SQLite file, read the engine's own way.
QList<QVariantList> select(const QString& path, const QString& sql)
{
    QList<QVariantList> rows;
    sqlite3* handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    {
        db::Statement query(handle, sql);
        while (query.next()) {
            rows << QVariantList();
            for (int c = 0; c < query.columnCount(); ++c)
                rows.last() << query.value(c);
        }
    }
    sqlite3_close_v2(handle);
    return rows;
}

// Every table of an SQLite file: its columns, their declared types, its rows.
struct Copy {
    QStringList tables;
    QHash<QString, QStringList> columns, types;
    QHash<QString, QList<QVariantList>> rows;
    bool operator==(const Copy&) const = default;
};

Copy readCopy(const QString& path)
{
    Copy copy;
    for (const QVariantList& c :
         select(path, u"SELECT t.name, c.name, c.type FROM sqlite_master t, "
                      "pragma_table_info(t.name) c WHERE t.type = 'table' "
                      "AND t.name NOT LIKE 'yardmark99.%' "
                      "ORDER BY t.rowid, c.cid"_s)) {
        const QString table = c[0].toString();
        if (!copy.tables.contains(table))
            copy.tables << table;
        copy.columns[table] << c[1].toString();
        copy.types[table] << c[2].toString();
    }
    for (const QString& table : copy.tables)
        copy.rows[table] =
            select(path, u"SELECT * FROM "_s + db::quoteIdentifier(table) + u" ORDER BY rowid"_s);
    return copy;
}

// Whether an imported value equals mdb-export's field; the reason when not.
QString compare(const QVariant& mine, const QByteArray& theirs)
{
    if (theirs == MdbExport::Null)
        return mine.isNull() || mine.toString().isEmpty() ? QString() : u"not NULL"_s;
    switch (mine.typeId()) {
    case QMetaType::Double: {
        // A Single is equal as a single-precision number; mdb-export prints
        // a Double with one digit short of a round trip.
        const double m = mine.toDouble();
        const double t = theirs.toDouble();
        const bool single = double(float(m)) == m && float(m) == float(t);
        return m == t || single || std::fabs(m - t) <= 1e-15 * std::fabs(m) ? QString() : u"real"_s;
    }
    case QMetaType::QByteArray:
        return mine.toByteArray().toHex().toUpper() == theirs ? QString() : u"blob"_s;
    default:
        return mine.toString().toUtf8() == theirs ? QString() : u"text"_s;
    }
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::initTestEnvironment(); }

    void realFilesEqualWhatMdbToolsRead_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString& file : Samples)
            QTest::newRow(qPrintable(file)) << jetSample(file);
    }

    void realFilesEqualWhatMdbToolsRead()
    {
        QFETCH(QString, file);
        REQUIRE_JET_SAMPLE(file);
        QTemporaryDir dir;
        const QString target = dir.filePath(u"imported.mdb"_s);
        import::ImportResult result;
        QCOMPARE(import::importAccess(file, target, {}, &result).message(), db::Error().message());
        const Copy copy = readCopy(target);
        QCOMPARE(copy.tables, QString::fromUtf8(MdbExport::run({u"mdb-tables"_s, u"-1"_s, file}))
                                  .split(u'\n', Qt::SkipEmptyParts));
        QCOMPARE(result.tables, copy.tables);
        qint64 rows = 0;
        int outOfRangeDates = 0;
        for (const QString& table : copy.tables) {
            QList<QList<QByteArray>> expected = MdbExport::exportTable(file, table);
            const QList<QByteArray> header = expected.value(0);
            QCOMPARE(copy.columns[table].join(u',').toUtf8(), header.join(','));
            const QList<QVariantList>& mine = copy.rows[table];
            QCOMPARE(mine.size(), expected.size() - 1);
            rows += mine.size();
            for (qsizetype r = 0; r < mine.size(); ++r) {
                for (qsizetype c = 0; c < header.size(); ++c) {
                    const QVariant& value = mine[r][c];
                    const QByteArray& field = expected[r + 1][c];
                    // mdb-export's date text is wrong outside 1900-9998.
                    if (field.startsWith("1900-01-00") && ++outOfRangeDates)
                        continue;
                    QCOMPARE(compare(value, field), QString());
                }
            }
        }
        QCOMPARE(result.rows, rows);
        if (file.endsWith(u"DateTestDatabase.mdb"_s)) // those dates, as their author typed them
            QCOMPARE(select(target, u"SELECT group_concat(DateTimeCol, ',') FROM DateTest "
                                    "WHERE IDCol BETWEEN 2 AND 4"_s),
                     QList<QVariantList>{{u"9999-01-01 00:00:00,1898-01-01 00:00:00,"
                                          "0632-01-01 00:00:00"_s}});
        QCOMPARE(outOfRangeDates > 0, file.endsWith(u"DateTestDatabase.mdb"_s));
        if (!file.endsWith(u"/nwind.mdb"_s))
            return;
        // Its indexes kept, and currency as exact text.
        QCOMPARE(select(target, u"SELECT group_concat(name, ',') FROM pragma_index_info("
                                "'Order Details_PrimaryKey')"_s),
                 QList<QVariantList>{{u"OrderID,ProductID"_s}});
        QCOMPARE(select(target, u"SELECT typeof(UnitPrice), UnitPrice FROM Products "
                                "ORDER BY rowid LIMIT 1"_s),
                 (QList<QVariantList>{{u"text"_s, u"18.0000"_s}}));
        // Jet's widths declared; every row's place and the columns that cannot be written recorded.
        QCOMPARE(
            select(target, u"SELECT group_concat(type, ',') FROM pragma_table_info('Products')"_s),
            QList<QVariantList>{
                {u"INT4,TEXT,INT4,INT4,TEXT,TEXT,SMALLINT,SMALLINT,SMALLINT,BIT"_s}});
        QCOMPARE(select(target, u"SELECT count(*) FROM \"yardmark99.rows\""_s),
                 QList<QVariantList>{{rows}});
        QCOMPARE(
            select(target,
                   u"SELECT group_concat(name || ':' || ifnull(notWritable, ''), ',') "
                   "FROM \"yardmark99.columns\" WHERE tbl = 'Products' AND type IN (4, 3)"_s),
            QList<QVariantList>{{u"ProductID:an AutoNumber column,SupplierID:in an index of the "
                                 "Access file,CategoryID:in an index of the Access file,"
                                 "UnitsInStock:,UnitsOnOrder:,ReorderLevel:"_s}});
    }

    // Damage as it is met: each sample cut at page boundaries (every one up to
    // the last page of its table list, a spread after) or with one page
    // zeroed (each page of the table list, a spread of the rest). Each is
    // refused as damaged with nothing written, or imports all the whole file
    // holds.
    void damagedFilesAreRefusedOrWhole_data()
    {
        columns<QString, qint64, qint64, qint64>("file", "pageSize", "pages", "zeroed");
        for (const QString& name : Samples)
            REQUIRE_JET_SAMPLE(jetSample(name));
        for (const QString& name : Samples) {
            const QString file = jetSample(name);
            const auto [size, catalog] = MdbExport::catalogPages(file);
            const qint64 pages = QFileInfo(file).size() / size;
            const qint64 end = *std::max_element(catalog.begin(), catalog.end());
            const auto row = [&](const char* what, qint64 page, qint64 kept, qint64 zeroed) {
                QTest::addRow("%s, %s %lld", qPrintable(name), what, page)
                    << file << size << kept << zeroed;
            };
            for (qint64 page = 1; page < pages; page += page <= end ? 1 : 97)
                row("cut at page", page, page, -1);
            for (qint64 page = 1; page < pages; page += 53)
                if (!catalog.contains(page))
                    row("page zeroed", page, pages, page);
            for (const qint64 page : catalog)
                row("table list page zeroed", page, pages, page);
        }
    }

    void damagedFilesAreRefusedOrWhole()
    {
        auto [file, size, pages, zeroed] =
            fetch<QString, qint64, qint64, qint64>("file", "pageSize", "pages", "zeroed");
        QTemporaryDir dir;
        const QString source = dir.filePath(u"damaged.mdb"_s), target = dir.filePath(u"new.mdb"_s);
        static QHash<QString, Copy> whole; // each sample's own import
        if (!whole.contains(file)) {
            QVERIFY(!import::importAccess(file, target, {}));
            whole[file] = readCopy(target);
            QVERIFY(QFile::remove(target));
        }
        QByteArray bytes = TestSupport::fileBytes(file).left(pages * size);
        if (zeroed >= 0)
            bytes.replace(zeroed * size, size, QByteArray(size, '\0'));
        QVERIFY(TestSupport::writeFile(source, bytes));
        import::ImportOptions options;
        options.stallMilliseconds = 3000;
        if (const db::Error e = import::importAccess(source, target, options)) {
            // Protected ("encrypted or damaged"), damaged or unreadable.
            QVERIFY2(e.number >= import::AccessProtected && e.number <= import::AccessUnreadable,
                     qPrintable(e.message()));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{u"damaged.mdb"_s});
        } else {
            QVERIFY(readCopy(target) == whole[file]);
        }
    }

    // Jet's day numbers and currency amounts (ten-thousandths) as imported text.
    void jetValueText_data()
    {
        columns<QByteArray, QByteArray>("text", "expected");
        const auto row = [](const char* tag, const QByteArray& text, const char* expected) {
            QTest::newRow(tag) << text << QByteArray(expected);
        };
        using import::currencyText, import::jetDateText;
        row("the epoch", jetDateText(0.0), "1899-12-30 00:00:00");
        row("noon the day before", jetDateText(-1.5), "1899-12-29 12:00:00");
        row("the first day of year 100", jetDateText(-657434.0), "0100-01-01 00:00:00");
        row("the last second of 9999", jetDateText(2958465.0 + 86399.0 / 86400),
            "9999-12-31 23:59:59");
        row("a leap day", jetDateText(36585.0), "2000-02-29 00:00:00");
        row("rounded up to midnight", jetDateText(36585.0 + 86399.6 / 86400),
            "2000-03-01 00:00:00");
        row("before the epoch, rounded up to midnight", jetDateText(-2.0 - 86399.6 / 86400),
            "1899-12-29 00:00:00");
        row("past 9999", jetDateText(2958466.0), "");
        row("not a number", jetDateText(std::nan("")), "");
        row("zero", currencyText(0), "0.0000");
        row("cents", currencyText(123400), "12.3400");
        row("negative", currencyText(-5), "-0.0005");
        row("largest", currencyText(std::numeric_limits<qint64>::max()), "922337203685477.5807");
        row("smallest", currencyText(std::numeric_limits<qint64>::min()), "-922337203685477.5808");
    }

    void jetValueText()
    {
        QFETCH(QByteArray, text);
        QTEST(text, "expected");
    }

    // Each bad source or target: the right error, nothing written beside it,
    // the source untouched.
    void refusedImportsWriteNothing_data()
    {
        // bytes: what the source file holds
        columns<QString, int, QString, QByteArray>("kind", "number", "says", "bytes");
        const QByteArray nwind = TestSupport::fileBytes(jetSample(u"nwind.mdb"_s));
        QByteArray locked = TestSupport::fileBytes(jetSample(u"DateTestDatabase.mdb"_s));
        if (!locked.isEmpty())
            locked[0x42] = char(locked[0x42] ^ 0x55);
        const auto row = [&](const char* name, const char* kind, int number, const char* says,
                             const QByteArray& source = {}) {
            QTest::newRow(name) << QString::fromLatin1(kind) << number << QString::fromUtf8(says)
                                << (source.isNull() ? nwind : source);
        };
        row("not Access", "text", import::NotAccessFile, "not a Microsoft", "ID,Name\n1,Smith\n");
        row("cut short", "cut", import::AccessDamaged, "cut short",
            nwind.left(nwind.size() / 2 + 100));
        row("one page", "cut", import::AccessDamaged, "only its first page: it was cut short",
            nwind.left(2048));
        row("cut at page 600", "page", import::AccessDamaged, "table list records 106 objects",
            nwind.left(600 * 2048));
        row("password", "password", import::AccessProtected, "password", locked);
        row("encrypted", "encrypted", import::AccessProtected, "encrypted",
            QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(4096, '\0'));
        row("target is the source", "source", import::ImportTargetRefused, "being imported");
        row("target links to the league", "league", db::IsLeagueFile, "which a window has open");
        row("target exists", "exists", import::ImportTargetRefused, "already exists");
        row("target made while importing", "appears", import::ImportTargetRefused, "already exists",
            "-");
        row("a journal beside the target", "journal", import::ImportTargetRefused,
            "unfinished write");
        row("a name too long for a file", "long", import::ImportTargetRefused,
            "too long for a file");
        row("cancelled", "cancel", db::Cancelled, "cancelled");
        // A reader that hangs or reads phantom or doubled rows ends in a message.
        row("a hang", "hang", import::AccessDamaged, "stopped responding while reading table \"T\"",
            "-");
        row("phantom rows", "phantom", import::AccessDamaged, "records 1 rows, but more were read",
            "-");
        row("a key twice", "twice", import::AccessDamaged, "two rows with the same A", "-");
    }

    void refusedImportsWriteNothing()
    {
        auto [kind, number, says, bytes] =
            fetch<QString, int, QString, QByteArray>("kind", "number", "says", "bytes");
        if (bytes.isEmpty())
            REQUIRE_JET_SAMPLE(jetSample(kind == u"password"_s ? Samples[1] : Samples[0]));
        QTemporaryDir dir;
        const QString source = dir.filePath(u"source.mdb"_s);
        QVERIFY(TestSupport::writeFile(source, bytes));
        const QString league = dir.filePath(u"league.mdb"_s);
        QVERIFY(TestSupport::writeFile(league, "held"));
        QString target = dir.filePath(u"new.mdb"_s);
        if (kind == u"source"_s)
            target = source;
        else if (kind == u"league"_s)
            QVERIFY(QFile::link(league, target));
        else if (kind == u"exists"_s)
            target = league;
        else if (kind == u"journal"_s)
            QVERIFY(TestSupport::writeFile(target + u"-journal"_s, "hot"));
        else if (kind == u"long"_s)
            target = dir.filePath(QString(256, u'n'));
        auto entries = [&] {
            return QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        };
        const QStringList before = entries();

        import::ImportOptions options;
        options.heldLeagues = {kind == u"exists"_s ? QString() : league};
        if (kind == u"cancel"_s)
            options.progress = [](const import::ImportProgress&) { return false; };
        // Another program takes the name while the child writes: its file stays.
        const bool appears = kind == u"appears"_s;
        if (appears)
            options.progress = [&](const import::ImportProgress&) {
                return QFile::exists(target) || TestSupport::writeFile(target, "theirs");
            };
        MemorySource memory;
        const bool twice = kind == u"twice"_s;
        memory.list = {
            {u"T"_s, {{u"A"_s, import::ColumnType::Integer}}, {}, twice || appears ? 2 : 1}};
        if (twice)
            memory.list[0].indexes = {{u"T_PrimaryKey"_s, {u"A"_s}, {false}, true}};
        memory.rows = {{{qint64(1)}, {qint64(twice ? 1 : 2)}}};
        memory.hang = kind == u"hang"_s;
        const bool fromMemory = bytes == "-";
        options.stallMilliseconds = fromMemory ? 500 : options.stallMilliseconds;
        const db::Error e = fromMemory ? import::importTables(memory.opener(), target, options)
                                       : import::importAccess(source, target, options);
        QCOMPARE(e.number, number);
        QVERIFY(e.description.contains(says));
        QStringList after = before;
        if (appears)
            after.insert(1, u"new.mdb"_s); // after league.mdb, as the folder lists it
        QCOMPARE(entries(), after);
        if (appears)
            QCOMPARE(TestSupport::fileBytes(target), QByteArray("theirs"));
        QCOMPARE(TestSupport::fileBytes(source), bytes);
        QCOMPARE(TestSupport::fileBytes(league), QByteArray("held"));
    }

    // A row Access deleted (its offset flagged, the table's count one less)
    // stays deleted: the rest import whole.
    void deletedRowStaysDeleted()
    {
        const QString file = jetSample(u"DateTestDatabase.mdb"_s);
        REQUIRE_JET_SAMPLE(file);
        MdbHandle* mdb = mdb_open(QFile::encodeName(file).constData(), MDB_NOFLAGS);
        char name[] = "DateTest";
        MdbTableDef* def = mdb_read_table_by_name(mdb, name, MDB_TABLE);
        QVERIFY(def && mdb_read_next_dpg(def));
        const qint64 size = mdb->fmt->pg_size, data = def->cur_phys_pg * size;
        const qint64 rowOffset = data + mdb->fmt->row_count_offset + 2;
        const qint64 count = def->entry->table_pg * size + mdb->fmt->tab_num_rows_offset;
        const qint64 rows = def->num_rows;
        mdb_free_tabledef(def);
        mdb_close(mdb);
        QByteArray bytes = TestSupport::fileBytes(file);
        bytes[rowOffset + 1] = char(bytes[rowOffset + 1] | 0x40); // the first row: deleted
        qToLittleEndian(quint32(rows - 1), bytes.data() + count);
        QTemporaryDir dir;
        const QString source = dir.filePath(u"deleted.mdb"_s), target = dir.filePath(u"new.mdb"_s);
        QVERIFY(TestSupport::writeFile(source, bytes));
        QCOMPARE(import::importAccess(source, target, {}).message(), db::Error().message());
        QCOMPARE(readCopy(target).rows[u"DateTest"_s].size(), rows - 1);
    }

    // A league cannot be written as Access here: its tables, read into
    // memory, go through the same copy, and the file opens as a league.
    void sevenTablesMakeALeague()
    {
        QTemporaryDir dir;
        const QString generated = dir.filePath(u"generated.mdb"_s);
        leaguegen::LeagueOptions league;
        league.players = 60;
        QVERIFY(!leaguegen::writeLeague(generated, league));
        const Copy original = readCopy(generated);
        MemorySource source;
        for (const QString& table : original.tables) {
            import::Table t{table, {}, {}, original.rows[table].size()};
            for (qsizetype c = 0; c < original.columns[table].size(); ++c) {
                const QString type = original.types[table][c].toUpper();
                t.columns << import::Column{original.columns[table][c],
                                            type.contains(u"INT"_s) ? import::ColumnType::Integer
                                            : type == u"REAL"_s     ? import::ColumnType::Real
                                                                    : import::ColumnType::Text};
            }
            source.list << t;
            source.rows << original.rows[table];
        }
        const QString target = dir.filePath(u"copy.mdb"_s);
        QCOMPARE(import::importTables(source.opener(), target, {}).message(),
                 db::Error().message());
        QVERIFY(import::missingLeagueTables(target).isEmpty());
        QCOMPARE(import::missingLeagueTables(jetSample(u"nwind.mdb"_s)),
                 db::schema::leagueTables());
        db::Database opened;
        QVERIFY(!opened.open(target));
        QVERIFY(readCopy(target).rows == original.rows);
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
