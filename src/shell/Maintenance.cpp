// File > Clear Database and File > Convert.
#include "core/backups/Backups.h"
#include "core/db/ClearLeague.h"
#include "core/db/Database.h"
#include "core/db/Schema.h"
#include "shell/MainWindow.h"
#include "shell/StartProgram.h"
#include "ui/EditingWindow.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"

#include <QDir>

namespace {

const QString ConverterName = QStringLiteral("Kickvale99LeagueConv.exe");

QString clearQuestion(const QString& path)
{
    return QStringLiteral("All rows of the seven league tables (%1) in \"%2\" will be deleted. "
                          "A backup of the league is kept first: Edit > Undo or "
                          "File > Restore Backup brings the rows back.\n\nClear the database?")
        .arg(db::schema::leagueTables().join(QStringLiteral(", ")), QDir::toNativeSeparators(path));
}

// Clears the league after a backup of it as it was, taken under the
// clearing's own lock; note gets what the backup adds to the status bar.
db::Error clearLeagueTables(db::Database& league, QString* note)
{
    backups::CommandBackup backup(league.path(), QStringLiteral("Clear Database"));
    db::Error e = db::clearLeague(league, [&] { return backup.take(league); });
    if (!e)
        *note = backup.committed();
    return e;
}

} // namespace

void MainWindow::clearDatabase()
{
    // Opened before asking, so a missing or foreign file is reported without
    // a pointless question about deleting its rows.
    db::Database league;
    db::Error e = league.open(m_leaguePath);
    if (!e) {
        if (!Prompts::ask(this, clearQuestion(m_leaguePath), QMessageBox::No))
            return;
        // Open grids show the cleared tables afterwards; their edited rows
        // are settled first.
        if (!settlePendingEdits(m_area))
            return;
        QString note;
        e = clearLeagueTables(league, &note);
        if (!e && !note.isEmpty())
            showCommandResult(note);
    }
    if (e)
        Prompts::showError(this, e.message());
}

void MainWindow::convert()
{
    if (m_converterPath.isEmpty()) {
        const QString path = Prompts::openFileName(
            this, QStringLiteral("Select Kickvale99LeagueConv"),
            {ConverterName + QStringLiteral(" (") + ConverterName + QLatin1Char(')')});
        if (path.isEmpty())
            return; // Cancel: nothing stored, nothing started
        m_converterPath = path;
        writeSetting(QStringLiteral("Settings"), QStringLiteral("Convert"), m_converterPath);
    }
    runConverter();
}

void MainWindow::runConverter()
{
    const db::Error e = startProgram(m_converterPath);
    if (e.number == db::FileNotFound) {
        // The stored choice stays: only a new choice replaces it.
        m_converterPath.clear();
        convert();
    } else if (e) {
        Prompts::showError(this, e.message());
    }
}
