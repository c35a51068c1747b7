#include "GuiFixture.h"
#include "TestSupport.h"
#include "core/db/Database.h"
#include "core/db/Expression.h"
#include "leaguegen/LeagueGenerator.h"

#include <QtTest>
#include <utility>

using namespace Qt::StringLiterals;
using db::Error;
using TestSupport::columns;
using TestSupport::fetch;

namespace {
const QString AllRows = u"1,2,3,4,5,6,7,8"_s;

// A filter exactly as long as a filter may be.
QString longest()
{
    return u"Name = '"_s + QString(db::MaxExpressionLength - 9, u'x') + u"'"_s;
}
} // namespace

// Filters and sorts are judged by the rows they select from a real table.
class TestExpression : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(u"league.db"_s);
    db::Database m_db;
    QList<db::FieldDef> m_fields;

    // The Ids the clause selects, comma-joined in the order given.
    QString ids(const QString& where, const QVariantList& params, const QString& order)
    {
        QStringList out;
        const Error e =
            m_db.query(u"SELECT Id FROM Sample WHERE "_s + where + u" ORDER BY "_s + order, params,
                       [&](const db::Statement& q) { out << q.text(0); });
        return e ? e.message() : out.join(u',');
    }

    QString filtered(const QString& filter)
    {
        db::CompiledFilter compiled;
        const Error e = db::compileFilter(filter, m_fields, &compiled);
        return e ? e.message() : ids(compiled.sql, compiled.params, u"Id"_s);
    }

