// GetKeyValue over an in-memory registry, and System Info started from the
// About window's button.
#include "MemoryRegistry.h"
#include "StandInProgram.h"
#include "TestSupport.h"
#include "shell/SysInfo.h"
#include "shell/base/Prompts.h"
#include "shell/frmAbout.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString ToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString LocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString Unavailable = QStringLiteral("System Information Is Unavailable At This Time");

QByteArray storedText(const QString& text)
{
    return QFile::encodeName(text) + '\0';
}
} // namespace

class tst_SysInfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void getKeyValue_data();
    void getKeyValue();
    void getKeyValue_noRegistry();

    void startSysInfo_data();
    void startSysInfo();
    void startSysInfo_noRegistry();

private:
    void pressSystemInfo();

    QTemporaryDir m_dir;
    MemoryRegistry m_registry;
};

void tst_SysInfo::initTestCase()
{
    TestSupport::initTestEnvironment();
    QVERIFY(m_dir.isValid());
    StandIn::recordRunsIn(m_dir.filePath(QStringLiteral("runs.log")));
}

void tst_SysInfo::init()
{
    m_registry = MemoryRegistry();
    setActiveRegistry(&m_registry);
    StandIn::forgetRuns();
}

void tst_SysInfo::cleanup()
{
    setActiveRegistry(nullptr);
    QCOMPARE(Prompts::finishTest(), QString());
}

void tst_SysInfo::getKeyValue_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("askedKey");
    QTest::addColumn<QString>("askedValue");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    const QString key = ToolKey;
    const QString name = QStringLiteral("PATH");
    const QString path = QStringLiteral("C:\\Program Files\\MSINFO32.EXE");
    QTest::newRow("text with its terminating zero")
        << quint32(1) << storedText(path) << key << name << true << path;
    QTest::newRow("text without terminating zero")
        << quint32(1) << QFile::encodeName(path) << key << name << true << path;
    QTest::newRow("empty text") << quint32(1) << QByteArray() << key << name << true << QString();
    QTest::newRow("number 1") << quint32(4) << QByteArray::fromHex("01000000") << key << name
                              << true << QStringLiteral("1");
    QTest::newRow("number 258, a low byte inside")
        << quint32(4) << QByteArray::fromHex("02010000") << key << name << true
        << QStringLiteral("258");
    QTest::newRow("number 0x12345678") << quint32(4) << QByteArray::fromHex("78563412") << key
                                       << name << true << QStringLiteral("305419896");
    QTest::newRow("number with every bit set") << quint32(4) << QByteArray::fromHex("ffffffff")
                                               << key << name << true
                                               << QStringLiteral("4294967295");
    QTest::newRow("other type leaves the value") << quint32(3) << QByteArray::fromHex("0102") << key
                                                 << name << true << QStringLiteral("as passed");
    QTest::newRow("missing value") << quint32(1) << storedText(path) << key
                                   << QStringLiteral("MISSING") << false << QString();
    QTest::newRow("missing key") << quint32(1) << storedText(path) << LocationKey << name << false
                                 << QString();
}

void tst_SysInfo::getKeyValue()
{
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, askedKey);
    QFETCH(QString, askedValue);
    QFETCH(bool, found);
    QFETCH(QString, value);
    m_registry.setValue(Registry::LocalMachine, ToolKey, QStringLiteral("PATH"), type, data);

    QString read = QStringLiteral("as passed");
    QCOMPARE(GetKeyValue(Registry::LocalMachine, askedKey, askedValue, read), found);
    QCOMPARE(read, value);
    QCOMPARE(m_registry.openKeys(), 0);
}

void tst_SysInfo::getKeyValue_noRegistry()
{
    setActiveRegistry(nullptr);
    QString read = QStringLiteral("as passed");
    QVERIFY(!GetKeyValue(Registry::LocalMachine, ToolKey, QStringLiteral("PATH"), read));
    QCOMPARE(read, QString());
}

void tst_SysInfo::pressSystemInfo()
{
    QPointer<frmAbout> about = frmAbout::showSingle();
    auto* button = about->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"));
    QVERIFY(button);
    button->click();
    about->close();
}

void tst_SysInfo::startSysInfo_data()
{
    QTest::addColumn<QString>("toolPath");     // first place: the program's path
    QTest::addColumn<QString>("toolFolder");   // second place: its folder
    QTest::addColumn<bool>("programInFolder"); // MSINFO32.EXE present in the folder
    QTest::addColumn<QString>("started");      // empty: unavailable

    const QString folder = m_dir.filePath(QStringLiteral("msinfo"));
    const QString program = folder + QStringLiteral("/MSINFO32.EXE");
    const QString elsewhere = m_dir.filePath(QStringLiteral("tools/msinfo32.exe"));
    QTest::newRow("no entries") << QString() << QString() << false << QString();
    QTest::newRow("second place, program there") << QString() << folder << true << program;
    QTest::newRow("second place with a trailing separator")
        << QString() << folder + QLatin1Char('/') << true << program;
    QTest::newRow("second place, no program") << QString() << folder << false << QString();
    QTest::newRow("first place names the program") << elsewhere << folder << true << elsewhere;
    QTest::newRow("first place names a missing file")
        << m_dir.filePath(QStringLiteral("gone.exe")) << folder << true << QString();
}

void tst_SysInfo::startSysInfo()
{
    QFETCH(QString, toolPath);
    QFETCH(QString, toolFolder);
    QFETCH(bool, programInFolder);
    QFETCH(QString, started);
    const QString folder = m_dir.filePath(QStringLiteral("msinfo"));
    QFile::remove(folder + QStringLiteral("/MSINFO32.EXE"));
    if (programInFolder)
        QVERIFY(!StandIn::install(folder, QStringLiteral("MSINFO32.EXE")).isEmpty());
    QVERIFY(!StandIn::install(m_dir.filePath(QStringLiteral("tools")),
                              QStringLiteral("msinfo32.exe")).isEmpty());
    if (!toolPath.isEmpty())
        m_registry.setValue(Registry::LocalMachine, ToolKey, QStringLiteral("PATH"),
                            Registry::TextType, storedText(toolPath));
    if (!toolFolder.isEmpty())
        m_registry.setValue(Registry::LocalMachine, LocationKey, QStringLiteral("MSINFO"),
                            Registry::TextType, storedText(toolFolder));

    pressSystemInfo();

    if (started.isEmpty()) {
        QCOMPARE(Prompts::shown().size(), 1);
        const Prompts::Shown& message = Prompts::shown().first();
        QCOMPARE(message.text, Unavailable);
        QCOMPARE(message.buttons, QMessageBox::Ok);
        QCOMPARE(StandIn::runs(), QStringList());
    } else {
        QCOMPARE(Prompts::shown().size(), 0);
        QTRY_COMPARE(StandIn::runs(), QStringList{StandIn::runWithoutArguments(started)});
    }
}

void tst_SysInfo::startSysInfo_noRegistry()
{
    setActiveRegistry(nullptr);
    pressSystemInfo();
    QCOMPARE(Prompts::shown().size(), 1);
    QCOMPARE(Prompts::shown().first().text, Unavailable);
}

QTEST_MAIN(tst_SysInfo)
#include "tst_sysinfo.moc"
