#pragma once

#include "core/db/Error.h"
#include "core/globaledit/GlobalEditEngine.h"

#include <QString>
#include <QVariant>
#include <array>
#include <functional>
#include <vector>

// What a global edit would do, worked out without writing: the same
// selection and the same rating steps as runGlobalEdit, on a connection that
// only reads, so the preview and the edit cannot disagree.
namespace globaledit {

// The distribution of a rating in bins five points wide: bin 0 holds the
// values below 0, bins 1..20 hold 0-4 .. 95-99, bin 21 the values from 100.
inline constexpr int DistributionBins = 22;
using Distribution = std::array<qint64, DistributionBins>;
int distributionBin(double value);
QString distributionBinName(int bin); // "< 0", "0-4", ... "100+"

// One side (actual or potential) of one rating over the selection. Values
// that are not ratings (null, text, blobs) are left out, as the edit leaves
// them alone.
struct RatingFigures {
    qint64 values = 0; // the ratings counted
    double sumBefore = 0;
    double sumAfter = 0;
    qint64 atBound = 0; // values that end at the minimum or the maximum
    qint64 raised = 0;  // potentials only: lifted to the actual
    Distribution before{};
    Distribution after{};

    double meanBefore() const { return values ? sumBefore / double(values) : 0; }
    double meanAfter() const { return values ? sumAfter / double(values) : 0; }
};

enum class RatingSide { Actual, Potential };

struct PositionFigures {
    qint64 selected = 0;
    qint64 changed = 0; // players with at least one rating that would change
};

// One player the edit would change. The 48 values as stored before, by
// ratedSide(); a value that is no rating is NaN. Floats keep 200,000 players
// in a few dozen megabytes; what the edit makes of them is worked out again
// when shown (EditParameters::apply).
struct ChangedPlayer {
    qint64 key = 0; // rowid
    int position = 0;
    QVariant team; // TeamID as stored
    QString name;  // "First Last"
    std::array<float, 2 * EditedRatingCount> before{};
};
// The index of rating n's actual or potential in ChangedPlayer::before.
inline int ratedSide(int ratingNumber, RatingSide side)
{
    return 2 * (ratingNumber - 1) + int(side);
}
// The pair of rating n a changed player had before the edit.
RatingPair storedPair(const ChangedPlayer& player, int ratingNumber);

// Why a selected player would not change: none of his 48 values is a rating;
// every rating he has is scaled by 0% (and lies within the bounds); a scaled
// change is too small to survive rounding; or a scaled rating is held where
// it already is, at a bound. A player counts under the last that applies.
enum class Unchanged { NoRating, ZeroPercent, RoundsAway, AtBound, Count };

struct PreviewResult {
    bool stopped = false; // the progress callback asked to stop: the figures are partial
    std::array<PositionFigures, db::schema::PositionCount> positions{};
    std::vector<ChangedPlayer> changedPlayers; // in file order
    std::array<qint64, size_t(Unchanged::Count)> unchanged{};
    // By rating number - 1, then actual and potential.
    std::array<std::array<RatingFigures, 2>, EditedRatingCount> ratings{};

    const RatingFigures& figures(int ratingNumber, RatingSide side) const
    {
        return ratings[size_t(ratingNumber - 1)][size_t(side)];
    }
};

struct PreviewProgress {
    // Called now and then from the thread that computes, with the share of
    // the work done (0..1). Returning false stops the preview.
    std::function<bool(double done)> progress;
};

// Works out what runGlobalEdit(path, edit) would do now. Opens its own
// connection that can only read, so it takes no write lock and changes no
// byte of the file. Safe to run on a worker thread. Refuses what the edit
// refuses (numbers that are not finite, a team no longer in the league).
db::Error computePreview(const QString& path, const GlobalEdit& edit, PreviewResult& result,
                         const PreviewProgress& progress = {});

} // namespace globaledit
