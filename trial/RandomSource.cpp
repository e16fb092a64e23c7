// SPDX-License-Identifier: GPL-3.0-or-later
#include "RandomSource.h"

#include <chrono>

namespace kavrel {

namespace {
std::uint64_t steadyNanoseconds() {
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch() /
                                      std::chrono::nanoseconds{1});
}
}  // namespace

ClockSeededRandom::ClockSeededRandom() : ClockSeededRandom(steadyNanoseconds) {}

ClockSeededRandom::ClockSeededRandom(Clock clock) : clock_(std::move(clock)) {
    // The first letter of the first trial is drawn before any reseed; it must still vary.
    Randomize();
}

void ClockSeededRandom::Randomize() {
    const std::uint64_t now = clock_();
    ++reseeds_;
    std::seed_seq seed{static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now >> 32),
                       static_cast<std::uint32_t>(reseeds_)};
    engine_.seed(seed);
}

double ClockSeededRandom::Rnd() {
    // 53 random bits scaled into [0, 1): never 1, unlike a float rounded from a double.
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

}  // namespace kavrel
