// File > Clear Database and File > Convert, driven through the main window's
// menu on real league files and with a real stand-in converter.
#include "StandInProgram.h"
#include "TestSupport.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MDIMain.h"
#include "shell/base/Globals.h"
#include "shell/base/Prompts.h"
#include "shell/base/Settings.h"

#include <QAction>
#include <QCryptographicHash>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString ConverterName = QStringLiteral("Kickvale99LeagueConv.exe");

QStringList tablesOfInterest()
{
    return db::schema::leagueTables() + QStringList{QStringLiteral("Notes")};
}

QMap<QString, qint64> rowCounts(const QString& path)
{
    QMap<QString, qint64> counts;
    db::Database league;
    if (league.open(path))
        return counts;
    for (const QString& table : tablesOfInterest())
        league.query(QStringLiteral("SELECT COUNT(*) FROM ") + table, {},
                     [&](const QSqlQuery& q) { counts[table] = q.value(0).toLongLong(); });
    return counts;
}

// The file's bytes, or empty when there is no file: "unchanged" and "never
// created" in one comparison.
QByteArray fingerprint(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList shownMessages()
{
    QStringList texts;
    for (const Prompts::Shown& s : Prompts::shown())
        texts << s.kind + QLatin1Char(':') + s.text;
    return texts;
}

} // namespace

class tst_Maintenance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void clearDatabase_emptiesOnlyTheLeagueTables();
    void clearDatabase_anythingButYesCancels_data();
    void clearDatabase_anythingButYesCancels();
    void clearDatabase_badFile_data();
    void clearDatabase_badFile();
    void clearDatabase_lockedFile();
    void clearDatabase_failingStatementRollsBack();

    void convert_firstUseCancel();
    void convert_validStoredPathStartsAtOnce();
    void convert_storedConverterGone();
    void convert_chosenFileMissingAsksAgain();
    void convert_notExecutable();

private:
    QString makeLeague(const QString& name, leaguegen::LeagueOptions options = {});
    void clearDatabase(QMessageBox::StandardButton answer);
    void convert() { m_main->action(QStringLiteral("mnuConvert"))->trigger(); }
    void expectConverterDialogs(int count);

    QTemporaryDir m_dir;
    std::unique_ptr<MDIMain> m_main;
};

void tst_Maintenance::initTestCase()
{
    TestSupport::initTestEnvironment();
    QVERIFY(m_dir.isValid());
    StandIn::recordRunsIn(m_dir.filePath(QStringLiteral("runs.log")));
    m_main = std::make_unique<MDIMain>();
}

void tst_Maintenance::init()
{
    TestSupport::clearSettings();
    mMain::DBPath.clear();
    mMain::ConverterPath.clear();
    StandIn::forgetRuns();
}

void tst_Maintenance::cleanup()
{
    QCOMPARE(Prompts::finishTest(), QString());
}

QString tst_Maintenance::makeLeague(const QString& name, leaguegen::LeagueOptions options)
{
    const QString path = m_dir.filePath(name);
    options.players = 120;
    options.overwrite = true;
    const db::Error e = leaguegen::writeLeague(path, options);
    return e ? QString() : path;
}

void tst_Maintenance::clearDatabase(QMessageBox::StandardButton answer)
{
    Prompts::setNextAnswer(answer);
    m_main->action(QStringLiteral("ClearDatabase"))->trigger();
}

void tst_Maintenance::clearDatabase_emptiesOnlyTheLeagueTables()
{
    leaguegen::LeagueOptions options;
    options.extraUnrelatedTable = true;
    mMain::DBPath = makeLeague(QStringLiteral("full.mdb"), options);
    QVERIFY(!mMain::DBPath.isEmpty());
    const qint64 notes = rowCounts(mMain::DBPath).value(QStringLiteral("Notes"));
    QVERIFY(notes > 0);

    clearDatabase(QMessageBox::Yes);

    QCOMPARE(Prompts::shown().size(), 1);
    const Prompts::Shown& question = Prompts::shown().first();
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    for (const QString& table : db::schema::leagueTables())
        QVERIFY2(question.text.contains(table), qPrintable(question.text));
    const QMap<QString, qint64> counts = rowCounts(mMain::DBPath);
    for (const QString& table : db::schema::leagueTables())
        QCOMPARE(counts.value(table, -1), 0);
    QCOMPARE(counts.value(QStringLiteral("Notes")), notes);

    // An already empty league: the question, then nothing visible.
    QCOMPARE(Prompts::finishTest(), QString());
    clearDatabase(QMessageBox::Yes);
    QCOMPARE(Prompts::shown().size(), 1);
    QCOMPARE(rowCounts(mMain::DBPath).value(QStringLiteral("Team"), -1), 0);
}

