#include "shell/frmAbout.h"

#include <QPointer>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About Yardmark99"));
}

frmAbout* frmAbout::showSingle()
{
    static QPointer<frmAbout> single;
    if (!single)
        single = new frmAbout;
    single->show();
    single->raise();
    single->activateWindow();
    return single;
}