private slots:
    void initTestCase()
    {
        TestSupport::initTestEnvironment();
        leaguegen::LeagueOptions options;
        options.players = 20;
        QCOMPARE(leaguegen::writeLeague(m_path, options).message(), Error().message());
        QCOMPARE(m_db.open(m_path).message(), Error().message());
        QVERIFY(!m_db.execute(u"CREATE TABLE Sample (Id INTEGER PRIMARY KEY, Name TEXT, "
                              u"Age INTEGER, Score REAL, Born DATE, Flag BOOLEAN, "
                              u"[Team Name] VARCHAR(30), Note TEXT, Extra)"_s));
        const QList<QVariantList> rows = {
            {1, u"Smith"_s, 25, 1.5, u"1975-03-01"_s, -1, u"Bears"_s, u"100%"_s},
            {2, u"smith"_s, 30, 2.5, u"1980-12-31"_s, 0, u"Lions"_s, u"a_b"_s},
            {3, u"Jones"_s, 22, QVariant(), QVariant(), 1, u"Bears"_s, u"star*"_s},
            {4, u"Émile"_s, 35, 3.0, u"1999-09-12"_s, 0, u"Élans"_s, u"what?"_s},
            {5, u"O'Brien"_s, QVariant(), 4.25, u"2000-01-01"_s, -1, QVariant(), u"#1"_s},
            {6, u"say \"hi\""_s, 40, -2, u"1969-07-20"_s, QVariant(), u"Lions"_s, u"[x]"_s},
            {7, u"Zed"_s, 18, 0, u"1990-05-05"_s, 0, u"bears"_s, u"abc"_s},
            {8, u"ÄRGER"_s, 28, 10, u"1985-06-15"_s, 0, u"Ångström"_s, u"ab"_s},
        };
        for (const QVariantList& row : rows)
            QVERIFY(
                !m_db.execute(u"INSERT INTO Sample VALUES (?, ?, ?, ?, ?, ?, ?, ?, NULL)"_s, row));
        m_fields = TestSupport::fieldDefs(m_db, u"Sample"_s);
        QCOMPARE(m_fields.size(), 9);
    }

    // No filter text, however hostile, reached the table as SQL.
    void cleanupTestCase() { QCOMPARE(ids(u"1"_s, {}, u"Id"_s), AllRows); }

    void filterRows_data()
    {
        columns<QString, QString>("filter", "rows");
        const QList<std::pair<QString, QString>> cases = {
            // Precedence: Not, And, Or; & below arithmetic, comparisons below &.
            {u"Age < 20 Or Age > 30 And Name Like 'É*'"_s, u"4,7"_s},
            {u"(Age < 20 Or Age > 30) And Name Like 'É*'"_s, u"4"_s},
            {u"Not Age > 30 And Age > 20"_s, u"1,2,3,8"_s},
            {u"Age / 4 = 7.5"_s, u"2"_s},
            {u"Name & Age = 'Smith25'"_s, u"1"_s},
            {u"Name + 'X' = 'ZedX'"_s, u"7"_s},
            {u"Name & [Team Name] = 'O''Brien'"_s, u"5"_s},
            {u"Age > 20 = True"_s, u"1,2,3,4,6,8"_s},
            // Text and field names ignore case, also beyond ASCII.
            {u"Name = 'SMITH'"_s, u"1,2"_s},
            {u"Name = 'émile'"_s, u"4"_s},
            // Literals adapt to the field they meet.
            {u"Age = '25'"_s, u"1"_s},
            {u"Score = 3"_s, u"4"_s},
            {u"Note = 100"_s, QString()},
            {u"Age = Null"_s, QString()},
            // Like, its wildcards and their literal forms; % and _ are plain text.
            {u"Name Like 's*'"_s, u"1,2,6"_s},
            {u"Name Like 'S?ith'"_s, u"1,2"_s},
            {u"Name Not Like 's*'"_s, u"3,4,5,7,8"_s},
            {u"Name Like '*[!a-z]*'"_s, u"4,5,6,8"_s},
            {u"Name Like '[a-j]*'"_s, u"3"_s},
            {u"Note Like '[#]#'"_s, u"5"_s},
            {u"Note Like '*[*]'"_s, u"3"_s},
            {u"Note Like '*[?]'"_s, u"4"_s},
            {u"Note Like '[[]*]'"_s, u"6"_s},
            {u"Note Like '*%'"_s, u"1"_s},
            {u"Note Like 'a_*'"_s, u"2"_s},
            {u"Name Like '*''*'"_s, u"5"_s},
            {u"Name Like 'é*'"_s, u"4"_s},
            {u"Age Like '2*'"_s, u"1,3,8"_s},
            {u"Note Like Note"_s, u"1,2,3,4,7,8"_s},
            // Between in either order, In, Is Null.
            {u"Age Between 22 And 28"_s, u"1,3,8"_s},
            {u"Age Not Between 22 And 28"_s, u"2,4,6,7"_s},
            {u"Name Between 'k' And 'A'"_s, u"3"_s},
            {u"Age In (25, 35, 99)"_s, u"1,4"_s},
            {u"Name In ('SMITH', 'zed')"_s, u"1,2,7"_s},
            {u"Age Not In (25, 35)"_s, u"2,3,6,7,8"_s},
            {u"Age Is Null"_s, u"5"_s},
            // Dates in both spellings, two-digit years.
            {u"Born = #1999-09-12#"_s, u"4"_s},
            {u"Born = #9/12/1999#"_s, u"4"_s},
            {u"Born Between #12/31/1985# And #1/1/1970#"_s, u"1,2,8"_s},
            {u"Born < #7/21/69#"_s, u"6"_s},
            // Both quote styles, quotes doubled inside; SQL inside quotes is text.
            {u"Name = 'O''Brien'"_s, u"5"_s},
            {u"Name = \"O'Brien\""_s, u"5"_s},
            {u"Name = \"say \"\"hi\"\"\""_s, u"6"_s},
            {u"Name = 'x''; DROP TABLE Sample; --'"_s, QString()},
            // Empty text is text, not Null.
            {u"Note <> ''"_s, AllRows},
            // Yes/No: any value but 0 is True, so -1 and 1 both count.
            {u"Flag = True"_s, u"1,3,5"_s},
            {u"Flag = False"_s, u"2,4,7,8"_s},
            {u"Flag"_s, u"1,3,5"_s},
        };
        for (const auto& [filter, rows] : cases)
            QTest::newRow(filter.toUtf8().constData()) << filter << rows;

        // Operators by value: "(expression) = value" holds on every row.
        for (const QString& holds :
             {u"(-7 \\ 2) = -3"_s, u"(7.5 \\ 2) = 4"_s, u"(-7 Mod 3) = -1"_s, u"(5.5 Mod 4) = 2"_s,
              u"(7 Mod 2 * 3) = 1"_s, u"(1 + 10 \\ 3) = 4"_s, u"(2 ^ -1) = 0.5"_s,
              u"(-2 ^ 2) = -4"_s, u"(2 ^ 3 ^ 2) = 64"_s, u"(2 + 3 & 4) = '54'"_s,
              u"('3' * 2) = 6"_s, u"(True + 1) = 0"_s, u"(1 / 0 Is Null) = True"_s,
              u"(5 \\ 0 Is Null) = True"_s, u"(5 Mod 0 Is Null) = True"_s,
              u"((-8) ^ 0.5 Is Null) = True"_s})
            QTest::newRow(holds.toUtf8().constData()) << holds << AllRows;

        // Up to the caps: the longest text, the deepest nesting, long flat lists.
        const int deep = db::MaxExpressionNesting;
        QString chain = u"Age = 0"_s;
        for (int i = 1; i < 150; ++i)
            chain += u" Or Age = "_s + QString::number(i);
        QTest::newRow("longest") << longest() << QString();
        QTest::newRow("deepest") << QString(deep, u'(') + u"Age = 25"_s + QString(deep, u')')
                                 << u"1"_s;
        QTest::newRow("150 Or") << chain << u"1,2,3,4,6,7,8"_s;
        QTest::newRow("400 +") << u"1"_s + u" + 1"_s.repeated(400) + u" = 401"_s << AllRows;
    }

    void filterRows()
    {
        QFETCH(QString, filter);
        QTEST(filtered(filter), "rows");
    }

    void badFilters_data()
    {
        columns<QString, int, QString>("filter", "number", "says");
        const int syntax = db::ExpressionSyntax, type = db::ExpressionType;
        const int unknown = db::UnknownField;
        const QList<std::tuple<QString, int, QString>> cases = {
            {u"Agee = 5"_s, unknown, u"\"Agee\""_s},
            {u"[Team] = 'x'"_s, unknown, u"\"Team\""_s},
            {QString(), syntax, u"a value is missing"_s},
            {u"Age = "_s, syntax, u"end of the expression"_s},
            {u"Age = 5 And Or Age = 6"_s, syntax,
             u"near \"Or\" at position 13: a value is missing"_s},
            {u"(Age = 5"_s, syntax, u"closing parenthesis"_s},
            {u"Age 5"_s, syntax, u"an operator is missing"_s},
            {u"Name = 'abc"_s, syntax, u"no closing quote"_s},
            {u"[Age = 1"_s, syntax, u"no closing bracket"_s},
            {u"Age Between 1 Or 5"_s, syntax, u"Between needs And"_s},
            {u"Age In 1, 2"_s, syntax, u"In needs"_s},
            {u"Age Is 5"_s, syntax, u"Is must"_s},
            {u"Born = #2/30/2000#"_s, syntax, u"valid date"_s},
            {u"Name Like '[a'"_s, syntax, u"no closing ]"_s},
            {u"Name Like '[z-a]'"_s, syntax, u"runs backwards"_s},
            {u"Age = 12abc"_s, syntax, u"not a number"_s},
            {u"Age = 'abc'"_s, type, u"\"Age\" holds numbers"_s},
            {u"Age + 'x' > 1"_s, type, u"+ needs numbers"_s},
            {u"Age = #1/1/2000#"_s, type, u"#1/1/2000# is a date"_s},
            {u"'abc'"_s, type, u"Yes/No"_s},
            {u"Name Like True"_s, type, u"Like"_s},
            {u"Age In (1, 'x')"_s, type, u"'x'"_s},
            // SQL smuggled outside quotes or brackets never compiles.
            {u"Name = 'x') OR 1=1 --"_s, syntax, u"never opened"_s},
            {u"[Name] = 1; DELETE FROM Sample"_s, syntax, u"near \";\""_s},
            {u"[Sample\"; DROP TABLE Sample; --] = 1"_s, unknown, u"DROP TABLE"_s},
            {u"Note = '[x]' --"_s, syntax, u"a value is missing"_s},
            {u"Name = ?"_s, syntax, u"near \"?\""_s},
        };
        for (const auto& [filter, number, says] : cases)
            QTest::newRow(filter.toUtf8().constData()) << filter << number << says;
        // Past the caps; nesting the engine cannot parse is refused up front.
        const int tooLong = db::ExpressionTooLong, deeper = db::MaxExpressionNesting + 1;
        QString nested = u"Age = 0"_s;
        for (int i = 1; i < 40; ++i)
            nested = u"Age = "_s + QString::number(i) + u" Or ("_s + nested + u')';
        QTest::newRow("too long") << longest() + u' ' << tooLong << u"longer than"_s;
        QTest::newRow("too deep") << QString(deeper, u'(') + u"Age = 25"_s + QString(deeper, u')')
                                  << tooLong << u"nests deeper"_s;
        QTest::newRow("Not too deep")
            << u"Not "_s.repeated(deeper) + u"Flag"_s << tooLong << u"nests deeper"_s;
        QTest::newRow("minus too deep")
            << u"-"_s.repeated(deeper) + u"Age = 1"_s << tooLong << u"nests deeper"_s;
        QTest::newRow("too deep for the engine") << nested << tooLong << u"database engine"_s;
    }

    void badFilters()
    {
        auto [filter, number, says] = fetch<QString, int, QString>("filter", "number", "says");
        db::CompiledFilter out{u"untouched"_s, {}};
        const Error e = db::compileFilter(filter, m_fields, &out);
        QCOMPARE(e.number, number);
        QVERIFY2(e.description.contains(says), qPrintable(e.description));
        QCOMPARE(out.sql, u"untouched"_s);
    }

    // rows: the order selected, or the error a bad sort gets (sort left untouched).
    void sortRows_data()
    {
        columns<QString, QString, int>("sort", "rows", "number");
        const int syntax = db::ExpressionSyntax, unknown = db::UnknownField;
        QTest::newRow("number") << u"Age"_s << u"5,7,3,1,8,2,4,6"_s << 0;
        QTest::newRow("header click desc") << u"[Age] desc"_s << u"6,4,2,8,1,3,7,5"_s << 0;
        QTest::newRow("text ignores case") << u"Name"_s << u"3,5,6,1,2,7,8,4"_s << 0;
        QTest::newRow("multi-key") << u"[Team Name], Age DESC"_s << u"5,1,3,7,6,2,8,4"_s << 0;
        QTest::newRow("date column") << u"born asc, Name"_s << u"3,6,1,2,8,7,4,5"_s << 0;
        QTest::newRow("yes/no then key") << u"Flag, Id Desc"_s << u"6,5,1,8,7,4,2,3"_s << 0;
        QTest::newRow("unknown") << u"Agee"_s << QString() << unknown;
        QTest::newRow("two words") << u"team name"_s << QString() << unknown;
        QTest::newRow("empty") << QString() << QString() << syntax;
        QTest::newRow("trailing comma") << u"Age,"_s << QString() << syntax;
        QTest::newRow("bad direction") << u"Age DESCENDING"_s << QString() << syntax;
        QTest::newRow("statement") << u"Age; DROP TABLE Sample"_s << QString() << syntax;
        QTest::newRow("too long") << u"Age, "_s.repeated(500) << QString()
                                  << int(db::ExpressionTooLong);
    }

    void sortRows()
    {
        auto [sort, number] = fetch<QString, int>("sort", "number");
        db::CompiledSort compiled{u"untouched"_s, {}};
        const Error e = db::compileSort(sort, m_fields, &compiled);
        QVERIFY2(e.number == number, qPrintable(e.message()));
        if (number)
            QCOMPARE(compiled.sql, u"untouched"_s);
        else
            QTEST(ids(u"1"_s, {}, compiled.sql + u", Id"_s), "rows");
    }

    // Straight through the registered functions: what the filters above leave
    // out, a Null value, a malformed pattern met while reading rows, and the
    // collation's order both ways round.
    void sqlFunctions_data()
    {
        // result: empty for Null
        columns<QString, QString>("sql", "result");
        const auto like = [](const QString& value, const QString& pattern, const char* result) {
            const auto literal = [](const QString& s) {
                return s.isNull() ? u"NULL"_s : u'\'' + s + u'\'';
            };
            QTest::addRow("%s like %s", qPrintable(value), qPrintable(pattern))
                << u"SELECT ym_like(%1, %2)"_s.arg(literal(value), literal(pattern))
                << QString::fromUtf8(result);
        };
        like(u"abc"_s, u"a?"_s, "0");
        like(u"a]"_s, u"a]"_s, "1");
        like(u"-"_s, u"[a-]"_s, "1");
        like(u"!"_s, u"[!]"_s, "1");
        like(u"x"_s, u"[!]"_s, "0");
        like(u"ab"_s, u"a[]b"_s, "1");
        like(u""_s, u"*"_s, "1");
        like(u"a"_s, u""_s, "0");
        like(u"Über"_s, u"[!ü]ber"_s, "0");
        like(u"aaab"_s, u"*a*b"_s, "1");
        like(u"abcabd"_s, u"*abd"_s, "1");
        like(u"mississippi"_s, u"m*iss*ppi"_s, "1");
        like(u"1a"_s, u"##"_s, "0");
        like(QString(), u"*"_s, "");
        like(u"a"_s, u"[a"_s, "Error:1 Invalid Like pattern: a [ in the pattern has no closing ].");
        const auto order = [](const QString& a, const QString& b, int order) {
            const QString sql =
                u"SELECT ('%1' > '%2' COLLATE YM_NOCASE) - ('%1' < '%2' COLLATE YM_NOCASE)"_s;
            QTest::addRow("%s < %s", qPrintable(a), qPrintable(b))
                << sql.arg(a, b) << QString::number(order);
            QTest::addRow("%s > %s", qPrintable(b), qPrintable(a))
                << sql.arg(b, a) << QString::number(-order);
        };
        order(u"ab"_s, u"abc"_s, -1);
        order(QString(), u"a"_s, -1);
        order(u"\u212Aelvin"_s, u"kelvin"_s, 0);
        order(u"éa"_s, u"ÉB"_s, -1);
        order(u"a\U0001F600b"_s, u"A\U0001F600C"_s, -1);
    }

    void sqlFunctions()
    {
        QFETCH(QString, sql);
        QTEST(TestSupport::firstColumn(m_path, sql), "result");
    }
};

QTEST_GUILESS_MAIN(TestExpression)
#include "tst_expression.moc"
