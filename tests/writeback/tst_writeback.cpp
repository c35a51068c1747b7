// Writing a league back into its Access file, on copies of the real sample
// files: Jet's encodings, a round trip (written, imported again, equal to the
// league; mdb-export as a second reader), every refusal writing nothing, a
// killed write, and the menu command with its summary.
#include "GuiFixture.h"
#include "TestSupport.h"
#include "core/import/ImportAccess.h"
#include "core/import/JetValues.h"
#include "core/writeback/AccessTarget.h"
#include "core/writeback/JetEncode.h"
#include "core/writeback/WriteBack.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "windows/grid/TableCommands.h"
#include "windows/grid/TableWindow.h"

#include <QAction>
#include <QtTest>
#include <cmath>
#include <csignal>
#include <mdbtools.h>
#include <sqlite3.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using TestSupport::columns;
using TestSupport::fetch;

namespace {
const QString NorthwindSql =
    u"UPDATE Products SET UnitsInStock = UnitsInStock + 1, UnitPrice = '1.5000', "
    "Discontinued = 1 - Discontinued WHERE ProductID <= 3;"
    "UPDATE [Order Details] SET Discount = 0.5 WHERE rowid <= 2;"
    "UPDATE Employees SET BirthDate = '1850-06-07 08:09:10' WHERE EmployeeID = 1;"
    "UPDATE Employees SET ReportsTo = 5 WHERE ReportsTo IS NULL;"
    "UPDATE Orders SET RequiredDate = NULL WHERE rowid = 7"_s;

// Runs sql on a file that need not be a league: its rows, one a line, fields
// joined by '|'; or the error.
QString query(const QString& path, const QString& sql)
{
    sqlite3* handle = nullptr;
    char* error = nullptr;
    QStringList rows;
    sqlite3_open(QFile::encodeName(path).constData(), &handle);
    sqlite3_exec(
        handle, sql.toUtf8().constData(),
        [](void* out, int count, char** values, char**) {
            QStringList fields;
            for (int i = 0; i < count; ++i)
                fields << QString::fromUtf8(values[i]);
            static_cast<QStringList*>(out)->append(fields.join(u'|'));
            return 0;
        },
        &rows, &error);
    const QString text = error ? QString::fromUtf8(error) : rows.join(u'\n');
    sqlite3_free(error);
    sqlite3_close(handle);
    return text;
}

// A copy of a sample file in its own folder, imported beside it.
struct Imported {
    QTemporaryDir dir;
    QString access;
    QString league;

    bool make(const QString& sample)
    {
        access = dir.filePath(sample);
        league = dir.filePath(u"league.mdb"_s);
        return QFile::copy(TestSupport::jetSample(sample), access) &&
               QFile::setPermissions(access, QFile::ReadOwner | QFile::WriteOwner) &&
               !import::importAccess(access, league, {});
    }
    QString run(const QString& sql) const { return query(league, sql); }
    db::Error write(writeback::WriteResult* result = nullptr) const
    {
        writeback::WriteResult ignored;
        writeback::WriteOptions options;
        options.allOrNothing = true;
        return writeback::writeBack(league, access, options, result ? result : &ignored);
    }
};

#define REQUIRE_SAMPLE(name) REQUIRE_JET_SAMPLE(TestSupport::jetSample(name))

// Every row of every table but the import's record, as text.
QStringList tableRows(const QString& path)
{
    QStringList rows;
    for (const QString& table :
         query(path, u"SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                     "'yardmark99.%' ORDER BY name"_s)
             .split(u'\n'))
        rows << table + u'\n' +
                    query(path, u"SELECT quote(rowid), * FROM [%1] ORDER BY rowid"_s.arg(table));
    return rows;
}

QByteArray mdbExport(const QString& file, const QString& table)
{
    QProcess tool;
    tool.start(u"mdb-export"_s, {file, table});
    return tool.waitForFinished(60000) ? tool.readAllStandardOutput() : QByteArray();
}
} // namespace

class TestWriteBack : public QObject
{
    Q_OBJECT

    TestSupport::GuiFixture m_gui{20};

private slots:
    void initTestCase() { QVERIFY(QFileInfo(QStringLiteral(PROGRAM)).isExecutable()); }

