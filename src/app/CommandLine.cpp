#include "app/CommandLine.h"

#include "shell/MainWindow.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace {
constexpr int UsageError = 2;

// The options QGuiApplication and QApplication take out of the command line
// themselves; known here so they are not taken for unknown ones.
constexpr const char* QtOptionsWithValue[] = {"platform",
                                              "platformpluginpath",
                                              "platformtheme",
                                              "plugin",
                                              "qwindowgeometry",
                                              "qwindowicon",
                                              "qwindowtitle",
                                              "session",
                                              "display",
                                              "geometry",
                                              "name",
                                              "title",
                                              "visual",
                                              "ncols",
                                              "cmap",
                                              "style",
                                              "stylesheet",
                                              "qmljsdebugger"};
constexpr const char* QtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "testability"};

int usageError(const char* program, const QString& text)
{
    std::fprintf(stderr, "%s: %s\n",
                 qUtf8Printable(QFileInfo(QString::fromLocal8Bit(program)).fileName()),
                 qUtf8Printable(text));
    return UsageError;
}
} // namespace

int readCommandLine(int argc, char* argv[], QString* league)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Yardmark '99, the league editor for Kickvale 99."));
    // Qt's options have one dash and long names: "-style" is not "-s -t -y ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Handled before any window starts (app/ImportCommand.h); listed here for --help.
    parser.addOption({QStringLiteral("import-access"),
                      QStringLiteral("Import the Access (Jet/ACE) database <source> into the new "
                                     "league file <target>, without a window, and end: "
                                     "--import-access <source> <target>.")});
    parser.addOption(
        {QStringLiteral("write-access"),
         QStringLiteral("Write the changes of the league <league> back into the Access "
                        "file <access> it was imported from, without a window, and "
                        "end; nothing is written unless every change can be: "
                        "--write-access <league> <access>.")});
    parser.addPositionalArgument(QStringLiteral("league"),
                                 QStringLiteral("A league file to open, as File > Open opens one."),
                                 QStringLiteral("[league]"));
    for (const char* name : QtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), {}, QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : QtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(arguments))
        return usageError(argv[0], parser.errorText());
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return usageError(argv[0], QStringLiteral("give at most one league file"));
    if (parser.isSet(version) || parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Both print and end the program; they word it with the
        // application's name and arguments.
        QCoreApplication console(argc, argv);
        parser.process(QCoreApplication::arguments());
    }
    *league = positional.isEmpty() || positional.first().isEmpty()
                  ? QString()
                  : QFileInfo(positional.first()).absoluteFilePath();
    return -1;
}

void openLeagueWhenLoaded(MainWindow* main, const QString& path)
{
    // Queued: it runs once the splash has shown the main window, and not at
    // all if the main window is gone by then.
    QMetaObject::invokeMethod(
        main, [main, path] { main->openLeague(path); }, Qt::QueuedConnection);
}
