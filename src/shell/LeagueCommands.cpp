#include "shell/LeagueCommands.h"

#include "core/backups/Backups.h"
#include "core/db/ClearLeague.h"
#include "core/db/Database.h"
#include "core/db/Schema.h"
#include "core/import/AccessFile.h"
#include "core/import/ImportAccess.h"
#include "shell/AccessWriteBack.h"
#include "shell/ImportProgressWindow.h"
#include "shell/LeagueSession.h"
#include "shell/PreviousLeague.h"
#include "shell/RecentLeagues.h"
#include "shell/StartProgram.h"
#include "ui/EditingWindow.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "windows/grid/TableConnection.h"
#include "windows/grid/TableWindow.h"

#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

const QString ConverterName = QStringLiteral("Kickvale99LeagueConv.exe");

QString clearQuestion(const QString& path)
{
    return QStringLiteral("All rows of the seven league tables (%1) in %2 will be deleted. "
                          "A backup of the league is kept first: Edit > Undo or "
                          "File > Restore Backup brings the rows back.\n\nClear the database?")
        .arg(db::schema::leagueTables().join(QStringLiteral(", ")), db::quotedPath(path));
}

} // namespace

LeagueCommands::LeagueCommands(LeagueSession* session, QMdiArea* area)
    : QObject(area), m_session(session), m_area(area)
{
}

void LeagueCommands::choose()
{
    const QString path =
        Prompts::openFileName(m_area, QStringLiteral("Select AccessConvert"),
                              {QStringLiteral("mdb (*.mdb)"), QStringLiteral("All files (*)")});
    if (path.isEmpty())
        return; // Cancel: nothing changes
    open(path);
}

// File > Open, a recent league and the command line's league come here, and
// so does File > Import Access Database... (an Access file to import).
// Each step either hands on to the next or has told the user why not.
bool LeagueCommands::open(const QString& path)
{
    Opening opening = kindOf(path);
    return ask(opening) && run(opening) && store(opening);
}

bool LeagueCommands::importAccessDatabase(const QString& source)
{
    Opening opening{Opening::Access, source};
    return ask(opening) && run(opening) && store(opening);
}

void LeagueCommands::importAccess()
{
    const QString source = Prompts::openFileName(
        m_area, QStringLiteral("Import Access Database"),
        {QStringLiteral("Access databases (*.mdb *.accdb)"), QStringLiteral("All files (*)")});
    if (source.isEmpty())
        return; // Cancel: nothing changes
    importAccessDatabase(source);
}

LeagueCommands::Opening LeagueCommands::kindOf(const QString& path)
{
    // An Access file is offered for import rather than refused.
    if (import::isAccessFile(path))
        return {Opening::Access, path, true};
    return {Opening::League, path};
}

bool LeagueCommands::ask(Opening& opening)
{
    // A league is opened without a question; the windows still on the
    // previous one are asked about as it is stored.
    return opening.kind == Opening::League || askAboutImport(opening);
}

bool LeagueCommands::run(Opening& opening)
{
    if (opening.kind == Opening::Access && !runImport(opening))
        return false;
    opening.league = opening.kind == Opening::Access ? opening.target : opening.path;
    // A wrong file chosen by mistake would otherwise be stored and refused
    // by every later command.
    if (checkLeague(opening.league))
        return true;
    if (!opening.summary.isEmpty())
        emit finished(opening.summary);
    return false;
}

bool LeagueCommands::store(const Opening& opening)
{
    offerToClosePreviousLeague(m_area, m_session->leaguePath(), opening.league);
    m_session->storeLeaguePath(opening.league);
    if (m_recent)
        m_recent->remember(opening.league);
    if (!opening.summary.isEmpty())
        emit finished(opening.summary);
    return true;
}

bool LeagueCommands::askAboutImport(Opening& opening)
{
    if (opening.askToImport &&
        !Prompts::ask(m_area, QStringLiteral("The file %1 is a Microsoft Access (Jet) database. "
                                             "Yardmark '99 keeps a league in an SQLite file.\n\n"
                                             "Import it into a new league file?")
                                  .arg(db::quotedPath(opening.path))))
        return false;
    if (const db::Error e = import::checkAccessFile(opening.path)) {
        Prompts::showError(m_area, e.message());
        return false;
    }
    opening.target = chooseImportTarget(opening.path);
    return !opening.target.isEmpty();
}

