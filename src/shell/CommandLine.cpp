#include "shell/CommandLine.h"

#include "shell/MDIMain.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

QString leagueArgument(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Yardmark '99, the league editor for Kickvale 99."));
    parser.addHelpOption();
    parser.addVersionOption();
    // Handled before any window starts (shell/ImportCommand.h); listed here for --help.
    parser.addOption({QStringLiteral("import-access"),
                      QStringLiteral("Import the Access (Jet/ACE) database <source> into the new "
                                     "league file <target>, without a window, and end: "
                                     "--import-access <source> <target>.")});
    parser.addPositionalArgument(QStringLiteral("league"),
                                 QStringLiteral("A league file to open, as File > Open opens one."),
                                 QStringLiteral("[league]"));
    parser.process(arguments);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        // Ended the way process() ends on an unknown option.
        std::fprintf(stderr, "%s: give at most one league file\n",
                     qUtf8Printable(QCoreApplication::applicationName()));
        std::exit(1);
    }
    return positional.value(0);
}

void openLeagueWhenLoaded(MDIMain* main, const QString& path)
{
    // Queued: it runs once the splash has shown the main window, and not at
    // all if the main window is gone by then.
    QMetaObject::invokeMethod(
        main, [main, path] { main->openLeague(path); }, Qt::QueuedConnection);
}
