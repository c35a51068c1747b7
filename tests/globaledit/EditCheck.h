#pragma once

#include "TestSupport.h"
#include "core/globaledit/GlobalEditEngine.h"
#include "leaguegen/LeagueGenerator.h"

#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

// What the global edit tests compare: every player's 80 columns before and
// after an edit, and the result the pure steps say the edit must give.

using TestSupport::columns;
using TestSupport::fetch;

namespace editcheck {

// rowid -> the 80 PlayerTable columns in their usual order.
using Snapshot = QMap<qint64, QVariantList>;

Snapshot snapshot(const QString& path);
// The stored value as a rating: only a finite number is one; the steps leave
// text, blobs, no value and infinities as they are.
globaledit::Rating ratingOf(const QVariant& v);
bool selects(const globaledit::GlobalEdit& edit, const QVariantList& row);
// The players the edit selects keep every column but ratings 1..24, which
// become what the steps make of them (stored whole); everyone else is unchanged.
Snapshot expectedAfter(const Snapshot& before, const globaledit::GlobalEdit& edit);
// The first player and column where the two differ, in value or in stored
// type (a whole rating read back as a real is a difference); empty when equal.
QString firstDifference(const Snapshot& actual, const Snapshot& expected);

// An edit of every position and team with all 48 percentages non-zero.
globaledit::GlobalEdit sampleEdit();

// One generated league per test program, copied afresh for every test.
class Leagues
{
public:
    QString generate(const leaguegen::LeagueOptions& options); // empty, or the error
    QString base() const { return m_dir.filePath(QStringLiteral("base.sqlite")); }
    QString copy();

private:
    QTemporaryDir m_dir;
    int m_copies = 0;
};

} // namespace editcheck
