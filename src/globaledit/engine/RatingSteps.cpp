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

Rating actualSteps(Rating a, double actualPercent, const Bounds& bounds)
{
    scale(a, actualPercent);
    lowerTo(a, bounds.actualMax);
    raiseTo(a, bounds.actualMin); // after the maximum: a minimum above it wins
    return a;
}

Rating potentialSteps(Rating p, Rating newActual, double potentialPercent, const Bounds& bounds,
                      StepTrace* trace)
{
    scale(p, potentialPercent);
    const bool raise = newActual && p && *newActual > *p;
    if (raise)
        p = storedWhole(*newActual);
    if (trace)
        trace->potentialRaised = raise;
    // After raising to the actual: a potential maximum below the actual wins.
    lowerTo(p, bounds.potentialMax);
    raiseTo(p, bounds.potentialMin);
    return p;
}

RatingPair applyRatingSteps(RatingPair rating, double actualPercent, double potentialPercent,
                            const Bounds& bounds, StepTrace* trace)
{
    // Scaling the potential before or after bounding the actual is the same:
    // neither reads the other.
    const Rating actual = actualSteps(rating.actual, actualPercent, bounds);
    return {actual, potentialSteps(rating.potential, actual, potentialPercent, bounds, trace)};
}

} // namespace globaledit
