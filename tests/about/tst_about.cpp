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

    void splash_labels_data();
    void splash_labels();
    void splash_picturesAndLines();
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

    auto label = [about](const char* name) {
        return about->findChild<QLabel*>(QString::fromLatin1(name));
    };
    QCOMPARE(label("lblTitle")->text(), QStringLiteral("Yardmark '99"));
    QCOMPARE(label("lblTitle")->font().family(), QStringLiteral("Arial Black"));
    QCOMPARE(label("lblDescription")->text(), QStringLiteral("For use with Kickvale 99"));
    QCOMPARE(label("lblVersion")->text(), QStringLiteral("Version 1.0.1"));
    QCOMPARE(label("Label4")->font().family(), QStringLiteral("Arial"));
    QVERIFY(!label("Label4")->text().isEmpty());
    QVERIFY(!label("lblDisclaimer")->text().isEmpty());
    QVERIFY(!label("lblDisclaimer")->text().contains(QLatin1Char('\n')));
    QVERIFY(!label("Image1")->pixmap().isNull());
    QVERIFY(about->findChild<QFrame*>(QStringLiteral("Line1_0")));
    QVERIFY(about->findChild<QFrame*>(QStringLiteral("Line1_1")));

    auto* ok = about->findChild<QPushButton*>(QStringLiteral("cmdOK"));
    auto* sysInfo = about->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QVERIFY(ok->isDefault());
    QCOMPARE(sysInfo->text(), QStringLiteral("&System Info..."));
    QCOMPARE(sysInfo->accessibleName(), QStringLiteral("System Info..."));
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

void tst_About::splash_labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text"); // empty: any text of our own
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("white");

    QTest::newRow("Label1") << "Label1" << "Yardmark '99" << "Arial Black" << true;
    QTest::newRow("Label3") << "Label3" << "1.0" << "Arial Black" << true;
    QTest::newRow("Label2") << "Label2" << QString() << "Arial Black" << false;
    QTest::newRow("Label4") << "Label4" << QString() << "Arial" << true;
}

void tst_About::splash_labels()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(bool, white);
    frmSplash2 splash([] { return nullptr; });

    auto* label = splash.findChild<QLabel*>(name);
    QVERIFY(label);
    if (text.isEmpty())
        QVERIFY(!label->text().isEmpty());
    else
        QCOMPARE(label->text(), text);
    QCOMPARE(label->font().family(), family);
    if (white)
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
    // Whatever its colour, it must stand out on the black background.
    QVERIFY(label->palette().color(QPalette::WindowText).lightness() > 100);
}

void tst_About::splash_picturesAndLines()
{
    frmSplash2 splash([] { return nullptr; });
    QCOMPARE(splash.palette().color(QPalette::Window), QColor(Qt::black));
    QVERIFY(splash.autoFillBackground());
    QCOMPARE(splash.size(), QSize(twips(&splash, 5070), twips(&splash, 1920)));

    QVERIFY(!splash.findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().isNull());
    QCOMPARE(splash.findChild<QLabel*>(QStringLiteral("Image2"))->pixmap().size(), QSize(60, 60));
    for (const char* line : {"Line1", "Line2", "Line3", "Line4"}) {
        auto* frame = splash.findChild<QFrame*>(QString::fromLatin1(line));
        QVERIFY2(frame, line);
        QVERIFY(splash.rect().contains(frame->geometry()));
    }
    verifyNamed(&splash);
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
