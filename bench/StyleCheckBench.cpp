// SPDX-License-Identifier: MIT
// qmark check in a project whose .quillmark asks for Doxygen and VBA tags, next to cat of the
// same files: the files a commit changes (20), and the whole tree (400 files, 4 folders
// deep, so the style file is looked for above each folder). Each round spawns qmark check
// and then cat on the same paths, stdout on /dev/null. Usage: style_check_bench [ROUNDS];
// with QM_KEEP_TREE set the tree stays in $TMPDIR/qm-style-check-bench for bench/check_vs_cat.sh.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "generator/CommentStyle.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 400;
constexpr int kProceduresPerFile = 25;

// One file of documented procedures, in step, with short bodies; returns its line count.
std::size_t WriteFile(const fs::path& path, int first, bool vb) {
    const qm::CommentStyle& style = *qm::FindCommentStyle(vb ? "vbtags" : "doxygen");
    std::string text;
    for (int n = first; n < first + kProceduresPerFile; ++n) {
        qm::StyledDescription d;
        d.procedure.purpose = "Does step " + std::to_string(n) + " of the order run";
        d.procedure.returns = "the count";
        for (int p = 0; p < 3; ++p)
            d.procedure.parameters.push_back({"arg" + std::to_string(p), "No", "", "Argument"});
        text += qm::BuildStyledComment(d, style, vb ? qm::kVisualBasic : qm::kVisualCpp, {}, "", {});
        const std::string name = "Step" + std::to_string(n);
        if (vb) {
            text += "Public Function " + name +
                    "(ByVal arg0 As Long, arg1 As Long, _\r\n    arg2 As Long) As Long\r\n";
            for (int b = 0; b < 6; ++b) text += "    " + name + " = arg0 * " + std::to_string(b) + "\r\n";
            text += "End Function\r\n\r\n";
        } else {
            text += "int " + name + "(int arg0, int arg1,\r\n          int arg2) {\r\n";
            for (int b = 0; b < 6; ++b) text += "    total += arg0 * " + std::to_string(b) + ";\r\n";
            text += "    return total;\r\n}\r\n\r\n";
        }
    }
    std::ofstream(path, std::ios::binary) << text;
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

double TimedSpawn(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) std::exit(1);
    while (waitpid(pid, &status, 0) < 0) {
    }
    posix_spawn_file_actions_destroy(&actions);
    // check's status 0 says every comment was read as in step.
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s exited with %d\n", args[0], WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        std::exit(1);
    }
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const char* tmp = std::getenv("TMPDIR");
    const fs::path root = fs::path(tmp && *tmp ? tmp : "/tmp") / "qm-style-check-bench";
    fs::remove_all(root);
    fs::create_directories(root);
    std::ofstream(root / ".quillmark") << "[style]\ncpp=doxygen\nvb=vbtags\n[check]\nundocumented=yes\n";
    std::vector<std::string> files;
    std::size_t lines = 0;
    for (int f = 0; f < kFiles; ++f) {
        const fs::path dir =
            root / "src" / ("m" + std::to_string(f / 100)) / ("p" + std::to_string(f / 20)) / "impl";
        fs::create_directories(dir);
        const bool vb = f % 4 == 3;
        files.push_back((dir / ("file" + std::to_string(f) + (vb ? ".bas" : ".cpp"))).string());
        lines += WriteFile(files.back(), f * kProceduresPerFile, vb);
    }
    const std::vector<std::string> commit(files.begin(), files.begin() + 20);
    struct Case {
        const char* label;
        std::vector<std::string> paths;
        std::vector<double> check, cat;
    } cases[] = {{"20 files", commit, {}, {}}, {"400 files", files, {}, {}}};
    for (Case& c : cases) {
        std::vector<std::string> check = {QM_QMARK_PATH, "check"}, cat = {"/bin/cat"};
        check.insert(check.end(), c.paths.begin(), c.paths.end());
        cat.insert(cat.end(), c.paths.begin(), c.paths.end());
        TimedSpawn(check);  // warms the page cache
        for (int i = 0; i < rounds; ++i) {
            c.check.push_back(TimedSpawn(check));
            c.cat.push_back(TimedSpawn(cat));
        }
    }
    if (!std::getenv("QM_KEEP_TREE")) fs::remove_all(root);
    std::printf("%d lines in %d files; %d rounds, mean wall time per run\n", static_cast<int>(lines), kFiles,
                rounds);
    const auto mean = [](const std::vector<double>& v) {
        double sum = 0;
        for (double x : v) sum += x;
        return sum / static_cast<double>(v.size());
    };
    for (const Case& c : cases)
        std::printf("%-10s qmark check %8.0f us   cat %8.0f us   check / cat %.2fx\n", c.label, mean(c.check),
                    mean(c.cat), mean(c.check) / mean(c.cat));
    return 0;
}
