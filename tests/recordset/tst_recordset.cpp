#include "TestSupport.h"
#include "db/Database.h"
#include "db/RecordSet.h"
#include "leaguegen/LeagueGenerator.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using db::Error;
using db::RecordSet;

// Keysets judged against the bare SQL that selects the same rows.
class TestRecordSet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void valuesAcrossPages();
    void derivedSets_data();
    void derivedSets();
    void failedDerivationChangesNothing_data();
    void failedDerivationChangesNothing();
    void requeryKeepsFilterAndSort();
    void twinRowsStayTwo();
    void vanishedRows();
    void convertValue_data();
    void convertValue();
    void refusedValueStoresNothing();
    void insertAppends();
    void withoutRowidIsReadOnly();
    void shadowedRowid();
    void noReaderLeftOpen();

private:
    std::unique_ptr<RecordSet> open(const QString& table);
    QList<qint64> keys(RecordSet& rs);
    QList<qint64> sqlKeys(const QString& table, const QString& where, const QString& order);
    QVariant sqlValue(const QString& table, const QString& field, qint64 rowid);

    QTemporaryDir m_dir;
    QString m_path;
    db::Database m_db;
};

void TestRecordSet::initTestCase()
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

std::unique_ptr<RecordSet> TestRecordSet::open(const QString& table)
{
    std::unique_ptr<RecordSet> rs;
    const Error e = RecordSet::open(m_db, table, RecordSet::Dynaset, &rs);
    if (e)
        qWarning() << e.message();
    return rs;
}

QList<qint64> TestRecordSet::keys(RecordSet& rs)
{
    QList<qint64> out;
    for (int row = 0; row < rs.count(); ++row)
        out << rs.key(row);
    return out;
}

QList<qint64> TestRecordSet::sqlKeys(const QString& table, const QString& where,
                                     const QString& order)
{
    QList<qint64> out;
    QString sql = u"SELECT rowid FROM "_s + table;
    if (!where.isEmpty())
        sql += u" WHERE "_s + where;
    sql += u" ORDER BY "_s + (order.isEmpty() ? u"rowid"_s : order + u", rowid"_s);
    const Error e =
        m_db.query(sql, {}, [&](const QSqlQuery& q) { out << q.value(0).toLongLong(); });
    if (e)
        qWarning() << e.message();
    return out;
}

QVariant TestRecordSet::sqlValue(const QString& table, const QString& field, qint64 rowid)
{
    QVariant value;
    m_db.query(u"SELECT \"%1\" FROM %2 WHERE rowid = ?"_s.arg(field, table), {rowid},
               [&](const QSqlQuery& q) { value = q.value(0); });
    return value;
}

void TestRecordSet::valuesAcrossPages()
{
    auto rs = open(u"playertable"_s);
    QVERIFY(rs);
    QCOMPARE(rs->table(), u"PlayerTable"_s);
    QCOMPARE(keys(*rs), sqlKeys(u"PlayerTable"_s, {}, {}));
    // Page edges in both directions, so pages are read, evicted and read again.
    for (int row : {0, 199, 200, 449, 201, 0, rs->count() - 1}) {
        for (const QString& field : {u"LastName"_s, u"RATING_POT30"_s, u"TeamId"_s}) {
            const int f = rs->fieldIndex(field);
            QCOMPARE(rs->value(row, f), sqlValue(u"PlayerTable"_s, field, rs->key(row)));
        }
    }
    QVERIFY(!rs->takeReadError());
}

void TestRecordSet::derivedSets_data()
{
    QTest::addColumn<QStringList>("steps"); // "F:" filter or "S:" sort, applied in turn
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("order");

    QTest::newRow("one filter") << QStringList{u"F:TeamId = 3"_s} << u"TeamId = 3"_s << QString();
    QTest::newRow("filter twice") << QStringList{u"F:TeamId < 5"_s, u"F:[CurrentPos] = 0"_s}
                                  << u"TeamId < 5 AND CurrentPos = 0"_s << QString();
    QTest::newRow("filter then sort") << QStringList{u"F:TeamId = 3"_s, u"S:LastName"_s}
                                      << u"TeamId = 3"_s << u"LastName COLLATE YM_NOCASE"_s;
    QTest::newRow("earlier sort breaks ties")
        << QStringList{u"S:TeamId"_s, u"S:[CurrentPos] desc"_s} << QString()
        << u"CurrentPos DESC, TeamId"_s;
    QTest::newRow("sort then filter keeps the sort")
        << QStringList{u"S:LastName desc"_s, u"F:TeamId = 2"_s} << u"TeamId = 2"_s
        << u"LastName COLLATE YM_NOCASE DESC"_s;
    QTest::newRow("three sorts") << QStringList{u"S:FirstName"_s, u"S:TeamId desc"_s,
                                                u"S:CurrentPos"_s}
                                 << QString()
                                 << u"CurrentPos, TeamId DESC, FirstName COLLATE YM_NOCASE"_s;
}

