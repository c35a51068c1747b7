#include "TestSupport.h"

#include "core/db/Database.h"
#include "ui/Prompts.h"

#include <QElapsedTimer>
#include <QtCore>

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

QList<db::FieldDef> fieldDefs(db::Database& database, const QString& table)
{
    QList<db::FieldDef> fields;
    database.query(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"), {table},
                   [&](const db::Statement& q) {
                       fields.append({q.text(0), db::affinityOf(q.text(1))});
                   });
    return fields;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString jetSample(const QString& name)
{
    return QStringLiteral(JET_SAMPLES "/") + name;
}

QString missingSample(const QString& path)
{
    return QFileInfo(path).isFile() ? QString()
                                    : path + QStringLiteral(" is missing (tests/data/jet/README.md "
                                                            "says where it comes from)");
}

QStringList messages(qsizetype from)
{
    QStringList texts;
    for (const Prompts::Shown& shown : Prompts::shown().mid(from))
        if (shown.kind == QLatin1String("message"))
            texts << shown.text;
    return texts;
}

double bestMs(int runs, const std::function<void()>& work)
{
    work();
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace TestSupport
