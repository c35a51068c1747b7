// The global edit engine: the seven rating steps and the reading of the
// dialog's numbers, table-driven; then on real league files, which players
// change and into what.
#include "EditCheck.h"
#include "TestSupport.h"
#include "core/globaledit/DecimalText.h"

#include "core/db/Database.h"

#include <QFile>
#include <QTest>
#include <optional>

using namespace globaledit;
using namespace Qt::StringLiterals;
using editcheck::Snapshot;
Q_DECLARE_METATYPE(globaledit::Bounds)
Q_DECLARE_METATYPE(globaledit::RatingPair)
Q_DECLARE_METATYPE(globaledit::TeamFilter)

namespace {
constexpr qint64 BigTeam = 5'000'000'000; // beyond 32 bits
const Rating Null = std::nullopt;
} // namespace

namespace globaledit {
char* toString(const RatingPair& r) // for QCOMPARE's failure message
{
    auto text = [](Rating v) { return v ? QByteArray::number(*v) : QByteArray("null"); };
    return qstrdup(QByteArray(text(r.actual) + '/' + text(r.potential)).constData());
}
} // namespace globaledit

class TestGlobalEditEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { m_file = m_leagues.copy(); }
    void steps_data();
    void steps();
    void parseDecimal_data();
    void parseDecimal();
    void selection_data();
    void selection();
    void handWorked();
    void beforeChanges();
    void badInput();

private:
    editcheck::Leagues m_leagues;
    QString m_file; // a fresh copy for each test
};

void TestGlobalEditEngine::initTestCase()
{
    TestSupport::initTestEnvironment();
    leaguegen::LeagueOptions options;
    options.players = 900;
    options.seed = 7;
    options.extraTeamIds = {1001, BigTeam};
    QCOMPARE(m_leagues.generate(options), QString());
}

void TestGlobalEditEngine::steps_data()
{
    QTest::addColumn<RatingPair>("before");
    QTest::addColumn<double>("actualPercent");
    QTest::addColumn<double>("potentialPercent");
    QTest::addColumn<Bounds>("bounds");
    QTest::addColumn<RatingPair>("after");
    auto row = [](const char* name, Rating a, Rating p, double ap, double pp, Bounds b, Rating na,
                  Rating np) {
        QTest::newRow(name) << RatingPair{a, p} << ap << pp << b << RatingPair{na, np};
    };
    // Worked values of the actual scaling; the potential 99 stays clear of step 5.
    row("55+10% = 60.5 -> 60", 55, 99, 10, 0, {}, 60, 99);
    row("25+2% = 25.5 -> 26", 25, 99, 2, 0, {}, 26, 99);
    row("75-10% = 67.5 -> 68", 75, 99, -10, 0, {}, 68, 99);
    row("80-100%", 80, 99, -100, 0, {}, 0, 99);
    row("99+100% = 198, lowered to max", 99, 99, 100, 0, {}, 99, 99);
    row("12.5% scales by 0.125", 80, 99, 12.5, 0, {}, 90, 99);
    row("potential 45+10% -> 50", 10, 45, 0, 10, {}, 10, 50);
    row("-150% ends at the minimum", 50, 99, -150, 0, {}, 0, 99);
    // Bounds alone.
    row("max + 1 lowered", 100, 100, 0, 0, {}, 99, 99);
    row("min - 1 raised", 4, 9, 0, 0, {5, 99, 10, 99}, 5, 10);
    row("potential raised to actual", 70, 60, 0, 0, {}, 70, 70);
    row("negative actual raised to 0", -5, 50, 0, 0, {}, 0, 50);
    row("min above max: min wins", 70, 99, 0, 0, {60, 50, 0, 99}, 60, 99);
    row("pot min above pot max: min wins", 50, 90, 0, 0, {0, 99, 70, 60}, 50, 70);
    row("pot max below actual", 90, 85, 0, 0, {0, 99, 0, 80}, 90, 80);
    row("raise sees the scaled actual", 60, 62, 10, 0, {}, 66, 66);
    row("raise sees the lowered actual", 95, 50, 10, 0, {0, 90, 0, 99}, 90, 90);
    // A bound is stored as its number rounded half to even.
    row("act max 80.5 stored as 80", 90, 99, 0, 0, {0, 80.5, 0, 99}, 80, 99);
    row("act min 11.5 stored as 12", 5, 99, 0, 0, {11.5, 99, 0, 99}, 12, 99);
    // No value stays no value; comparisons with it change nothing.
    row("null actual", Null, 50, 50, 0, {10, 99, 0, 99}, Null, 50);
    row("null actual, potential still bounded", Null, 150, 0, 10, {}, Null, 99);
    row("null potential not raised", 70, Null, 10, 10, {}, 77, Null);
    // A stored fraction that no step writes stays; one that step 5 copies is stored whole.
    row("unscaled fraction untouched", 49.5, 99, 0, 0, {}, 49.5, 99);
    row("copied fraction stored whole", 60.5, 10, 0, 0, {}, 60.5, 60);
}

