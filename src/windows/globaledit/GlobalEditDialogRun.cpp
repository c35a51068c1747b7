// The Global Edit dialog's OK: the boxes read into an edit, the edit run on a
// worker with every window's input held back, and its progress window.
#include "core/backups/Backups.h"
#include "core/globaledit/DecimalText.h"
#include "core/globaledit/Jobs.h"
#include "ui/EditingWindow.h"
#include "ui/InputBlocker.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "windows/globaledit/GlobalEditDialog.h"
#include "windows/globaledit/ProgressWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>

void GlobalEditDialog::confirm()
{
    if (m_running)
        return; // OK again while the progress window lets input through
    const std::optional<globaledit::GlobalEdit> edit = editToRun();
    if (!edit)
        return;
    if (repeatsLastEdit(*edit) &&
        !Prompts::ask(this, QStringLiteral("This edit was just applied. Apply it again?"),
                      QMessageBox::No))
        return;
    // Open grids show the edit's result afterwards; their edited rows are
    // settled first.
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (frame && frame->mdiArea() && !settlePendingEdits(frame->mdiArea()))
        return;
    startEdit(*edit);
}

ProgressWindow* GlobalEditDialog::progressWindow() const
{
    return m_progress;
}

std::optional<globaledit::GlobalEdit> GlobalEditDialog::editToRun()
{
    if (!m_teamsRead) {
        // The league changed to one whose teams could not be read: try again.
        if (const db::Error e = readTeamsOf(m_leaguePath)) {
            Prompts::showError(this, e.message());
            return std::nullopt;
        }
    }
    if (!chooseShownTeam())
        return std::nullopt;
    return collectEdit();
}

bool GlobalEditDialog::readNumber(QLineEdit* box, double& target)
{
    if (const std::optional<double> value = globaledit::parseDecimal(box->text())) {
        target = *value;
        return true;
    }
    Prompts::refuse(this, QStringLiteral("Please Enter a Valid Number"));
    box->setFocus();
    box->selectAll();
    return false;
}

std::optional<globaledit::GlobalEdit> GlobalEditDialog::collectEdit()
{
    // Every box is read before anything changes, top to bottom as shown.
    globaledit::GlobalEdit edit;
    globaledit::Bounds& b = edit.parameters.bounds;
    if (!readNumber(m_actualMax, b.actualMax) || !readNumber(m_actualMin, b.actualMin) ||
        !readNumber(m_potentialMax, b.potentialMax) || !readNumber(m_potentialMin, b.potentialMin))
        return std::nullopt;
    for (const RatingBoxes& r : m_ratings) {
        const auto i = size_t(r.rating - 1);
        if (!readNumber(r.actual, edit.parameters.actualPercent[i]) ||
            !readNumber(r.potential, edit.parameters.potentialPercent[i]))
            return std::nullopt;
    }
    for (size_t i = 0; i < m_positions.size(); ++i)
        edit.positions.set(i, m_positions[i]->checkState() == Qt::Checked);
    edit.team = m_teamFilter;
    const QVariant name = m_teams->currentData(TeamNameRole);
    if (name.isValid())
        edit.teamName = name.toString();
    return edit;
}

// What one OK holds while its worker runs: no input reaches any window, and
// the backup is taken on the worker under the edit's write lock.
struct GlobalEditDialog::RunningEdit {
    RunningEdit(const QString& league, const globaledit::GlobalEdit& edit,
                backups::UndoReceiver undo)
        : edit(edit),
          backup(league, QStringLiteral("Global Edit"),
                 backups::keepRule(readSetting(settings::BackupsKeep)), std::move(undo)),
          job(league, edit, [this](db::Database& db) { return backup.take(db); })
    {
    }
    globaledit::GlobalEdit edit;
    InputBlocker blocker;
    backups::CommandBackup backup;
    globaledit::EditJob job;
};

void GlobalEditDialog::EndRun::operator()(RunningEdit* run) const
{
    delete run;
}

GlobalEditDialog::~GlobalEditDialog() = default;

void GlobalEditDialog::startEdit(const globaledit::GlobalEdit& edit)
{
    m_running = true;
    m_lastUndoable = false;
    backups::UndoReceiver undo;
    if (m_undoReceiver) {
        undo = [this](const backups::UndoPoint& point) {
            m_lastUndoable = true;
            return m_undoReceiver(point);
        };
    }
    m_run.reset(new RunningEdit(m_leaguePath, edit, undo));
    globaledit::EditJob* job = &m_run->job;
    connect(job, &globaledit::EditJob::positionStarted, this, &GlobalEditDialog::positionStarted);
    connect(job, &globaledit::EditJob::playersDone, this, &GlobalEditDialog::playersDone);
    connect(job, &globaledit::EditJob::finished, this, &GlobalEditDialog::finishEdit,
            Qt::QueuedConnection);
    job->start();
}

void GlobalEditDialog::finishEdit()
{
    const db::Error e = m_run->job.wait();
    globaledit::ChangedPlayers changed{};
    if (!e) {
        const QString note = m_run->backup.committed();
        m_backupNote = note.isEmpty() ? QString() : QStringLiteral(". ") + note;
        changed = m_run->job.changedPlayers();
    }
    const globaledit::GlobalEdit edit = m_run->edit;
    m_run.reset(); // input reaches the windows again
    m_running = false;
    if (m_progress) {
        m_progress->hide();
        delete m_progress; // the hourglass goes with it
    }
    if (e)
        Prompts::showError(this, e.message());
    else if (edit.positions.any()) { // with none checked, OK does nothing
        showApplied(edit, changed);
        emit edited(resultText(edit, changed) + m_backupNote);
    }
    if (e.number == db::TeamNotInLeague)
        readTeamsOf(m_leaguePath); // the list shows the table as it now is
}

void GlobalEditDialog::positionStarted(int position, qint64 players)
{
    choosePosition(position);
    m_barPosition = position;
    m_barDone = 0;
    // Any number of players takes the bar from 0 to 100.
    m_step = 100.0f / float(players);
    if (!m_progress)
        m_progress = new ProgressWindow(window());
    ProgressWindow* progress = m_progress;
    progress->setProgressValue(0);
    progress->showCentred();
    progress->setCaption(QStringLiteral("Updating ") + m_positionName);
}

void GlobalEditDialog::playersDone(int position, qint64 done)
{
    ProgressWindow* progress = m_progress;
    if (!progress || position != m_barPosition)
        return;
    progress->advanceBy(m_step * float(done - m_barDone));
    m_barDone = done;
}
