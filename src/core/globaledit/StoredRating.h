#pragma once

#include "core/globaledit/RatingSteps.h"

#include <cmath>
#include <sqlite3.h>

// How the edit and its preview read a stored rating. Inside the engine only:
// it needs SQLite's header, which the engine keeps to itself.
namespace globaledit {

// A stored value the steps can work on. Text, blobs and infinities are not
// ratings; like a missing value they are nullopt and pass through untouched.
// Inline: it runs for every one of the 48 values of every player.
inline Rating ratingOf(sqlite3_value* value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return static_cast<double>(sqlite3_value_int64(value));
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(value);
        return std::isfinite(d) ? Rating(d) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

} // namespace globaledit
