// leaguegen [--players N] [--seed S] [--teams T] [--force] PATH
// Writes a complete league file for the demo, the tests and the benchmarks.
#include "leaguegen/LeagueGenerator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <limits>

using namespace Qt::StringLiterals;

namespace {
int fail(const QString& message)
{
    QTextStream(stderr) << "leaguegen: " << message << '\n';
    return 1;
}

// A whole number within lo..hi, or nothing.
bool readNumber(const QString& text, qint64 lo, qint64 hi, qint64& value)
{
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok && value >= lo && value <= hi;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"leaguegen"_s);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Writes a Kickvale 99 league file (SQLite) for Yardmark '99."_s);
    parser.addHelpOption();
    const QCommandLineOption players(u"players"_s, u"Number of players (default 2000)."_s, u"N"_s,
                                     u"2000"_s);
    const QCommandLineOption seed(
        u"seed"_s, u"Seed; the same seed gives the same league (default 1)."_s, u"S"_s, u"1"_s);
    const QCommandLineOption teams(
        u"teams"_s, u"Number of teams (default: about 53 players a team)."_s, u"T"_s, u"0"_s);
    const QCommandLineOption force(u"force"_s, u"Replace the file if it exists."_s);
    parser.addOptions({players, seed, teams, force});
    parser.addPositionalArgument(u"PATH"_s, u"The league file to write."_s);
    if (!parser.parse(QCoreApplication::arguments()))
        return fail(parser.errorText());
    if (parser.isSet(u"help"_s))
        parser.showHelp(0);
    if (parser.positionalArguments().size() != 1)
        return fail(u"give exactly one PATH to write the league to (see --help)."_s);

    leaguegen::LeagueOptions options;
    qint64 number = 0;
    if (!readNumber(parser.value(players), 0, std::numeric_limits<int>::max(), number))
        return fail(u"--players needs a whole number of 0 or more, not \"%1\"."_s.arg(
            parser.value(players)));
    options.players = int(number);
    if (!readNumber(parser.value(seed), 0, std::numeric_limits<quint32>::max(), number))
        return fail(u"--seed needs a whole number from 0 to 4294967295, not \"%1\"."_s.arg(
            parser.value(seed)));
    options.seed = quint32(number);
    if (!readNumber(parser.value(teams), 0, std::numeric_limits<int>::max(), number))
        return fail(
            u"--teams needs a whole number of 0 or more, not \"%1\"."_s.arg(parser.value(teams)));
    options.teams = int(number);
    options.overwrite = parser.isSet(force);

    const QString path = parser.positionalArguments().constFirst();
    QElapsedTimer clock;
    clock.start();
    const db::Error e = leaguegen::writeLeague(path, options);
    if (e.number == leaguegen::TargetExists)
        return fail(e.message() + u" Add --force to replace it."_s);
    if (e)
        return fail(e.message());
    QTextStream(stdout) << "Wrote " << options.players << " players in "
                        << leaguegen::teamCount(options) << " teams to " << path << " in "
                        << clock.elapsed() << " ms.\n";
    return 0;
}
