#pragma once

#include <cmath>
#include <optional>

// The seven steps that a global edit runs on one rating of one player. Pure:
// the stored pair and the edit's numbers in, the pair to store out.
namespace globaledit {

// A stored rating; no value (SQL NULL) is std::nullopt.
using Rating = std::optional<double>;

struct RatingPair {
    Rating actual;
    Rating potential;
    friend bool operator==(const RatingPair&, const RatingPair&) = default;
};

// The lowest and highest allowed ratings, as the user typed them.
struct Bounds {
    double actualMin = 0;
    double actualMax = 99;
    double potentialMin = 0;
    double potentialMax = 99;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

// What a rating column can hold: the nearest whole number, an exact half
// going to the even neighbour (the default rounding mode).
inline double storedWhole(double value)
{
    return std::nearbyint(value);
}

// What the steps did on the way, beyond the pair they return.
struct StepTrace {
    bool potentialRaised = false; // the potential was lifted to the actual
};

// Scales actual and potential by their percentages, forces the actual into
// its bounds, raises the potential to the actual and forces the potential
// into its bounds, in that order. Each step sees what the one before stored,
// so every written value is already whole. A rating without a value keeps
// having none, and a comparison with it changes nothing. trace, when given,
// learns what the steps did.
RatingPair applyRatingSteps(RatingPair rating, double actualPercent, double potentialPercent,
                            const Bounds& bounds, StepTrace* trace = nullptr);

// The same steps one side at a time, for callers that need only one of the
// pair (the edit's SQL functions): the actual depends on the actual alone,
// the potential on the potential and the new actual. Inline, because the
// edit runs them for each of the 48 values of every player.
namespace steps {
// Zero percent leaves the rating alone, so a stored value that is not whole
// stays exactly as it was.
inline void scale(Rating& value, double percent)
{
    if (percent == 0 || !value)
        return;
    const double q = percent * 0.01;
    // The product first, then the sum, each in double precision.
    const double product = *value * q;
    value = storedWhole(product + *value);
}

inline void lowerTo(Rating& value, double limit)
{
    if (value && *value > limit)
        value = storedWhole(limit);
}

inline void raiseTo(Rating& value, double limit)
{
    if (value && *value < limit)
        value = storedWhole(limit);
}
} // namespace steps

inline Rating actualSteps(Rating a, double actualPercent, const Bounds& bounds)
{
    steps::scale(a, actualPercent);
    steps::lowerTo(a, bounds.actualMax);
    steps::raiseTo(a, bounds.actualMin); // after the maximum: a minimum above it wins
    return a;
}

inline Rating potentialSteps(Rating p, Rating newActual, double potentialPercent,
                             const Bounds& bounds, StepTrace* trace = nullptr)
{
    steps::scale(p, potentialPercent);
    const bool raise = newActual && p && *newActual > *p;
    if (raise)
        p = storedWhole(*newActual);
    if (trace)
        trace->potentialRaised = raise;
    // After raising to the actual: a potential maximum below the actual wins.
    steps::lowerTo(p, bounds.potentialMax);
    steps::raiseTo(p, bounds.potentialMin);
    return p;
}

} // namespace globaledit
