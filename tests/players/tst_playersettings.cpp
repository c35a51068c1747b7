// The stored column choice and the "PlayerTable Settings" dialog, against
// the real settings store in a temporary home.
#include "TestSupport.h"
#include "ColumnLists.h"

#include "players/PlayerColumns.h"
#include "players/frmPlayerSettings.h"
#include "shell/base/ContextIDs.h"
#include "shell/base/Prompts.h"
#include "shell/base/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {
QString stored(const QString& key)
{
    QSettings store;
    return store.value(u"PlayerTable/"_s + key).toString();
}

// Runs the dialog modally; act sees it while it is up and must close it.
// Returns false when the dialog was still up afterwards (act did not close it).
bool runDialog(const std::function<void(frmPlayerSettings*)>& act)
{
    bool stillOpen = false;
    QTimer::singleShot(0, [&] {
        frmPlayerSettings* dialog = frmPlayerSettings::current();
        QVERIFY(dialog);
        act(dialog);
        QCoreApplication::processEvents();
        if (dialog->isVisible()) {
            stillOpen = true;
            dialog->cmdCancel_Click();
        }
    });
    frmPlayerSettings::showModal(nullptr);
    return !stillOpen;
}

QList<int> hiddenColumns(const players::ColumnChoice& choice)
{
    QList<int> hidden;
    for (size_t i = 0; i < choice.size(); ++i) {
        if (!choice[i])
            hidden << int(i);
    }
    return hidden;
}
} // namespace

class tst_PlayerSettings : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initTestEnvironment(); }
    void init() { TestSupport::clearSettings(); }
    void cleanup() { QCOMPARE(Prompts::finishTest(), QString()); }

    void columnTable_data();
    void columnTable();
    void storedChoice_data();
    void storedChoice();

    void firstOpeningStoresEveryKey();
    void loadLeavesFalseKeysUnchecked();
    void clickStoresAtOnce();
    void enterAndEscapePressNothing_data();
    void enterAndEscapePressNothing();
    void closeBoxIsCancel();
    void helpOpensTopic520();
    void layoutAndTabOrder();
};

void tst_PlayerSettings::columnTable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("key");
    QTest::newRow("league name") << 0 << u"LeagueName"_s << u"LeagueName"_s << QString();
    QTest::newRow("first name") << 1 << u"FirstName"_s << u"FirstName"_s << u"Item1"_s;
    QTest::newRow("weight") << 8 << u"Weight"_s << u"Weight"_s << u"Item8"_s;
    QTest::newRow("team id") << 19 << u"TeamId"_s << u"TeamId"_s << u"Item19"_s;
    QTest::newRow("speed") << 20 << u"SP"_s << u"RATING1"_s << u"Actual"_s;
    QTest::newRow("speed potential") << 21 << u"SP_P"_s << u"RATING_POT1"_s << u"Potential"_s;
    QTest::newRow("pass rushing") << 42 << u"PR"_s << u"RATING12"_s << u"Actual"_s;
    QTest::newRow("age") << 68 << u"Age"_s << u"RATING25"_s << u"Actual"_s;
    QTest::newRow("last") << 79 << u"YF_P"_s << u"RATING_POT30"_s << u"Potential"_s;
}

void tst_PlayerSettings::columnTable()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, field);
    QFETCH(QString, key);
    const auto& columns = players::playerGridColumns();
    QCOMPARE(int(columns.size()), 80);
    QCOMPARE(columns[size_t(index)].caption, caption);
    QCOMPARE(columns[size_t(index)].field, field);
    QCOMPARE(columns[size_t(index)].key, key);
}

