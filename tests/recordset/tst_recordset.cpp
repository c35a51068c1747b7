#include "GuiFixture.h"
#include "TestSupport.h"
#include "core/db/CsvExport.h"
#include "core/db/Database.h"
#include "core/db/RecordSet.h"
#include "core/db/RowWriter.h"
#include "leaguegen/LeagueGenerator.h"

#include <QtTest>
#include <memory>
#include <tuple>

using namespace Qt::StringLiterals;
using db::Error;
using db::RecordSet;
using TestSupport::columns;
using TestSupport::fetch;

// Keysets judged against the bare SQL that selects the same rows. Sorts and
// filters that add up, and the model contract, are tested through the window.
class TestRecordSet : public QObject
{
    Q_OBJECT

    std::unique_ptr<RecordSet> open(const QString& table)
    {
        std::unique_ptr<RecordSet> rs;
        if (const Error e = RecordSet::open(m_db, table, &rs))
            qWarning() << e.message();
        return rs;
    }
    QString stored(const QString& sql) { return TestSupport::firstColumn(m_path, sql); }

    QTemporaryDir m_dir;
    QString m_path;
    db::Database m_db;

private slots:
    void initTestCase()
    {
        TestSupport::initTestEnvironment();
        m_path = m_dir.filePath(u"league.db"_s);
        leaguegen::LeagueOptions options;
        options.players = 450; // three pages
        QCOMPARE(leaguegen::writeLeague(m_path, options).message(), Error().message());
        QCOMPARE(m_db.open(m_path).message(), Error().message());
        QVERIFY(!m_db.execute(u"CREATE TABLE Typed (i INTEGER, s SMALLINT, b BYTE, l LONG, "
                              u"r REAL, t VARCHAR(5), d DATE, n NUMERIC, x)"_s));
        QVERIFY(!m_db.execute(u"INSERT INTO Typed (i, t) VALUES (1, 'old')"_s));
    }

    void valuesAcrossPages()
    {
        auto rs = open(u"playertable"_s);
        QCOMPARE(rs->table(), u"PlayerTable"_s);
        QStringList keys;
        for (int row = 0; row < rs->count(); ++row)
            keys << QString::number(rs->key(row));
        QCOMPARE(keys.join(u','), stored(u"SELECT rowid FROM PlayerTable ORDER BY rowid"_s));
        // Page edges in both directions, so pages are read, evicted and read again.
        for (int row : {0, 199, 200, 449, 201, 0, rs->count() - 1}) {
            for (const QString& field : {u"LastName"_s, u"RATING_POT30"_s, u"TeamId"_s}) {
                QCOMPARE(rs->value(row, rs->fields().indexOf(field)).toString(),
                         stored(u"SELECT %1 FROM PlayerTable WHERE rowid = %2"_s.arg(field).arg(
                             rs->key(row))));
            }
        }
        QVERIFY(!rs->takeReadError());

        // Another connection can write at once: no SELECT is left stepping between reads.
        QCOMPARE(TestSupport::executeOn(
                     m_path, u"UPDATE PlayerTable SET Height = Height WHERE rowid = %1"_s.arg(
                                 rs->key(300))),
                 QString());
    }

    void convertValue_data()
    {
        // stored: invalid: refused
        columns<QString, QString, QVariant>("field", "typed", "stored");

        const QVariant refused;
        QTest::newRow("whole number") << u"i"_s << u" 12 "_s << QVariant(12LL);
        QTest::newRow("half rounds to even") << u"i"_s << u"2.5"_s << QVariant(2LL);
        QTest::newRow("other half up") << u"i"_s << u"3.5"_s << QVariant(4LL);
        QTest::newRow("text in number field") << u"i"_s << u"abc"_s << refused;
        QTest::newRow("beyond 64 bits") << u"i"_s << u"99999999999999999999"_s << refused;
        QTest::newRow("not a number") << u"i"_s << u"nan"_s << refused;
        QTest::newRow("empty is null") << u"i"_s << u""_s << QVariant::fromValue(nullptr);
        QTest::newRow("smallint over") << u"s"_s << u"40000"_s << refused;
        QTest::newRow("byte negative") << u"b"_s << u"-1"_s << refused;
        QTest::newRow("byte maximum") << u"b"_s << u"255"_s << QVariant(255LL);
        QTest::newRow("byte maximum + 1") << u"b"_s << u"256"_s << refused;
        QTest::newRow("long over") << u"l"_s << u"2147483648"_s << refused;
        QTest::newRow("real") << u"r"_s << u"1.25"_s << QVariant(1.25);
        QTest::newRow("real refuses text") << u"r"_s << u"1,25x"_s << refused;
        QTest::newRow("no group separators") << u"r"_s << u"1,000.5"_s << refused;
        QTest::newRow("text fits") << u"t"_s << u"Élan "_s << QVariant(u"Élan "_s);
        QTest::newRow("text too long") << u"t"_s << u"abcdef"_s << refused;
        QTest::newRow("numeric refuses text") << u"n"_s << u"ten"_s << refused;
        QTest::newRow("untyped text") << u"x"_s << u"seven"_s << QVariant(u"seven"_s);
    }

