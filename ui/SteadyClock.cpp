// SPDX-License-Identifier: GPL-3.0-or-later
#include "SteadyClock.h"

#include <algorithm>

namespace kavrel {

SteadyClock::SteadyClock() {
    elapsed_.start();
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (!when_) {
            return;
        }
        if (*when_ > Now()) {
            Arm();  // woke early on purpose: wait out the rest
            return;
        }
        // The wake-up may ask for the next one.
        const std::function<void()> wake = wake_;
        when_.reset();
        wake();
    });
}

Time SteadyClock::Now() const {
    return Time{elapsed_.nsecsElapsed()};
}

void SteadyClock::WakeAt(std::optional<Time> when, std::function<void()> wake) {
    when_ = when;
    wake_ = std::move(wake);
    if (!when_) {
        timer_.stop();
        return;
    }
    Arm();
}

void SteadyClock::Arm() {
    // Linux lets a wait run late by a thousandth of its length. Waking up earlier than that and
    // waiting out the rest in ever shorter steps, the last millisecond in the event loop, puts
    // every wake-up on its deadline.
    const Time remaining = *when_ - Now();
    const Time early = std::max<Time>(remaining / 500, std::chrono::milliseconds{1});
    const auto wait = std::chrono::floor<std::chrono::milliseconds>(remaining - early);
    timer_.start(std::max(wait, std::chrono::milliseconds{0}));
}

}  // namespace kavrel
