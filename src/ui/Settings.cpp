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

namespace settings {
using enum SettingType;
const Setting League{QStringLiteral("Settings"), QStringLiteral("mdb"), Text, {}};
const Setting Converter{QStringLiteral("Settings"), QStringLiteral("Convert"), Text, {}};
const Setting ShowCodes{QStringLiteral("Settings"), QStringLiteral("ShowCodes"), Bool,
                        QStringLiteral("False")};
const Setting MainGeometry{QStringLiteral("MainWindow"), QStringLiteral("Geometry"), Place, {}};
const Setting MainMaximized{QStringLiteral("MainWindow"), QStringLiteral("Maximized"), Bool,
                            QStringLiteral("False")};
const Setting RecentLeague{QStringLiteral("RecentLeagues"), {}, Text, {}};
const Setting TablePlace{QStringLiteral("WindowGeometry"), {}, Place, {}};
const Setting ColumnWidths{QStringLiteral("ColumnWidths"), {}, Widths, {}};
const Setting PlayerColumn{QStringLiteral("PlayerTable"), {}, Bool, QStringLiteral("True")};
const Setting BackupsKeep{QStringLiteral("Backups"), QStringLiteral("Keep"), Count,
                          QStringLiteral("10")};

const QList<const Setting*>& all()
{
    static const QList<const Setting*> list{
        &League,       &Converter,  &ShowCodes,    &MainGeometry, &MainMaximized,
        &RecentLeague, &TablePlace, &ColumnWidths, &PlayerColumn, &BackupsKeep};
    return list;
}
} // namespace settings

QString readSetting(const Setting& setting, const QString& key)
{
    const QVariant stored =
        QSettings().value(keyPath(setting.section, key.isEmpty() ? setting.key : key));
    if (!stored.isValid())
        return setting.defaultValue;
    if (setting.type == SettingType::Count && stored.typeId() == QMetaType::QStringList)
        return stored.toStringList().join(QLatin1Char(','));
    return stored.toString();
}

bool readBoolSetting(const Setting& setting, const QString& key)
{
    return readBoolSetting(setting.section, key.isEmpty() ? setting.key : key,
                           setting.defaultValue == QStringLiteral("True"));
}

void writeSetting(const Setting& setting, const QString& value, const QString& key)
{
    writeSetting(setting.section, key.isEmpty() ? setting.key : key, value);
}

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
