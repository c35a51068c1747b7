#include "GuiFixture.h"

#include "TestSupport.h"
#include "core/db/Database.h"
#include "leaguegen/LeagueGenerator.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"
#include "windows/grid/GridView.h"
#include "windows/grid/TableCommands.h"
#include "windows/grid/TableConnection.h"
#include "windows/grid/TableWindow.h"

#include <QtTest>
#include <QtWidgets>

namespace TestSupport {

QString firstColumn(const QString& path, const QString& sql)
{
    db::Database database;
    QStringList out;
    db::Error error = database.open(path);
    if (!error)
        error =
            database.query(sql, {}, [&](const db::Statement& q) { out << q.value(0).toString(); });
    return error ? error.message() : out.join(u',');
}

QString executeOn(const QString& path, const QString& sql)
{
    db::Database other;
    db::Error error = other.open(path);
    if (!error)
        error = other.execute(sql);
    return error ? error.message() : QString();
}

QModelIndex cell(TableWindow* window, int row, const QString& field)
{
    return window->model()->index(row, window->connection()->recordSet()->fields().indexOf(field));
}

QString keys(TableWindow* window)
{
    QStringList out;
    const db::RecordSet* rs = window->connection()->recordSet();
    for (int row = 0; row < rs->count(); ++row)
        out << QString::number(rs->key(row));
    return out.join(u',');
}

QWidget* openEditor(TableWindow* window, int row, const QString& field)
{
    GridView* grid = window->gridView();
    grid->setCurrentIndex(cell(window, row, field));
    grid->edit(cell(window, row, field));
    for (QWidget* e : grid->viewport()->findChildren<QWidget*>()) {
        if (e->isVisible() && (qobject_cast<QLineEdit*>(e) || qobject_cast<QPlainTextEdit*>(e)))
            return e; // closed editors linger until deleted
    }
    return nullptr;
}

bool typeInto(TableWindow* window, int row, const QString& field, const QString& text, bool enter)
{
    auto* editor = qobject_cast<QLineEdit*>(openEditor(window, row, field));
    if (!editor)
        return false;
    editor->selectAll();
    QTest::keyClicks(editor, text);
    if (enter)
        QTest::keyClick(editor, Qt::Key_Return);
    return true;
}

GuiFixture::GuiFixture(int players)
{
    initTestEnvironment();
    m_pristine = m_dir.filePath(QStringLiteral("pristine.db"));
    leaguegen::LeagueOptions options;
    options.players = players;
    if (const db::Error error = leaguegen::writeLeague(m_pristine, options))
        qFatal("cannot write the test league: %s", qPrintable(error.message()));
}

void GuiFixture::setUp()
{
    m_path = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + u'_' +
                            QString::fromLatin1(QTest::currentDataTag()).remove(u' ') +
                            QStringLiteral(".db"));
    QFile::remove(m_path);
    if (!QFile::copy(m_pristine, m_path))
        qFatal("cannot copy the test league");
    clearSettings();
    m_main = new MainWindow;
    m_main->show();
    QApplication::setActiveWindow(m_main); // keyboard shortcuts need an active window
    if (!QTest::qWaitForWindowActive(m_main))
        qWarning("the main window did not become active");
    m_main->setLeaguePath(m_path);
}

void GuiFixture::closeMain()
{
    delete m_main; // no unload runs, so no question is asked
    m_main = nullptr;
}

QString GuiFixture::tearDown()
{
    closeMain();
    return Prompts::finishTest();
}

TableWindow* GuiFixture::openVia(const QString& item) const
{
    m_main->action(item)->trigger();
    return activeTable();
}

TableWindow* GuiFixture::openTable(const QString& table) const
{
    return openTableWindow(m_main->mdiArea(), m_path, table);
}

TableWindow* GuiFixture::activeTable() const
{
    QMdiSubWindow* sub = m_main->mdiArea()->activeSubWindow();
    return sub ? qobject_cast<TableWindow*>(sub->widget()) : nullptr;
}

} // namespace TestSupport
