// SPDX-License-Identifier: MIT
#include "settings/FreeTextBlock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Directories.h"
#include "platform/FileError.h"
#include "tests/support/TestData.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

std::size_t scratchFilesIn(const std::string& dir) {
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        n += entry.path().filename().string().rfind("~qm", 0) == 0;
    return n;
}

// The saved text ends in CR LF, so empty text and a trailing break each give a line.
TEST(BuildFreeTextBlock, RoundTripsThroughAFileItRemoves) {
    const std::string d(72, '='), s(72, '-');
    EXPECT_EQ(BuildFreeTextBlock("", 0), "'" + d + "\r\n' \r\n'" + s + "\r\n");
    EXPECT_EQ(BuildFreeTextBlock("a\r\n", 1), "//" + d + "\r\n// a\r\n// \r\n//" + s + "\r\n");
    EXPECT_EQ(scratchFilesIn(TempDir()), 0u);
}

// Another user may swap the new file for a link to, or another name of, a file of ours: it
// is refused, its name removed and the other file left as it was.
TEST(ScratchFile, UsesNothingButItsOwnNewFile) {
    const std::string victim = TempDir() + "victim", path = TempDir() + "~qm1.tmp";
    const std::pair<std::function<void()>, int> swaps[] = {
        {[&] { fs::create_symlink(victim, path); }, ELOOP},
        {[&] { fs::create_hard_link(victim, path); }, EEXIST},
        {[&] { std::ofstream(path) << "not new"; }, EEXIST},
    };
    for (const auto& [swap, error] : swaps) {
        std::ofstream(victim) << "precious";
        swap();
        EXPECT_THROW_MSG(ScratchFile{path}, FileError, "cannot open " + path + ": " + std::strerror(error));
        EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
        EXPECT_EQ(fs::file_size(victim), 8u);
    }
}

// qmark free ended by a signal still removes the file holding the user's text.
TEST(ScratchFile, SignalsRemoveIt) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        if (child == 0) {
            RemoveScratchFileOnSignals();
            const ScratchFile file;
            (void)!write(pipeFds[1], file.path().c_str(), file.path().size());
            for (;;) pause();
        }
        char path[4096] = {};
        ASSERT_GT(read(pipeFds[0], path, sizeof path - 1), 0);
        ASSERT_TRUE(fs::exists(path));
        kill(child, signal);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_FALSE(fs::exists(path)) << signal;
        close(pipeFds[0]);
        close(pipeFds[1]);
    }
}

}  // namespace
}  // namespace qm
