// Edit > Undo Global Edit and File > Restore Backup.
#include "backups/Backups.h"
#include "db/Database.h"
#include "grid/frmDataGrid.h"
#include "shell/MDIMain.h"
#include "shell/base/EditingWindow.h"
#include "shell/base/Prompts.h"
#include "shell/frmRestoreBackup.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <optional>

namespace {

QString changedSince(const backups::UndoPoint& point)
{
    return QStringLiteral("The league \"%1\" has changed since the last %2, so it cannot be "
                          "undone.\n\nUse File > Restore Backup to go back to the backup taken "
                          "before it.")
        .arg(QDir::toNativeSeparators(point.league), point.command);
}

// "before Clear Database of 2026-12-06 16:20:31", from the backup's name.
QString takenBefore(const QString& league, const QString& backup)
{
    for (const backups::Backup& b : backups::list(league)) {
        if (b.path == backup)
            return QStringLiteral("before %1 of %2")
                .arg(b.command, b.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
    return {};
}

} // namespace

void MDIMain::updateUndoItem()
{
    action(QStringLiteral("mnuUndoGlobalEdit"))
        ->setEnabled(backups::UndoRecord::instance().point().has_value());
}

bool MDIMain::restoreLeague(const QString& league, const QString& backup, const QString& command,
                            std::optional<quint32> unchangedSince)
{
    // Edited rows are settled against the league they were made in, before
    // it is replaced.
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (auto* editing = dynamic_cast<EditingWindow*>(sub->widget());
            editing && !editing->resolvePendingEdit())
            return false;
    }
    const QString restored = takenBefore(league, backup); // the backup may be pruned after
    QString note;
    const db::Error e = backups::restore(league, backup, command, unchangedSince, &note);
    if (e.number == db::LeagueChanged) {
        Prompts::refuse(this, changedSince(*backups::UndoRecord::instance().point()));
        return false;
    }
    if (e) {
        Prompts::showError(this, e.message());
        return false;
    }
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (auto* grid = qobject_cast<frmDataGrid*>(sub->widget()))
            grid->cmdRefresh_Click();
    }
    QString result = QStringLiteral("%1: the league is back as it was %2").arg(command, restored);
    if (!note.isEmpty())
        result += QStringLiteral(". ") + note;
    showCommandResult(result);
    return true;
}

void MDIMain::mnuUndoGlobalEdit_Click()
{
    const std::optional<backups::UndoPoint> point = backups::UndoRecord::instance().point();
    if (!point)
        return;
    // Checked again under the lock by the restore; asked here first so no
    // question about edited rows comes before a refusal.
    if (backups::changeCounter(point->league) != point->counter) {
        Prompts::refuse(this, changedSince(*point));
        return;
    }
    if (restoreLeague(point->league, point->backup, QStringLiteral("Undo Global Edit"),
                      point->counter))
        backups::UndoRecord::instance().clear();
}

void MDIMain::mnuRestoreBackup_Click()
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
    auto* form = new frmRestoreBackup(path, [this, path](const QString& backup) {
        return restoreLeague(path, backup, QStringLiteral("Restore Backup"));
    });
    if (!form->Form_Load()) {
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