void TestRecordSet::derivedSets()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, where);
    QFETCH(QString, order);

    std::unique_ptr<RecordSet> rs = open(u"PlayerTable"_s);
    for (const QString& step : steps) {
        std::unique_ptr<RecordSet> next;
        const QString text = step.mid(2);
        const Error e =
            step.startsWith(u'F') ? rs->openFiltered(text, &next) : rs->openSorted(text, &next);
        QCOMPARE(e.message(), Error().message());
        rs = std::move(next);
    }
    QCOMPARE(keys(*rs), sqlKeys(u"PlayerTable"_s, where, order));
    QVERIFY(rs->count() > 0);
}

void TestRecordSet::failedDerivationChangesNothing_data()
{
    QTest::addColumn<bool>("sort");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("named");

    QTest::newRow("unknown field in filter")
        << false << u"[NoSuchField] = 1"_s << int(db::UnknownField) << u"NoSuchField"_s;
    QTest::newRow("filter that does not parse")
        << false << u"TeamId ="_s << int(db::ExpressionSyntax) << QString();
    QTest::newRow("unknown sort field")
        << true << u"Nosuch desc"_s << int(db::UnknownField) << u"Nosuch"_s;
}

void TestRecordSet::failedDerivationChangesNothing()
{
    QFETCH(bool, sort);
    QFETCH(QString, text);
    QFETCH(int, number);
    QFETCH(QString, named);

    std::unique_ptr<RecordSet> rs = open(u"PlayerTable"_s), sorted;
    QVERIFY(!rs->openSorted(u"LastName"_s, &sorted));
    const QList<qint64> before = keys(*sorted);
    std::unique_ptr<RecordSet> out;
    const Error e = sort ? sorted->openSorted(text, &out) : sorted->openFiltered(text, &out);
    QCOMPARE(e.number, number);
    QVERIFY2(e.description.contains(named), qPrintable(e.description));
    QVERIFY(!out);
    QCOMPARE(sorted->sortTexts(), QStringList{u"LastName"_s});
    QVERIFY(sorted->filterTexts().isEmpty());
    // The next filter applies cleanly: nothing of the failed one is left behind.
    QVERIFY(!sorted->openFiltered(u"TeamId = 1"_s, &out));
    QCOMPARE(keys(*out),
             sqlKeys(u"PlayerTable"_s, u"TeamId = 1"_s, u"LastName COLLATE YM_NOCASE"_s));
    QCOMPARE(keys(*sorted), before);
}

void TestRecordSet::requeryKeepsFilterAndSort()
{
    std::unique_ptr<RecordSet> rs = open(u"PlayerTable"_s), filtered, sorted;
    QVERIFY(!rs->openFiltered(u"TeamId = 4"_s, &filtered));
    QVERIFY(!filtered->openSorted(u"LastName desc"_s, &sorted));
    const int before = sorted->count();

    db::Database other;
    QVERIFY(!other.open(m_path));
    QVERIFY(!other.execute(u"INSERT INTO PlayerTable (LastName, TeamId) VALUES ('Zzyzx', 4), "
                           u"('Aaron', 5)"_s));
    QVERIFY(!sorted->requery());
    QCOMPARE(sorted->count(), before + 1);
    QCOMPARE(sorted->value(0, sorted->fieldIndex(u"LastName"_s)).toString(), u"Zzyzx"_s);
    QCOMPARE(keys(*sorted),
             sqlKeys(u"PlayerTable"_s, u"TeamId = 4"_s, u"LastName COLLATE YM_NOCASE DESC"_s));
    QVERIFY(!other.execute(u"DELETE FROM PlayerTable WHERE LastName IN ('Zzyzx', 'Aaron')"_s));
}

