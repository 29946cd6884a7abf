// SPDX-License-Identifier: MIT
// Runs the built executable, so main's stream set-up and the exit status are covered too.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "QmarkTestSupport.h"

namespace qm {
namespace {

struct ProcessResult {
    int status = -1;
    std::string out, err;
};

// Files rather than pipes for the streams: no deadlock, whatever the sizes.
ProcessResult RunQmarkProcess(const std::string& args, const std::string& input, const std::string& out) {
    const std::string dir = std::getenv("TMPDIR");
    std::ofstream(dir + "in", std::ios::binary) << input;
    const int status = std::system(("'" QM_QMARK_PATH "' " + args + " <'" + dir + "in' >'" + out + "' 2>'" +
                                    dir + "err'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out == "/dev/full" ? "" : test::ReadBytes(out),
            test::ReadBytes(dir + "err")};
}

TEST(QmarkProcess, WritesTheBlockByteForByteAndExitsWithTheRightStatus) {
    const std::string out = std::string(std::getenv("TMPDIR")) + "out";
    const ProcessResult r = RunQmarkProcess("block --language 0 --developer 'A. Developer' --date 1998-12-06",
                                            test::kWorkedExampleJson, out);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, test::ReadGolden("worked_example_vb.txt"));

    const ProcessResult bad = RunQmarkProcess("block --language 0 --developer x", "{", out);
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err.rfind("qmark: invalid JSON: ", 0), 0u) << bad.err;

    // A full disk must not pass for success.
    if (access("/dev/full", W_OK) == 0) {
        const ProcessResult full = RunQmarkProcess("free --language 0", "x", "/dev/full");
        EXPECT_EQ(full.status, 1);
        EXPECT_EQ(full.err, "qmark: cannot write to standard output\n");
    }
}

}  // namespace
}  // namespace qm
