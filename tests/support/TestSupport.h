#pragma once

#include "core/db/Expression.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <tuple>

// Shared set-up for every test: the real settings store in a temporary home,
// prompts in test mode, a short busy timeout.
namespace TestSupport {

// Call once from initTestCase(): points the INI settings store into a fresh
// temporary folder, names the application "Yardmark99", enables the prompts'
// test mode and shortens the database busy timeout.
void initTestEnvironment();
// The temporary home of this test run (settings live below it).
QString homePath();
// Removes every stored setting.
void clearSettings();
// The table's fields in stored order, as the expression compiler takes
// them; empty when the file lacks the table.
QList<db::FieldDef> fieldDefs(db::Database& database, const QString& table);

// The file's bytes; empty when it cannot be read.
QByteArray fileBytes(const QString& path);
// Writes bytes to a new file at path; false when that fails.
bool writeFile(const QString& path, const QByteArray& bytes);
// The texts of the message boxes shown since the last finishTest(), from
// the from-th prompt on; beeps and file dialogs left out.
QStringList messages(qsizetype from = 0);

// The Access sample file name (nwind.mdb, DateTestDatabase.mdb) in the
// folder the build was given (tests/data/jet/README.md).
QString jetSample(const QString& name);
// Why a test that needs the sample at path cannot run; empty when it is there.
QString missingSample(const QString& path);
// Skips the test when the sample at path is missing, naming it; with
// YM_REQUIRE_JET_SAMPLES set (as CI sets it) the test fails instead.
#define REQUIRE_JET_SAMPLE(path)                                                                   \
    do {                                                                                           \
        if (const QString why = TestSupport::missingSample(path); !why.isEmpty()) {                \
            if (qEnvironmentVariableIsSet("YM_REQUIRE_JET_SAMPLES"))                               \
                QFAIL(qPrintable(why));                                                            \
            QSKIP(qPrintable(why));                                                                \
        }                                                                                          \
    } while (false)

// A data table's columns, and a test's fetch of them, each in one statement:
// columns<int, QString>("row", "text"); auto [row, text] = fetch<int, QString>("row", "text").
template <typename... T, typename... N> void columns(N... names)
{
    (QTest::addColumn<T>(names), ...);
}
template <typename... T, typename... N> std::tuple<T...> fetch(N... names)
{
    return {*static_cast<T*>(QTest::qData(names, qMetaTypeId<T>()))...};
}

// The benchmarks' timing: the best of runs, in milliseconds, after one run
// that warms the file cache.
double bestMs(int runs, const std::function<void()>& work);

} // namespace TestSupport
