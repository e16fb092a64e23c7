// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up cost of Kavrel against the floor, an empty Qt window of the same size built in the
// same tree: time from process start to the first frame on screen, and peak resident memory,
// over alternating runs; then the window thread's wake-ups while Kavrel sits idle, before the
// first trial and after a wrong answer.
//
//   cmake --build build/default --target startup_bench kavrel_probe minimal_probe
//   build/default/bench/startup_bench [runs, default 20] [idle seconds, default 10]
//
// It measures offscreen, and under X too when DISPLAY is set. Exit status 0 when Kavrel's
// medians are within 1.15 times the floor's and it never wakes while idle.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    const std::string idleSeconds = argc > 2 ? argv[2] : "10";
    std::vector<std::string> platforms{"offscreen"};
    if (std::getenv("DISPLAY") != nullptr) {
        platforms.push_back("xcb");
    }
    bool met = true;
    for (const std::string& platform : platforms) {
        const std::vector<std::string> env{"QT_QPA_PLATFORM=" + platform, "LANG=C.UTF-8"};
        std::vector<double> frame[2];
        std::vector<double> memory[2];
        const char* probes[2] = {KAVREL_PROBE, MINIMAL_PROBE};
        Measure(KAVREL_PROBE, env);  // warms the caches the runs share
        for (int i = 0; i < runs; ++i) {
            for (int k = 0; k < 2; ++k) {
                const int which = (i + k) % 2;  // alternate which one goes first
                const Run run = Measure(probes[which], env);
                frame[which].push_back(run.firstFrameMs);
                memory[which].push_back(static_cast<double>(run.peakRssKiB));
            }
        }
        const double frameRatio = Median(frame[0]) / Median(frame[1]);
        const double memoryRatio = Median(memory[0]) / Median(memory[1]);
        std::printf("%s, %d runs each, medians:\n", platform.c_str(), runs);
        std::printf("  first frame   Kavrel %8.2f ms   minimal %8.2f ms   ratio %.3f\n",
                    Median(frame[0]), Median(frame[1]), frameRatio);
        std::printf("  peak memory   Kavrel %8.0f KiB  minimal %8.0f KiB  ratio %.3f\n",
                    Median(memory[0]), Median(memory[1]), memoryRatio);
        met = met && frameRatio <= 1.15 && memoryRatio <= 1.15;

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
    std::printf("targets (<= 1.15 x the floor, no idle wake-ups): %s\n", met ? "met" : "NOT met");
    return met ? 0 : 1;
}
