// File > Clear Database and File > Convert, driven through the main window's
// menu on real league files and with a real stand-in converter.
#include "StandInProgram.h"
#include "TestSupport.h"
#include "core/db/Database.h"
#include "core/db/Schema.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MainWindow.h"
#include "shell/StartProgram.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString ConverterName = u"Kickvale99LeagueConv.exe"_s;
const QString Asked = u"^message:All rows of the seven league tables"_s;
const QString Picker = u"^file:Select Kickvale99LeagueConv$"_s;

QMap<QString, qint64> rowCounts(const QString& path)
{
    QMap<QString, qint64> counts;
    db::Database league;
    if (league.open(path))
        return counts;
    for (const QString& table : db::schema::leagueTables() + QStringList{u"Notes"_s})
        league.query(u"SELECT COUNT(*) FROM "_s + table, {},
                     [&](const db::Statement& q) { counts[table] = q.value(0).toLongLong(); });
    return counts;
}

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

private slots:
    void initTestCase();
    void init();
    void cleanup() { QCOMPARE(Prompts::finishTest(), QString()); }

    void clearDatabase_emptiesOnlyTheLeagueTables();
    void clearDatabase_changesNothing_data();
    void clearDatabase_changesNothing();
    void convert_data();
    void convert();

private:
    QString makeLeague(const QString& name, leaguegen::LeagueOptions options = {});

    QTemporaryDir m_dir;
    std::unique_ptr<MainWindow> m_main;
};

void tst_Maintenance::initTestCase()
{
    TestSupport::initTestEnvironment();
    QVERIFY(m_dir.isValid());
    StandIn::recordRunsIn(m_dir.filePath(u"runs.log"_s));
    m_main = std::make_unique<MainWindow>();
}

void tst_Maintenance::init()
{
    TestSupport::clearSettings();
    m_main->setLeaguePath({});
    m_main->setConverterPath({});
    StandIn::forgetRuns();
}

QString tst_Maintenance::makeLeague(const QString& name, leaguegen::LeagueOptions options)
{
    const QString path = m_dir.filePath(name);
    options.players = 120;
    options.overwrite = true;
    return leaguegen::writeLeague(path, options) ? QString() : path;
}

void tst_Maintenance::clearDatabase_emptiesOnlyTheLeagueTables()
{
    leaguegen::LeagueOptions options;
    options.extraUnrelatedTable = true;
    m_main->setLeaguePath(makeLeague(u"full.mdb"_s, options));
    const qint64 notes = rowCounts(m_main->leaguePath()).value(u"Notes"_s);
    QVERIFY(notes > 0);

    Prompts::setNextAnswer(QMessageBox::Yes);
    m_main->action(u"ClearDatabase"_s)->trigger();

    verifyShown({Asked});
    const Prompts::Shown& question = Prompts::shown().first();
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    const QMap<QString, qint64> counts = rowCounts(m_main->leaguePath());
    for (const QString& table : db::schema::leagueTables()) {
        QVERIFY2(question.text.contains(table), qPrintable(question.text));
        QCOMPARE(counts.value(table, -1), 0);
    }
    QVERIFY2(
        question.text.contains(
            u"A backup of the league is kept first: Edit > Undo or File > Restore Backup brings the rows back."_s),
        qPrintable(question.text));
    QCOMPARE(counts.value(u"Notes"_s), notes);
}

// answer: to the question, NoButton when none may be asked (no question
// about deleting rows of a file that is no league).
void tst_Maintenance::clearDatabase_changesNothing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("locked"); // another program holds the write lock
    QTest::addColumn<QStringList>("shown");

    const QString text = m_dir.filePath(u"notes.txt"_s);
    QVERIFY(TestSupport::writeFile(text, "Kickvale 99 league notes\n"));
    // Team is emptied last, so a refusal there comes after six tables were
    // already emptied inside the transaction.
    const QString guarded = makeLeague(u"guarded.mdb"_s);
    db::Database league;
    QVERIFY(!league.open(guarded));
    QVERIFY(
        !league.execute(QStringLiteral("CREATE TRIGGER keep_teams BEFORE DELETE ON Team "
                                       "BEGIN SELECT RAISE(ABORT, 'teams are protected'); END")));
    league.close();
    const QString kept = makeLeague(u"kept.mdb"_s);
    const auto error = [](int number) { return u"^message:Error:%1 "_s.arg(number); };
    const QMessageBox::StandardButton none = QMessageBox::NoButton, yes = QMessageBox::Yes;

    QTest::newRow("No") << kept << QMessageBox::No << false << QStringList{Asked};
    QTest::newRow("closed") << kept << QMessageBox::Cancel << false << QStringList{Asked};
    QTest::newRow("text file") << text << none << false << QStringList{error(db::NotSQLite)};
    QTest::newRow("locked") << kept << yes << true << QStringList{Asked, error(5) + u".*locked"_s};
    QTest::newRow("failing statement rolls back")
        << guarded << yes << false
        << QStringList{Asked, u"^message:Error:\\d+ .*teams are protected.*No table was emptied"_s};
}