bool LeagueCommands::runImport(Opening& opening)
{
    import::ImportOptions options;
    options.heldLeagues = heldLeagues();
    ImportProgressWindow progress(m_area->window(), opening.path);
    import::ImportResult result;
    const db::Error e = progress.run([&](const ImportProgressWindow::Report& report) {
        options.progress = report;
        return import::importAccess(opening.path, opening.target, options, &result);
    });
    progress.hide();
    if (e) {
        if (e.number != db::Cancelled)
            Prompts::showError(m_area, e.message());
        return false;
    }

    opening.summary =
        QStringLiteral("%1 from %2")
            .arg(import::importedText(result), QDir::toNativeSeparators(opening.path));
    const QStringList missing = import::missingLeagueTables(opening.target);
    if (missing.isEmpty())
        return true;
    emit finished(opening.summary);
    Prompts::message(m_area,
                     QStringLiteral("%1 into %2.\n\nThe new file is not a league; it lacks these "
                                    "league tables: %3. It was kept, and the league in use "
                                    "stays as it was.")
                         .arg(opening.summary, db::quotedPath(opening.target),
                              missing.join(QStringLiteral(", "))),
                     QMessageBox::Information);
    return false;
}

bool LeagueCommands::checkLeague(const QString& path)
{
    db::Database league;
    if (const db::Error e = league.open(path)) {
        Prompts::showError(m_area, e.message());
        return false;
    }
    return true;
}

void LeagueCommands::writeBackAccess()
{
    // Rows still being edited in a grid are part of the league first.
    if (!settlePendingEdits(m_area))
        return;
    const QString text = writeBackToAccess(m_area, m_session->leaguePath(), heldLeagues());
    if (!text.isEmpty())
        emit finished(text);
}

QString LeagueCommands::chooseImportTarget(const QString& source)
{
    // An import never replaces a file (another league would be gone without
    // a backup): the dialog does not offer to, and a name taken or refused
    // is said and asked for again.
    for (;;) {
        const QString target =
            Prompts::saveFileName(m_area, QStringLiteral("Save Imported League As"),
                                  {QStringLiteral("mdb (*.mdb)"), QStringLiteral("All files (*)")},
                                  import::defaultImportTarget(source), false);
        if (target.isEmpty())
            return {};
        const db::Error e = import::checkImportTarget(target, source, heldLeagues());
        if (!e)
            return target;
        Prompts::showError(m_area, e.message());
    }
}

void LeagueCommands::convert()
{
    if (m_session->converterPath().isEmpty()) {
        const QString path = Prompts::openFileName(
            m_area, QStringLiteral("Select Kickvale99LeagueConv"),
            {ConverterName + QStringLiteral(" (") + ConverterName + QLatin1Char(')')});
        if (path.isEmpty())
            return; // Cancel: nothing stored, nothing started
        m_session->storeConverterPath(path);
    }
    runConverter();
}

void LeagueCommands::runConverter()
{
    const db::Error e = startProgram(m_session->converterPath());
    if (e.number == db::FileNotFound) {
        // The stored choice stays: only a new choice replaces it.
        m_session->setConverterPath({});
        convert();
    } else if (e) {
        Prompts::showError(m_area, e.message());
    }
}

void LeagueCommands::clearDatabase()
{
    const QString path = m_session->leaguePath();
    // Opened before asking, so a missing or foreign file is reported without
    // a pointless question about deleting its rows.
    db::Database league;
    db::Error e = league.open(path);
    if (!e) {
        if (!Prompts::ask(m_area, clearQuestion(path), QMessageBox::No))
            return;
        // Open grids show the cleared tables afterwards; their edited rows
        // are settled first.
        if (!settlePendingEdits(m_area))
            return;
        // The backup of the league as it was is taken under the clearing's
        // own lock, and is what Edit > Undo restores.
        backups::CommandBackup backup(path, QStringLiteral("Clear Database"),
                                      backups::keepRule(readSetting(settings::BackupsKeep)),
                                      m_session->undoReceiver());
        e = db::clearLeague(league, [&] { return backup.take(league); });
        if (!e) {
            if (const QString note = backup.committed(); !note.isEmpty())
                emit finished(note);
        }
    }
    if (e)
        Prompts::showError(m_area, e.message());
}

QStringList LeagueCommands::heldLeagues() const
{
    QStringList leagues{m_session->leaguePath()};
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (const auto* grid = qobject_cast<TableWindow*>(sub->widget()))
            leagues << grid->connection()->leaguePath();
    }
    leagues.removeDuplicates();
    return leagues;
}
