#include "shell/CommandLine.h"
#include "shell/FormBuilder.h"
#include "shell/MDIMain.h"
#include "shell/base/Settings.h"
#include "shell/base/Version.h"
#include "shell/frmSplash2.h"

#include <QApplication>
#include <QPointer>

namespace {
// Read before the GUI starts, so --help and --version work without a display.
QString readCommandLine(int& argc, char* argv[])
{
    QCoreApplication console(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(version::Text));
    return leagueArgument(QCoreApplication::arguments());
}
} // namespace

int main(int argc, char* argv[])
{
    const QString league = readCommandLine(argc, argv);
    QApplication app(argc, argv);
    QApplication::setWindowIcon(form::programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("yardmark99"));
    setUpSettingsStore(QCoreApplication::applicationFilePath());
    // The splash must not end the program when it closes before the main window shows.
    app.setQuitOnLastWindowClosed(false);

    QPointer<MDIMain> main;
    auto mainWindow = [&main]() -> QWidget* {
        if (!main) {
            main = new MDIMain;
            main->setAttribute(Qt::WA_DeleteOnClose);
            QObject::connect(main, &QObject::destroyed, qApp, &QCoreApplication::quit);
        }
        return main;
    };
    auto* splash = new frmSplash2(mainWindow);
    splash->show();
    const int result = app.exec();
    delete main;
    return result;
}