    // Jet's bytes of a league value; empty: the column cannot hold it.
    void encodesJetValues_data()
    {
        columns<int, QVariant, QByteArray>("type", "value", "hex");
        const auto row = [](const char* tag, int type, const QVariant& value, const char* hex) {
            QTest::newRow(tag) << type << value << QByteArray(hex);
        };
        row("byte", MDB_BYTE, 255LL, "ff");
        row("300 in a byte", MDB_BYTE, 300LL, "");
        row("negative byte", MDB_BYTE, -1LL, "");
        row("integer", MDB_INT, -2LL, "feff");
        row("2.5 in an integer", MDB_INT, 2.5, "");
        row("whole real in an integer", MDB_INT, 7.0, "0700");
        row("text in a long", MDB_LONGINT, u"12"_s, "");
        row("long", MDB_LONGINT, 2147483647LL, "ffffff7f");
        row("single, nearest float", MDB_FLOAT, 0.1, "cdcccc3d");
        row("infinite single", MDB_FLOAT, qInf(), "");
        row("single too large", MDB_FLOAT, 1e39, "");
        row("double", MDB_DOUBLE, 1.5, "000000000000f83f");
        row("currency text", MDB_MONEY, u"-12.34"_s, "f81dfeffffffffff");
        row("currency typed as a number", MDB_MONEY, 12.25, "84de010000000000");
        row("currency, 5 decimals", MDB_MONEY, u"1.00001"_s, "");
        row("currency's largest", MDB_MONEY, u"922337203685477.5807"_s, "ffffffffffffff7f");
        row("past currency's largest", MDB_MONEY, u"922337203685477.5808"_s, "");
        row("currency's smallest", MDB_MONEY, u"-922337203685477.5808"_s, "0000000000000080");
        row("the epoch", MDB_DATETIME, u"1899-12-30"_s, "0000000000000000");
        row("6 a.m. the day before", MDB_DATETIME, u"1899-12-29 06:00"_s, "000000000000f4bf");
        row("year 99", MDB_DATETIME, u"0099-12-31"_s, "");
        row("no such day", MDB_DATETIME, u"2001-02-29"_s, "");
        row("yes as -1", MDB_BOOL, -1LL, "01");
        row("no", MDB_BOOL, 0LL, "00");
        row("2 in a yes/no", MDB_BOOL, 2LL, "");
    }

    void encodesJetValues()
    {
        auto [type, value, hex] = fetch<int, QVariant, QByteArray>("type", "value", "hex");
        QString why;
        const std::optional<QByteArray> bytes = writeback::encodeJetValue(type, value, &why);
        QCOMPARE(bytes.value_or(QByteArray()).toHex(), hex);
        QCOMPARE(why.isEmpty(), !hex.isEmpty());
    }

    // The import reads back what was written, to the second, 100 to 9999.
    void datesRoundTrip()
    {
        for (const char* text : {"0100-01-01 00:00:00", "1850-06-07 08:09:10",
                                 "1899-12-29 23:59:59", "9999-12-31 23:59:59"})
            QCOMPARE(import::jetDateText(*writeback::jetDayNumber(QString::fromLatin1(text))),
                     QByteArray(text));
    }

    void roundTrip_data()
    {
        columns<QString, QString, int>("sample", "sql", "cells");
        QTest::newRow("Jet 3") << u"nwind.mdb"_s << NorthwindSql << 14;
        QTest::newRow("Jet 4") << u"DateTestDatabase.mdb"_s
                               << u"UPDATE DateTest SET DateTimeCol = '9999-12-31 23:59:59' WHERE "
                                  "rowid = 1; UPDATE DateTest SET DateCol = NULL WHERE rowid = 2;"
                                  "UPDATE DateTest SET TimeCol = '0100-01-01 12:34:56' WHERE "
                                  "rowid = 3"_s
                               << 3;
    }

