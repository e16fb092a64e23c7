// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up cost of Kavrel against two floors built in the same tree: an empty Qt window of the
// same size, and a plain window that draws the same texts in the same faces (the four faces the
// window needs cost most of the difference to the empty one). Measured: time from process start
// to the first frame on screen, and peak resident memory, over runs in turn; then the window
// thread's wake-ups while Kavrel sits idle, before the first trial and after a wrong answer.
//
//   cmake --build build/default --target startup_bench
//   build/default/bench/startup_bench [--runs 20] [--idle-seconds 10]
//
// It measures offscreen, and under X too when DISPLAY is set. Exit status 0 when Kavrel's
// medians are within 1.10 times those of the window with the same texts and it never wakes
// while idle.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double firstFrameMs = 0;
    long peakRssKiB = 0;
    long idleWakeUps = -1;
};

// Starts a probe with the given extra environment and reads what it prints.
Run Measure(const char* probe, std::vector<std::string> env) {
    std::vector<char*> envp;
    for (char** e = environ; *e != nullptr; ++e) {
        envp.push_back(*e);
    }
    int out[2];
    if (pipe(out) != 0) {
        std::perror("pipe");
        std::exit(2);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const auto t0 = std::chrono::steady_clock::now().time_since_epoch();
    env.push_back("KAVREL_BENCH_T0=" + std::to_string(std::chrono::nanoseconds(t0).count()));
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(probe), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, probe, &actions, nullptr, argv, envp.data()) != 0) {
        std::perror(probe);
        std::exit(2);
    }
    close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, n);
    }
    close(out[0]);
    waitpid(pid, nullptr, 0);
    posix_spawn_file_actions_destroy(&actions);

    Run run;
    std::sscanf(text.c_str(), "first_frame_ms %lf peak_rss_kib %ld", &run.firstFrameMs,
                &run.peakRssKiB);
    if (const auto at = text.find("idle_wakeups"); at != std::string::npos) {
        run.idleWakeUps = std::atol(text.c_str() + at + 12);
    }
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Start-up time, memory and idle wake-ups of Kavrel");
    parser.addHelpOption();
    const QCommandLineOption runsOption("runs", "Runs of each program (default 20).", "n", "20");
    const QCommandLineOption idleOption("idle-seconds", "Seconds watched idle (default 10).", "s",
                                        "10");
    parser.addOptions({runsOption, idleOption});
    parser.process(application);
    bool runsOk = false;
    bool idleOk = false;
    const int runs = parser.value(runsOption).toInt(&runsOk);
    const int idle = parser.value(idleOption).toInt(&idleOk);
    if (!runsOk || runs < 1 || !idleOk || idle < 1) {
        std::fprintf(stderr, "--runs and --idle-seconds take a whole number from 1\n");
        return 2;
    }
    const std::string idleSeconds = std::to_string(idle);

    std::vector<std::string> platforms{"offscreen"};
    if (std::getenv("DISPLAY") != nullptr) {
        platforms.push_back("xcb");
    }
    struct Probe {
        const char* name;
        const char* path;
        std::vector<double> frame;
        std::vector<double> memory;
    };
    bool met = true;
    for (const std::string& platform : platforms) {
        const std::vector<std::string> env{"QT_QPA_PLATFORM=" + platform, "LANG=C.UTF-8"};
        Probe probes[] = {{"Kavrel", KAVREL_PROBE, {}, {}},
                          {"same texts", TEXTS_PROBE, {}, {}},
                          {"empty", MINIMAL_PROBE, {}, {}}};
        const int count = static_cast<int>(std::size(probes));
        Measure(KAVREL_PROBE, env);  // warms the caches the runs share
        for (int i = 0; i < runs; ++i) {
            for (int k = 0; k < count; ++k) {
                Probe& probe = probes[(i + k) % count];  // each goes first in turn
                const Run run = Measure(probe.path, env);
                probe.frame.push_back(run.firstFrameMs);
                probe.memory.push_back(static_cast<double>(run.peakRssKiB));
            }
        }
        std::printf("%s, %d runs each, medians:\n", platform.c_str(), runs);
        for (const Probe& probe : probes) {
            std::printf("  %-10s  first frame %8.2f ms   peak memory %8.0f KiB\n", probe.name,
                        Median(probe.frame), Median(probe.memory));
        }
        for (int floor = 1; floor < count; ++floor) {
            const double frameRatio = Median(probes[0].frame) / Median(probes[floor].frame);
            const double memoryRatio = Median(probes[0].memory) / Median(probes[floor].memory);
            std::printf("  Kavrel / %-10s  first frame %.3f   peak memory %.3f\n",
                        probes[floor].name, frameRatio, memoryRatio);
            if (floor == 1) {  // Kavrel's own cost: against the same texts
                met = met && frameRatio <= 1.10 && memoryRatio <= 1.10;
            }
        }

        for (const char* phase : {"start", "wrong"}) {
            std::vector<std::string> idleEnv = env;
            idleEnv.push_back(std::string("KAVREL_BENCH_IDLE=") + phase);
            idleEnv.push_back("KAVREL_BENCH_IDLE_SECONDS=" + idleSeconds);
            const Run run = Measure(KAVREL_PROBE, idleEnv);
            std::printf(
                "  idle %s: %ld wake-ups of the window thread in %s s\n",
                phase == std::string("start") ? "before the first trial" : "after a wrong answer",
                run.idleWakeUps, idleSeconds.c_str());
            met = met && run.idleWakeUps == 0;
        }
    }
    std::printf("targets (<= 1.10 x the window with the same texts, no idle wake-ups): %s\n",
                met ? "met" : "NOT met");
    return met ? 0 : 1;
}
