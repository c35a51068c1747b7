#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class MainWindow;

// The commands that change a league as a whole, run through the main
// window's menus as a user runs them, and what they leave: shared by the
// backups and the undo history suites.
namespace TestSupport {

// What the league holds, row by row in every table, and its integrity
// check: equal for a sound league and its restored copy, whose file headers
// differ.
QByteArray content(const QString& path);
// The file names of the league's backups, newest first.
QStringList backupNames(const QString& league);

// Edit > Global Edit: SP +10% (+11%, ... for the next) for QB and HB of all
// teams, OK; what it showed.
QStringList globalEdit(MainWindow* main);
// File > Clear Database with the answer to its question (NoButton: none may
// be asked): what it showed after the question.
QStringList clearDatabase(MainWindow* main, QMessageBox::StandardButton answer = QMessageBox::Yes);
// File > Restore Backup on the newest backup, answering its question: every
// message shown; listed gets the commands the window listed.
QStringList restoreNewest(MainWindow* main, QMessageBox::StandardButton answer,
                          QStringList* listed = nullptr);

// Edit > Undo or Redo as the menu shows it: its text, and " (off)" when
// it is disabled.
QString undoItem(MainWindow* main);
QString redoItem(MainWindow* main);
void undo(MainWindow* main);

} // namespace TestSupport
