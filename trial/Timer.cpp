// SPDX-License-Identifier: GPL-3.0-or-later
#include "Timer.h"

#include <algorithm>

namespace kavrel {

void Timer::Enable(Time now) {
    if (enabled_) {
        return;
    }
    enabled_ = true;
    last_ = now;
    due_ = now + interval_;
}

void Timer::SetInterval(Milliseconds interval, Time now) {
    if (enabled_) {
        due_ = std::max<Time>(last_ + interval, now);
    }
    interval_ = interval;
}

Time Timer::Tick(Time now) {
    if (now - due_ >= interval_) {
        due_ = now;
    }
    last_ = due_;
    due_ += interval_;
    return last_;
}

}  // namespace kavrel
