#include "ui/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

namespace {
QString keyPath(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}
} // namespace

QString readSetting(const QString& section, const QString& key, const QString& defaultValue)
{
    QSettings store;
    return store.value(keyPath(section, key), defaultValue).toString();
}

void writeSetting(const QString& section, const QString& key, const QString& value)
{
    QSettings store;
    store.setValue(keyPath(section, key), value);
    store.sync();
}

bool readBoolSetting(const QString& section, const QString& key, bool defaultValue)
{
    const QString text = readSetting(section, key).trimmed();
    if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    return isNumber ? number != 0.0 : defaultValue;
}

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

void setUpSettingsStore(const QString& executablePath)
{
    const QString name = QFileInfo(executablePath).completeBaseName();
    QCoreApplication::setOrganizationName(name);
    QCoreApplication::setApplicationName(name);
    QSettings::setDefaultFormat(QSettings::IniFormat);
}
