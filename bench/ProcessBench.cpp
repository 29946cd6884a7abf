// SPDX-License-Identifier: MIT
// Start-up cost of the command-line generator next to cat of the same bytes. Each round
// spawns both, one after the other, with the worked example on stdin and stdout on
// /dev/null, so a change in machine load hits both alike. Usage: qmark_process_bench [ROUNDS]
#include <fcntl.h>
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

constexpr const char* kWorkedExampleJson =
    R"({"name": "GetTotal", "purpose": "Adds up the lines of one order",)"
    R"( "returns": "Currency; the order total", "kind": "Function", "access": "Public",)"
    R"( "parameters": [{"name": "OrderID", "optional": "No", "type": "Long",)"
    R"( "description": "Order to total"}, {"name": "IncludeTax", "optional": "Yes",)"
    R"( "type": "Boolean", "description": "Add sales tax"}]})";

// Runs argv with input on stdin and stdout on /dev/null; its exit status, -1 if it died.
int Spawn(const std::vector<const char*>& argv, const std::string& input) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const char* a : argv) args.push_back(const_cast<char*>(a));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Timing {
    const char* label;
    std::vector<const char*> argv;
    std::vector<double> micros;
};

double TimedSpawn(const Timing& t, const std::string& input) {
    const auto start = std::chrono::steady_clock::now();
    if (Spawn(t.argv, input) != 0) {
        std::fprintf(stderr, "%s failed\n", t.label);
        std::exit(1);
    }
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const char* tmp = std::getenv("TMPDIR");
    std::string input = std::string(tmp && *tmp ? tmp : "/tmp") + "/qm-bench-input-XXXXXX";
    const int fd = mkstemp(input.data());
    const std::string json = kWorkedExampleJson;
    if (fd < 0 || write(fd, json.data(), json.size()) != static_cast<ssize_t>(json.size())) {
        std::perror("input file");
        return 1;
    }
    close(fd);

    std::vector<Timing> timings = {
        {"qmark block",
         {QM_QMARK_PATH, "block", "--language", "0", "--developer", "X", "--date", "1998-12-06"},
         {}},
        {"cat", {"/bin/cat"}, {}},
    };
    for (Timing& t : timings) TimedSpawn(t, input);  // warm the page cache
    for (int i = 0; i < rounds; ++i) {
        for (Timing& t : timings) t.micros.push_back(TimedSpawn(t, input));
    }
    std::remove(input.c_str());

    std::printf("%-12s %10s %10s   (%d runs each, wall time per run)\n", "", "mean", "median",
                rounds);
    double means[2] = {};
    for (std::size_t k = 0; k < timings.size(); ++k) {
        std::vector<double>& m = timings[k].micros;
        std::sort(m.begin(), m.end());
        double sum = 0;
        for (double v : m) sum += v;
        means[k] = sum / m.size();
        std::printf("%-12s %8.0f us %8.0f us\n", timings[k].label, means[k], m[m.size() / 2]);
    }
    std::printf("qmark / cat: %.2fx (mean)\n", means[0] / means[1]);
    return 0;
}
