// The settings store: values survive, Booleans read the way stored files
// expect, and a renamed executable starts afresh.
#include "TestSupport.h"
#include "shell/base/Settings.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTest>

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initTestEnvironment(); }
    void init() { TestSupport::clearSettings(); }

    void savedValueIsOnDiskAtOnce()
    {
        SaveSetting(QStringLiteral("Settings"), QStringLiteral("mdb"), QStringLiteral("/leagues/a.mdb"));
        // A second store object reads the file, not a cache.
        QSettings fresh;
        QCOMPARE(fresh.value(QStringLiteral("Settings/mdb")).toString(),
                 QStringLiteral("/leagues/a.mdb"));
        QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("Convert")), QString());
        QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("Convert"), QStringLiteral("d")),
                 QStringLiteral("d"));
    }

    void booleans_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("defaultValue");
        QTest::addColumn<bool>("expected");
        QTest::newRow("True") << "True" << false << true;
        QTest::newRow("False") << "False" << true << false;
        QTest::newRow("lower case") << "false" << true << false;
        QTest::newRow("non-zero number") << "-1" << false << true;
        QTest::newRow("zero") << "0" << true << false;
        QTest::newRow("garbage") << "maybe" << true << true;
        QTest::newRow("empty") << "" << true << true;
    }

    void booleans()
    {
        QFETCH(QString, stored);
        QFETCH(bool, defaultValue);
        QFETCH(bool, expected);
        SaveSetting(QStringLiteral("PlayerTable"), QStringLiteral("Item1"), stored);
        QCOMPARE(GetBoolSetting(QStringLiteral("PlayerTable"), QStringLiteral("Item1"), defaultValue),
                 expected);
    }

    void renamedExecutableHasItsOwnSettings()
    {
        SaveSetting(QStringLiteral("Settings"), QStringLiteral("mdb"), QStringLiteral("/a.mdb"));
        setUpSettingsStore(QStringLiteral("/opt/games/MyCopy"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("MyCopy"));
        QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("mdb")), QString());
        setUpSettingsStore(QStringLiteral("/opt/games/Yardmark99"));
        QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("mdb")), QStringLiteral("/a.mdb"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
