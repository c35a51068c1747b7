#pragma once

#include "GuiFixture.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>

// What the backups and the undo history suites share: what a league holds,
// and the commands that change it as a whole.
namespace TestSupport {

// What the league holds, row by row in every table, and its integrity
// check: equal for a sound league and its restored copy, whose file headers
// differ.
QByteArray content(const QString& path);
// The file names of the league's backups, newest first.
QStringList backupNames(const QString& league);

// The GUI fixture and the commands that change a league as a whole, run
// through the main window's menus as a user runs them.
class LeagueChanges
{
protected:
    MainWindow* main() const { return m_gui.main(); }
    QString league() const { return m_gui.path(); }
    // A generated league in the test's folder; empty when it was not written.
    QString writeLeague(const QString& name, int players, quint32 seed = 1) const;
    // Edit > Global Edit: SP +10% (+11%, ... for the next) for QB and HB of
    // all teams, OK; what it showed.
    QStringList globalEdit() const;
    // File > Clear Database with the answer to its question (NoButton: none
    // may be asked): what it showed after the question.
    QStringList clearDatabase(QMessageBox::StandardButton answer = QMessageBox::Yes) const;
    // File > Restore Backup on the newest backup, answering its question:
    // every message shown; listed gets the commands the window listed.
    QStringList restoreNewest(QMessageBox::StandardButton answer,
                              QStringList* listed = nullptr) const;
    // Edit > Undo or Redo as the menu shows it: its text, and " (off)" when
    // it is disabled.
    QString undoText() const;
    QString redoText() const;
    void undo() const;

    GuiFixture m_gui;
};

} // namespace TestSupport
