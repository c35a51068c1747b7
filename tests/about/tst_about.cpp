// The About window and the splash window's contents.
#include "TestSupport.h"
#include "shell/MDIMain.h"
#include "shell/base/Prompts.h"
#include "shell/frmAbout.h"
#include "shell/frmSplash2.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

int twips(const QWidget* form, int value)
{
    return qRound(value * form->logicalDpiY() / 1440.0);
}

// Every control carries its name and something a screen reader can speak.
void verifyNamed(const QWidget* form)
{
    for (const QWidget* control : form->findChildren<QWidget*>()) {
        QVERIFY2(!control->objectName().isEmpty(), control->metaObject()->className());
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
    }
}

QList<frmAbout*> aboutWindows()
{
    QList<frmAbout*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* about = qobject_cast<frmAbout*>(w))
            found << about;
    return found;
}

} // namespace

class tst_About : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void about_contents();
    void about_singleAndNotModal();
    void about_unloads_data();
    void about_unloads();

    void splash_contents();
};

void tst_About::initTestCase()
{
    TestSupport::initTestEnvironment();
    frmSplash2::setIntervals(600000, 600000); // the splash stays while it is looked at
}

void tst_About::cleanup()
{
    for (frmAbout* about : aboutWindows())
        delete about;
    QCOMPARE(Prompts::finishTest(), QString());
}

void tst_About::about_contents()
{
    frmAbout* about = frmAbout::showSingle();
    QCOMPARE(about->windowTitle(), QStringLiteral("About Yardmark99"));
    QCOMPARE(about->size(), QSize(twips(about, 5730), twips(about, 3555)));
    auto* title = about->findChild<QLabel*>(QStringLiteral("lblTitle"));
    QCOMPARE(title->font().family(), QStringLiteral("Arial Black"));
    QCOMPARE(about->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
             QStringLiteral("Version 1.0.1"));
    QVERIFY(about->findChild<QPushButton*>(QStringLiteral("cmdOK"))->isDefault());
    QCOMPARE(about->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->accessibleName(),
             QStringLiteral("System Info..."));
    verifyNamed(about);
}

void tst_About::about_singleAndNotModal()
{
    MDIMain main;
    main.action(QStringLiteral("mnuAbout"))->trigger();
    main.action(QStringLiteral("mnuAbout"))->trigger();

    const QList<frmAbout*> windows = aboutWindows();
    QCOMPARE(windows.size(), 1);
    QVERIFY(windows.first()->isVisible());
    QVERIFY(!windows.first()->isModal());
    QCOMPARE(frmAbout::showSingle(), windows.first());
}

void tst_About::about_unloads_data()
{
    QTest::addColumn<int>("key"); // 0: click OK
    QTest::newRow("OK") << 0;
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

void tst_About::about_unloads()
{
    QFETCH(int, key);
    QPointer<frmAbout> about = frmAbout::showSingle();
    QVERIFY(QTest::qWaitForWindowExposed(about));

    if (key == 0)
        about->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    else
        QTest::keyClick(about, Qt::Key(key));

    QTRY_VERIFY(!about);
    QVERIFY(frmAbout::showSingle() != nullptr); // a fresh one loads
}

void tst_About::splash_contents()
{
    frmSplash2 splash([] { return nullptr; });
    QCOMPARE(splash.palette().color(QPalette::Window), QColor(Qt::black));
    QVERIFY(splash.autoFillBackground());
    auto* name = splash.findChild<QLabel*>(QStringLiteral("Label1"));
    QCOMPARE(name->text(), QStringLiteral("Yardmark '99"));
    QCOMPARE(name->font().family(), QStringLiteral("Arial Black"));
    QCOMPARE(name->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(splash.findChild<QLabel*>(QStringLiteral("Image2"))->pixmap().size(), QSize(60, 60));
    for (const char* line : {"Line1", "Line2", "Line3", "Line4"}) {
        const auto* frame = splash.findChild<QFrame*>(QString::fromLatin1(line));
        QVERIFY2(frame && splash.rect().contains(frame->geometry()), line);
    }
    verifyNamed(&splash);
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
