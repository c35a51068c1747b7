#pragma once

#include <cstdint>
#include <random>

namespace leaguegen {

// The std:: distributions differ between standard libraries, so a seed would
// not give the same league everywhere. The engine's raw output is fixed by
// the standard; every range below is mapped from it by hand.
class Random
{
public:
    explicit Random(std::uint32_t seed) : m_engine(seed) {}

    // A whole number in lo..hi, both included.
    int between(int lo, int hi)
    {
        const std::uint64_t span = static_cast<std::uint64_t>(hi - lo) + 1;
        return lo + static_cast<int>((static_cast<std::uint64_t>(m_engine()) * span) >> 32);
    }

    // A number in [0, 1).
    double unit() { return m_engine() / 4294967296.0; }

    bool chance(double share) { return unit() < share; }

    // Bell-shaped around mean, within mean +- spread: the sum of three draws
    // is close enough to normal for ratings and needs no library formula.
    int around(int mean, int spread)
    {
        return mean - spread +
               (between(0, spread) + between(0, spread) + between(0, spread)) * 2 / 3;
    }

    template <typename List> const auto& pick(const List& list)
    {
        return list[static_cast<std::size_t>(between(0, static_cast<int>(std::size(list)) - 1))];
    }

    std::uint32_t raw() { return m_engine(); }

private:
    std::mt19937 m_engine;
};

} // namespace leaguegen
