#pragma once

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
};

// What a rating column can hold: the nearest whole number, an exact half
// going to the even neighbour.
double storedWhole(double value);

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
// the potential on the potential and the new actual.
Rating actualSteps(Rating actual, double actualPercent, const Bounds& bounds);
Rating potentialSteps(Rating potential, Rating newActual, double potentialPercent,
                      const Bounds& bounds, StepTrace* trace = nullptr);

} // namespace globaledit
