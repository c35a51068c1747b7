#include "app/CommandLine.h"
#include "app/ImportCommand.h"
#include "app/WriteBackCommand.h"
#include "shell/MainWindow.h"
#include "shell/SplashWindow.h"
#include "ui/FormBuilder.h"
#include "ui/Settings.h"
#include "ui/Version.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationVersion(QString::fromLatin1(version::Text));
    // A batch import runs without a window, so without a display.
    if (asksForAccessImport(argc, argv)) {
        QCoreApplication console(argc, argv);
        return runAccessImportCommand(QCoreApplication::arguments());
    }
    if (asksForWriteBack(argc, argv)) {
        QCoreApplication console(argc, argv);
        return runWriteBackCommand(QCoreApplication::arguments());
    }
    // Before QApplication, which needs a display: help, the version and
    // usage errors need none.
    QString league;
    if (const int exitCode = readCommandLine(argc, argv, &league); exitCode >= 0)
        return exitCode;
    QApplication app(argc, argv);
    QApplication::setWindowIcon(form::programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("yardmark99"));
    setUpSettingsStore(QCoreApplication::applicationFilePath());
    // The splash must not end the program when it closes before the main window shows.
    app.setQuitOnLastWindowClosed(false);

    QPointer<MainWindow> main;
    auto mainWindow = [&main, &league]() -> QWidget* {
        if (!main) {
            main = new MainWindow;
            main->setAttribute(Qt::WA_DeleteOnClose);
            QObject::connect(main, &QObject::destroyed, qApp, &QCoreApplication::quit);
            if (!league.isEmpty())
                openLeagueWhenLoaded(main, league);
        }
        return main;
    };
    auto* splash = new SplashWindow(mainWindow);
    splash->show();
    const int result = app.exec();
    delete main;
    return result;
}