void TestRecordSet::twinRowsStayTwo()
{
    QVERIFY(!m_db.execute(u"CREATE TABLE Twins (a INTEGER, b TEXT)"_s));
    QVERIFY(!m_db.execute(u"INSERT INTO Twins VALUES (1, 'same'), (1, 'same')"_s));
    auto rs = open(u"Twins"_s);
    QCOMPARE(rs->count(), 2);
    QCOMPARE(rs->update(0, {{1, u"changed"_s}}).message(), Error().message());
    QCOMPARE(sqlValue(u"Twins"_s, u"b"_s, rs->key(0)).toString(), u"changed"_s);
    QCOMPARE(sqlValue(u"Twins"_s, u"b"_s, rs->key(1)).toString(), u"same"_s);
    QCOMPARE(rs->value(0, 1).toString(), u"changed"_s); // the cached page was re-read
    QVERIFY(!rs->remove({1}));
    QCOMPARE(sqlKeys(u"Twins"_s, {}, {}), QList<qint64>{rs->key(0)});
}

void TestRecordSet::vanishedRows()
{
    auto rs = open(u"Conference"_s);
    QVERIFY(rs->count() >= 2);
    const int before = rs->count();
    db::Database other;
    QVERIFY(!other.open(m_path));
    QVERIFY(!other.execute(u"DELETE FROM Conference WHERE rowid = ?"_s, {rs->key(0)}));

    QCOMPARE(rs->update(0, {{1, u"x"_s}}).number, int(db::RowVanished));
    // One vanished row stops the whole delete: the other row is still there.
    QCOMPARE(rs->remove({1, 0}).number, int(db::RowVanished));
    QCOMPARE(rs->count(), before);
    QCOMPARE(sqlKeys(u"Conference"_s, u"rowid = "_s + QString::number(rs->key(1)), {}).size(), 1);
}

void TestRecordSet::convertValue_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("typed");
    QTest::addColumn<QVariant>("stored"); // invalid: refused

    const QVariant refused;
    QTest::newRow("whole number") << u"i"_s << QVariant(u" 12 "_s) << QVariant(12LL);
    QTest::newRow("half rounds to even") << u"i"_s << QVariant(u"2.5"_s) << QVariant(2LL);
    QTest::newRow("other half up") << u"i"_s << QVariant(u"3.5"_s) << QVariant(4LL);
    QTest::newRow("text in number field") << u"i"_s << QVariant(u"abc"_s) << refused;
    QTest::newRow("beyond 64 bits") << u"i"_s << QVariant(u"99999999999999999999"_s) << refused;
    QTest::newRow("not a number") << u"i"_s << QVariant(u"nan"_s) << refused;
    QTest::newRow("empty is null")
        << u"i"_s << QVariant(u""_s) << QVariant(QVariant::fromValue(nullptr));
    QTest::newRow("smallint in range") << u"s"_s << QVariant(u"-32768"_s) << QVariant(-32768LL);
    QTest::newRow("smallint over") << u"s"_s << QVariant(u"40000"_s) << refused;
    QTest::newRow("byte negative") << u"b"_s << QVariant(u"-1"_s) << refused;
    QTest::newRow("long over") << u"l"_s << QVariant(u"2147483648"_s) << refused;
    QTest::newRow("real") << u"r"_s << QVariant(u"1.25"_s) << QVariant(1.25);
    QTest::newRow("real refuses text") << u"r"_s << QVariant(u"1,25x"_s) << refused;
    QTest::newRow("text fits") << u"t"_s << QVariant(u"Élan "_s) << QVariant(u"Élan "_s);
    QTest::newRow("text too long") << u"t"_s << QVariant(u"abcdef"_s) << refused;
    QTest::newRow("date kept as text")
        << u"d"_s << QVariant(u"1999-09-12"_s) << QVariant(u"1999-09-12"_s);
    QTest::newRow("numeric refuses text") << u"n"_s << QVariant(u"ten"_s) << refused;
    QTest::newRow("untyped number") << u"x"_s << QVariant(u"7"_s) << QVariant(7LL);
    QTest::newRow("untyped text") << u"x"_s << QVariant(u"seven"_s) << QVariant(u"seven"_s);
}

void TestRecordSet::convertValue()
{
    QFETCH(QString, field);
    QFETCH(QVariant, typed);
    QFETCH(QVariant, stored);

    auto rs = open(u"Typed"_s);
    QVariant out(u"untouched"_s);
    const Error e = rs->convertValue(rs->fieldIndex(field), typed, &out);
    if (!stored.isValid()) {
        QCOMPARE(e.number, int(db::ValueDoesNotFit));
        QVERIFY2(e.description.contains(u"\""_s + field + u"\""_s), qPrintable(e.description));
        QCOMPARE(out, QVariant(u"untouched"_s));
    } else if (stored.typeId() == QMetaType::Nullptr) {
        QVERIFY(!e);
        QVERIFY(out.isNull());
    } else {
        QCOMPARE(e.message(), Error().message());
        QCOMPARE(out, stored);
    }
}

