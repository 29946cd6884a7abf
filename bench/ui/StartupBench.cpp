// SPDX-License-Identifier: MIT
// Start-up time, process start to first exposed window, and peak memory of quillmark next to
// an empty Qt window: ui_startup_bench [RUNS]. Two references run alongside: a one-label
// program, which pays the font set-up that the empty window never does, and the main window
// built without the launcher and the add-in, which pays for the window's own controls. Runs
// alternate between the programs so all see the same machine load; each is run once
// beforehand to warm the caches.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
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

using Clock = std::chrono::steady_clock;

// Milliseconds from spawning program to its first exposed window (negative on failure), and
// the program's peak resident memory in KiB.
double timeToShown(const char* program, long* peakKiB = nullptr) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    // Only the write end goes to the child.
    fcntl(fds[1], F_SETFD, 0);

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("LD_PRELOAD=", 0) != 0 && entry.rfind("QM_SHOWN_FD=", 0) != 0) env.push_back(entry);
    }
    env.push_back(std::string("LD_PRELOAD=") + QM_SHOWN_HOOK_PATH);
    env.push_back("QM_SHOWN_FD=" + std::to_string(fds[1]));
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return -1;
    }
    pollfd shown{fds[0], POLLIN, 0};
    char byte = 0;
    const bool ok = poll(&shown, 1, 20000) == 1 && read(fds[0], &byte, 1) == 1;
    const auto end = Clock::now();
    close(fds[0]);
    if (!ok) kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (peakKiB) *peakKiB = usage.ru_maxrss;
    return ok ? std::chrono::duration<double, std::milli>(end - start).count() : -1;
}

struct Series {
    const char* name;
    const char* path;
    std::vector<double> ms;
    std::vector<double> peakKiB;
};

double mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    Series series[] = {{"quillmark", QM_QUILLMARK_PATH, {}, {}},
                       {"empty QWidget", QM_EMPTY_WINDOW_PATH, {}, {}},
                       {"one QLabel", QM_LABEL_WINDOW_PATH, {}, {}},
                       {"window alone", QM_FORM_WINDOW_PATH, {}, {}}};
    for (Series& s : series) {
        if (timeToShown(s.path) < 0) {
            std::fprintf(stderr, "%s never showed a window\n", s.path);
            return 1;
        }
    }
    for (int i = 0; i < runs; ++i) {
        for (Series& s : series) {
            long peak = 0;
            const double ms = timeToShown(s.path, &peak);
            s.peakKiB.push_back(static_cast<double>(peak));
            if (ms < 0) {
                std::fprintf(stderr, "%s failed on run %d\n", s.name, i + 1);
                return 1;
            }
            s.ms.push_back(ms);
        }
    }
    std::printf("start-up to first exposed window, %d runs each; peak resident memory\n", runs);
    for (const Series& s : series)
        std::printf("  %-14s mean %7.2f ms   median %7.2f ms   memory %7.0f KiB\n", s.name, mean(s.ms),
                    median(s.ms), mean(s.peakKiB));
    const Series& empty = series[1];
    const auto ratios = [&](const char* what, const char* goal, auto value) {
        std::printf(
            "  %s quillmark / empty: %.2f (goal <= %s); references: one QLabel %.2f, window alone %.2f\n",
            what, value(series[0]) / value(empty), goal, value(series[2]) / value(empty),
            value(series[3]) / value(empty));
    };
    ratios("time  ", "1.5", [](const Series& s) { return mean(s.ms); });
    ratios("memory", "1.3", [](const Series& s) { return mean(s.peakKiB); });
    return 0;
}
