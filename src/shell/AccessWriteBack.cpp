#include "shell/AccessWriteBack.h"

#include "core/db/Database.h"
#include "core/import/Provenance.h"
#include "core/writeback/WriteBack.h"
#include "ui/Prompts.h"
#include "ui/Settings.h"
#include "ui/WorkerProgress.h"

#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>

namespace {
const QString Title = QStringLiteral("Write Back to Access Database");

// The Access file the league was imported from; asked for when it is gone.
QString accessFileOf(QWidget* owner, const QString& league)
{
    db::Database file;
    import::Origin origin;
    db::Error e = file.openFile(league);
    if (!e)
        e = import::readOrigin(file, &origin);
    if (e) {
        Prompts::showError(owner, e.message());
        return {};
    }
    if (QFileInfo::exists(origin.path))
        return origin.path;
    return Prompts::openFileName(
        owner, Title,
        {QStringLiteral("Access databases (*.mdb *.accdb)"), QStringLiteral("All files (*)")});
}

QString summaryText(const writeback::Plan& plan, const QString& access)
{
    QString text = plan.cells == 0
                       ? QStringLiteral("None of the league's changes can be written to %1.")
                             .arg(db::quotedPath(access))
                       : QStringLiteral("%1 cells in %2 rows of %3 will be written to %4. A copy "
                                        "of the file as it is now is kept in its backups folder.")
                             .arg(plan.cells)
                             .arg(plan.rows)
                             .arg(plan.tables.join(QStringLiteral(", ")), db::quotedPath(access));
    if (!plan.listed.isEmpty())
        text += QStringLiteral("\n\n%1 changes cannot be written and stay only in the league "
                               "(Show Details… lists them, Save List… keeps them as CSV).")
                    .arg(plan.listed.size());
    for (const writeback::Unwritable& u : plan.listed) {
        if (u.table.compare(QLatin1String("PlayerTable"), Qt::CaseInsensitive) == 0 &&
            (u.column.compare(QLatin1String("TeamID"), Qt::CaseInsensitive) == 0 ||
             u.column.compare(QLatin1String("PlayerId"), Qt::CaseInsensitive) == 0)) {
            text += QStringLiteral("\n\n%1 is indexed in the game's file, so a player's move "
                                   "to another team cannot reach the game.")
                        .arg(u.column);
            break;
        }
    }
    return text;
}

QString detailsText(const QList<writeback::Unwritable>& listed)
{
    QStringList lines;
    for (const writeback::Unwritable& u : listed)
        lines
            << QStringLiteral("%1, %2, %3 = %4: %5").arg(u.table, u.key, u.column, u.value, u.why);
    return lines.join(QLatin1Char('\n'));
}

void saveList(QWidget* owner, const QList<writeback::Unwritable>& listed)
{
    const QString path =
        Prompts::saveFileName(owner, QStringLiteral("Save List As"),
                              {QStringLiteral("CSV (*.csv)")}, QStringLiteral("Not written.csv"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(writeback::unwritableCsv(listed)) < 0 || !file.flush())
        Prompts::showError(
            owner, db::Error(db::WriteFailed, QStringLiteral("The list could not be saved as %1.")
                                                  .arg(db::quotedPath(path)))
                       .message());
}

// The summary, until the user writes or cancels; Save List… keeps the list and asks again.
bool confirmPlan(QWidget* owner, const writeback::Plan& plan, const QString& access)
{
    QList<std::pair<QMessageBox::StandardButton, QString>> buttons;
    if (plan.cells > 0)
        buttons.append({QMessageBox::Yes, QStringLiteral("Write %1 Changes").arg(plan.cells)});
    if (!plan.listed.isEmpty())
        buttons.append({QMessageBox::Save, QStringLiteral("Save List\u2026")});
    buttons.append(
        {QMessageBox::Cancel, plan.cells > 0 ? QStringLiteral("Cancel") : QStringLiteral("Close")});
    for (;;) {
        const QMessageBox::StandardButton answer =
            Prompts::choose(owner, summaryText(plan, access), buttons, detailsText(plan.listed));
        if (answer != QMessageBox::Save)
            return answer == QMessageBox::Yes;
        saveList(owner, plan.listed);
    }
}
} // namespace

QString writeBackToAccess(QWidget* owner, const QString& league, const QStringList& heldLeagues)
{
    const QString access = accessFileOf(owner, league);
    if (access.isEmpty())
        return {};
    // Cancel asks the worker to stop; the window stays until it has.
    WorkerProgressDialog progress(QStringLiteral("Reading the Access file\u2026"),
                                  QStringLiteral("&Cancel"), 0, 0,
                                  owner ? owner->window() : nullptr);
    progress.setObjectName(QStringLiteral("frmWriteBackProgress"));
    progress.setWindowTitle(Title);
    progress.setAccessibleName(Title);
    progress.setMinimumDuration(0);
    writeback::WriteOptions options;
    options.heldLeagues = heldLeagues;
    options.keep = backups::keepRule(readSetting(settings::BackupsKeep));
    options.child.keepGoing = [&progress] { return !progress.stopRequested(); };
    options.step = [&progress](const QString& text) {
        QMetaObject::invokeMethod(
            &progress, [&progress, text] { progress.setLabelText(text); }, Qt::QueuedConnection);
    };
    bool asked = false;
    options.confirm = [&](const writeback::Plan& plan) {
        asked = true;
        bool write = false; // asked on the main thread, over the progress window
        QMetaObject::invokeMethod(
            &progress, [&] { write = confirmPlan(owner, plan, access); },
            Qt::BlockingQueuedConnection);
        return write;
    };
    writeback::WriteResult result;
    db::Error e;
    // Shown at once: the worker may need the main thread to ask about the plan.
    runShowingProgress(progress,
                       [&] { e = writeback::writeBack(league, access, options, &result); });
    progress.hide();
    if (e) {
        if (e.number != db::Cancelled)
            Prompts::showError(owner, e.message());
        return {};
    }
    // Nothing was asked when nothing could be written.
    if (!asked && !result.plan.listed.isEmpty())
        confirmPlan(owner, result.plan, result.access);
    else if (!result.written)
        Prompts::message(owner, writeback::resultText(result), QMessageBox::Information);
    return result.written ? writeback::resultText(result) : QString();
}
