// Every window a user reaches from the menu: each control carries its name
// and speaks an accessible name to a screen reader.
#include "TestSupport.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/AboutDialog.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "windows/grid/FindDialog.h"
#include "windows/grid/GridCommands.h"
#include "windows/grid/TableWindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>

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

    // Controls of one window that share an access key: Alt with that letter
    // then only moves between them, pressing none.
    // A control's caption that can carry an access key.
    static QString captionOf(const QWidget* w)
    {
        if (const auto* label = qobject_cast<const QLabel*>(w); label && label->buddy())
            return label->text();
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            return button->text();
        return {};
    }

    static qsizetype accessKeyAt(const QString& text)
    {
        const qsizetype amp = text.indexOf(QRegularExpression(QStringLiteral("&[^&]")));
        return amp < 0 ? -1 : amp + 1;
    }

    // The access keys of a window's controls, or of a menu's items.
    static QStringList keyedCaptions(const QWidget* window)
    {
        QStringList captions;
        if (window->inherits("QMenu") || window->inherits("QMenuBar")) {
            for (const QAction* a : window->actions()) {
                if (a->isVisible())
                    captions << a->text();
            }
            return captions;
        }
        for (const QWidget* w : window->findChildren<QWidget*>()) {
            if (w->isVisibleTo(window))
                captions << captionOf(w);
        }
        return captions;
    }

    static QString accessKeys(const QWidget* window)
    {
        QString keys;
        for (const QString& text : keyedCaptions(window)) {
            if (const qsizetype at = accessKeyAt(text); at > 0)
                keys += text.at(at).toLower();
        }
        return keys;
    }

    static QStringList accessKeyClashes(const QWidget* window)
    {
        QMap<QChar, QStringList> owners;
        for (const QString& text : keyedCaptions(window)) {
            if (const qsizetype at = accessKeyAt(text); at > 0)
                owners[text.at(at).toLower()] << text;
        }
        QStringList clashes;
        for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
            if (it->size() > 1)
                clashes << window->objectName() + QStringLiteral(": ") + it->join(u' ');
        }
        return clashes;
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
        MainWindow main;
        main.show(); // loading restores the league path from the (empty) settings
        main.setLeaguePath(m_dir.filePath(QStringLiteral("AccessConvert.mdb")));
        main.action(QStringLiteral("mnuAll"))->trigger();
        main.action(QStringLiteral("mnuGlobalEdit"))->trigger();
        QTest::mouseClick(main.findChild<QAbstractButton*>(QStringLiteral("cmdPreview")),
                          Qt::LeftButton);
        main.findChild<QAction*>(QStringLiteral("mnuPlayerCard"))->trigger();
        QCOMPARE(main.mdiArea()->subWindowList().size(), 10);
        QStringList problems = unnamedControls(&main);

        // Each window's controls have access keys of their own; the player
        // grid's strip keeps the captions it was designed with.
        QStringList clashes;
        for (QMdiSubWindow* sub : main.mdiArea()->subWindowList())
            clashes << accessKeyClashes(sub->widget());
        auto* grid = qobject_cast<TableWindow*>(main.mdiArea()->subWindowList().first()->widget());
        grid->commands()->action(QStringLiteral("mnuFind"))->trigger();
        clashes << accessKeyClashes(grid->commands()->findDialog());
        // The menus' items too; File's two C items are the program's own.
        QList<QMenu*> menus = main.menuBar()->findChildren<QMenu*>();
        menus << main.findChildren<QMenu*>(QStringLiteral("mnuGridContext"));
        for (const QMenu* menu : std::as_const(menus))
            clashes << accessKeyClashes(menu);
        clashes << accessKeyClashes(main.menuBar());
        QCOMPARE(clashes, (QStringList{QStringLiteral("frmDataGridPlayers: &Sort &Settings"),
                                       QStringLiteral("mnuFile: &Convert &Clear Database")}));
        // Every position box and the Teams box has a key, unless each
        // letter of its caption is another control's.
        const QWidget* edit = main.findChild<QWidget*>(QStringLiteral("frmGlobal"));
        const QString used = accessKeys(edit);
        for (const QWidget* w : edit->findChildren<QWidget*>()) {
            const QString caption = captionOf(w);
            if (w->objectName().startsWith(QStringLiteral("chkPosition_")) ||
                w->objectName() == QStringLiteral("Label5"))
                QVERIFY2(caption.contains(QLatin1Char('&')) ||
                             std::all_of(caption.begin(), caption.end(),
                                         [&](QChar c) { return used.contains(c.toLower()); }),
                         qPrintable(caption));
        }
        problems << unnamedControls(grid->commands()->findDialog());

        main.action(QStringLiteral("mnuAbout"))->trigger();
        problems << unnamedControls(main.showAbout());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("\n"))));
        // The rating boxes, positions, grid strips, the player card's values and buttons.
        QVERIFY(m_checked > 48 + 15 + 7 * 4 + 20 + 5);
        QVERIFY(Prompts::finishTest().isEmpty());
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
