#include "core/globaledit/RatingSteps.h"

namespace globaledit {

RatingPair applyRatingSteps(RatingPair rating, double actualPercent, double potentialPercent,
                            const Bounds& bounds, StepTrace* trace)
{
    // Scaling the potential before or after bounding the actual is the same:
    // neither reads the other.
    const Rating actual = actualSteps(rating.actual, actualPercent, bounds);
    return {actual, potentialSteps(rating.potential, actual, potentialPercent, bounds, trace)};
}

} // namespace globaledit
