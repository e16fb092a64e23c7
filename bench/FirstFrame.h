// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace kavrel::bench {

// Prints "first_frame_ms <t> peak_rss_kib <m>" once the window's first frame is on screen: t
// counts from KAVREL_BENCH_T0 (steady-clock nanoseconds, set by the driver just before it
// started this process). Then, as KAVREL_BENCH_IDLE says: quits at once (unset), or counts the
// main thread's wake-ups over KAVREL_BENCH_IDLE_SECONDS (default 10) and prints
// "idle_wakeups <n>" before it quits; "wrong" first plays a trial to a wrong answer.
void ReportFirstFrame(QWidget& window);

}  // namespace kavrel::bench
