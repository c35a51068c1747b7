// Every window a user reaches from the menu: each control carries its name
// and speaks an accessible name to a screen reader.
#include "TestSupport.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MDIMain.h"
#include "shell/base/Prompts.h"
#include "shell/frmAbout.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QProgressBar>
#include <QTest>

class TestAccessibility : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static bool isControl(const QWidget* w)
    {
        // Buttons inside item views and Qt's own sub-controls are not ours.
        if (w->objectName().startsWith(QStringLiteral("qt_")))
            return false;
        return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
               qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
               qobject_cast<const QProgressBar*>(w);
    }

    int m_checked = 0;

    QStringList unnamedControls(const QWidget* window)
    {
        QStringList problems;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!isControl(w) || qobject_cast<QLineEdit*>(w->parentWidget()) ||
                qobject_cast<QComboBox*>(w->parentWidget()) ||
                qobject_cast<QAbstractItemView*>(w->parentWidget()) || !w->isVisibleTo(window))
                continue;
            ++m_checked;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            const QString spoken = a ? a->text(QAccessible::Name) : QString();
            if (w->objectName().isEmpty() || spoken.trimmed().isEmpty())
                problems << QStringLiteral("%1 \"%2\" in %3")
                                .arg(QString::fromLatin1(w->metaObject()->className()),
                                     w->objectName(), window->objectName());
        }
        return problems;
    }

private slots:
    void initTestCase()
    {
        TestSupport::initTestEnvironment();
        leaguegen::LeagueOptions options;
        options.players = 120;
        QVERIFY(
            !leaguegen::writeLeague(m_dir.filePath(QStringLiteral("AccessConvert.mdb")), options));
    }

    void everyControlIsNamedAndSpeaks()
    {
        MDIMain main;
        main.show(); // loading restores the league path from the (empty) settings
        main.setLeaguePath(m_dir.filePath(QStringLiteral("AccessConvert.mdb")));
        main.action(QStringLiteral("mnuAll"))->trigger();
        main.action(QStringLiteral("mnuGlobalEdit"))->trigger();
        QTest::mouseClick(main.findChild<QAbstractButton*>(QStringLiteral("cmdPreview")),
                          Qt::LeftButton);
        QCOMPARE(main.mdiArea()->subWindowList().size(), 9);
        QStringList problems = unnamedControls(&main);

        main.action(QStringLiteral("mnuAbout"))->trigger();
        problems << unnamedControls(frmAbout::showSingle());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("\n"))));
        QVERIFY(m_checked > 48 + 15 + 7 * 4); // the rating boxes, positions, grid strips
        QVERIFY(Prompts::finishTest().isEmpty());
        frmAbout::showSingle()->close();
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
