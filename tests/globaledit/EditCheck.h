#pragma once

#include "globaledit/engine/GlobalEditEngine.h"

#include <QMap>
#include <QString>
#include <QVariantList>

// What the global edit tests compare: every player's 80 columns before and
// after an edit, and the result the pure steps say the edit must give.
namespace editcheck {

// rowid -> the 80 PlayerTable columns in their usual order.
using Snapshot = QMap<qint64, QVariantList>;

Snapshot snapshot(const QString& path);
// The players the edit selects keep every column but ratings 1..24, which
// become what the steps make of them; everyone else is unchanged.
Snapshot expectedAfter(const Snapshot& before, const globaledit::GlobalEdit& edit);
// The first player and column where the two differ; empty when they agree.
QString firstDifference(const Snapshot& actual, const Snapshot& expected);
// Rating cells of 1..24 that hold anything but a whole number or NULL.
int nonWholeRatingCells(const QString& path);

// An edit of every position and team with all 48 percentages non-zero.
globaledit::GlobalEdit sampleEdit();

} // namespace editcheck
