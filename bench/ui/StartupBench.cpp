// SPDX-License-Identifier: MIT
// Start-up time, process start to first exposed window, of quillmark next to an empty Qt
// window: ui_startup_bench [RUNS]. A one-label program runs alongside as a reference: it pays
// the font set-up that the empty window never does. Runs alternate between the programs so
// all see the same machine load; each is run once beforehand to warm the caches.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
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

using Clock = std::chrono::steady_clock;

// Milliseconds from spawning program to its first exposed window; negative on failure.
double timeToShown(const char* program)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    // Only the write end goes to the child.
    fcntl(fds[1], F_SETFD, 0);

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("LD_PRELOAD=", 0) != 0 && entry.rfind("QM_SHOWN_FD=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back(std::string("LD_PRELOAD=") + QM_SHOWN_HOOK_PATH);
    env.push_back("QM_SHOWN_FD=" + std::to_string(fds[1]));
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
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
    if (!ok)
        kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    return ok ? std::chrono::duration<double, std::milli>(end - start).count() : -1;
}

struct Series {
    const char* name;
    const char* path;
    std::vector<double> ms;
};

double mean(const std::vector<double>& v)
{
    double sum = 0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    Series series[] = {{"quillmark", QM_QUILLMARK_PATH, {}},
                       {"empty QWidget", QM_EMPTY_WINDOW_PATH, {}},
                       {"one QLabel", QM_LABEL_WINDOW_PATH, {}}};
    for (Series& s : series) {
        if (timeToShown(s.path) < 0) {
            std::fprintf(stderr, "%s never showed a window\n", s.path);
            return 1;
        }
    }
    for (int i = 0; i < runs; ++i) {
        for (Series& s : series) {
            const double ms = timeToShown(s.path);
            if (ms < 0) {
                std::fprintf(stderr, "%s failed on run %d\n", s.name, i + 1);
                return 1;
            }
            s.ms.push_back(ms);
        }
    }
    std::printf("start-up to first exposed window, %d runs each\n", runs);
    for (const Series& s : series)
        std::printf("  %-14s mean %7.2f ms   median %7.2f ms\n", s.name, mean(s.ms), median(s.ms));
    const double empty = mean(series[1].ms);
    std::printf("  ratio quillmark / empty: %.2f (goal <= 1.5)\n", mean(series[0].ms) / empty);
    std::printf("  ratio one QLabel / empty: %.2f (reference)\n", mean(series[2].ms) / empty);
    return 0;
}
