// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

namespace kavrel {

// Time on the trial's own clock. The window feeds it from a monotonic clock; tests move it by
// hand. Ticks are scheduled against deadlines, so a late tick never pushes the next one back.
using Time = std::chrono::nanoseconds;
using Milliseconds = std::chrono::milliseconds;

// A timer as plain data: while enabled it ticks at Due, then every Interval after that.
class Timer {
public:
    explicit Timer(Milliseconds interval) : interval_(interval) {}

    bool Enabled() const { return enabled_; }
    Milliseconds Interval() const { return interval_; }
    Time Due() const { return due_; }

    // Enabling a stopped timer starts a full interval from `now`; an enabled one keeps its beat.
    void Enable(Time now);
    void Disable() { enabled_ = false; }

    // A running timer keeps the moment of its last tick and waits the new interval from there,
    // so the letter on screen stays the newest one for exactly the new display time.
    void SetInterval(Milliseconds interval, Time now);

    // Called as the tick at Due is delivered, at `now`; returns the moment the tick stands for.
    // A tick late by less than an interval keeps its deadline, so lateness never adds up. One
    // held up for a whole interval or more (a stalled or paused machine) is delivered once, now,
    // and the beat starts again from here: replaying the missed ticks would flash them past.
    Time Tick(Time now);

    bool operator==(const Timer&) const = default;

private:
    bool enabled_ = false;
    Milliseconds interval_;
    Time last_{};  // when it was enabled, or its latest tick
    Time due_{};
};

}  // namespace kavrel
