// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <random>

namespace kavrel {

// The generator behind the letters: reseeded as the presentation asks, drawn in [0, 1).
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void Randomize() = 0;
    virtual double Rnd() = 0;
};

// Reseeds from a nanosecond clock plus a count of reseeds, so that two reseeds never share a
// seed even when the clock has not moved between them.
class ClockSeededRandom : public RandomSource {
public:
    using Clock = std::function<std::uint64_t()>;

    ClockSeededRandom();  // the steady clock
    explicit ClockSeededRandom(Clock clock);

    void Randomize() override;
    double Rnd() override;

private:
    Clock clock_;
    std::uint64_t reseeds_ = 0;
    std::mt19937_64 engine_;
};

}  // namespace kavrel
