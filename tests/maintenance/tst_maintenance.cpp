// File > Clear Database and File > Convert, driven through the main window's
// menu on real league files and with a real stand-in converter. What stops
// Clear Database, and changes nothing, is tried with the backups.
#include "GuiFixture.h"
#include "StandInProgram.h"
#include "TestSupport.h"
#include "core/db/Schema.h"
#include "shell/MainWindow.h"
#include "shell/StartProgram.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"

#include <QAction>
#include <QtTest>

using namespace Qt::StringLiterals;
using TestSupport::columns;
using TestSupport::fetch;

namespace {

const QString ConverterName = u"Kickvale99LeagueConv.exe"_s;
const QString Asked = u"^message:All rows of the seven league tables"_s;
const QString Picker = u"^file:Select Kickvale99LeagueConv$"_s;

// Each prompt shown, as "kind:text", matches its pattern, in order.
void verifyShown(const QStringList& patterns)
{
    QStringList shown;
    for (const Prompts::Shown& s : Prompts::shown())
        shown << s.kind + QLatin1Char(':') + s.text;
    QCOMPARE(shown.size(), patterns.size());
    for (int i = 0; i < shown.size(); ++i)
        QVERIFY2(shown.at(i).contains(QRegularExpression(patterns.at(i))), qPrintable(shown.at(i)));
}

} // namespace

class tst_Maintenance : public QObject
{
    Q_OBJECT

    MainWindow* main() const { return m_gui.main(); }
    QString count(const QString& table) const
    {
        return m_gui.firstColumn(u"SELECT count(*) FROM "_s + table);
    }

    TestSupport::GuiFixture m_gui{120};

private slots:
    void initTestCase() { StandIn::recordRunsIn(m_gui.filePath(u"runs.log"_s)); }
    void init()
    {
        m_gui.setUp();
        StandIn::forgetRuns();
    }
    void cleanup() { QCOMPARE(m_gui.tearDown(), QString()); }

    void clearDatabase_emptiesOnlyTheLeagueTables()
    {
        QCOMPARE(m_gui.execute(u"CREATE TABLE Notes AS SELECT 'kept' AS Text"_s), QString());
        Prompts::setNextAnswer(QMessageBox::Yes);
        main()->action(u"ClearDatabase"_s)->trigger();

        verifyShown({Asked});
        const Prompts::Shown& question = Prompts::shown().first();
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        for (const QString& table : db::schema::leagueTables()) {
            QVERIFY2(question.text.contains(table), qPrintable(question.text));
            QCOMPARE(count(table), u"0"_s);
        }
        QVERIFY(question.text.contains(u"kept first: Edit > Undo or File > Restore Backup"_s));
        QCOMPARE(count(u"Notes"_s), u"1"_s);
    }

    // stored: the remembered converter; answers: the file dialog's, in order
    // (empty for Cancel); setting: the stored "Convert" afterwards, "-" when none,
    // null when not checked; ran: the copy started without arguments, if any.
    void convert_data()
    {
        columns<QString, QStringList, QStringList, QString, QString, QString>(
            "stored", "answers", "shown", "path", "setting", "ran");

        const QString fresh = StandIn::install(m_gui.filePath(u"new"_s), ConverterName);
        const QString noExec = StandIn::install(m_gui.filePath(u"noexec"_s), ConverterName, false);
        QVERIFY(!fresh.isEmpty() && !noExec.isEmpty());
        const QString gone = m_gui.filePath(u"moved/"_s + ConverterName);
        const QString typo = m_gui.filePath(u"typo/"_s + ConverterName);
        // The reason comes from the system, in the user's language.
        const QString notStarted =
            u"^message:Error:%1 \"%2\" could not be started \\(.+\\)"_s.arg(int(shell::StartFailed))
                .arg(QRegularExpression::escape(noExec));

        const auto row = [](const char* name, const QString& stored, const QStringList& answers,
                            const QStringList& shown, const QString& path, const QString& setting,
                            const QString& ran = {}) {
            QTest::newRow(name) << stored << answers << shown << path << setting << ran;
        };
        row("first use, Cancel", {}, {QString()}, {Picker}, {}, u"-"_s);
        row("stored starts at once", fresh, {}, {}, fresh, fresh, fresh);
        row("stored gone, new choice", gone, {fresh}, {Picker}, fresh, fresh, fresh);
        // Cleared in memory only; the stored value stays until a choice replaces it.
        row("stored gone, Cancel", gone, {QString()}, {Picker}, {}, gone);
        row("chosen files missing: asked again until Cancel", {}, {typo, gone, QString()},
            {Picker, Picker, Picker}, {}, {});
        // The program is there, so nothing asks for another one.
        row("not executable", noExec, {}, {notStarted}, noExec, noExec);
    }

    void convert()
    {
        auto [stored, answers, shown, path, setting, ran] =
            fetch<QString, QStringList, QStringList, QString, QString, QString>(
                "stored", "answers", "shown", "path", "setting", "ran");
        main()->setConverterPath(stored);
        if (!stored.isEmpty())
            writeSetting(u"Settings"_s, u"Convert"_s, stored);
        for (const QString& answer : answers)
            Prompts::setNextFileName(answer);

        main()->action(u"mnuConvert"_s)->trigger();

        verifyShown(shown);
        for (const Prompts::Shown& s : Prompts::shown())
            if (s.kind == u"file"_s)
                QCOMPARE(s.filters, QStringList{ConverterName + u" ("_s + ConverterName + u')'});
        QCOMPARE(main()->converterPath(), path);
        if (!setting.isNull())
            QCOMPARE(readSetting(u"Settings"_s, u"Convert"_s, u"-"_s), setting);
        QTRY_COMPARE(StandIn::runs(), StandIn::ranAlone(ran));
    }
};

QTEST_MAIN(tst_Maintenance)
#include "tst_maintenance.moc"
