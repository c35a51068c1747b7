// Edit > Undo, Edit > Redo and File > Restore Backup.
#include "core/backups/Backups.h"
#include "core/db/Database.h"
#include "shell/LeagueHistory.h"
#include "shell/MainWindow.h"
#include "shell/RestoreBackupWindow.h"
#include "ui/EditingWindow.h"
#include "ui/Prompts.h"
#include "windows/grid/TableWindow.h"
#include "windows/players/PlayerCard.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <optional>

namespace {

// "&Undo Change of SP for Jo Walker": the step's name is no access key.
QString itemText(const QString& verb, const LeagueStep* step)
{
    if (!step)
        return u'&' + verb;
    return u'&' + verb + u' ' + QString(step->text()).replace(u'&', QStringLiteral("&&"));
}

} // namespace

QUndoStack* MainWindow::undoStack() const
{
    return m_history->stack();
}

void MainWindow::updateUndoItems()
{
    const struct {
        const char* item;
        const char* verb;
        LeagueStep* step;
    } items[] = {{"mnuUndoGlobalEdit", "Undo", m_history->nextUndo()},
                 {"mnuRedo", "Redo", m_history->nextRedo()}};
    for (const auto& i : items) {
        QAction* item = action(QLatin1String(i.item));
        item->setText(itemText(QLatin1String(i.verb), i.step));
        item->setEnabled(i.step != nullptr);
    }
}

void MainWindow::recordRowChange(const RowChange& change)
{
    if (m_history->holds(change.league)) {
        m_history->record(new RowStep(change));
        return;
    }
    showCommandResult(QStringLiteral("%1 was written to \"%2\", which is not the league open "
                                     "now, so Edit > Undo cannot take it back")
                          .arg(change.text, QDir::toNativeSeparators(change.league)));
}

void MainWindow::refreshGrids(const QString& league)
{
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (auto* grid = qobject_cast<TableWindow*>(sub->widget());
            grid && sameLeagueFile(grid->leaguePath(), league))
            grid->refresh();
    }
    PlayerCard::leagueChanged(league);
}

void MainWindow::undo()
{
    stepHistory(true);
}

void MainWindow::redo()
{
    stepHistory(false);
}

void MainWindow::stepHistory(bool back)
{
    const LeagueStep* named = back ? m_history->nextUndo() : m_history->nextRedo();
    if (!named)
        return;
    // Edited rows are settled against the league as it is, before it changes.
    if (!settlePendingEdits(m_area))
        return;
    if (named != (back ? m_history->nextUndo() : m_history->nextRedo())) {
        // The edited row written just now is the newest step: the one the
        // menu named can no longer be taken back before it.
        showCommandResult(QStringLiteral("The edited row was written first, so nothing was %1")
                              .arg(back ? QStringLiteral("undone") : QStringLiteral("redone")));
        return;
    }
    const QString verb = back ? QStringLiteral("Undo") : QStringLiteral("Redo");
    const QString text = named->text();
    const auto* replaced = dynamic_cast<const BackupStep*>(named);
    const db::Error e = back ? m_history->undo() : m_history->redo();
    if (e.number == db::LeagueChanged) {
        Prompts::refuse(this, e.description);
        return;
    }
    if (e) {
        Prompts::showError(this, e.message());
        return;
    }
    refreshGrids(m_history->league());
    if (replaced && back)
        showCommandResult(QStringLiteral("Undo %1: the league is back as it was %2")
                              .arg(text, replaced->undoneTo()));
    else
        showCommandResult(verb + u' ' + text + QStringLiteral(": done"));
}

bool MainWindow::restoreLeague(const QString& league, const QString& backup, const QString& command,
                               std::optional<quint32> unchangedSince)
{
    // Edited rows are settled against the league they were made in, before
    // it is replaced.
    if (!settlePendingEdits(m_area))
        return false;
    const QString restored = takenBefore(league, backup); // the backup may be pruned after
    QString note, replaced;
    if (const db::Error e =
            backups::restore(league, backup, command, unchangedSince, &note, &replaced)) {
        Prompts::showError(this, e.message());
        return false;
    }
    // One step: its undo restores the league as the restore found it.
    const std::optional<quint32> counter = backups::changeCounter(league);
    if (replaced.isEmpty() || !counter ||
        !m_history->record(new BackupStep({league, replaced, command, *counter})))
        refreshGrids(league); // recording the step refreshes them
    QString result = QStringLiteral("%1: the league is back as it was %2").arg(command, restored);
    if (!note.isEmpty())
        result += QStringLiteral(". ") + note;
    showCommandResult(result);
    return true;
}

void MainWindow::restoreBackup()
{
    static QPointer<QMdiSubWindow> window;
    if (window)
        window->close();
    // A league that is missing or no longer opens is what a restore is for;
    // a locked one, or a folder, is not replaced.
    db::Database league;
    if (const db::Error e = league.open(m_leaguePath); e && !backups::isDamagedLeague(e)) {
        Prompts::showError(this, e.message());
        return;
    }
    league.close();
    const QString path = m_leaguePath;
    auto* form = new RestoreBackupWindow(path, [this, path](const QString& backup) {
        return restoreLeague(path, backup, QStringLiteral("Restore Backup"));
    });
    if (!form->load()) {
        delete form;
        Prompts::refuse(this, QStringLiteral("There are no backups of the league \"%1\" yet.")
                                  .arg(QDir::toNativeSeparators(path)));
        return;
    }
    window = m_area->addSubWindow(form);
    window->setObjectName(QStringLiteral("frmRestoreBackupWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    m_area->setActiveSubWindow(window);
}
