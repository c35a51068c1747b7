// The About window, the splash window's controls, and System Info: the
// desktop program the About window's button finds on PATH and starts.
#include "StandInProgram.h"
#include "TestSupport.h"
#include "shell/AboutDialog.h"
#include "shell/MainWindow.h"
#include "shell/SplashWindow.h"
#include "shell/SysInfo.h"
#include "ui/Prompts.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;
using TestSupport::columns;
using TestSupport::fetch;

class tst_About : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QByteArray m_path;

private slots:
    void initTestCase()
    {
        TestSupport::initTestEnvironment();
        SplashWindow::setIntervals(600000, 600000); // the splash stays while it is looked at
        StandIn::recordRunsIn(m_dir.filePath(u"runs.log"_s));
        m_path = qgetenv("PATH");
    }

    void init() { StandIn::forgetRuns(); }

    void cleanup()
    {
        qputenv("PATH", m_path);
        QCOMPARE(Prompts::finishTest(), QString());
    }

    // Every control of the splash carries its name and something a screen reader speaks.
    void splashControlsAreNamed()
    {
        SplashWindow splash([] { return nullptr; });
        for (const QWidget* control : splash.findChildren<QWidget*>()) {
            QVERIFY2(!control->objectName().isEmpty(), control->metaObject()->className());
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        }
    }

    // One modeless About window however often it is asked for. OK is the
    // default and the cancel button: each way unloads it.
    void aboutUnloads()
    {
        MainWindow main;
        for (const int key : {0, int(Qt::Key_Return), int(Qt::Key_Escape)}) { // 0: click OK
            main.action(u"mnuAbout"_s)->trigger();
            main.action(u"mnuAbout"_s)->trigger();
            const QWidgetList tops = QApplication::topLevelWidgets();
            QCOMPARE(std::count_if(tops.begin(), tops.end(),
                                   [](const QWidget* w) { return w->inherits("AboutDialog"); }),
                     1);
            QPointer<AboutDialog> about = main.showAbout();
            QVERIFY(QTest::qWaitForWindowExposed(about) && !about->isModal());
            if (key == 0)
                about->findChild<QPushButton*>(u"cmdOK"_s)->click();
            else
                QTest::keyClick(about, Qt::Key(key));
            QTRY_VERIFY2(!about, qPrintable(QString::number(key))); // the next one loads afresh
        }
    }

    void startSystemInfo_data()
    {
        // installed: names put on PATH, in PATH order
        // started: empty: unavailable
        columns<QStringList, bool, QString>("installed", "executable", "started");
        const QStringList& known = systemInfoPrograms();
        QTest::newRow("none on PATH") << QStringList() << true << QString();
        QTest::newRow("an unknown program only") << QStringList{u"msinfo32"_s} << true << QString();
        QTest::newRow("the last known one") << QStringList{known.last()} << true << known.last();
        QTest::newRow("the first known one wins")
            << QStringList{known.last(), known.first()} << true << known.first();
        QTest::newRow("not executable") << QStringList{known.first()} << false << QString();
    }

    void startSystemInfo()
    {
        auto [installed, executable, started] =
            fetch<QStringList, bool, QString>("installed", "executable", "started");
        const QString bin = m_dir.filePath(u"bin-"_s + QLatin1String(QTest::currentDataTag()));
        QDir().mkpath(bin);
        for (const QString& name : installed)
            QVERIFY(!StandIn::install(bin, name, executable).isEmpty());
        qputenv("PATH", QFile::encodeName(bin));
        MainWindow().showAbout()->findChild<QPushButton*>(u"cmdSysInfo"_s)->click();
        const QString said = u"System Information Is Unavailable At This Time"_s;
        QCOMPARE(TestSupport::messages(), started.isEmpty() ? QStringList{said} : QStringList());
        QTRY_COMPARE(StandIn::runs(),
                     StandIn::ranAlone(started.isEmpty() ? started : bin + u'/' + started));
    }
};

QTEST_MAIN(tst_About)
#include "tst_about.moc"
