// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>

#include "trial/Timer.h"

namespace kavrel {

// The window's time, handed in as its letters are: what "now" is on the trial's clock, and a
// wake-up at the moment the trial's next tick is due. The program's runs on the machine's
// monotonic clock (SteadyClock); a test's stands still until the test moves it on.
class Clock {
public:
    virtual ~Clock() = default;

    virtual Time Now() const = 0;
    // Calls `wake` once `when` has come; a later call replaces an earlier one, and no time
    // cancels it.
    virtual void WakeAt(std::optional<Time> when, std::function<void()> wake) = 0;
};

}  // namespace kavrel
