// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Clock.h"

namespace kavrel::testing {

// Time for a window under test: it stands still until the test moves it on, and wakes the
// window at each moment it asked for on the way, in order.
class ManualClock : public Clock {
public:
    Time Now() const override { return now_; }
    void WakeAt(std::optional<Time> when, std::function<void()> wake) override {
        when_ = when;
        wake_ = std::move(wake);
    }

    void Advance(Time duration) {
        const Time end = now_ + duration;
        while (when_ && *when_ <= end) {
            now_ = std::max(now_, *when_);
            when_.reset();
            // The wake-up may ask for the next one.
            const std::function<void()> wake = wake_;
            wake();
        }
        now_ = end;
    }

private:
    Time now_{};
    std::optional<Time> when_;
    std::function<void()> wake_;
};

}  // namespace kavrel::testing
