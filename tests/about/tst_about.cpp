// The About window, the splash window's controls, and System Info: GetKeyValue
// over an in-memory registry and the program the About window's button starts.
#include "MemoryRegistry.h"
#include "StandInProgram.h"
#include "TestSupport.h"
#include "shell/MDIMain.h"
#include "shell/SysInfo.h"
#include "shell/base/Prompts.h"
#include "shell/frmAbout.h"
#include "shell/frmSplash2.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString ToolKey = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_s;
const QString LocationKey = u"SOFTWARE\\Microsoft\\Shared Tools Location"_s;
const QString Unavailable = u"System Information Is Unavailable At This Time"_s;

QByteArray storedText(const QString& text)
{
    return QFile::encodeName(text) + '\0';
}

QList<frmAbout*> aboutWindows()
{
    QList<frmAbout*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* about = qobject_cast<frmAbout*>(w))
            found << about;
    return found;
}

void pressSystemInfo()
{
    QPointer<frmAbout> about = frmAbout::showSingle();
    about->findChild<QPushButton*>(u"cmdSysInfo"_s)->click();
    about->close();
}

} // namespace

class tst_About : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windows();
    void aboutUnloads_data();
    void aboutUnloads();

    void getKeyValue_data();
    void getKeyValue();
    void startSysInfo_data();
    void startSysInfo();
    void noRegistry();

private:
    QTemporaryDir m_dir;
    MemoryRegistry m_registry;
};

void tst_About::initTestCase()
{
    TestSupport::initTestEnvironment();
    frmSplash2::setIntervals(600000, 600000); // the splash stays while it is looked at
    QVERIFY(m_dir.isValid());
    StandIn::recordRunsIn(m_dir.filePath(u"runs.log"_s));
    QVERIFY(!StandIn::install(m_dir.filePath(u"tools"_s), u"msinfo32.exe"_s).isEmpty());
    QVERIFY(!StandIn::install(m_dir.filePath(u"msinfo"_s), u"MSINFO32.EXE"_s).isEmpty());
}

void tst_About::init()
{
    m_registry = MemoryRegistry();
    setActiveRegistry(&m_registry);
    StandIn::forgetRuns();
}

void tst_About::cleanup()
{
    setActiveRegistry(nullptr);
    qDeleteAll(aboutWindows());
    QCOMPARE(Prompts::finishTest(), QString());
}

// One modeless About window however often it is asked for; every control of
// the splash carries its name and something a screen reader speaks.
void tst_About::windows()
{
    MDIMain main;
    main.action(u"mnuAbout"_s)->trigger();
    main.action(u"mnuAbout"_s)->trigger();
    const QList<frmAbout*> windows = aboutWindows();
    QCOMPARE(windows.size(), 1);
    QVERIFY(windows.first()->isVisible() && !windows.first()->isModal());

    frmSplash2 splash([] { return nullptr; });
    for (const QWidget* control : splash.findChildren<QWidget*>()) {
        QVERIFY2(!control->objectName().isEmpty(), control->metaObject()->className());
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
    }
}

// OK is the default and the cancel button: each way unloads the window.
void tst_About::aboutUnloads_data()
{
    QTest::addColumn<int>("key"); // 0: click OK
    QTest::newRow("OK") << 0;
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void tst_About::aboutUnloads()
{
    QFETCH(int, key);
    QPointer<frmAbout> about = frmAbout::showSingle();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    if (key == 0)
        about->findChild<QPushButton*>(u"cmdOK"_s)->click();
    else
        QTest::keyClick(about, Qt::Key(key));
    QTRY_VERIFY(!about);
    QVERIFY(frmAbout::showSingle() != nullptr); // a fresh one loads
}

void tst_About::getKeyValue_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("askedKey");
    QTest::addColumn<QString>("askedValue");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    const QString path = u"C:\\Program Files\\MSINFO32.EXE"_s;
    const quint32 text = Registry::TextType, number = Registry::NumberType;
    const auto row = [](const char* name, quint32 type, const QByteArray& data,
                        const QString& value) {
        QTest::newRow(name) << type << data << ToolKey << u"PATH"_s << true << value;
    };
    row("text with its terminating zero", text, storedText(path), path);
    row("text without terminating zero", text, QFile::encodeName(path), path);
    row("empty text", text, QByteArray(), QString());
    row("number 0x12345678", number, QByteArray::fromHex("78563412"), u"305419896"_s);
    row("number 258, a low byte inside", number, QByteArray::fromHex("02010000"), u"258"_s);
    row("number with every bit set", number, QByteArray::fromHex("ffffffff"), u"4294967295"_s);
    row("other type leaves the value", 3, QByteArray::fromHex("0102"), u"as passed"_s);
    QTest::newRow("missing value")
        << text << storedText(path) << ToolKey << u"MISSING"_s << false << QString();
    QTest::newRow("missing key") << text << storedText(path) << LocationKey << u"PATH"_s << false
                                 << QString();
}

void tst_About::getKeyValue()
{
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, askedKey);
    QFETCH(QString, askedValue);
    QFETCH(bool, found);
    QFETCH(QString, value);
    m_registry.setValue(Registry::LocalMachine, ToolKey, u"PATH"_s, type, data);

    QString read = u"as passed"_s;
    QCOMPARE(GetKeyValue(Registry::LocalMachine, askedKey, askedValue, read), found);
    QCOMPARE(read, value);
    QCOMPARE(m_registry.openKeys(), 0);
}

// The program is named in the first place, or MSINFO32.EXE sits in the folder
// the second place names; otherwise System Info says it is unavailable.
void tst_About::startSysInfo_data()
{
    QTest::addColumn<QString>("toolPath");
    QTest::addColumn<QString>("toolFolder");
    QTest::addColumn<QString>("started"); // empty: unavailable

    const QString folder = m_dir.filePath(u"msinfo"_s), program = folder + u"/MSINFO32.EXE"_s;
    const QString elsewhere = m_dir.filePath(u"tools/msinfo32.exe"_s);
    QTest::newRow("second place, program there") << QString() << folder << program;
    QTest::newRow("second place with a trailing separator")
        << QString() << folder + u'/' << program;
    QTest::newRow("second place, no program")
        << QString() << m_dir.filePath(u"empty"_s) << QString();
    QTest::newRow("first place names the program") << elsewhere << folder << elsewhere;
    QTest::newRow("first place names a missing file")
        << m_dir.filePath(u"gone.exe"_s) << folder << QString();
}

void tst_About::startSysInfo()
{
    QFETCH(QString, toolPath);
    QFETCH(QString, toolFolder);
    QFETCH(QString, started);
    if (!toolPath.isEmpty())
        m_registry.setValue(Registry::LocalMachine, ToolKey, u"PATH"_s, Registry::TextType,
                            storedText(toolPath));
    m_registry.setValue(Registry::LocalMachine, LocationKey, u"MSINFO"_s, Registry::TextType,
                        storedText(toolFolder));

    pressSystemInfo();

    QCOMPARE(TestSupport::messages(), started.isEmpty() ? QStringList{Unavailable} : QStringList());
    QTRY_COMPARE(StandIn::runs(), StandIn::ranAlone(started));
}

// This platform has no registry: nothing is found and System Info says so.
void tst_About::noRegistry()
{
    setActiveRegistry(nullptr);
    QString read = u"as passed"_s;
    QVERIFY(!GetKeyValue(Registry::LocalMachine, ToolKey, u"PATH"_s, read));
    QCOMPARE(read, QString());
    pressSystemInfo();
    QCOMPARE(TestSupport::messages(), QStringList{Unavailable});
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
