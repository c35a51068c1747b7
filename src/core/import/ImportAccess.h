#pragma once

#include "core/import/Source.h"

#include <functional>
#include <memory>

// A one-way import: an Access database (or any Source) copied into a new
// SQLite file. The copy runs in a child process, so a reader that loops or
// crashes on a damaged file ends in a message, and it writes a temporary
// file beside the target that is renamed over it only when whole: a failed or
// cancelled import leaves nothing behind.
namespace import {

struct ImportProgress {
    QString table; // the table being copied; empty before the first
    int tableIndex = 0;
    int tableCount = 0;
    qint64 rows = 0;      // rows of that table copied so far
    qint64 tableRows = 0; // rows it records
};

struct ImportResult {
    QStringList tables;
    qint64 rows = 0;
    qint64 cells = 0; // rows times their table's columns
};

struct ImportOptions {
    // Called at least every 100 ms while the copy runs; returning false
    // cancels it (the error is db::Cancelled).
    std::function<bool(const ImportProgress&)> progress;
    // Leagues a window holds: the target must reach none of them, their
    // journals or backups.
    QStringList heldLeagues;
    // A reader silent for this long is taken to hang on a damaged file.
    int stallMilliseconds = 30000;
};

using SourceOpener = std::function<std::unique_ptr<Source>(db::Error&)>;

// Copies what open gives into a new SQLite file at target.
db::Error importTables(const SourceOpener& open, const QString& target,
                       const ImportOptions& options, ImportResult* result = nullptr);

// Imports the Access database at source (opened read-only) into target;
// refuses a target that is the source or reaches one of options.heldLeagues.
db::Error importAccess(const QString& source, const QString& target, const ImportOptions& options,
                       ImportResult* result = nullptr);

// Refuses a target that is the source, or reaches a held league, its journal
// or backups (compared by device and inode; for a target not yet there, by
// its folder and name), is a folder, exists, or has a name too long for the
// import's temporary file. An import never replaces a file.
db::Error checkImportTarget(const QString& target, const QString& source,
                            const QStringList& heldLeagues);

// The first free name of "<folder>/<source name> (imported).mdb",
// "... (imported 2).mdb", ...: the save dialog's proposal.
QString defaultImportTarget(const QString& source);

// "Imported 9 tables (4,032 rows)": what an import copied, in words.
QString importedText(const ImportResult& result);

// The league tables the SQLite file at path lacks; all seven when it cannot
// be read.
QStringList missingLeagueTables(const QString& path);

} // namespace import
