#include "shell/HistoryCommands.h"

#include "core/backups/Backups.h"
#include "core/db/Database.h"
#include "core/db/LeagueFiles.h"
#include "history/BackupStep.h"
#include "history/LeagueHistory.h"
#include "history/RowStep.h"
#include "shell/LeagueSession.h"
#include "shell/RestoreBackupWindow.h"
#include "ui/EditingWindow.h"
#include "ui/Prompts.h"
#include "windows/grid/TableWindow.h"
#include "windows/players/PlayerCard.h"

#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {
// The status bar's sentences, one after another.
QString sentences(QStringList parts)
{
    parts.removeAll(QString());
    for (QString& part : parts) {
        if (part.endsWith(u'.'))
            part.chop(1);
    }
    return parts.join(QStringLiteral(". "));
}
} // namespace

HistoryCommands::HistoryCommands(LeagueSession* session, QMdiArea* area)
    : QObject(area), m_session(session), m_area(area)
{
    connect(session->history(), &LeagueHistory::leagueReplaced, this,
            &HistoryCommands::refreshGrids);
}

void HistoryCommands::recordRowChange(const RowChange& change)
{
    if (m_session->history()->record(std::make_unique<RowStep>(change)))
        return;
    emit finished(QStringLiteral("%1 was written to %2, which is not the league open "
                                 "now, so Edit > Undo cannot take it back")
                      .arg(change.text, db::quotedPath(change.league)));
}

void HistoryCommands::refreshGrids(const QString& league)
{
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (auto* grid = qobject_cast<TableWindow*>(sub->widget());
            grid && db::sameFile(grid->leaguePath(), league))
            grid->refresh();
        else if (auto* card = qobject_cast<PlayerCard*>(sub->widget()))
            card->leagueChanged(league);
    }
}

void HistoryCommands::undo()
{
    step(true);
}

void HistoryCommands::redo()
{
    step(false);
}

void HistoryCommands::step(bool back)
{
    LeagueHistory* history = m_session->history();
    const LeagueStep* named = back ? history->nextUndo() : history->nextRedo();
    if (!named)
        return;
    // Edited rows are settled against the league as it is, before it changes.
    if (!settlePendingEdits(m_area))
        return;
    if (named != (back ? history->nextUndo() : history->nextRedo())) {
        // The edited row written just now is the newest step: the one the
        // menu named can no longer be taken back before it.
        emit finished(QStringLiteral("The edited row was written first, so nothing was %1")
                          .arg(back ? QStringLiteral("undone") : QStringLiteral("redone")));
        return;
    }
    const QString verb = back ? QStringLiteral("Undo") : QStringLiteral("Redo");
    const QString text = named->text();
    const auto* replaced = dynamic_cast<const BackupStep*>(named);
    const db::Error e = back ? history->undo() : history->redo();
    if (e.number == db::LeagueChanged) {
        Prompts::refuse(m_area, e.description);
        return;
    }
    if (e) {
        Prompts::showError(m_area, e.message());
        return;
    }
    refreshGrids(history->league());
    if (replaced && back)
        emit finished(QStringLiteral("Undo %1: the league is back as it was %2")
                          .arg(text, replaced->undoneTo()));
    else
        emit finished(verb + u' ' + text + QStringLiteral(": done"));
}

bool HistoryCommands::restoreLeague(const QString& league, const QString& backup,
                                    const QString& command)
{
    // Edited rows are settled against the league they were made in, before
    // it is replaced.
    if (!settlePendingEdits(m_area))
        return false;
    const QString restored = takenBefore(league, backup); // the backup may be pruned after
    backups::RestoreResult done;
    QString dropped;
    if (const db::Error e =
            m_session->history()->restore(league, backup, command, &done, &dropped)) {
        Prompts::showError(m_area, e.message());
        return false;
    }
    QStringList result{QStringLiteral("%1: the league is back as it was %2").arg(command, restored),
                       done.note, dropped};
    if (done.damaged)
        result << QStringLiteral("Undo %1 is not offered: the league it replaced did not open, so "
                                 "there is nothing to go back to")
                      .arg(command);
    emit finished(sentences(result));
    return true;
}

void HistoryCommands::restoreBackup()
{
    if (m_restoreWindow)
        m_restoreWindow->close();
    const QString path = m_session->leaguePath();
    // A league that is missing or no longer opens is what a restore is for;
    // a locked one, or a folder, is not replaced.
    db::Database league;
    if (const db::Error e = league.open(path); e && !backups::isDamagedLeague(e)) {
        Prompts::showError(m_area, e.message());
        return;
    }
    league.close();
    auto* form = new RestoreBackupWindow(path, [this, path](const QString& backup) {
        return restoreLeague(path, backup, QStringLiteral("Restore Backup"));
    });
    if (!form->listBackups()) {
        delete form;
        Prompts::refuse(
            m_area,
            QStringLiteral("There are no backups of the league %1 yet.").arg(db::quotedPath(path)));
        return;
    }
    m_restoreWindow = m_area->addSubWindow(form);
    m_restoreWindow->setObjectName(QStringLiteral("frmRestoreBackupWindow"));
    m_restoreWindow->setAttribute(Qt::WA_DeleteOnClose);
    m_restoreWindow->show();
    m_area->setActiveSubWindow(m_restoreWindow);
}