void tst_Maintenance::clearDatabase_changesNothing()
{
    QFETCH(QString, path);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, locked);
    QFETCH(QStringList, shown);
    m_main->setLeaguePath(path);
    const QByteArray before = TestSupport::fileBytes(path); // empty: no file
    const QDir backups(path + u".backups"_s);
    const QStringList kept = backups.entryList(QDir::Files);
    db::Database other;
    if (locked)
        QVERIFY(!other.open(path) && !other.beginImmediate());
    if (answer != QMessageBox::NoButton)
        Prompts::setNextAnswer(answer);

    m_main->action(u"ClearDatabase"_s)->trigger();

    other.close();
    verifyShown(shown);
    QCOMPARE(TestSupport::fileBytes(path), before);
    QCOMPARE(backups.entryList(QDir::Files), kept); // no backup of a command that changed nothing
}

// stored: the remembered converter; answers: the file dialog's, in order
// (empty for Cancel); setting: the stored "Convert" afterwards, "-" when none,
// null when not checked; ran: the copy started without arguments, if any.
void tst_Maintenance::convert_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("ran");

    const QString fresh = StandIn::install(m_dir.filePath(u"new"_s), ConverterName);
    const QString noExec = StandIn::install(m_dir.filePath(u"noexec"_s), ConverterName, false);
    QVERIFY(!fresh.isEmpty() && !noExec.isEmpty());
    const QString gone = m_dir.filePath(u"moved/"_s + ConverterName);
    const QString typo = m_dir.filePath(u"typo/"_s + ConverterName);
    // The reason comes from the system, in the user's language.
    const QString notStarted =
        u"^message:Error:%1 \"%2\" could not be started \\(.+\\)"_s.arg(int(shell::StartFailed))
            .arg(QRegularExpression::escape(noExec));

    QTest::newRow("first use, Cancel") << QString() << QStringList{QString()} << QStringList{Picker}
                                       << QString() << u"-"_s << QString();
    QTest::newRow("stored starts at once")
        << fresh << QStringList() << QStringList() << fresh << fresh << fresh;
    QTest::newRow("stored gone, new choice")
        << gone << QStringList{fresh} << QStringList{Picker} << fresh << fresh << fresh;
    // Cleared in memory only; the stored value stays until a choice replaces it.
    QTest::newRow("stored gone, Cancel")
        << gone << QStringList{QString()} << QStringList{Picker} << QString() << gone << QString();
    QTest::newRow("chosen files missing: asked again until Cancel")
        << QString() << QStringList{typo, gone, QString()} << QStringList{Picker, Picker, Picker}
        << QString() << QString() << QString();
    // The program is there, so nothing asks for another one.
    QTest::newRow("not executable")
        << noExec << QStringList() << QStringList{notStarted} << noExec << noExec << QString();
}

void tst_Maintenance::convert()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, shown);
    QFETCH(QString, path);
    QFETCH(QString, setting);
    QFETCH(QString, ran);
    m_main->setConverterPath(stored);
    if (!stored.isEmpty())
        writeSetting(u"Settings"_s, u"Convert"_s, stored);
    for (const QString& answer : answers)
        Prompts::setNextFileName(answer);

    m_main->action(u"mnuConvert"_s)->trigger();

    verifyShown(shown);
    for (const Prompts::Shown& s : Prompts::shown())
        if (s.kind == u"file"_s)
            QCOMPARE(s.filters, QStringList{ConverterName + u" ("_s + ConverterName + u')'});
    QCOMPARE(m_main->converterPath(), path);
    if (!setting.isNull())
        QCOMPARE(readSetting(u"Settings"_s, u"Convert"_s, u"-"_s), setting);
    QTRY_COMPARE(StandIn::runs(), StandIn::ranAlone(ran));
}

QTEST_MAIN(tst_Maintenance)
#include "tst_maintenance.moc"
