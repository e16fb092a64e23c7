// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include "Clock.h"

namespace kavrel {

// The program's clock: the machine's monotonic time since the clock was made, and wake-ups from
// the event loop, each on its deadline to the millisecond.
class SteadyClock : public Clock {
public:
    SteadyClock();

    Time Now() const override;
    void WakeAt(std::optional<Time> when, std::function<void()> wake) override;

private:
    void Arm();

    QElapsedTimer elapsed_;
    QTimer timer_;
    std::optional<Time> when_;
    std::function<void()> wake_;
};

}  // namespace kavrel