void tst_PlayerSettings::storedChoice_data()
{
    QTest::addColumn<QStringList>("keyValues"); // key, value, key, value, ...
    QTest::addColumn<QList<int>>("hidden");
    QTest::newRow("nothing stored") << QStringList() << QList<int>();
    QTest::newRow("all true") << QStringList{u"Item1"_s, u"True"_s, u"Actual"_s, u"True"_s}
                              << QList<int>();
    QTest::newRow("actual false") << QStringList{u"Actual"_s, u"False"_s} << everyOther(20);
    QTest::newRow("potential false") << QStringList{u"Potential"_s, u"False"_s} << everyOther(21);
    QTest::newRow("weight false") << QStringList{u"Item8"_s, u"False"_s} << QList<int>{8};
    QTest::newRow("team id false") << QStringList{u"Item19"_s, u"False"_s} << QList<int>{19};
    QTest::newRow("lower case false") << QStringList{u"Item2"_s, u"false"_s} << QList<int>{2};
    QTest::newRow("zero hides") << QStringList{u"Item3"_s, u"0"_s} << QList<int>{3};
    QTest::newRow("non-zero shows") << QStringList{u"Item3"_s, u"-1"_s, u"Item4"_s, u"2.5"_s}
                                    << QList<int>();
    QTest::newRow("garbage shows")
        << QStringList{u"Item5"_s, u"maybe"_s, u"Actual"_s, u""_s, u"Potential"_s, u"Fals"_s}
        << QList<int>();
    QStringList allFalse;
    for (const QString& key : players::columnSettingKeys())
        allFalse << key << u"False"_s;
    QList<int> allButFirst;
    for (int i = 1; i < 80; ++i)
        allButFirst << i;
    QTest::newRow("all false keeps league name") << allFalse << allButFirst;
}

void tst_PlayerSettings::storedChoice()
{
    QFETCH(QStringList, keyValues);
    for (int i = 0; i + 1 < keyValues.size(); i += 2)
        SaveSetting(u"PlayerTable"_s, keyValues[i], keyValues[i + 1]);
    QFETCH(QList<int>, hidden);
    QCOMPARE(hiddenColumns(players::storedColumnChoice()), hidden);
}

void tst_PlayerSettings::firstOpeningStoresEveryKey()
{
    QVERIFY(runDialog([](frmPlayerSettings* dialog) {
        for (const QString& key : players::columnSettingKeys())
            QCOMPARE(stored(key), u"True"_s);
        QVERIFY(dialog->checkBox(u"chkActualRatings"_s)->isChecked());
        QVERIFY(!dialog->checkBox(u"chkLeagueName"_s)->isChecked());
        dialog->cmdOK_Click();
    }));
    QSettings store;
    store.beginGroup(u"PlayerTable"_s);
    QCOMPARE(store.childKeys().size(), 21);
}

void tst_PlayerSettings::loadLeavesFalseKeysUnchecked()
{
    SaveSetting(u"PlayerTable"_s, u"Item8"_s, u"False"_s);
    SaveSetting(u"PlayerTable"_s, u"Potential"_s, u"0"_s);
    QVERIFY(runDialog([](frmPlayerSettings* dialog) {
        QVERIFY(!dialog->checkBox(u"chkWeight"_s)->isChecked());
        QVERIFY(!dialog->checkBox(u"chkPotRatings"_s)->isChecked());
        QVERIFY(dialog->checkBox(u"chkHeight"_s)->isChecked());
        dialog->cmdCancel_Click();
    }));
    QCOMPARE(stored(u"Item8"_s), u"False"_s);
    QCOMPARE(stored(u"Potential"_s), u"0"_s); // an unchecked box writes nothing back
}

void tst_PlayerSettings::clickStoresAtOnce()
{
    QVERIFY(runDialog([](frmPlayerSettings* dialog) {
        QCheckBox* teamId = dialog->checkBox(u"chkTeamID"_s);
        QTest::mouseClick(teamId, Qt::LeftButton, {}, QPoint(4, teamId->height() / 2));
        QCOMPARE(stored(u"Item19"_s), u"False"_s);
        teamId->click();
        teamId->click();
        QCOMPARE(stored(u"Item19"_s), u"False"_s);
        QCOMPARE(stored(u"Item18"_s), u"True"_s);
        dialog->cmdCancel_Click();
    }));
    QCOMPARE(stored(u"Item19"_s), u"False"_s); // Cancel takes nothing back
}

