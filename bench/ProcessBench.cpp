// SPDX-License-Identifier: MIT
// Start-up cost of the command-line generator next to cat of the same bytes: qmark block on
// the worked example, and qmark header, the editor filter, on its declaration. Each round
// spawns all four, one after the other, with stdout on /dev/null, so a change in machine
// load hits them alike. Usage: qmark_process_bench [ROUNDS]
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
constexpr const char* kWorkedExampleDeclaration =
    "    Public Function GetTotal(ByVal OrderID As Long, _\n"
    "                             Optional IncludeTax As Boolean) As Currency\n";

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
    std::string input;
    std::vector<double> micros;
};

double TimedSpawn(const Timing& t) {
    const auto start = std::chrono::steady_clock::now();
    if (Spawn(t.argv, t.input) != 0) {
        std::fprintf(stderr, "%s failed\n", t.label);
        std::exit(1);
    }
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

// A file in the scratch directory holding text; empty on failure.
std::string InputFile(const std::string& text) {
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/qm-bench-input-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) return {};
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    if (!written) std::remove(path.c_str());
    return written ? path : std::string();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const std::string json = InputFile(kWorkedExampleJson);
    const std::string declaration = InputFile(kWorkedExampleDeclaration);
    if (json.empty() || declaration.empty()) {
        std::perror("input file");
        return 1;
    }

    std::vector<Timing> timings = {
        {"qmark block",
         {QM_QMARK_PATH, "block", "--language", "0", "--developer", "X", "--date", "1998-12-06"},
         json,
         {}},
        {"cat", {"/bin/cat"}, json, {}},
        // As an editor runs it: the developer's name comes from the settings file.
        {"qmark header", {QM_QMARK_PATH, "header", "--language", "0"}, declaration, {}},
        {"cat", {"/bin/cat"}, declaration, {}},
    };
    for (Timing& t : timings) TimedSpawn(t);  // warm the page cache
    for (int i = 0; i < rounds; ++i) {
        for (Timing& t : timings) t.micros.push_back(TimedSpawn(t));
    }
    std::remove(json.c_str());
    std::remove(declaration.c_str());

    std::printf("%-14s %10s %10s   (%d runs each, wall time per run)\n", "", "mean", "median", rounds);
    std::vector<double> means(timings.size());
    for (std::size_t k = 0; k < timings.size(); ++k) {
        std::vector<double>& m = timings[k].micros;
        std::sort(m.begin(), m.end());
        double sum = 0;
        for (double v : m) sum += v;
        means[k] = sum / m.size();
        std::printf("%-14s %8.0f us %8.0f us\n", timings[k].label, means[k], m[m.size() / 2]);
    }
    // Each qmark run is followed by cat on the same bytes.
    for (std::size_t k = 0; k + 1 < timings.size(); k += 2) {
        std::printf("%s / cat: %.2fx (mean)\n", timings[k].label, means[k] / means[k + 1]);
    }
    return 0;
}