void TestGlobalEditEngine::steps()
{
    QFETCH(RatingPair, before);
    QFETCH(double, actualPercent);
    QFETCH(double, potentialPercent);
    QFETCH(Bounds, bounds);
    QFETCH(RatingPair, after);
    QCOMPARE(applyRatingSteps(before, actualPercent, potentialPercent, bounds), after);
}

void TestGlobalEditEngine::parseDecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value"); // NaN: rejected
    auto good = [](const QString& text, double value) {
        QTest::addRow("'%s'", qPrintable(text)) << text << value;
    };
    good(u"+4"_s, 4);
    good(u".5"_s, 0.5);
    good(u"5."_s, 5);
    good(u"  -3.25\t"_s, -3.25);
    for (const QString& bad :
         {QString(), u"   "_s, u"abc"_s, u"12,5"_s, u"1e3"_s, u"1 2"_s, u"+-1"_s, u"-"_s, u"."_s,
          u"0x10"_s, u"inf"_s, u"nan"_s, u"10%"_s, u"\u0661\u0662"_s, QString(400, u'9')})
        QTest::addRow("'%s'", qPrintable(bad.left(12))) << bad << qQNaN();
}

void TestGlobalEditEngine::parseDecimal()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const std::optional<double> parsed = globaledit::parseDecimal(text);
    QCOMPARE(parsed.has_value(), !qIsNaN(value));
    if (parsed)
        QCOMPARE(*parsed, value);
}

void TestGlobalEditEngine::selection_data()
{
    QTest::addColumn<TeamFilter>("team");
    QTest::addColumn<QList<int>>("positions");
    const QList<int> every{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    QTest::newRow("all teams, every position") << TeamFilter() << every;
    QTest::newRow("draft and free agents") << TeamFilter(0) << QList<int>{0, 3, 14};
    QTest::newRow("team 1 alone") << TeamFilter(1) << QList<int>{0, 1, 2, 3, 4, 12};
    QTest::newRow("64-bit team id") << TeamFilter(BigTeam) << every;
    QTest::newRow("no such team: quietly nothing") << TeamFilter(424242) << every;
    QTest::newRow("no position: nothing") << TeamFilter() << QList<int>{};
}

void TestGlobalEditEngine::selection()
{
    QFETCH(TeamFilter, team);
    QFETCH(QList<int>, positions);
    GlobalEdit edit = editcheck::sampleEdit();
    edit.team = team;
    edit.positions.reset();
    for (int p : positions)
        edit.positions.set(size_t(p));
    const Snapshot before = editcheck::snapshot(m_file);

    QList<QPair<int, qint64>> started, finished;
    qint64 done = 0;
    const EditProgress progress{[&](int p, qint64 n) {
                                    started.append({p, n});
                                },
                                [&] { ++done; },
                                [&](int p, qint64 n) {
                                    finished.append({p, n});
                                }};
    const db::Error e = runGlobalEdit(m_file, edit, progress);
    QVERIFY2(!e, qPrintable(e.message()));
    const Snapshot expected = editcheck::expectedAfter(before, edit);
    const QString difference = editcheck::firstDifference(editcheck::snapshot(m_file), expected);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));

    // Progress: the positions with players, in index order, with their counts
    // and how many of them changed.
    QList<QPair<int, qint64>> counts, changes;
    qint64 total = 0;
    for (int p : positions) {
        GlobalEdit one = edit;
        one.positions.reset().set(size_t(p));
        qint64 n = 0, changed = 0;
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (editcheck::selects(one, *it)) {
                ++n;
                changed += expected.value(it.key()) != *it ? 1 : 0;
            }
        }
        if (n > 0) {
            counts.append({p, n});
            changes.append({p, changed});
        }
        total += n;
    }
    QCOMPARE(started, counts);
    QCOMPARE(finished, changes);
    QCOMPARE(done, total);
    QCOMPARE(editcheck::firstDifference(before, expected).isEmpty(), total == 0);
}

