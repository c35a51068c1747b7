#include "TestSupport.h"
#include "db/Database.h"
#include "db/RecordSet.h"
#include "grid/RecordSetModel.h"
#include "leaguegen/LeagueGenerator.h"

#include <QAbstractItemModelTester>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using db::Error;

// The grid model over a real record set, watched by QAbstractItemModelTester
// through every edit, append, delete and reset.
class TestGridModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void commitOrDrop_data();
    void commitOrDrop();
    void newRowLineAppends();
    void deleteScatteredRows();
    void refusedValueKeepsTheRow();
    void editElsewhereLeavesTheRow();
    void fixedColumns();
    void switches();

private:
    QString storedName(qint64 rowid);
    // Without fixed columns, column i shows field i.
    int column(const QString& field) const { return m_rs->fieldIndex(field); }

    QTemporaryDir m_dir;
    QString m_pristine;
    db::Database m_db;
    std::unique_ptr<db::RecordSet> m_rs;
    RecordSetModel* m_model = nullptr;
    QAbstractItemModelTester* m_tester = nullptr;
    QList<bool> m_answers; // answers to beforeUpdate / beforeDelete, in turn
    int m_questions = 0;
};

void TestGridModel::initTestCase()
{
    TestSupport::initTestEnvironment();
    m_pristine = m_dir.filePath(u"pristine.db"_s);
    leaguegen::LeagueOptions options;
    options.players = 250; // five teams
    QCOMPARE(leaguegen::writeLeague(m_pristine, options).message(), Error().message());
}

void TestGridModel::init()
{
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) +
                                        QString::fromLatin1(QTest::currentDataTag()) + u".db"_s);
    QVERIFY(QFile::copy(m_pristine, path));
    QVERIFY(!m_db.open(path));
    QVERIFY(!db::RecordSet::open(m_db, u"Team"_s, db::RecordSet::Dynaset, &m_rs));
    m_model = new RecordSetModel(this);
    m_tester = new QAbstractItemModelTester(
        m_model, QAbstractItemModelTester::FailureReportingMode::QtTest, this);
    m_model->setRecordSet(m_rs.get());
    m_questions = 0;
    m_answers.clear();
    const auto answer = [this](bool* cancel) {
        ++m_questions;
        *cancel = m_answers.isEmpty() || !m_answers.takeFirst();
    };
    connect(m_model, &RecordSetModel::beforeUpdate, this, answer);
    connect(m_model, &RecordSetModel::beforeDelete, this, answer);
}

void TestGridModel::cleanup()
{
    delete m_tester;
    delete m_model;
    m_rs.reset();
    m_db.close();
}

QString TestGridModel::storedName(qint64 rowid)
{
    QString name = u"(none)"_s;
    m_db.query(u"SELECT TeamName FROM Team WHERE rowid = ?"_s, {rowid},
               [&](const QSqlQuery& q) { name = q.value(0).toString(); });
    return name;
}

void TestGridModel::commitOrDrop_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes writes") << true;
    QTest::newRow("No drops") << false;
}

void TestGridModel::commitOrDrop()
{
    QFETCH(bool, yes);
    const QModelIndex cell = m_model->index(1, column(u"TeamName"_s));
    const QString before = cell.data().toString();
    QVERIFY(m_model->setData(cell, u"Renamed"_s));
    QCOMPARE(m_model->pendingRow(), 1);
    QCOMPARE(cell.data().toString(), u"Renamed"_s);
    QCOMPARE(storedName(m_rs->key(1)), before); // nothing written yet
    QCOMPARE(m_model->headerData(1, Qt::Vertical).toString(), u"\u270E"_s);

    m_answers = {yes};
    bool cancelled = false;
    QCOMPARE(m_model->commitPendingEdit(&cancelled).message(), Error().message());
    QCOMPARE(m_questions, 1);
    QCOMPARE(cancelled, !yes);
    QVERIFY(!m_model->hasPendingEdit());
    const QString expected = yes ? u"Renamed"_s : before;
    QCOMPARE(storedName(m_rs->key(1)), expected);
    QCOMPARE(cell.data().toString(), expected);
}