void TestRecordSet::refusedValueStoresNothing()
{
    auto rs = open(u"Typed"_s);
    const Error e =
        rs->update(0, {{rs->fieldIndex(u"t"_s), u"new"_s}, {rs->fieldIndex(u"i"_s), u"abc"_s}});
    QCOMPARE(e.number, int(db::ValueDoesNotFit));
    QCOMPARE(sqlValue(u"Typed"_s, u"t"_s, rs->key(0)).toString(), u"old"_s);
    QCOMPARE(sqlValue(u"Typed"_s, u"i"_s, rs->key(0)).toLongLong(), 1LL);
}

void TestRecordSet::insertAppends()
{
    std::unique_ptr<RecordSet> rs = open(u"Typed"_s), sorted;
    QVERIFY(!rs->openSorted(u"t desc"_s, &sorted));
    const int before = sorted->count();
    QCOMPARE(sorted->insert({{sorted->fieldIndex(u"t"_s), u"aaa"_s}}).message(), Error().message());
    QVERIFY(!sorted->insert({})); // a row of defaults
    QCOMPARE(sorted->count(), before + 2);
    // New rows go at the end until a requery places them by the sort.
    QCOMPARE(sorted->value(before, sorted->fieldIndex(u"t"_s)).toString(), u"aaa"_s);
    QCOMPARE(sqlValue(u"Typed"_s, u"t"_s, sorted->key(before)).toString(), u"aaa"_s);
    QVERIFY(sorted->value(before + 1, 0).isNull());
}

void TestRecordSet::withoutRowidIsReadOnly()
{
    QVERIFY(!m_db.execute(u"CREATE TABLE Pairs (k INTEGER PRIMARY KEY, v TEXT) WITHOUT ROWID"_s));
    QVERIFY(!m_db.execute(u"INSERT INTO Pairs VALUES (3, 'c'), (1, 'a'), (2, 'b')"_s));
    std::unique_ptr<RecordSet> rs = open(u"Pairs"_s), sorted;
    QVERIFY(rs);
    QVERIFY(rs->isReadOnly());
    QVERIFY(rs->readOnlyReason().contains(u"\"Pairs\""_s));
    QCOMPARE(rs->count(), 3);
    QCOMPARE(rs->value(0, 1).toString(), u"a"_s);
    QVERIFY(!rs->openSorted(u"v desc"_s, &sorted));
    QCOMPARE(sorted->value(0, 1).toString(), u"c"_s);
    QCOMPARE(sorted->value(2, 0).toLongLong(), 1LL);
    QCOMPARE(rs->update(0, {{1, u"z"_s}}).number, int(db::ReadOnlyRecordSet));
    QCOMPARE(rs->remove({0}).number, int(db::ReadOnlyRecordSet));
}

void TestRecordSet::shadowedRowid()
{
    QVERIFY(!m_db.execute(u"CREATE TABLE Odd (rowid TEXT, v INTEGER)"_s));
    QVERIFY(!m_db.execute(u"INSERT INTO Odd VALUES ('first', 1), ('second', 2)"_s));
    auto rs = open(u"Odd"_s);
    QVERIFY(!rs->isReadOnly());
    QCOMPARE(rs->value(1, 0).toString(), u"second"_s);
    QVERIFY(!rs->update(1, {{1, u"20"_s}}));
    QCOMPARE(rs->value(1, 1).toLongLong(), 20LL);
    QCOMPARE(rs->value(0, 1).toLongLong(), 1LL);
}

void TestRecordSet::noReaderLeftOpen()
{
    auto rs = open(u"PlayerTable"_s);
    QVERIFY(rs->value(300, 3).isValid());
    db::Database other;
    QVERIFY(!other.open(m_path));
    // Would time out as "locked" if a SELECT were still stepping.
    QCOMPARE(
        other.execute(u"UPDATE PlayerTable SET Height = Height WHERE rowid = ?"_s, {rs->key(300)})
            .message(),
        Error().message());
}

QTEST_GUILESS_MAIN(TestRecordSet)
#include "tst_recordset.moc"
