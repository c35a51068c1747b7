#pragma once

#include <QtCore>

class MainWindow;
class TableWindow;

namespace TestSupport {

// The first column of every row the query yields from the file at path,
// comma-joined; the error's message when the query fails.
QString firstColumn(const QString& path, const QString& sql);
// Runs sql on the file through a connection of its own, as another program
// would; the error's message, empty when it ran.
QString executeOn(const QString& path, const QString& sql);

// The cell of the grid's row under the field's column.
QModelIndex cell(TableWindow* window, int row, const QString& field);
// The record keys of the grid's rows in order, comma-joined.
QString keys(TableWindow* window);
// Opens the cell's editor the way a double click does; null when none opens.
QWidget* openEditor(TableWindow* window, int row, const QString& field);
// Types text over the cell's value, then Enter unless told not to; false
// when no editor opened.
bool typeInto(TableWindow* window, int row, const QString& field, const QString& text,
              bool enter = true);

// A league written once per suite, and for each test a fresh copy of it, an
// empty settings store and the real main window on the copy. Call setUp()
// from init() and tearDown() from cleanup().
class GuiFixture
{
public:
    explicit GuiFixture(int players = 300);
    void setUp();
    // Closes the main window; the prompts left unanswered, empty when none.
    QString tearDown();
    // Ends the program's main window as File > Exit does.
    void closeMain();

    MainWindow* main() const { return m_main; }
    QString path() const { return m_path; }         // this test's copy
    QString pristine() const { return m_pristine; } // the league as written
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString firstColumn(const QString& sql) const { return TestSupport::firstColumn(m_path, sql); }
    QString execute(const QString& sql) const { return executeOn(m_path, sql); }
    // Triggers the menu item and returns the grid window it made active.
    TableWindow* openVia(const QString& item) const;
    // Opens the table's grid window directly.
    TableWindow* openTable(const QString& table) const;
    TableWindow* activeTable() const;

private:
    QTemporaryDir m_dir;
    QString m_pristine;
    QString m_path;
    MainWindow* m_main = nullptr;
};

} // namespace TestSupport
