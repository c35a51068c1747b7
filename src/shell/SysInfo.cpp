#include "shell/SysInfo.h"

#include "shell/Registry.h"
#include "shell/StartProgram.h"
#include "shell/base/Prompts.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Bytes of a 32-bit registry number, least significant first. Every byte
// counts with two hex digits, so 0x0102 reads as 258, never as 0x12.
QString numberText(const QByteArray& data)
{
    quint32 number = 0;
    for (qsizetype i = qMin<qsizetype>(data.size(), 4) - 1; i >= 0; --i)
        number = (number << 8) | static_cast<quint8>(data.at(i));
    return QString::number(number);
}

QString valueText(quint32 type, QByteArray data, const QString& unchanged)
{
    switch (type) {
    case Registry::TextType:
        if (data.endsWith('\0'))
            data.chop(1);
        return QString::fromLocal8Bit(data);
    case Registry::NumberType:
        return numberText(data);
    default:
        return unchanged;
    }
}

// The system-information program: named outright in the first place, or
// MSINFO32.EXE in the folder the second place names. Empty when neither.
QString systemInfoProgram()
{
    QString path;
    if (GetKeyValue(Registry::LocalMachine,
                    QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), path))
        return path;
    QString folder;
    if (GetKeyValue(Registry::LocalMachine,
                    QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                    QStringLiteral("MSINFO"), folder)) {
        const QString file = QDir(folder).filePath(QStringLiteral("MSINFO32.EXE"));
        if (QFileInfo(file).isFile())
            return file;
    }
    return {};
}

} // namespace

bool GetKeyValue(quint32 root, const QString& keyName, const QString& valueName, QString& value)
{
    Registry* registry = activeRegistry();
    Registry::Key key = 0;
    // Read access only: all access to the machine's keys is refused to
    // ordinary users, which would make System Info look unavailable to them.
    if (!registry || !registry->openKey(root, keyName, Registry::ReadAccess, key)) {
        value.clear();
        return false;
    }
    quint32 type = 0;
    QByteArray data;
    const bool found = registry->queryValue(key, valueName, type, data);
    value = found ? valueText(type, data, value) : QString();
    registry->closeKey(key);
    return found;
}

void StartSysInfo(QWidget* parent)
{
    // Every failure, a failed start included, ends in the one message.
    if (startProgram(systemInfoProgram()))
        Prompts::message(parent, QStringLiteral("System Information Is Unavailable At This Time"),
                         QMessageBox::NoIcon, QMessageBox::Ok);
}
