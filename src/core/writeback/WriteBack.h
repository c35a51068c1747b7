#pragma once

#include "core/backups/Backups.h"
#include "core/writeback/ChildProcess.h"
#include "core/writeback/WritePlan.h"

#include <functional>

// Writes a league's changes into the Access file it was imported from, in
// place: each changed fixed-size cell of each row the league still maps to
// its Access row. Reads the league and the file's current values, plans
// (libmdb reads in a watched child process), copies the Access file into its
// backups folder, writes a temporary copy beside it, reads the copy back in
// a child and compares, and only then renames it over the file. A kill at
// any moment leaves the old file or the new one, whole. The league is only read.
namespace writeback {

struct WriteOptions {
    // Leagues windows hold (and the league itself): the Access file must be none of them.
    QStringList heldLeagues;
    ChildOptions child;
    // Shown the plan before anything is written when it has cells to write;
    // false cancels (db::Cancelled).
    std::function<bool(const Plan&)> confirm;
    // Writes nothing when any change cannot be written (NotAllWritable).
    bool allOrNothing = false;
    // The step now running, for a progress window.
    std::function<void(const QString&)> step;
    // How many copies of the Access file are kept ([Backups] Keep).
    backups::KeepRule keep;
};

struct WriteResult {
    Plan plan;
    QString access; // the real file written
    QString backup; // the copy of the file as it was
    bool written = false;
};

db::Error writeBack(const QString& league, const QString& access, const WriteOptions& options,
                    WriteResult* result);

// One line for the status bar or the command line.
QString resultText(const WriteResult& result);

} // namespace writeback