void tst_Maintenance::clearDatabase_anythingButYesCancels_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("No") << QMessageBox::No;
    QTest::newRow("closed") << QMessageBox::Cancel;
}

void tst_Maintenance::clearDatabase_anythingButYesCancels()
{
    QFETCH(QMessageBox::StandardButton, answer);
    mMain::DBPath = makeLeague(QStringLiteral("kept.mdb"));
    const QByteArray before = fingerprint(mMain::DBPath);

    clearDatabase(answer);

    QCOMPARE(Prompts::shown().size(), 1);
    QCOMPARE(fingerprint(mMain::DBPath), before);
}

void tst_Maintenance::clearDatabase_badFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("number");

    leaguegen::LeagueOptions noRoster;
    noRoster.omitTables = {QStringLiteral("Roster")};
    const QString text = m_dir.filePath(QStringLiteral("notes.txt"));
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Kickvale 99 league notes\n");
    file.close();

    QTest::newRow("no file chosen") << QString() << int(db::NoLeagueFileChosen);
    QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("gone/league.mdb"))
                                  << int(db::FileNotFound);
    QTest::newRow("table missing") << makeLeague(QStringLiteral("noroster.mdb"), noRoster)
                                   << int(db::MissingTable);
    QTest::newRow("text file") << text << int(db::NotSQLite);
}

void tst_Maintenance::clearDatabase_badFile()
{
    QFETCH(QString, path);
    QFETCH(int, number);
    mMain::DBPath = path;
    const QByteArray before = fingerprint(path);

    // No question about deleting rows of a file that is no league.
    m_main->action(QStringLiteral("ClearDatabase"))->trigger();

    const QStringList shown = shownMessages();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(QStringLiteral("message:Error:%1 ").arg(number)),
             qPrintable(shown.first()));
    QCOMPARE(fingerprint(path), before);
}

void tst_Maintenance::clearDatabase_lockedFile()
{
    mMain::DBPath = makeLeague(QStringLiteral("locked.mdb"));
    const QMap<QString, qint64> before = rowCounts(mMain::DBPath);
    db::Database other;
    QCOMPARE(other.open(mMain::DBPath).number, int(db::NoError));
    QCOMPARE(other.beginImmediate().number, int(db::NoError));

    clearDatabase(QMessageBox::Yes);

    other.rollback();
    other.close();
    const QStringList shown = shownMessages();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown.at(1).startsWith(QStringLiteral("message:Error:5 ")), qPrintable(shown.at(1)));
    QVERIFY2(shown.at(1).contains(QStringLiteral("locked")), qPrintable(shown.at(1)));
    QCOMPARE(rowCounts(mMain::DBPath), before);
}

void tst_Maintenance::clearDatabase_failingStatementRollsBack()
{
    // Team is emptied last, so a refusal there comes after six tables were
    // already emptied inside the transaction.
    mMain::DBPath = makeLeague(QStringLiteral("guarded.mdb"));
    {
        db::Database league;
        QCOMPARE(league.open(mMain::DBPath).number, int(db::NoError));
        QCOMPARE(league.execute(QStringLiteral(
                                    "CREATE TRIGGER keep_teams BEFORE DELETE ON Team "
                                    "BEGIN SELECT RAISE(ABORT, 'teams are protected'); END"))
                     .number,
                 int(db::NoError));
    }
    const QMap<QString, qint64> before = rowCounts(mMain::DBPath);

    clearDatabase(QMessageBox::Yes);

    const QStringList shown = shownMessages();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown.at(1).startsWith(QStringLiteral("message:Error:")), qPrintable(shown.at(1)));
    QVERIFY2(shown.at(1).contains(QStringLiteral("teams are protected")), qPrintable(shown.at(1)));
    QVERIFY2(shown.at(1).contains(QStringLiteral("No table was emptied.")), qPrintable(shown.at(1)));
    QCOMPARE(rowCounts(mMain::DBPath), before);
}

