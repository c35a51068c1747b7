#include "shell/MDIMain.h"
#include "shell/base/Settings.h"
#include "shell/frmSplash2.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
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
