// SPDX-License-Identifier: MIT
#include "platform/WholeFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Directories.h"
#include "platform/Profile.h"
#include "platform/FileLock.h"

namespace qm {
namespace {

std::string scratchDir(const std::string& name) {
    const std::string dir = TempDir() + name;
    EXPECT_TRUE(MakeDirectories(dir));
    return dir;
}

std::string fileText(const std::string& path) {
    std::string text;
    EXPECT_TRUE(ReadWholeFile(path, text)) << path;
    return text;
}

TEST(AtomicFile, ReplacesContentKeepsTheModeAndLeavesNoTemporaryFile) {
    const std::string dir = scratchDir("replace");
    const std::string path = dir + "/a.ini";
    ASSERT_TRUE(AtomicReplace(path, std::string_view("one\0two", 7)));
    EXPECT_EQ(fileText(path), std::string("one\0two", 7));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(AtomicReplace(path, ""));
    EXPECT_EQ(fileText(path), "");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // Renaming a file over a directory fails after the temporary file was written.
    ASSERT_TRUE(MakeDirectories(dir + "/sub"));
    errno = 0;
    EXPECT_FALSE(AtomicReplace(dir + "/sub", "x"));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 2);  // a.ini and sub
    errno = 0;
    EXPECT_FALSE(AtomicReplace(dir + "/missing/a.ini", "x"));
    EXPECT_EQ(errno, ENOENT);
    FileLock lock(dir + "/missing/a.ini", true);
    EXPECT_FALSE(lock.locked());
    EXPECT_EQ(lock.error(), ENOENT);

    ASSERT_EQ(symlink("a.ini", (dir + "/link.ini").c_str()), 0);
    ASSERT_TRUE(AtomicReplace(dir + "/link.ini", "new"));
    ASSERT_EQ(lstat((dir + "/link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(fileText(path), "new");
}

// Kills a writer at random moments: the file must always parse, hold the old or the new
// value, and keep a key written before.
TEST(AtomicFile, KilledWriterNeverTearsTheFile) {
    const std::string path = scratchDir("crash") + "/crash.ini";
    const std::string small(20000, 'a');
    const std::string large(90000, 'b');
    ASSERT_TRUE(win::WritePrivateProfileString("Keep", "k", "v", path));
    ASSERT_TRUE(win::WritePrivateProfileString("S", "big", small, path));
    std::mt19937 rng(42);
    int sawLarge = 0;
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned i = 0;; ++i)
                win::WritePrivateProfileString("S", "big", i % 2 ? small : large, path);
        }
        usleep(1000 + rng() % 15000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        const auto doc = ProfileDocument::Parse(fileText(path));
        ASSERT_EQ(doc.Find("Keep", "k"), "v") << round;
        const auto big = doc.Find("S", "big");
        ASSERT_TRUE(big == small || big == large) << round;
        sawLarge += big == large;
        std::string viaApi;
        win::GetPrivateProfileString("S", "big", "", viaApi, 100000, path);
        ASSERT_EQ(viaApi, *big) << round;
    }
    EXPECT_GT(sawLarge, 0);  // the writer did get to write
}

TEST(AtomicFile, ConcurrentWritersKeepEveryKey) {
    const std::string path = scratchDir("concurrent") + "/shared.ini";
    constexpr int kWrites = 200;
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        if ((children[w] = fork()) != 0) continue;
        bool ok = true;
        for (int i = 0; i < kWrites; ++i)
            ok = win::WritePrivateProfileString(w ? "Two" : "One", std::to_string(i), "v", path) && ok;
        _exit(ok ? 0 : 1);
    }
    for (const pid_t child : children) {
        int status = 1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto doc = ProfileDocument::Parse(fileText(path));
    for (int i = 0; i < kWrites; ++i)
        EXPECT_TRUE(doc.Find("One", std::to_string(i)) && doc.Find("Two", std::to_string(i))) << i;
}

}  // namespace
}  // namespace qm
