#include "TestSupport.h"

#include "db/Database.h"
#include "shell/base/Prompts.h"

#include <QCoreApplication>
#include <QSettings>

namespace TestSupport {

namespace {
QTemporaryDir& home()
{
    static QTemporaryDir dir;
    return dir;
}
} // namespace

void initTestEnvironment()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Yardmark99"));
    QCoreApplication::setApplicationName(QStringLiteral("Yardmark99"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home().path());
    Prompts::enableTestMode();
    db::Database::setBusyTimeout(300);
}

QString homePath()
{
    return home().path();
}

void clearSettings()
{
    QSettings store;
    store.clear();
    store.sync();
}

} // namespace TestSupport
