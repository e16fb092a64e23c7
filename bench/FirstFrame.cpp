// SPDX-License-Identifier: GPL-3.0-or-later
#include "FirstFrame.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "ui/MainWindow.h"

namespace kavrel::bench {

namespace {

long long ContextSwitchesOfMainThread() {
    QFile status(QString("/proc/self/task/%1/status").arg(getpid()));
    status.open(QIODevice::ReadOnly);
    long long switches = 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.contains("ctxt_switches:")) {
            switches += line.split(':').value(1).trimmed().toLongLong();
        }
    }
    return switches;
}

// Counts from another thread, so the counting itself never wakes the window's thread.
void CountIdleWakeUps() {
    const char* seconds = std::getenv("KAVREL_BENCH_IDLE_SECONDS");
    const auto idle = std::chrono::seconds(seconds != nullptr ? std::atoi(seconds) : 10);
    std::thread([idle] {
        // Let the last frame reach the screen first: under X that takes a few round trips.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const long long before = ContextSwitchesOfMainThread();
        std::this_thread::sleep_for(idle);
        std::printf("idle_wakeups %lld\n", ContextSwitchesOfMainThread() - before);
        std::fflush(stdout);
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }).detach();
}

void PlayToAWrongAnswer(MainWindow& window) {
    window.findChild<QPushButton*>("cmdStart")->click();
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll] {
        if (!window.trial().form().tmrCursor.Enabled()) {
            return;
        }
        poll->deleteLater();
        for (const std::string& letter : window.trial().variables().TargetLetters) {
            const QString other(QChar(letter[0] == 'A' ? 'b' : 'a'));
            QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, other);
            QApplication::sendEvent(window.windowHandle(), &key);
        }
        CountIdleWakeUps();
    });
    poll->start(50);
}

class FirstFrameWatch : public QObject {
public:
    explicit FirstFrameWatch(QWidget& window) : window_(window) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            // The frame is flushed to the screen in the same pass as its first paint event.
            QTimer::singleShot(0, this, &FirstFrameWatch::Report);
        }
        return false;
    }

private:
    void Report() {
        const long long t0 = std::atoll(std::getenv("KAVREL_BENCH_T0"));
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("first_frame_ms %.3f peak_rss_kib %ld\n",
                    (std::chrono::nanoseconds(now).count() - t0) / 1e6, usage.ru_maxrss);
        std::fflush(stdout);

        const QByteArray idle = qgetenv("KAVREL_BENCH_IDLE");
        if (idle.isEmpty()) {
            QCoreApplication::quit();
        } else if (auto* kavrel = qobject_cast<MainWindow*>(&window_); kavrel && idle == "wrong") {
            PlayToAWrongAnswer(*kavrel);
        } else {
            CountIdleWakeUps();
        }
    }

    QWidget& window_;
    bool painted_ = false;
};

}  // namespace

void ReportFirstFrame(QWidget& window) {
    qApp->installEventFilter(new FirstFrameWatch(window));
}

}  // namespace kavrel::bench
