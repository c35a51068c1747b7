#pragma once

#include "core/db/Schema.h"
#include "core/globaledit/RatingSteps.h"

#include <QString>
#include <array>
#include <bitset>
#include <optional>

// What one global edit is: its percentages and bounds, whose players and
// which positions. The dialog builds it; the engine, the preview and the
// selection of players all take it.
namespace globaledit {

inline constexpr int EditedRatingCount = db::schema::EditableRatingCount;

// The percentages of one edit, by rating number - 1, and its bounds.
struct EditParameters {
    std::array<double, EditedRatingCount> actualPercent{};
    std::array<double, EditedRatingCount> potentialPercent{};
    Bounds bounds;

    // The seven steps for rating ratingNumber (1..24).
    RatingPair apply(int ratingNumber, RatingPair rating, StepTrace* trace = nullptr) const;
    // False when a number is infinite or NaN: the steps would store garbage.
    bool isFinite() const;
    friend bool operator==(const EditParameters&, const EditParameters&) = default;
};

// Whose players change: every team (nullopt), or the one TeamID given; 0 is
// the college draft pool and the free agents. "All teams" is deliberately
// not a number, so no real team id can be mistaken for it.
using TeamFilter = std::optional<qint64>;

struct GlobalEdit {
    EditParameters parameters;
    TeamFilter team;
    // The name under which the Team table listed team. When given, the edit
    // runs only if the table still holds the id under this name, so a list
    // read earlier can never edit another league's or a renamed team.
    std::optional<QString> teamName;
    std::bitset<db::schema::PositionCount> positions; // run in index order
    friend bool operator==(const GlobalEdit&, const GlobalEdit&) = default;
};

} // namespace globaledit