    // Written, imported again: the league's rows; every other row as mdb-export read it.
    void roundTrip()
    {
        auto [sample, sql, cells] = fetch<QString, QString, int>("sample", "sql", "cells");
        REQUIRE_SAMPLE(sample);
        Imported imported;
        QVERIFY(imported.make(sample));
        const QString before = imported.dir.filePath(u"before.mdb"_s);
        QVERIFY(QFile::copy(imported.access, before));
        QCOMPARE(imported.run(sql), QString());
        writeback::WriteResult result;
        QCOMPARE(imported.write(&result).message(), db::Error().message());
        QCOMPARE(result.plan.cells, cells);
        QVERIFY(result.written && result.plan.listed.isEmpty());
        QCOMPARE(TestSupport::fileBytes(result.backup), TestSupport::fileBytes(before));

        const QString again = imported.dir.filePath(u"again.mdb"_s);
        QVERIFY(!import::importAccess(imported.access, again, {}));
        QCOMPARE(tableRows(again), tableRows(imported.league));
        for (const QString& table : result.plan.tables) {
            const QList<QByteArray> was = mdbExport(before, table).split('\n');
            const QList<QByteArray> now = mdbExport(imported.access, table).split('\n');
            QCOMPARE(now.size(), was.size());
            qsizetype changed = 0;
            for (qsizetype i = 0; i < now.size(); ++i)
                changed += now[i] != was[i];
            QVERIFY(changed > 0 && changed <= result.plan.rows);
        }
        // The bytes differ only in the written fields and null masks.
        const QByteArray a = TestSupport::fileBytes(before);
        const QByteArray b = TestSupport::fileBytes(imported.access);
        QCOMPARE(a.size(), b.size());
        qsizetype differing = 0;
        for (qsizetype i = 0; i < a.size(); ++i)
            differing += a[i] != b[i];
        QVERIFY(differing > 0 && differing <= 9 * cells);

        // A second write-back needs no new import; then there is nothing to write.
        QCOMPARE(
            imported.run(sample.startsWith(u"nwind"_s)
                             ? u"UPDATE Products SET ReorderLevel = 99 WHERE ProductID = 9"_s
                             : u"UPDATE DateTest SET DateCol = '2000-01-01' WHERE rowid = 4"_s),
            QString());
        QCOMPARE(imported.write(&result).message(), db::Error().message());
        QCOMPARE(result.plan.cells, 1);
        QCOMPARE(imported.write(&result).message(), db::Error().message());
        QVERIFY(!result.written);
    }

    // kind: what is wrong; number: the refusal (0: written).
    void refusalsWriteNothing_data()
    {
        columns<QString, int>("kind", "number");
        QTest::newRow("changed since") << u"changed"_s << writeback::AccessChanged;
        QTest::newRow("lock file") << u"lock"_s << writeback::AccessInUse;
        QTest::newRow("read-only") << u"read-only"_s << writeback::AccessNotWritable;
        QTest::newRow("hard link") << u"link"_s << writeback::AccessNotWritable;
        QTest::newRow("encoded") << u"encoded"_s << writeback::AccessNotWritable;
        QTest::newRow("the league itself") << u"league"_s << writeback::AccessNotWritable;
        QTest::newRow("missing") << u"missing"_s << int(db::FileNotFound);
        QTest::newRow("not Access") << u"text"_s << 1060;
        QTest::newRow("never imported") << u"unrecorded"_s << import::NoImportRecord;
        QTest::newRow("too large for the column") << u"40000"_s << writeback::NotAllWritable;
        QTest::newRow("an indexed column") << u"indexed"_s << writeback::NotAllWritable;
        QTest::newRow("an added row") << u"added"_s << writeback::NotAllWritable;
        QTest::newRow("NULL into a Required column") << u"required"_s << writeback::NotAllWritable;
        QTest::newRow("NULL into a Yes/No") << u"yes/no"_s << writeback::NotAllWritable;
        QTest::newRow("a symbolic link is followed") << u"symlink"_s << 0;
    }

