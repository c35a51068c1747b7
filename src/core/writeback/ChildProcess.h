#pragma once

#include "core/db/Error.h"

#include <QByteArray>
#include <functional>

// Work on an Access file that runs in a forked child process, as the import
// reads one: libmdb trusts the file and can loop or crash on a damaged one.
// The child tells the parent it is alive while it works and hands back its
// result as bytes; the parent kills it when it falls silent or is cancelled.
namespace writeback {

// Called by the work as it goes; cheap enough to call for every row.
using Alive = std::function<void()>;

struct ChildOptions {
    int stallMilliseconds = 30000;
    // Asked about every 100 ms; false kills the child (db::Cancelled).
    std::function<bool()> keepGoing;
};

using ChildWork = std::function<db::Error(const Alive& alive, QByteArray* result)>;

// Runs work in a child; what names the file for the message when the child
// hangs or crashes. The result is the work's, or its error. meanwhile runs in
// the parent while the child works (the machine's other core); its error
// stops the child and is returned.
db::Error runInChild(const ChildWork& work, const ChildOptions& options, const QString& what,
                     QByteArray* result, const std::function<db::Error()>& meanwhile = {});

} // namespace writeback