    void convertValue()
    {
        auto [field, typed, stored] = fetch<QString, QString, QVariant>("field", "typed", "stored");

        auto rs = open(u"Typed"_s);
        QVariant out(u"untouched"_s);
        const Error e = db::convertValue(rs->fields().at(rs->fields().indexOf(field)), typed, &out);
        if (!stored.isValid()) {
            QCOMPARE(e.number, int(db::ValueDoesNotFit));
            QVERIFY2(e.description.contains(u'"' + field + u'"'), qPrintable(e.description));
            QCOMPARE(out, QVariant(u"untouched"_s));
            return;
        }
        QCOMPARE(e.message(), Error().message());
        if (stored.typeId() == QMetaType::Nullptr)
            QVERIFY(out.isNull());
        else
            QCOMPARE(out, stored);
    }

    void writesAddressOneRow()
    {
        // Two identical rows stay two rows, and a column named rowid does not hide the key.
        QVERIFY(!m_db.execute(u"CREATE TABLE Twins (a INTEGER, b TEXT)"_s));
        QVERIFY(!m_db.execute(u"INSERT INTO Twins VALUES (1, 'same'), (1, 'same')"_s));
        QVERIFY(!m_db.execute(u"CREATE TABLE Odd (rowid TEXT, b TEXT)"_s));
        QVERIFY(!m_db.execute(u"INSERT INTO Odd VALUES ('first', 'same'), ('second', 'same')"_s));
        for (const QString& table : {u"Twins"_s, u"Odd"_s}) {
            auto rs = open(table);
            QVERIFY(rs && !rs->fields().isReadOnly());
            QCOMPARE(db::RowWriter(*rs).update(0, {{1, u"changed"_s}}, rs->rowValues(0)).message(),
                     Error().message());
            QCOMPARE(stored(u"SELECT b FROM "_s + table), u"changed,same"_s);
            // The cached page was read again.
            QCOMPARE(rs->value(0, 1).toString() + u',' + rs->value(1, 1).toString(),
                     u"changed,same"_s);
            QVERIFY(!db::RowWriter(*rs).deleteRows({1}));
            QCOMPARE(stored(u"SELECT b FROM "_s + table), u"changed"_s);
        }

        // Editing an INTEGER PRIMARY KEY moves the rowid; the key must follow it,
        // or later writes hit another row.
        QVERIFY(!m_db.execute(u"CREATE TABLE Keyed (ID INTEGER PRIMARY KEY, Name TEXT)"_s));
        QVERIFY(!m_db.execute(u"INSERT INTO Keyed VALUES (5, 'A'), (9, 'B')"_s));
        auto rs = open(u"Keyed"_s);
        for (const auto& [row, field, value] :
             {std::tuple{0, 0, u"7"_s}, std::tuple{1, 0, u"5"_s}, std::tuple{0, 1, u"A2"_s}})
            QCOMPARE(db::RowWriter(*rs).update(row, {{field, value}}, rs->rowValues(row)).message(),
                     Error().message());
        QCOMPARE(stored(u"SELECT ID || Name FROM Keyed ORDER BY Name"_s), u"7A2,5B"_s);
        QVERIFY(!db::RowWriter(*rs).deleteRows({0}));
        QCOMPARE(stored(u"SELECT Name FROM Keyed"_s), u"B"_s);

        // One value that does not fit stops the whole write.
        rs = open(u"Typed"_s);
        const Error e = db::RowWriter(*rs).update(
            0, {{rs->fields().indexOf(u"t"_s), u"new"_s}, {rs->fields().indexOf(u"i"_s), u"abc"_s}},
            rs->rowValues(0));
        QCOMPARE(e.number, int(db::ValueDoesNotFit));
        QCOMPARE(stored(u"SELECT t || '/' || i FROM Typed"_s), u"old/1"_s);
    }

