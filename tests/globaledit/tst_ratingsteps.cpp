// The seven rating steps and the reading of the dialog's numbers, table-driven.
#include "globaledit/engine/DecimalText.h"
#include "globaledit/engine/GlobalEditEngine.h"
#include "globaledit/engine/RatingSteps.h"

#include <QTest>

using namespace globaledit;

namespace {
// An invalid QVariant stands for a rating without a value.
Rating rating(const QVariant& v)
{
    return v.isValid() ? Rating(v.toDouble()) : std::nullopt;
}
const QVariant Null;
} // namespace

class TestRatingSteps : public QObject
{
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
    void parametersPickTheirRating();
    void parseDecimal_data();
    void parseDecimal();
};

void TestRatingSteps::steps_data()
{
    QTest::addColumn<QVariant>("actual");
    QTest::addColumn<QVariant>("potential");
    QTest::addColumn<double>("actualPercent");
    QTest::addColumn<double>("potentialPercent");
    QTest::addColumn<double>("actMin");
    QTest::addColumn<double>("actMax");
    QTest::addColumn<double>("potMin");
    QTest::addColumn<double>("potMax");
    QTest::addColumn<QVariant>("newActual");
    QTest::addColumn<QVariant>("newPotential");

    auto row = [](const char* name, QVariant a, QVariant p, double ap, double pp, double amin,
                  double amax, double pmin, double pmax, QVariant na, QVariant np) {
        QTest::newRow(name) << a << p << ap << pp << amin << amax << pmin << pmax << na << np;
    };
    // Worked values of the actual scaling; the potential 99 stays clear of step 5.
    row("50+10%", 50, 99, 10, 0, 0, 99, 0, 99, 55, 99);
    row("45+10% = 49.5 -> 50", 45, 99, 10, 0, 0, 99, 0, 99, 50, 99);
    row("55+10% = 60.5 -> 60", 55, 99, 10, 0, 0, 99, 0, 99, 60, 99);
    row("70+15% = 80.5 -> 80", 70, 99, 15, 0, 0, 99, 0, 99, 80, 99);
    row("25+2% = 25.5 -> 26", 25, 99, 2, 0, 0, 99, 0, 99, 26, 99);
    row("75-10% = 67.5 -> 68", 75, 99, -10, 0, 0, 99, 0, 99, 68, 99);
    row("60-50%", 60, 99, -50, 0, 0, 99, 0, 99, 30, 99);
    row("80-100%", 80, 99, -100, 0, 0, 99, 0, 99, 0, 99);
    row("99+100% = 198, lowered to max", 99, 99, 100, 0, 0, 99, 0, 99, 99, 99);
    row("12.5% scales by 0.125", 80, 99, 12.5, 0, 0, 99, 0, 99, 90, 99);
    row("potential scaled alone", 10, 60, 0, 10, 0, 99, 0, 99, 10, 66);
    row("potential 45+10% -> 50", 10, 45, 0, 10, 0, 99, 0, 99, 10, 50);
    row("-150% ends at the minimum", 50, 99, -150, 0, 0, 99, 0, 99, 0, 99);
    row("+200% ends at the maximum", 99, 99, 200, 200, 0, 99, 0, 99, 99, 99);
    // Bounds alone.
    row("120/130 into 0..99", 120, 130, 0, 0, 0, 99, 0, 99, 99, 99);
    row("potential raised to actual", 70, 60, 0, 0, 0, 99, 0, 99, 70, 70);
    row("negative actual raised to 0", -5, 50, 0, 0, 0, 99, 0, 99, 0, 50);
    row("actual 5, min 10", 5, 50, 0, 0, 10, 99, 0, 99, 10, 50);
    row("actual 100, max 99", 100, 100, 0, 0, 0, 99, 0, 99, 99, 99);
    row("min above max: min wins (low)", 40, 99, 0, 0, 60, 50, 0, 99, 60, 99);
    row("min above max: min wins (between)", 55, 99, 0, 0, 60, 50, 0, 99, 60, 99);
    row("min above max: min wins (high)", 70, 99, 0, 0, 60, 50, 0, 99, 60, 99);
    row("pot min above pot max: min wins", 50, 90, 0, 0, 0, 99, 70, 60, 50, 70);
    row("pot max below actual", 90, 85, 0, 0, 0, 99, 0, 80, 90, 80);
    row("raise sees the scaled actual", 60, 62, 10, 0, 0, 99, 0, 99, 66, 66);
    row("raise sees the lowered actual", 95, 50, 10, 0, 0, 90, 0, 99, 90, 90);
    row("raised potential lowered again", 95, 50, 0, 0, 0, 99, 0, 80, 95, 80);
    // A bound is stored as its number rounded half to even.
    row("act max 80.5 stored as 80", 90, 99, 0, 0, 0, 80.5, 0, 99, 80, 99);
    row("act min 10.5 stored as 10", 5, 99, 0, 0, 10.5, 99, 0, 99, 10, 99);
    row("act min 11.5 stored as 12", 5, 99, 0, 0, 11.5, 99, 0, 99, 12, 99);
    row("pot max 70.5 stored as 70", 10, 90, 0, 0, 0, 99, 0, 70.5, 10, 70);
    row("pot min 2.5 stored as 2", 0, 0, 0, 0, 0, 99, 2.5, 99, 0, 2);
    row("bound compared unrounded", 80, 99, 0, 0, 0, 80.4, 0, 99, 80, 99);
    // No value stays no value; comparisons with it change nothing.
    row("null actual", Null, 50, 50, 0, 10, 99, 0, 99, Null, 50);
    row("null actual, potential still bounded", Null, 150, 0, 10, 0, 99, 0, 99, Null, 99);
    row("null potential not raised", 70, Null, 10, 10, 0, 99, 0, 99, 77, Null);
    row("both null", Null, Null, 10, 10, 50, 60, 50, 60, Null, Null);
    // A stored value that is not whole and that no step writes stays as it is;
    // one that step 5 copies is stored whole.
    row("unscaled fraction untouched", 49.5, 99, 0, 0, 0, 99, 0, 99, 49.5, 99);
    row("copied fraction stored whole", 60.5, 10, 0, 0, 0, 99, 0, 99, 60.5, 60);
    row("zero percent is no scaling", 33, 44, 0, -0.0, 0, 99, 0, 99, 33, 44);
}

