// File > Import Access Database... and the offer File > Open makes for an
// Access file: the dialogs, the progress window and what follows the import.
#include "core/db/Error.h"
#include "core/import/AccessFile.h"
#include "core/import/ImportAccess.h"
#include "shell/ImportProgressWindow.h"
#include "shell/MainWindow.h"
#include "ui/Prompts.h"

#include <QDir>

namespace {
QString native(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}
} // namespace

void MainWindow::importAccess()
{
    const QString source = Prompts::openFileName(
        this, QStringLiteral("Import Access Database"),
        {QStringLiteral("Access databases (*.mdb *.accdb)"), QStringLiteral("All files (*)")});
    if (source.isEmpty())
        return; // Cancel: nothing changes
    importAccessDatabase(source);
}

std::optional<bool> MainWindow::offerAccessImport(const QString& path)
{
    if (!import::isAccessFile(path))
        return std::nullopt;
    if (!Prompts::ask(this, QStringLiteral("The file %1 is a Microsoft Access (Jet) database. "
                                           "Yardmark '99 keeps a league in an SQLite file.\n\n"
                                           "Import it into a new league file?")
                                .arg(native(path))))
        return false;
    return importAccessDatabase(path);
}

bool MainWindow::importAccessDatabase(const QString& source)
{
    if (const db::Error e = import::checkAccessFile(source)) {
        Prompts::showError(this, e.message());
        return false;
    }
    const QString target =
        Prompts::saveFileName(this, QStringLiteral("Save Imported League As"),
                              {QStringLiteral("mdb (*.mdb)"), QStringLiteral("All files (*)")},
                              import::defaultImportTarget(source));
    if (target.isEmpty())
        return false;

    import::ImportOptions options;
    options.replaceTarget = true; // the save dialog asked before replacing
    options.heldLeagues = heldLeagues();
    ImportProgressWindow progress(this, source);
    options.progress = [&progress](const import::ImportProgress& p) {
        return progress.update(p.table, p.tableIndex, p.tableCount, p.rows, p.tableRows);
    };
    import::ImportResult result;
    const db::Error e = import::importAccess(source, target, options, &result);
    progress.hide();
    if (e) {
        if (e.number != db::Cancelled)
            Prompts::showError(this, e.message());
        return false;
    }

    const QString summary = QStringLiteral("Imported %1 tables (%2 rows) from %3")
                                .arg(result.tables.size())
                                .arg(result.rows)
                                .arg(QDir::toNativeSeparators(source));
    const QStringList missing = import::missingLeagueTables(target);
    if (missing.isEmpty()) {
        const bool opened = openLeague(target);
        showCommandResult(summary);
        return opened;
    }
    showCommandResult(summary);
    Prompts::message(this,
                     QStringLiteral("%1 into %2.\n\nThe new file is not a league; it lacks these "
                                    "league tables: %3. It was kept, and the league in use "
                                    "stays as it was.")
                         .arg(summary, native(target), missing.join(QStringLiteral(", "))),
                     QMessageBox::Information);
    return false;
}
