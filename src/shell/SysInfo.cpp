#include "shell/SysInfo.h"

#include "shell/StartProgram.h"
#include "ui/Prompts.h"

#include <QStandardPaths>

const QStringList& systemInfoPrograms()
{
    // KDE's, the hardware browsers of the lighter desktops, Xfce's.
    static const QStringList programs = {QStringLiteral("kinfocenter"), QStringLiteral("hardinfo2"),
                                         QStringLiteral("hardinfo"), QStringLiteral("xfce4-about")};
    return programs;
}

QString findSystemInfoProgram()
{
    for (const QString& name : systemInfoPrograms()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

void startSystemInfo(QWidget* parent)
{
    // Every failure, a failed start included, ends in the one message.
    if (startProgram(findSystemInfoProgram()))
        Prompts::message(parent, QStringLiteral("System Information Is Unavailable At This Time"),
                         QMessageBox::NoIcon, QMessageBox::Ok);
}
