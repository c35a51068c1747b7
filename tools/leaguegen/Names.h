#pragma once

#include <array>

// Word lists the league's names are drawn from. A few carry an apostrophe or
// letters beyond ASCII on purpose: real leagues have them, and they catch
// quoting and case-folding faults.
namespace leaguegen::names {

extern const std::array<const char*, 64> firstNames;
extern const std::array<const char*, 80> lastNames;
extern const std::array<const char*, 48> cities;
extern const std::array<const char*, 48> nicknames;
extern const std::array<const char*, 8> leagueNames;
extern const std::array<const char*, 10> injuryTypes;
extern const std::array<const char*, 10> injuryLocations;

} // namespace leaguegen::names
