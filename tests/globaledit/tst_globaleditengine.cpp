// The global edit engine: the seven rating steps and the reading of the
// dialog's numbers, table-driven; then on real league files, which players
// change and into what, and that an edit killed half-way leaves all or nothing.
#include "EditCheck.h"
#include "TestSupport.h"
#include "core/globaledit/DecimalText.h"
#include "core/globaledit/GlobalEditPreview.h"

#include "core/db/Database.h"

#include <QtTest>
#include <numeric>
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

// The preview's figures, counted from the league before and after the edit.
PreviewResult figures(const Snapshot& before, const Snapshot& after, const GlobalEdit& edit)
{
    PreviewResult counted;
    const int position = db::schema::playerColumnIndex(u"CurrentPos"_s);
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!editcheck::selects(edit, *it))
            continue;
        const QVariantList& changed = after[it.key()];
        PositionFigures& p = counted.positions[size_t(it->at(position).toInt())];
        ++p.selected;
        p.changed += changed != *it ? 1 : 0;
        for (int n = 1; n <= EditedRatingCount; ++n) {
            for (RatingSide side : {RatingSide::Actual, RatingSide::Potential}) {
                const int column = db::schema::playerColumnIndex(
                    side == RatingSide::Actual ? db::schema::actualColumn(n)
                                               : db::schema::potentialColumn(n));
                const Rating from = editcheck::ratingOf(it->at(column));
                const Rating to = editcheck::ratingOf(changed.at(column));
                if (!from || !to)
                    continue;
                RatingFigures& f = counted.ratings[size_t(n - 1)][size_t(side)];
                ++f.values;
                f.sumBefore += *from;
                f.sumAfter += *to;
                ++f.before[size_t(distributionBin(*from))];
                ++f.after[size_t(distributionBin(*to))];
            }
        }
    }

    return counted;
}
} // namespace

class TestGlobalEditEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TestSupport::initTestEnvironment();
        leaguegen::LeagueOptions options;
        options.players = 900;
        options.seed = 7;
        options.extraTeamIds = {1001, BigTeam};
        QCOMPARE(m_leagues.generate(options), QString());
    }

    void init() { m_file = m_leagues.copy(); }
    void steps_data()
    {
        columns<RatingPair, double, double, Bounds, RatingPair>(
            "before", "actualPercent", "potentialPercent", "bounds", "after");
        auto row = [](const char* name, Rating a, Rating p, double ap, double pp, Bounds b,
                      Rating na, Rating np) {
            QTest::newRow(name) << RatingPair{a, p} << ap << pp << b << RatingPair{na, np};
        };
        // Worked values of the actual scaling; the potential 99 stays clear of step 5.
        row("55+10% = 60.5 -> 60", 55, 99, 10, 0, {}, 60, 99);
        row("25+2% = 25.5 -> 26", 25, 99, 2, 0, {}, 26, 99);
        row("75-10% = 67.5 -> 68", 75, 99, -10, 0, {}, 68, 99);
        row("80-100%", 80, 99, -100, 0, {}, 0, 99);
        row("12.5% scales by 0.125", 80, 99, 12.5, 0, {}, 90, 99);
        row("potential 45+10% -> 50", 10, 45, 0, 10, {}, 10, 50);
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

    void steps()
    {
        auto [before, actualPercent, potentialPercent, bounds, after] =
            fetch<RatingPair, double, double, Bounds, RatingPair>(
                "before", "actualPercent", "potentialPercent", "bounds", "after");
        QCOMPARE(applyRatingSteps(before, actualPercent, potentialPercent, bounds), after);
    }

    void parseDecimal_data()
    {
        // value: NaN: rejected
        columns<QString, double>("text", "value");
        for (auto [text, value] :
             {std::pair{u"+4"_s, 4.0}, {u".5"_s, 0.5}, {u"5."_s, 5.0}, {u"  -3.25\t"_s, -3.25}})
            QTest::addRow("'%s'", qPrintable(text)) << text << value;
        for (const QString& bad : {QString(), u"   "_s, u"abc"_s, u"12,5"_s, u"1e3"_s, u"1 2"_s,
                                   u"+-1"_s, u"-"_s, u"."_s, u"0x10"_s, u"inf"_s, u"nan"_s,
                                   u"10%"_s, u"\u0661\u0662"_s, QString(400, u'9')})
            QTest::addRow("'%s'", qPrintable(bad.left(12))) << bad << qQNaN();
    }

    void parseDecimal()
    {
        auto [text, value] = fetch<QString, double>("text", "value");
        const std::optional<double> parsed = globaledit::parseDecimal(text);
        QCOMPARE(parsed.has_value(), !qIsNaN(value));
        if (parsed)
            QCOMPARE(*parsed, value);
    }

    void selection_data()
    {
        // odd: statements run on the league first
        columns<TeamFilter, QList<int>, QString>("team", "positions", "odd");
        // No percentage: only the potential bounds and raising to the actual change a player.
        QTest::addColumn<bool>("potentialsOnly");
        const QList<int> every{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
        auto row = [](const char* name, TeamFilter team, const QList<int>& positions,
                      const QString& odd = {}, bool potentialsOnly = false) {
            QTest::newRow(name) << team << positions << odd << potentialsOnly;
        };
        row("all teams, every position", {}, every);
        row("draft and free agents", 0, {0, 3, 14});
        row("team 1 alone", 1, {0, 1, 2, 3, 4, 12});
        row("64-bit team id", BigTeam, every);
        row("no such team: quietly nothing", 424242, every);
        row("no position: nothing", {}, {});
        row("nulls, text, blobs, out of bounds, odd positions", {}, every,
            u"UPDATE PlayerTable SET RATING1 = NULL WHERE rowid % 7 = 0;"
            "UPDATE PlayerTable SET RATING_POT2 = 'abc', RATING2 = '50' WHERE rowid % 5 = 0;"
            "UPDATE PlayerTable SET RATING3 = 150, RATING_POT3 = -20 WHERE rowid % 3 = 0;"
            "UPDATE PlayerTable SET RATING4 = X'00FF', RATING_POT4 = 1e400 WHERE rowid % 11 = 0;"
            "UPDATE PlayerTable SET RATING5 = 55.5, RATING_POT5 = 12.25 WHERE rowid % 4 = 0;"
            "UPDATE PlayerTable SET CurrentPos = CASE WHEN rowid % 23 = 0 THEN NULL WHEN rowid "
            "% 19 = 0 THEN ' 8 ' WHEN rowid % 17 = 0 THEN 3.5 ELSE 'QB' END WHERE rowid % 13 = 0 "
            "OR rowid % 17 = 0 OR rowid % 19 = 0 OR rowid % 23 = 0"_s);
        row("potentials alone, one team", 2, every, {}, true);
    }

    // The edit changes the selected players as the steps say; its progress and
    // the preview worked out beforehand give the figures of the two snapshots.
    void selection()
    {
        auto [team, positions, odd, potentialsOnly] = fetch<TeamFilter, QList<int>, QString, bool>(
            "team", "positions", "odd", "potentialsOnly");
        db::Database league;
        QVERIFY(!league.open(m_file));
        for (const QString& statement : odd.split(u';', Qt::SkipEmptyParts))
            QVERIFY(!league.execute(statement));
        GlobalEdit edit = editcheck::sampleEdit();
        if (potentialsOnly)
            edit.parameters = {{}, {}, {0, 99, 30, 80}};
        edit.team = team;
        edit.positions.reset();
        for (int p : positions)
            edit.positions.set(size_t(p));
        const Snapshot before = editcheck::snapshot(m_file);
        PreviewResult preview;
        QVERIFY(!computePreview(m_file, edit, preview));

        QList<QPair<int, qint64>> started, finished, counts, changes;
        qint64 done = 0;
        const auto add = [](auto& list) {
            return [&list](int p, qint64 n) { list.append({p, n}); };
        };
        const EditProgress progress{add(started), [&] { ++done; }, add(finished)};
        QCOMPARE(runGlobalEdit(m_file, edit, progress).message(), db::Error().message());
        const Snapshot expected = editcheck::expectedAfter(before, edit);
        QCOMPARE(editcheck::firstDifference(editcheck::snapshot(m_file), expected), QString());

        const PreviewResult counted = figures(before, expected, edit);
        for (int p = 0; p < db::schema::PositionCount; ++p) {
            const PositionFigures& f = counted.positions[size_t(p)];
            QCOMPARE(preview.positions[size_t(p)].selected, f.selected);
            QCOMPARE(preview.positions[size_t(p)].changed, f.changed);
            done -= f.selected;
            if (f.selected > 0) { // progress: the positions with players, in index order
                counts.append({p, f.selected});
                changes.append({p, f.changed});
            }
        }

        QCOMPARE(started, counts);
        QCOMPARE(finished, changes);
        QCOMPARE(done, 0);
        // The preview lists exactly the players the edit changed, in file
        // order, and counts every other selected player once, by reason.
        QList<qint64> listed, changedKeys;
        for (const globaledit::ChangedPlayer& p : preview.changedPlayers)
            listed << p.key;
        for (auto it = before.begin(); it != before.end(); ++it)
            if (expected.value(it.key()) != it.value())
                changedKeys << it.key();
        QCOMPARE(listed, changedKeys);
        qint64 selected = 0;
        for (const PositionFigures& f : preview.positions)
            selected += f.selected;
        QCOMPARE(std::accumulate(preview.unchanged.begin(), preview.unchanged.end(), qint64(0)),
                 selected - listed.size());
        auto all = [](const RatingFigures& f) {
            return std::tie(f.values, f.sumBefore, f.sumAfter, f.before, f.after);
        };
        for (size_t n = 0; n < size_t(EditedRatingCount); ++n)
            for (size_t side : {0, 1})
                QCOMPARE(all(preview.ratings[n][side]), all(counted.ratings[n][side]));
    }

    void unchangedReasons_data()
    {
        // every: all 48 ratings of team 1's QBs; sp: SP's actual percentage
        columns<QString, double, int>("every", "sp", "reason");
        QTest::newRow("no rating") << u"NULL"_s << 10.0 << int(Unchanged::NoRating);
        QTest::newRow("0%") << u"50"_s << 0.0 << int(Unchanged::ZeroPercent);
        QTest::newRow("already at a bound") << u"99"_s << 10.0 << int(Unchanged::AtBound);
        QTest::newRow("rounds away") << u"10"_s << 1.0 << int(Unchanged::RoundsAway);
    }

    // Why a selected player the preview does not list stays as he is.
    void unchangedReasons()
    {
        auto [every, sp, reason] = fetch<QString, double, int>("every", "sp", "reason");
        QStringList sets;
        for (int n = 1; n <= EditedRatingCount; ++n)
            sets << db::schema::actualColumn(n) + u" = "_s + every
                 << db::schema::potentialColumn(n) + u" = "_s + every;
        db::Database league;
        QVERIFY(!league.open(m_file));
        QVERIFY(!league.execute(u"UPDATE PlayerTable SET "_s + sets.join(u", "_s) +
                                u" WHERE TeamId = 1 AND CurrentPos = 0"_s));
        GlobalEdit edit;
        edit.parameters.actualPercent[0] = sp;
        edit.team = 1;
        edit.positions.set(0);
        PreviewResult preview;
        QVERIFY(!computePreview(m_file, edit, preview));
        QVERIFY(preview.positions[0].selected > 0);
        QVERIFY(preview.changedPlayers.empty());
        QCOMPARE(preview.unchanged[size_t(reason)], preview.positions[0].selected);
    }

    // The hook runs once, under the write lock, before anything changes; its
    // error ends the edit with nothing changed. So does bad input.
    void refusedThenHandWorked()
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

        GlobalEdit edit = editcheck::sampleEdit();
        QCOMPARE(runGlobalEdit(QString(), edit).number, int(db::NoLeagueFileChosen));
        const QString missing = m_file + QStringLiteral(".missing");
        QCOMPARE(runGlobalEdit(missing, edit).number, int(db::FileNotFound));
        QVERIFY(!QFile::exists(missing)); // not created
        for (double percent : {qInf(), qQNaN()}) {
            edit.parameters.actualPercent[5] = percent;
            QCOMPARE(runGlobalEdit(m_file, edit).number, int(db::NotANumber));
        }

        QCOMPARE(editcheck::firstDifference(editcheck::snapshot(m_file), before), QString());

        // Then an edit worked by hand, not by the steps' code: three players of
        // one team, three ratings each, rating 25 never touched (the selection
        // cases check everyone else).
        db::Database league;
        QVERIFY(!league.open(m_file));
        const QString set = u"UPDATE PlayerTable SET TeamId = 777, CurrentPos = 4, RATING1 = ?, "
                            u"RATING_POT1 = ?, RATING2 = ?, RATING_POT2 = ?, RATING24 = ?, "
                            u"RATING_POT24 = ?, RATING25 = 120 WHERE rowid = ?"_s;
        QVERIFY(!league.execute(set, {45, 40, 4, 8, 75, 80, 1}));
        QVERIFY(!league.execute(set, {90, 99, 50, 60, 2, 2, 2}));
        QVERIFY(!league.execute(set, {QVariant(), 3, 96, 98, 100, QVariant(), 3}));

        edit = {};
        edit.parameters.actualPercent[0] = 10;
        edit.parameters.actualPercent[23] = -10;
        edit.parameters.potentialPercent[23] = 15;
        edit.parameters.bounds = {5, 95, 10, 97};
        edit.team = 777;
        edit.positions.set(4);
        QVERIFY(!runGlobalEdit(m_file, edit));

        QStringList rows; // quote() tells a real and no value from a whole number
        QVERIFY(!league.query(
            u"SELECT quote(RATING1) || ' ' || quote(RATING_POT1) || ' ' || RATING2 "
            u"|| ' ' || RATING_POT2 || ' ' || RATING24 || ' ' || quote(RATING_POT24) "
            u"|| ' ' || RATING25 FROM PlayerTable WHERE TeamId = 777 ORDER BY rowid"_s,
            {}, [&](const db::Statement& q) { rows << q.value(0).toString(); }));
        QCOMPARE(rows, (QStringList{u"50 50 5 10 68 92 120"_s, u"95 97 50 60 5 10 120"_s,
                                    u"NULL 10 95 97 90 NULL 120"_s}));
    }

    // Killed at random moments (SIGKILL, no chance to roll back), the edit leaves
    // a sound league whose ratings are all as before or all as after it.
    void killedEditIsAllOrNothing()
    {
        const QString killee = QCoreApplication::applicationDirPath() + u"/globaledit_killee";
        editcheck::Leagues leagues;
        leaguegen::LeagueOptions options;
        options.players = 15000;
        options.seed = 99;
        QCOMPARE(leagues.generate(options), QString());

        // One run to its end: how long the edit takes from "started", and what it leaves.
        const QString finished = leagues.copy();
        QProcess process;
        process.start(killee, {finished});
        QVERIFY(process.waitForReadyRead(30000));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
        const qint64 half = qMax<qint64>(clock.elapsed() / 2, 1);
        const Snapshot before = editcheck::snapshot(leagues.base());
        const Snapshot after = editcheck::snapshot(finished);
        QVERIFY(!editcheck::firstDifference(after, before).isEmpty());

        int interrupted = 0;
        for (int i = 0; i < 8; ++i) {
            const QString victim = leagues.copy();
            process.start(killee, {victim});
            QVERIFY(process.waitForReadyRead(30000));
            // Alternately in the first half of the edit and around its commit.
            const qint64 from = i % 2 ? half : 0;
            QTest::qSleep(
                int(from + QRandomGenerator::global()->bounded(i % 2 ? half * 3 / 2 : half)));
            process.kill(); // SIGKILL: no chance to roll back
            QVERIFY(process.waitForFinished(10000));
            // A journal with content: the kill caught pages already changed, so
            // the edit must be rolled back.
            const bool halfDone = QFileInfo(victim + u"-journal").size() > 0;
            interrupted += halfDone ? 1 : 0;

            db::Database opened; // opening rolls back what the killed edit left half-done
            QString check;
            QVERIFY(!opened.open(victim) &&
                    !opened.query(u"PRAGMA integrity_check"_s, {},
                                  [&](const db::Statement& q) { check += q.value(0).toString(); }));
            QCOMPARE(check, u"ok"_s);
            const Snapshot left = editcheck::snapshot(victim);
            QVERIFY(editcheck::firstDifference(left, before).isEmpty() ||
                    (!halfDone && editcheck::firstDifference(left, after).isEmpty()));
            QFile::remove(victim);
        }

        QVERIFY2(interrupted > 0, "no kill landed inside the edit");
    }

private:
    editcheck::Leagues m_leagues;
    QString m_file; // a fresh copy for each test
};

QTEST_GUILESS_MAIN(TestGlobalEditEngine)
#include "tst_globaleditengine.moc"
