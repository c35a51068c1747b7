#include "globaledit/engine/RatingSteps.h"

#include <cmath>

namespace globaledit {

namespace {
// Zero percent leaves the rating alone, so a stored value that is not whole
// stays exactly as it was.
void scale(Rating& value, double percent)
{
    if (percent == 0 || !value)
        return;
    const double q = percent * 0.01;
    // The product first, then the sum, each in double precision.
    const double product = *value * q;
    value = storedWhole(product + *value);
}

void lowerTo(Rating& value, double limit)
{
    if (value && *value > limit)
        value = storedWhole(limit);
}

void raiseTo(Rating& value, double limit)
{
    if (value && *value < limit)
        value = storedWhole(limit);
}
} // namespace

double storedWhole(double value)
{
    // The default rounding mode is to nearest, ties to even.
    return std::nearbyint(value);
}

RatingPair applyRatingSteps(RatingPair rating, double actualPercent, double potentialPercent,
                            const Bounds& bounds, StepTrace* trace)
{
    Rating& a = rating.actual;
    Rating& p = rating.potential;
    scale(a, actualPercent);
    scale(p, potentialPercent);
    lowerTo(a, bounds.actualMax);
    raiseTo(a, bounds.actualMin); // after the maximum: a minimum above it wins
    const bool raise = a && p && *a > *p;
    if (raise)
        p = storedWhole(*a);
    if (trace)
        trace->potentialRaised = raise;
    // After raising to the actual: a potential maximum below the actual wins.
    lowerTo(p, bounds.potentialMax);
    raiseTo(p, bounds.potentialMin);
    return rating;
}

} // namespace globaledit