void tst_PlayerSettings::enterAndEscapePressNothing_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    for (const QString& focus : {u"cmdOK"_s, u"cmdCancel"_s, u"cmdHelp"_s, u"chkWeight"_s}) {
        QTest::addRow("Enter on %s", qPrintable(focus)) << focus << int(Qt::Key_Return);
        QTest::addRow("keypad Enter on %s", qPrintable(focus)) << focus << int(Qt::Key_Enter);
        QTest::addRow("Escape on %s", qPrintable(focus)) << focus << int(Qt::Key_Escape);
    }
}

void tst_PlayerSettings::enterAndEscapePressNothing()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    const int helpBefore = lastHelpRequest();
    bool stayed = false;
    runDialog([&](frmPlayerSettings* dialog) {
        auto* target = dialog->findChild<QWidget*>(focus);
        QVERIFY(target);
        dialog->activateWindow();
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QCoreApplication::processEvents();
        stayed = frmPlayerSettings::current() == dialog && dialog->isVisible();
        if (stayed)
            dialog->cmdCancel_Click();
    });
    QVERIFY(stayed);
    QCOMPARE(lastHelpRequest(), helpBefore);
    for (auto* button : QApplication::allWidgets()) {
        if (auto* push = qobject_cast<QPushButton*>(button))
            QVERIFY(!push->isDefault());
    }
}

void tst_PlayerSettings::closeBoxIsCancel()
{
    QVERIFY(runDialog([](frmPlayerSettings* dialog) {
        dialog->checkBox(u"chkWeight"_s)->click();
        dialog->close();
    }));
    QCOMPARE(stored(u"Item8"_s), u"False"_s);
}

void tst_PlayerSettings::helpOpensTopic520()
{
    bool stayed = false;
    QVERIFY(runDialog([&](frmPlayerSettings* dialog) {
        dialog->findChild<QPushButton*>(u"cmdHelp"_s)->click();
        stayed = dialog->isVisible();
        QuitHelp();
        dialog->cmdCancel_Click();
    }));
    QVERIFY(stayed);
    QCOMPARE(lastHelpRequest(), ContextIDs::PlayerSettingsTopic);
}

void tst_PlayerSettings::layoutAndTabOrder()
{
    QVERIFY(runDialog([](frmPlayerSettings* dialog) {
        QCOMPARE(dialog->windowTitle(), u"PlayerTable Settings"_s);
        for (const QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
            QVERIFY2(box->width() >= box->sizeHint().width(), qPrintable(box->text()));
            QVERIFY(box->geometry().right() < box->parentWidget()->width());
        }
        QVERIFY(!dialog->checkBox(u"chkLeagueName"_s)->isVisible());
        // The left column holds First Name .. Free Agent, the right one the rest.
        const int left = dialog->checkBox(u"chkFirstName"_s)->x();
        const int right = dialog->checkBox(u"chkInjurySeverity"_s)->x();
        QVERIFY(right > left);
        QCOMPARE(dialog->checkBox(u"chkFreeAgent"_s)->x(), left);
        QCOMPARE(dialog->checkBox(u"chkPotRatings"_s)->x(), right);
        QCOMPARE(dialog->checkBox(u"chkPotRatings"_s)->y(), dialog->checkBox(u"chkFreeAgent"_s)->y());
        QCOMPARE(dialog->checkBox(u"chkLeagueName"_s)->y(),
                 dialog->checkBox(u"chkInjurySeverity"_s)->y());

        QStringList order;
        QWidget* const first = dialog->findChild<QWidget*>(u"cmdOK"_s);
        QWidget* w = first;
        do {
            if (w->focusPolicy() & Qt::TabFocus && w->isVisible())
                order << w->objectName();
            w = w->nextInFocusChain();
        } while (w != first);
        QCOMPARE(order.mid(0, 5), (QStringList{u"cmdOK"_s, u"cmdCancel"_s, u"chkPotRatings"_s,
                                               u"chkActualRatings"_s, u"chkTeamID"_s}));
        QCOMPARE(order.mid(21),
                 (QStringList{u"chkLastName"_s, u"chkFirstName"_s, u"cmdHelp"_s}));
        dialog->cmdOK_Click();
    }));
}

QTEST_MAIN(tst_PlayerSettings)
#include "tst_playersettings.moc"