    void refusalsWriteNothing()
    {
        auto [kind, number] = fetch<QString, int>("kind", "number");
        REQUIRE_SAMPLE(u"nwind.mdb"_s);
        Imported imported;
        QVERIFY(imported.make(u"nwind.mdb"_s));
        const QMap<QString, QString> sql{
            {u"40000"_s, u"UPDATE Products SET UnitsInStock = 40000 WHERE ProductID = 2"_s},
            {u"indexed"_s, u"UPDATE Products SET SupplierID = 3 WHERE ProductID = 2"_s},
            {u"added"_s, u"INSERT INTO Shippers VALUES (9, 'New', NULL)"_s},
            {u"required"_s, u"UPDATE [Order Details] SET Quantity = NULL WHERE rowid = 1"_s},
            {u"yes/no"_s, u"UPDATE Products SET Discontinued = NULL WHERE ProductID = 2"_s},
            {u"unrecorded"_s, u"DROP TABLE [yardmark99.source]"_s}};
        QCOMPARE(imported.run(u"UPDATE Products SET UnitsInStock = 1 WHERE ProductID = 1;"_s +
                              sql.value(kind)),
                 QString());
        QByteArray bytes = TestSupport::fileBytes(imported.access);
        QString target = imported.access;
        if (kind == u"changed"_s || kind == u"encoded"_s) {
            bytes[kind == u"changed"_s ? bytes.size() - 1 : 0x3e] ^= 0x20;
            QVERIFY(TestSupport::writeFile(target + u".new"_s, bytes));
            QVERIFY(QFile::remove(target) && QFile::rename(target + u".new"_s, target));
        } else if (kind == u"lock"_s) {
            QVERIFY(TestSupport::writeFile(imported.dir.filePath(u"nwind.ldb"_s), "locked"));
        } else if (kind == u"read-only"_s) {
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner));
        } else if (kind == u"link"_s) {
            QVERIFY(::link(QFile::encodeName(target).constData(),
                           QFile::encodeName(target + u"2"_s).constData()) == 0);
        } else if (kind == u"league"_s) {
            target = imported.league;
            bytes = TestSupport::fileBytes(target);
        } else if (kind == u"missing"_s) {
            target = imported.dir.filePath(u"gone.mdb"_s);
            bytes.clear();
        } else if (kind == u"text"_s) {
            target = imported.dir.filePath(u"notes.mdb"_s);
            bytes = "ID,Name\n";
            QVERIFY(TestSupport::writeFile(target, bytes));
        } else if (kind == u"symlink"_s) {
            target = imported.dir.filePath(u"link.mdb"_s);
            QVERIFY(QFile::link(imported.access, target));
        }
        writeback::WriteOptions options;
        options.allOrNothing = true;
        writeback::WriteResult result;
        const db::Error e = writeback::writeBack(imported.league, target, options, &result);
        QCOMPARE(e.number, number);
        if (number == 0) {
            QVERIFY(QFileInfo(target).isSymLink() && result.written);
            QVERIFY(TestSupport::fileBytes(imported.access) != bytes);
            return;
        }
        QVERIFY(!e.description.isEmpty());
        QCOMPARE(TestSupport::fileBytes(target), bytes);
        QVERIFY(!QFileInfo::exists(imported.access + u".backups"_s));
    }

    // A reader that hangs or crashes on a damaged file ends in a message.
    void childEndsInAMessage_data()
    {
        columns<QString, QString>("kind", "says");
        QTest::newRow("result") << u"result"_s << QString();
        QTest::newRow("error") << u"error"_s << u"Error:1062 damaged"_s;
        QTest::newRow("hang") << u"hang"_s << u"stopped responding while reading \"f\""_s;
        QTest::newRow("crash") << u"crash"_s << u"crashed (signal 11)"_s;
    }

    void childEndsInAMessage()
    {
        auto [kind, says] = fetch<QString, QString>("kind", "says");
        writeback::ChildOptions options;
        options.stallMilliseconds = 300;
        QByteArray result;
        const db::Error e = writeback::runInChild(
            [kind](const writeback::Alive&, QByteArray* out) {
                if (kind == u"hang"_s)
                    QThread::sleep(60);
                if (kind == u"crash"_s)
                    ::raise(SIGSEGV);
                *out = "planned";
                return kind == u"error"_s ? db::Error(1062, u"damaged"_s) : db::Error();
            },
            options, u"\"f\""_s, &result);
        QVERIFY2(e.message().contains(says), qPrintable(e.message()));
        QCOMPARE(result, says.isEmpty() ? QByteArray("planned") : QByteArray());
    }

    // Killed at random moments (SIGKILL), the write leaves the old file or the new one, whole.
    void killedWriteIsAllOrNothing()
    {
        REQUIRE_SAMPLE(u"nwind.mdb"_s);
        Imported imported;
        QVERIFY(imported.make(u"nwind.mdb"_s));
        QCOMPARE(imported.run(NorthwindSql), QString());
        const QByteArray old = TestSupport::fileBytes(imported.access);
        const QString copy = imported.dir.filePath(u"copy.mdb"_s);
        QVERIFY(QFile::copy(imported.access, copy));
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        process.start(QStringLiteral(PROGRAM), {u"--write-access"_s, imported.league, copy});
        QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
        const qint64 took = qMax<qint64>(clock.elapsed(), 2);
        const QByteArray written = TestSupport::fileBytes(copy);
        QVERIFY(written != old);
        for (int i = 0; i < 8; ++i) {
            QVERIFY(QFile::remove(copy) && QFile::copy(imported.access, copy));
            QDir(copy + u".backups"_s).removeRecursively();
            process.start(QStringLiteral(PROGRAM), {u"--write-access"_s, imported.league, copy});
            QVERIFY(process.waitForStarted());
            QTest::qSleep(int(QRandomGenerator::global()->bounded(took)));
            process.kill();
            QVERIFY(process.waitForFinished(10000));
            const QByteArray left = TestSupport::fileBytes(copy);
            QVERIFY(left == old || left == written);
        }
    }

    // Through the windows: an imported nwind given the seven league tables
    // (empty) is the league; a cell typed into its grid, Cancel, then Write.
    void menuCommandWritesAfterItsSummary()
    {
        REQUIRE_SAMPLE(u"nwind.mdb"_s);
        m_gui.setUp();
        Imported imported;
        QVERIFY(imported.make(u"nwind.mdb"_s));
        QString tables;
        for (const QString& t : {u"Conference"_s, u"FreeAgents"_s, u"League"_s, u"PlayerTable"_s,
                                 u"Roster"_s, u"Schedule"_s, u"Team"_s})
            tables += u"CREATE TABLE %1 AS SELECT * FROM p.%1 WHERE 0;"_s.arg(t);
        QCOMPARE(imported.run(u"ATTACH '%1' AS p;"_s.arg(m_gui.pristine()) + tables), QString());
        QVERIFY(m_gui.main()->openLeague(imported.league));
        QCOMPARE(imported.run(u"UPDATE Products SET SupplierID = 5 WHERE ProductID = 1"_s),
                 QString());
        TableWindow* grid =
            openTableWindow(m_gui.main()->mdiArea(), imported.league, u"Products"_s);
        QVERIFY(grid);
        QVERIFY(TestSupport::typeInto(grid, 1, u"UnitsInStock"_s, u"40000"_s));
        QTRY_COMPARE(TestSupport::messages().size(), 1);
        QVERIFY(TestSupport::messages().last().contains(u"from -32768 to 32767"_s));
        QVERIFY(TestSupport::typeInto(grid, 1, u"UnitsInStock"_s, u"41"_s));
        const QByteArray before = TestSupport::fileBytes(imported.access);

        Prompts::setNextAnswer(QMessageBox::Yes);    // Commit changes?
        Prompts::setNextAnswer(QMessageBox::Cancel); // the summary
        m_gui.main()->action(u"mnuWriteBackAccess"_s)->trigger();
        const Prompts::Shown summary = Prompts::shown().last();
        QVERIFY2(summary.text.startsWith(u"1 cells in 1 rows of Products will be written"_s),
                 qPrintable(summary.text));
        QCOMPARE(summary.captions,
                 (QStringList{u"Write 1 Changes"_s, u"Save List\u2026"_s, u"Cancel"_s}));
        QCOMPARE(TestSupport::fileBytes(imported.access), before);

        const QString csv = imported.dir.filePath(u"list.csv"_s);
        Prompts::setNextAnswer(QMessageBox::Save);
        Prompts::setNextFileName(csv);
        Prompts::setNextAnswer(QMessageBox::Yes);
        m_gui.main()->action(u"mnuWriteBackAccess"_s)->trigger();
        QVERIFY(TestSupport::fileBytes(csv).contains(
            "Products,ProductID=1,SupplierID,5,in an index of the Access file"));
        QVERIFY(TestSupport::fileBytes(imported.access) != before);
        QVERIFY(m_gui.main()->commandResultText().startsWith(u"Wrote 1 cells in 1 rows"_s));
        QCOMPARE(m_gui.tearDown(), QString());
    }
};

QTEST_MAIN(TestWriteBack)
#include "tst_writeback.moc"
