// Every window a user reaches from the menu: each control carries its name
// and speaks an accessible name to a screen reader.
#include "GuiFixture.h"
#include "shell/AboutDialog.h"
#include "shell/MainWindow.h"
#include "windows/grid/FindDialog.h"
#include "windows/grid/GridCommands.h"
#include "windows/grid/TableWindow.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;

class TestAccessibility : public QObject
{
    Q_OBJECT

    TestSupport::GuiFixture m_gui{120};
    int m_checked = 0;

    // Their parts are Qt's own, not ours to name.
    static bool holdsParts(const QObject* w)
    {
        return w->inherits("QLineEdit") || w->inherits("QComboBox") ||
               w->inherits("QAbstractItemView");
    }

    // The window's visible controls that lack a name or something a screen
    // reader speaks.
    QStringList unnamedControls(const QWidget* window)
    {
        QStringList problems;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const bool control =
                holdsParts(w) || w->inherits("QAbstractButton") || w->inherits("QProgressBar");
            if (!control || w->objectName().startsWith(u"qt_"_s) || holdsParts(w->parentWidget()) ||
                !w->isVisibleTo(window))
                continue;
            ++m_checked;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            if (w->objectName().isEmpty() || !a || a->text(QAccessible::Name).trimmed().isEmpty())
                problems << u"%1 \"%2\" in %3"_s.arg(QLatin1String(w->metaObject()->className()),
                                                     w->objectName(), window->objectName());
        }
        return problems;
    }

    // Each access key of a window's buttons and labelled controls, or of a
    // menu's items, with the captions that carry it. Controls of one window
    // that share a key are clashes: Alt with that letter then only moves
    // between them, pressing none.
    static QMap<QChar, QStringList> accessKeys(const QWidget* window,
                                               QStringList* clashes = nullptr)
    {
        QStringList captions;
        if (window->inherits("QMenu") || window->inherits("QMenuBar")) {
            for (const QAction* a : window->actions())
                captions << (a->isVisible() ? a->text() : QString());
        }
        for (const QWidget* w : window->findChildren<QWidget*>()) {
            const auto* label = qobject_cast<const QLabel*>(w);
            if (w->isVisibleTo(window) &&
                (w->inherits("QAbstractButton") || (label && label->buddy())))
                captions << w->property("text").toString();
        }
        QMap<QChar, QStringList> owners;
        for (const QString& text : std::as_const(captions)) {
            if (const qsizetype amp = text.indexOf(QRegularExpression(u"&[^&]"_s)); amp >= 0)
                owners[text.at(amp + 1).toLower()] << text;
        }
        for (const QStringList& sharing : std::as_const(owners)) {
            if (clashes && sharing.size() > 1)
                *clashes << window->objectName() + u": "_s + sharing.join(u' ');
        }
        return owners;
    }

private slots:
    void everyControlIsNamedAndSpeaks()
    {
        m_gui.setUp();
        MainWindow& main = *m_gui.main();
        main.action(u"mnuAll"_s)->trigger();
        main.action(u"mnuGlobalEdit"_s)->trigger();
        QTest::mouseClick(main.findChild<QAbstractButton*>(u"cmdPreview"_s), Qt::LeftButton);
        main.findChild<QAction*>(u"mnuPlayerCard"_s)->trigger();
        QCOMPARE(main.mdiArea()->subWindowList().size(), 10);
        QStringList problems = unnamedControls(&main);

        // Each window's controls have access keys of their own; the player
        // grid's strip keeps the captions it was designed with.
        QStringList clashes;
        for (QMdiSubWindow* sub : main.mdiArea()->subWindowList())
            accessKeys(sub->widget(), &clashes);
        auto* grid = qobject_cast<TableWindow*>(main.mdiArea()->subWindowList().first()->widget());
        grid->commands()->action(u"mnuFind"_s)->trigger();
        accessKeys(grid->commands()->findDialog(), &clashes);
        // The menus' items too; File's two C items are the program's own.
        QList<QMenu*> menus = main.menuBar()->findChildren<QMenu*>();
        menus << main.findChildren<QMenu*>(u"mnuGridContext"_s);
        for (const QMenu* menu : std::as_const(menus))
            accessKeys(menu, &clashes);
        accessKeys(main.menuBar(), &clashes);
        QCOMPARE(clashes, (QStringList{u"frmDataGridPlayers: &Sort &Settings"_s,
                                       u"mnuFile: &Convert &Clear Database"_s}));
        // Every position box and the Teams box has a key, unless each
        // letter of its caption is another control's.
        const QWidget* edit = main.findChild<QWidget*>(u"frmGlobal"_s);
        const QList<QChar> used = accessKeys(edit).keys();
        for (const QWidget* w : edit->findChildren<QWidget*>()) {
            const QString caption = w->property("text").toString();
            if (w->objectName().startsWith(u"chkPosition_"_s) || w->objectName() == u"Label5"_s)
                QVERIFY2(caption.contains(u'&') ||
                             std::all_of(caption.begin(), caption.end(),
                                         [&](QChar c) { return used.contains(c.toLower()); }),
                         qPrintable(caption));
        }
        problems << unnamedControls(grid->commands()->findDialog());

        main.action(u"mnuAbout"_s)->trigger();
        problems << unnamedControls(main.showAbout());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        // The rating boxes, positions, grid strips, the player card's values and buttons.
        QVERIFY(m_checked > 48 + 15 + 7 * 4 + 20 + 5);
        QCOMPARE(m_gui.tearDown(), QString());
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