// Worked by hand, not by the steps' code: three players of one team, three
// ratings each, rating 25 never touched, and every other player unchanged.
void TestGlobalEditEngine::handWorked()
{
    db::Database league;
    QVERIFY(!league.open(m_file));
    const QString set = u"UPDATE PlayerTable SET TeamId = 777, CurrentPos = 4, RATING1 = ?, "
                        u"RATING_POT1 = ?, RATING2 = ?, RATING_POT2 = ?, RATING24 = ?, "
                        u"RATING_POT24 = ?, RATING25 = 120 WHERE rowid = ?"_s;
    const QVariant null;
    QVERIFY(!league.execute(set, {45, 40, 4, 8, 75, 80, 1}));
    QVERIFY(!league.execute(set, {90, 99, 50, 60, 2, 2, 2}));
    QVERIFY(!league.execute(set, {null, 3, 96, 98, 100, null, 3}));
    Snapshot before = editcheck::snapshot(m_file);

    GlobalEdit edit;
    edit.parameters.actualPercent[0] = 10;
    edit.parameters.actualPercent[23] = -10;
    edit.parameters.potentialPercent[23] = 15;
    edit.parameters.bounds = {5, 95, 10, 97};
    edit.team = 777;
    edit.positions.set(4);
    QVERIFY(!runGlobalEdit(m_file, edit));

    QStringList rows;
    QVERIFY(!league.query(u"SELECT RATING1, RATING_POT1, RATING2, RATING_POT2, RATING24, "
                          u"RATING_POT24, RATING25, typeof(RATING1) FROM PlayerTable "
                          u"WHERE TeamId = 777 ORDER BY rowid"_s,
                          {}, [&](const db::Statement& q) {
                              QStringList row;
                              for (int i = 0; i < 8; ++i)
                                  row << (q.value(i).isNull() ? u"-"_s : q.value(i).toString());
                              rows << row.join(u' ');
                          }));
    QCOMPARE(rows, (QStringList{u"50 50 5 10 68 92 120 integer"_s,
                                u"95 97 50 60 5 10 120 integer"_s, u"- 10 95 97 90 - 120 null"_s}));
    const Snapshot after = editcheck::snapshot(m_file);
    for (qint64 rowid : {1, 2, 3})
        before.remove(rowid);
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QCOMPARE(after.value(it.key()), it.value());
}

// The hook runs once, under the write lock, before anything changes; its
// error ends the edit with nothing changed.
void TestGlobalEditEngine::beforeChanges()
{
    const Snapshot before = editcheck::snapshot(m_file);
    RunOptions options;
    bool started = false;
    int calls = 0;
    db::Error otherWriter;
    options.progress.positionStarted = [&](int, qint64) { started = true; };
    options.beforeChanges = [&](db::Database&) {
        ++calls;
        db::Database other;
        otherWriter = other.open(m_file);
        if (!otherWriter)
            otherWriter = other.beginImmediate();
        return started ? db::Error() : db::Error(db::WriteFailed, u"no backup"_s);
    };
    ChangedPlayers changed{};
    changed.fill(-1);
    const db::Error e = runGlobalEdit(m_file, editcheck::sampleEdit(), options, &changed);
    QCOMPARE(e.message(), u"Error:1041 no backup"_s);
    QCOMPARE(calls, 1);
    QCOMPARE(otherWriter.number & 0xff, 5); // SQLITE_BUSY: the edit holds the lock
    QVERIFY(!started);
    QCOMPARE(changed.front(), -1); // no counts from a failed edit
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(m_file), before), QString());
}

void TestGlobalEditEngine::badInput()
{
    GlobalEdit edit = editcheck::sampleEdit();
    QCOMPARE(runGlobalEdit(QString(), edit).number, int(db::NoLeagueFileChosen));
    const QString missing = m_file + QStringLiteral(".missing");
    QCOMPARE(runGlobalEdit(missing, edit).number, int(db::FileNotFound));
    QVERIFY(!QFile::exists(missing)); // not created
    const Snapshot before = editcheck::snapshot(m_file);
    for (double percent : {qInf(), qQNaN()}) {
        edit.parameters.actualPercent[5] = percent;
        QCOMPARE(runGlobalEdit(m_file, edit).number, int(db::NotANumber));
    }
    QCOMPARE(editcheck::firstDifference(editcheck::snapshot(m_file), before), QString());
}

QTEST_GUILESS_MAIN(TestGlobalEditEngine)
#include "tst_globaleditengine.moc"
