#include "Timer.h"

#include <algorithm>

namespace kavrel {

void Timer::Enable(Time now) {
    if (enabled_) {
        return;
    }
    enabled_ = true;
    due_ = now + interval_;
}

void Timer::SetInterval(Milliseconds interval, Time now) {
    if (enabled_) {
        const Time lastTick = due_ - interval_;
        due_ = std::max<Time>(lastTick + interval, now);
    }
    interval_ = interval;
}

}  // namespace kavrel