void TestGridModel::newRowLineAppends()
{
    const int records = m_rs->count();
    QCOMPARE(m_model->rowCount(), records + 1);
    QCOMPARE(m_model->newRowLine(), records);
    QCOMPARE(m_model->headerData(records, Qt::Vertical).toString(), u"*"_s);
    QVERIFY(m_model->setData(m_model->index(records, column(u"TeamName"_s)), u"Expansion"_s));
    QVERIFY(m_model->setData(m_model->index(records, column(u"TeamID"_s)), u"99"_s));
    m_answers = {true};
    QVERIFY(!m_model->commitPendingEdit());
    QCOMPARE(m_rs->count(), records + 1);
    QCOMPARE(m_model->rowCount(), records + 2);
    QCOMPARE(storedName(m_rs->key(records)), u"Expansion"_s);
    QCOMPARE(m_model->index(records, column(u"TeamID"_s)).data().toLongLong(), 99LL);
    QVERIFY(m_model->index(records + 1, 0).data().isNull());
}

void TestGridModel::deleteScatteredRows()
{
    const int records = m_rs->count();
    QVERIFY(records >= 4);
    const qint64 kept = m_rs->key(1), gone0 = m_rs->key(0), gone2 = m_rs->key(2);
    m_answers = {false};
    bool cancelled = false;
    QVERIFY(!m_model->deleteRows({0, 2, records}, &cancelled)); // the new-row line is no row
    QVERIFY(cancelled);
    QCOMPARE(m_rs->count(), records);

    m_answers = {true};
    QVERIFY(!m_model->deleteRows({2, 0}));
    QCOMPARE(m_questions, 2);
    QCOMPARE(m_model->rowCount(), records - 2 + 1);
    QCOMPARE(m_rs->key(0), kept);
    QCOMPARE(storedName(gone0), u"(none)"_s);
    QCOMPARE(storedName(gone2), u"(none)"_s);
}

void TestGridModel::refusedValueKeepsTheRow()
{
    QSignalSpy refused(m_model, &RecordSetModel::editRefused);
    QVERIFY(m_model->setData(m_model->index(0, column(u"City"_s)), u"Elsewhere"_s));
    QVERIFY(!m_model->setData(m_model->index(0, column(u"TeamID"_s)), u"twelve"_s));
    QCOMPARE(refused.size(), 1);
    const Error e = m_model->takeEditError();
    QCOMPARE(e.number, int(db::ValueDoesNotFit));
    QVERIFY(e.description.contains(u"\"TeamID\""_s));
    QCOMPARE(m_model->pendingRow(), 0);
    QCOMPARE(m_model->index(0, column(u"City"_s)).data().toString(), u"Elsewhere"_s);
    QCOMPARE(m_questions, 0);
}

void TestGridModel::editElsewhereLeavesTheRow()
{
    QVERIFY(m_model->setData(m_model->index(0, column(u"TeamName"_s)), u"First"_s));
    m_answers = {true};
    QVERIFY(m_model->setData(m_model->index(2, column(u"TeamName"_s)), u"Third"_s));
    QCOMPARE(m_questions, 1);
    QCOMPARE(storedName(m_rs->key(0)), u"First"_s);
    QCOMPARE(m_model->pendingRow(), 2);
}

void TestGridModel::fixedColumns()
{
    m_model->setFixedColumns({{u"Name"_s, u"teamname"_s}, {u"Id"_s, u"TEAMID"_s}});
    QCOMPARE(m_model->columnCount(), 2);
    QCOMPARE(m_model->headerData(0, Qt::Horizontal).toString(), u"Name"_s);
    QCOMPARE(m_model->fieldNameOfColumn(1), u"TeamID"_s);
    QCOMPARE(m_model->index(0, 0).data(), m_rs->value(0, m_rs->fieldIndex(u"TeamName"_s)));
    QVERIFY(m_model->missingField().isEmpty());

    m_model->setFixedColumns({{u"Name"_s, u"TeamName"_s}, {u"Gone"_s, u"Nope"_s}});
    QCOMPARE(m_model->missingField(), u"Nope"_s);
    QVERIFY(!(m_model->flags(m_model->index(0, 1)) & Qt::ItemIsEditable));
    QVERIFY(m_model->index(0, 1).data().isNull());
}

void TestGridModel::switches()
{
    const int records = m_rs->count();
    m_model->setAllowAddNew(false);
    QCOMPARE(m_model->rowCount(), records);
    QCOMPARE(m_model->newRowLine(), -1);

    m_model->setAllowDelete(false);
    QVERIFY(!m_model->deleteRows({0}));
    QCOMPARE(m_questions, 0);
    QCOMPARE(m_rs->count(), records);

    m_model->setAllowUpdate(false);
    QVERIFY(!m_model->setData(m_model->index(0, 0), u"1"_s));
    QVERIFY(!m_model->hasPendingEdit());
}

QTEST_MAIN(TestGridModel)
#include "tst_gridmodel.moc"