void tst_Maintenance::expectConverterDialogs(int count)
{
    QCOMPARE(Prompts::shown().size(), count);
    for (const Prompts::Shown& s : Prompts::shown()) {
        QCOMPARE(s.kind, QStringLiteral("file"));
        QCOMPARE(s.text, QStringLiteral("Select Kickvale99LeagueConv"));
        QCOMPARE(s.filters, QStringList{ConverterName + QStringLiteral(" (") + ConverterName +
                                        QLatin1Char(')')});
    }
}

void tst_Maintenance::convert_firstUseCancel()
{
    Prompts::setNextFileName(QString());

    convert();

    expectConverterDialogs(1);
    QCOMPARE(mMain::ConverterPath, QString());
    QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("Convert"), QStringLiteral("-")),
             QStringLiteral("-"));
}

void tst_Maintenance::convert_validStoredPathStartsAtOnce()
{
    const QString converter = StandIn::install(m_dir.filePath(QStringLiteral("stored")), ConverterName);
    mMain::ConverterPath = converter;

    convert();

    QCOMPARE(Prompts::shown().size(), 0);
    QTRY_COMPARE(StandIn::runs(), QStringList{StandIn::runWithoutArguments(converter)});
}

void tst_Maintenance::convert_storedConverterGone()
{
    const QString gone = m_dir.filePath(QStringLiteral("moved/") + ConverterName);
    mMain::ConverterPath = gone;
    SaveSetting(QStringLiteral("Settings"), QStringLiteral("Convert"), gone);
    const QString converter = StandIn::install(m_dir.filePath(QStringLiteral("new")), ConverterName);
    Prompts::setNextFileName(converter);

    convert();

    expectConverterDialogs(1);
    QCOMPARE(mMain::ConverterPath, converter);
    QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("Convert")), converter);
    QTRY_COMPARE(StandIn::runs(), QStringList{StandIn::runWithoutArguments(converter)});
}

void tst_Maintenance::convert_chosenFileMissingAsksAgain()
{
    // A missing stored converter is cleared in memory only; the old stored
    // value stays until a choice replaces it.
    const QString stored = m_dir.filePath(QStringLiteral("old/") + ConverterName);
    mMain::ConverterPath = stored;
    SaveSetting(QStringLiteral("Settings"), QStringLiteral("Convert"), stored);
    Prompts::setNextFileName(QString());

    convert();

    expectConverterDialogs(1);
    QCOMPARE(mMain::ConverterPath, QString());
    QCOMPARE(GetSetting(QStringLiteral("Settings"), QStringLiteral("Convert")), stored);

    // Typed names where no file is: asked again after each, until Cancel.
    QCOMPARE(Prompts::finishTest(), QString());
    Prompts::setNextFileName(m_dir.filePath(QStringLiteral("typo1/") + ConverterName));
    Prompts::setNextFileName(m_dir.filePath(QStringLiteral("typo2/") + ConverterName));
    Prompts::setNextFileName(QString());

    convert();

    expectConverterDialogs(3);
    QCOMPARE(mMain::ConverterPath, QString());
    QCOMPARE(StandIn::runs(), QStringList());
}

void tst_Maintenance::convert_notExecutable()
{
    const QString converter =
        StandIn::install(m_dir.filePath(QStringLiteral("noexec")), ConverterName, false);
    mMain::ConverterPath = converter;

    convert();

    const QStringList shown = shownMessages();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(QStringLiteral("message:Error:%1 ").arg(int(db::StartFailed))),
             qPrintable(shown.first()));
    // The reason comes from the system, in the user's language.
    const QRegularExpression reason(QStringLiteral("\"%1\" could not be started \\(.+\\)")
                                        .arg(QRegularExpression::escape(converter)));
    QVERIFY2(shown.first().contains(reason), qPrintable(shown.first()));
    // The program is there, so nothing asks for another one.
    QCOMPARE(mMain::ConverterPath, converter);
    QCOMPARE(StandIn::runs(), QStringList());
}

QTEST_MAIN(tst_Maintenance)
#include "tst_maintenance.moc"
