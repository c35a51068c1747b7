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
const QString Samples = QStringLiteral(JET_SAMPLES);

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

// The stored day numbers of the table's date column, row by row, read with
// libmdb's own fetch (NaN for a NULL).
QList<double> storedDates(const QString& file, const QString& table, qsizetype column)
{
    QList<double> dates;
    MdbHandle* mdb = mdb_open(QFile::encodeName(file).constData(), MDB_NOFLAGS);
    QByteArray name = table.toUtf8();
    MdbTableDef* def = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE);
    mdb_read_columns(def);
    auto* date = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, guint(column)));
    mdb_rewind_table(def);
    // The fetch leaves each value's place in the page buffer.
    while (mdb_fetch_row(def))
        dates << (date->cur_value_len ? mdb_get_double(mdb->pg_buf, date->cur_value_start)
                                      : std::nan(""));
    mdb_free_tabledef(def);
    mdb_close(mdb);
    return dates;
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

// The day number an imported date text stands for, Jet's way round: before
// 1899-12-30 the days count down and the time of day forward.
double dayNumber(const QString& text)
{
    const QDate date = QDate::fromString(text.left(10), u"yyyy-MM-dd"_s);
    const QTime time = QTime::fromString(text.mid(11), u"HH:mm:ss"_s);
    const qint64 days = QDate(1899, 12, 30).daysTo(date);
    const double fraction = time.msecsSinceStartOfDay() / 86400000.0;
    return days < 0 ? days - fraction : days + fraction;
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
        const QStringList files = QDir(Samples).entryList({u"*.mdb"_s, u"*.accdb"_s});
        QVERIFY2(!files.isEmpty(), qPrintable(u"no sample files in "_s + Samples));
        for (const QString& file : files)
            QTest::newRow(qPrintable(file)) << QDir(Samples).filePath(file);
    }

    void realFilesEqualWhatMdbToolsRead()
    {
        QFETCH(QString, file);
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
                    // mdb-export's date text is wrong outside 1900-9998:
                    // check those against the stored day number instead.
                    const QString text = value.toString();
                    const int year = text.left(4).toInt();
                    if (field.startsWith("1900-01-00") && (year < 1900 || year > 9998)) {
                        const double stored = MdbExport::storedDates(file, table, c)[r];
                        QVERIFY(std::fabs(dayNumber(text) - stored) <= 0.5 / 86400);
                        ++outOfRangeDates;
                        continue;
                    }
                    QCOMPARE(compare(value, field), QString());
                }
            }
        }
        QCOMPARE(result.rows, rows);
        if (file.endsWith(u"DateTestDatabase.mdb"_s))
            QVERIFY(outOfRangeDates > 0);
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
        const QByteArray nwind = TestSupport::fileBytes(Samples + u"/nwind.mdb"_s);
        QByteArray locked = TestSupport::fileBytes(Samples + u"/DateTestDatabase.mdb"_s);
        locked[0x42] = char(locked[0x42] ^ 0x55);
        const auto row = [&](const char* name, const char* kind, int number, const char* says,
                             const QByteArray& source = {}) {
            QTest::newRow(name) << QString::fromLatin1(kind) << number << QString::fromUtf8(says)
                                << (source.isNull() ? nwind : source);
        };
        row("not Access", "text", import::NotAccessFile, "not a Microsoft", "ID,Name\n1,Smith\n");
        row("cut short", "cut", import::AccessDamaged, "cut short",
            nwind.left(nwind.size() / 2 + 100));
        // Whole pages, but tables lose theirs.
        row("cut at a page", "page", import::AccessUnreadable, "cannot be read",
            nwind.left(200 * 2048));
        row("password", "password", import::AccessProtected, "password", locked);
        row("encrypted", "encrypted", import::AccessProtected, "encrypted",
            QByteArray::fromHex("d0cf11e0a1b11ae1") + QByteArray(4096, '\0'));
        row("target is the source", "source", import::ImportTargetRefused, "being imported");
        row("target links to the league", "league", db::IsLeagueFile, "which a window has open");
        row("target exists", "exists", import::ImportTargetRefused, "already exists");
        row("a journal beside the target", "journal", import::ImportTargetRefused,
            "unfinished write");
        row("cancelled", "cancel", db::Cancelled, "cancelled");
        // A reader that hangs or reads phantom rows ends in a message.
        row("a hang", "hang", import::AccessDamaged,
            "stopped responding while reading table \"T\"");
        row("phantom rows", "phantom", import::AccessDamaged, "records 1 rows, but more were read");
    }

    void refusedImportsWriteNothing()
    {
        auto [kind, number, says, bytes] =
            fetch<QString, int, QString, QByteArray>("kind", "number", "says", "bytes");
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
        auto entries = [&] {
            return QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        };
        const QStringList before = entries();

        import::ImportOptions options;
        options.heldLeagues = {kind == u"exists"_s ? QString() : league};
        if (kind == u"cancel"_s)
            options.progress = [](const import::ImportProgress&) { return false; };
        MemorySource memory;
        memory.list = {{u"T"_s, {{u"A"_s, import::ColumnType::Integer}}, {}, 1}};
        memory.rows = {{{qint64(1)}, {qint64(2)}}};
        memory.hang = kind == u"hang"_s;
        const bool fromMemory = memory.hang || kind == u"phantom"_s;
        options.stallMilliseconds = fromMemory ? 500 : options.stallMilliseconds;
        const db::Error e = fromMemory ? import::importTables(memory.opener(), target, options)
                                       : import::importAccess(source, target, options);
        QCOMPARE(e.number, number);
        QVERIFY(e.description.contains(says));
        QCOMPARE(entries(), before);
        QCOMPARE(TestSupport::fileBytes(source), bytes);
        QCOMPARE(TestSupport::fileBytes(league), QByteArray("held"));
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
        QCOMPARE(import::missingLeagueTables(Samples + u"/nwind.mdb"_s),
                 db::schema::leagueTables());
        db::Database opened;
        QVERIFY(!opened.open(target));
        QVERIFY(readCopy(target).rows == original.rows);
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