    // One cell's field as Export as CSV writes it: valid UTF-8 that a
    // spreadsheet reads back as the same single field, never as a formula.
    void exportWritesEachValue_data()
    {
        // value: SQL
        columns<QString, QByteArray>("value", "field");
        QTest::newRow("bare line feed") << u"'a' || char(10) || 'b'"_s << QByteArray("\"a\nb\"");
        QTest::newRow("blob") << u"x'DEADBEEF00'"_s << QByteArray("0xDEADBEEF00");
        QTest::newRow("text not UTF-8")
            << u"CAST(x'FF41' AS TEXT)"_s << QByteArray("\xEF\xBF\xBD") + 'A';
        QTest::newRow("formula") << u"'=1+2'"_s << QByteArray("'=1+2");
        QTest::newRow("text -5") << u"'-5'"_s << QByteArray("'-5");
        QTest::newRow("integer -5") << u"-5"_s << QByteArray("-5");
        QTest::newRow("real -1.5") << u"-1.5"_s << QByteArray("-1.5");
        QTest::newRow("@ and a comma") << u"'@A,B'"_s << QByteArray("\"'@A,B\"");
        QTest::newRow("tab") << u"char(9) || '+x'"_s << QByteArray("'\t+x");
        QTest::newRow("carriage return") << u"char(13) || 'x'"_s << QByteArray("\"'\rx\"");
    }

    void exportWritesEachValue()
    {
        auto [value, field] = fetch<QString, QByteArray>("value", "field");
        QVERIFY(!m_db.execute(u"CREATE TABLE Cell (x)"_s));
        QVERIFY(!m_db.execute(u"INSERT INTO Cell VALUES (%1)"_s.arg(value)));
        auto rs = open(u"Cell"_s);
        const QString path = m_dir.filePath(u"cell.csv"_s);
        QCOMPARE(db::exportCsv(*rs, path, {u"x"_s}, {0}).message(), Error().message());
        rs.reset();
        QVERIFY(!m_db.execute(u"DROP TABLE Cell"_s));
        QCOMPARE(TestSupport::fileBytes(path), "x\r\n" + field + "\r\n");
    }

    // A write that the table skips or widens, or that addresses a row another
    // program changed, removed or replaced, is refused whole.
    void guardedWriteRefused_data()
    {
        // schema: statements split by '|', table G (c, n)
        // write: insert, update, delete, delete both
        columns<QString, QString, QString, int>("schema", "write", "meanwhile", "error");
        const QString plain = u"CREATE TABLE G (c INTEGER, n TEXT)"_s;
        const QString skip = u"|CREATE TRIGGER S BEFORE %1 ON G BEGIN SELECT RAISE(IGNORE); END"_s;
        const QString unique = u"CREATE TABLE G (c INTEGER UNIQUE ON CONFLICT %1, n TEXT)"_s;
        const auto row = [](const char* name, const QString& schema, const QString& write,
                            db::ErrorNumber error, const QString& meanwhile = {}) {
            QTest::newRow(name) << schema << write << meanwhile << int(error);
        };
        row("unique ignores an insert", unique.arg(u"IGNORE"), u"insert"_s, db::WriteSkipped);
        row("replace drops another row", unique.arg(u"REPLACE"), u"update"_s, db::WriteSkipped);
        row("trigger ignores a delete", plain + skip.arg(u"DELETE"), u"delete"_s, db::WriteSkipped);
        row("row changed", plain, u"update"_s, db::RowVanished,
            u"UPDATE G SET n = 'x' WHERE c = 1"_s);
        row("one of two gone", plain, u"delete both"_s, db::RowVanished,
            u"DELETE FROM G WHERE c = 2"_s);
        // A write of nothing (an undo whose values are as stored) still checks the row.
        row("nothing to write, row gone", plain, u"nothing"_s, db::RowVanished,
            u"DELETE FROM G WHERE c = 1"_s);
    }

    void guardedWriteRefused()
    {
        auto [schema, write, meanwhile] =
            fetch<QString, QString, QString>("schema", "write", "meanwhile");
        for (const QString& sql : QString(u"DROP TABLE IF EXISTS G|"_s + schema +
                                          u"|INSERT INTO G VALUES (1, 'a'), (2, 'b')"_s)
                                      .split(u'|'))
            QVERIFY(!m_db.execute(sql));
        auto rs = open(u"G"_s);
        const QVector<QVariant> seen = rs->rowValues(0);
        rs->rowValues(1); // the grid has shown both rows
        for (const QString& sql : meanwhile.split(u'|', Qt::SkipEmptyParts))
            QVERIFY(!m_db.execute(sql));
        const QString before = stored(u"SELECT rowid || c || n FROM G"_s);
        db::RowWriter writer(*rs);
        const Error e = write == u"insert"_s    ? writer.insert({{0, 2}})
                        : write == u"nothing"_s ? writer.updateStored(0, {}, seen)
                        : write == u"update"_s
                            ? writer.update(0, {{0, 2}}, seen)
                            : writer.deleteRows(write == u"delete"_s ? QList{0} : QList{0, 1});
        QTEST(e.number, "error");
        QCOMPARE(stored(u"SELECT rowid || c || n FROM G"_s), before);
        QCOMPARE(rs->count(), 2); // no row stands for one the table never took
    }
};

QTEST_GUILESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