void TestRatingSteps::steps()
{
    QFETCH(QVariant, actual);
    QFETCH(QVariant, potential);
    QFETCH(double, actualPercent);
    QFETCH(double, potentialPercent);
    QFETCH(double, actMin);
    QFETCH(double, actMax);
    QFETCH(double, potMin);
    QFETCH(double, potMax);
    QFETCH(QVariant, newActual);
    QFETCH(QVariant, newPotential);

    const Bounds bounds{actMin, actMax, potMin, potMax};
    const RatingPair result = applyRatingSteps({rating(actual), rating(potential)}, actualPercent,
                                               potentialPercent, bounds);
    QCOMPARE(result.actual, rating(newActual));
    QCOMPARE(result.potential, rating(newPotential));
}

void TestRatingSteps::parametersPickTheirRating()
{
    EditParameters parameters;
    parameters.actualPercent[0] = 10;     // SP, rating 1
    parameters.potentialPercent[23] = 50; // FA, rating 24
    QCOMPARE(parameters.apply(1, {50, 99}), (RatingPair{55, 99}));
    QCOMPARE(parameters.apply(24, {10, 40}), (RatingPair{10, 60}));
    QCOMPARE(parameters.apply(2, {50, 40}), (RatingPair{50, 50}));
}

void TestRatingSteps::parseDecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");

    auto good = [](const char* text, double value) {
        QTest::newRow(text) << QString::fromUtf8(text) << true << value;
    };
    auto bad = [](const char* name, const QString& text) {
        QTest::newRow(name) << text << false << 0.0;
    };
    good("0", 0);
    good("12.5", 12.5);
    good("-10", -10);
    good("+4", 4);
    good(".5", 0.5);
    good("5.", 5);
    good("  -3.25  ", -3.25);
    good("\t7\t", 7);
    good("007", 7);
    bad("empty", QString());
    bad("blanks", QStringLiteral("   "));
    bad("word", QStringLiteral("abc"));
    bad("decimal comma", QStringLiteral("12,5"));
    bad("exponent", QStringLiteral("1e3"));
    bad("inner blank", QStringLiteral("1 2"));
    bad("two signs", QStringLiteral("+-1"));
    bad("lone sign", QStringLiteral("-"));
    bad("lone point", QStringLiteral("."));
    bad("hex", QStringLiteral("0x10"));
    bad("inf", QStringLiteral("inf"));
    bad("nan", QStringLiteral("nan"));
    bad("trailing text", QStringLiteral("10%"));
    bad("arabic-indic digits", QStringLiteral("\u0661\u0662"));
    bad("too large for a double", QString(400, QLatin1Char('9')));
}

void TestRatingSteps::parseDecimal()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const std::optional<double> parsed = globaledit::parseDecimal(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

QTEST_GUILESS_MAIN(TestRatingSteps)
#include "tst_ratingsteps.moc"
