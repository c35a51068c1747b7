#include "shell/CommandLine.h"
#include "shell/FormBuilder.h"
#include "shell/ImportCommand.h"
#include "shell/MDIMain.h"
#include "shell/base/Settings.h"
#include "shell/base/Version.h"
#include "shell/frmSplash2.h"

#include <QApplication>
#include <QPointer>

#include <string_view>

namespace {
// Whether the command line asks for help or the version (before any "--").
bool onlyPrints(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            return false;
        for (std::string_view option : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            if (argument == option)
                return true;
    }
    return false;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationVersion(QString::fromLatin1(version::Text));
    // --help and --version print and end before the GUI starts, so they need
    // no display. Any other start reads the command line once QApplication
    // has taken its own options (-style, -session, ...) out of it.
    if (onlyPrints(argc, argv)) {
        QCoreApplication console(argc, argv);
        leagueArgument(QCoreApplication::arguments());
    }
    // A batch import runs without a window, so without a display.
    if (asksForAccessImport(argc, argv)) {
        QCoreApplication console(argc, argv);
        return runAccessImportCommand(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    const QString league = leagueArgument(QCoreApplication::arguments());
    QApplication::setWindowIcon(form::programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("yardmark99"));
    setUpSettingsStore(QCoreApplication::applicationFilePath());
    // The splash must not end the program when it closes before the main window shows.
    app.setQuitOnLastWindowClosed(false);

    QPointer<MDIMain> main;
    auto mainWindow = [&main, &league]() -> QWidget* {
        if (!main) {
            main = new MDIMain;
            main->setAttribute(Qt::WA_DeleteOnClose);
            QObject::connect(main, &QObject::destroyed, qApp, &QCoreApplication::quit);
            if (!league.isEmpty())
                openLeagueWhenLoaded(main, league);
        }
        return main;
    };
    auto* splash = new frmSplash2(mainWindow);
    splash->show();
    const int result = app.exec();
    delete main;
    return result;
}
