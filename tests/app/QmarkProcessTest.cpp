// SPDX-License-Identifier: MIT
// Runs the built executable, so main's stream set-up and the exit status are covered too.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "QmarkTestSupport.h"

extern char** environ;

namespace qm {
namespace {

struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Files rather than pipes for the three streams: no deadlock, whatever the sizes.
ProcessResult RunQmarkProcess(const std::vector<std::string>& args, const std::string& input,
                              const char* stdoutPath = nullptr) {
    const std::string dir = test::MakeScratchDir();
    const std::string in = dir + "/in", out = stdoutPath ? stdoutPath : dir + "/out",
                      err = dir + "/err";
    std::ofstream(in, std::ios::binary) << input;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{const_cast<char*>(QM_QMARK_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    ProcessResult result;
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, QM_QMARK_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return result;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (!stdoutPath) result.out = test::ReadBytes(out);
    result.err = test::ReadBytes(err);
    return result;
}

TEST(QmarkProcess, WritesTheBlockByteForByte) {
    const ProcessResult r = RunQmarkProcess(
        {"block", "--language", "0", "--developer", "A. Developer", "--date", "1998-12-06"},
        test::kWorkedExampleJson);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, test::ReadGolden("worked_example_vb.txt"));

    const ProcessResult free = RunQmarkProcess({"free", "--language=1"}, "a\nb\n");
    EXPECT_EQ(free.status, 0);
    EXPECT_EQ(free.out, "//" + std::string(72, '=') + "\r\n// a\r\n// b\r\n//" +
                            std::string(72, '-') + "\r\n");
}

TEST(QmarkProcess, ExitStatusesAndMessages) {
    const ProcessResult bad =
        RunQmarkProcess({"block", "--language", "0", "--developer", "x"}, "{");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err.rfind("qmark: invalid JSON: ", 0), 0u) << bad.err;

    const ProcessResult usage = RunQmarkProcess({}, "");
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.err, "qmark: missing command (block or free)\nTry 'qmark --help'.\n");

    const ProcessResult version = RunQmarkProcess({"--version"}, "");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("qmark (Quillmark 98) ", 0), 0u);

    // A full disk must not pass for success.
    if (access("/dev/full", W_OK) == 0) {
        const ProcessResult full = RunQmarkProcess({"free", "--language", "0"}, "x", "/dev/full");
        EXPECT_EQ(full.status, 1);
        EXPECT_EQ(full.err, "qmark: cannot write to standard output\n");
    }
}

}  // namespace
}  // namespace qm
