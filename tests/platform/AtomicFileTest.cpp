// SPDX-License-Identifier: MIT
#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Directories.h"
#include "platform/Profile.h"

namespace qm {
namespace {

std::string scratchDir(const std::string& name) {
    const std::string dir = TempDir() + name;
    EXPECT_TRUE(MakeDirectories(dir));
    return dir;
}

std::string keyName(char letter, int i) {
    std::string key(1, letter);
    key += std::to_string(i);
    return key;
}

std::size_t entriesIn(const std::string& dir) {
    std::size_t n = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d))
            if (std::string_view(e->d_name) != "." && std::string_view(e->d_name) != "..") ++n;
        closedir(d);
    }
    return n;
}

TEST(AtomicFile, ReplacesContentAndKeepsTheMode) {
    const std::string dir = scratchDir("replace");
    const std::string path = dir + "/a.ini";
    std::string text;
    errno = 0;
    EXPECT_FALSE(ReadWholeFile(path, text));
    EXPECT_EQ(errno, ENOENT);

    ASSERT_TRUE(AtomicReplace(path, std::string_view("one\0two", 7)));
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, std::string("one\0two", 7));

    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(AtomicReplace(path, ""));
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entriesIn(dir), 1u);  // no temporary file left behind
}

TEST(AtomicFile, WritesThroughASymlink) {
    const std::string dir = scratchDir("symlink");
    ASSERT_TRUE(AtomicReplace(dir + "/real.ini", "old"));
    ASSERT_EQ(symlink("real.ini", (dir + "/link.ini").c_str()), 0);
    ASSERT_TRUE(AtomicReplace(dir + "/link.ini", "new"));
    struct stat st {};
    ASSERT_EQ(lstat((dir + "/link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    std::string text;
    ASSERT_TRUE(ReadWholeFile(dir + "/real.ini", text));
    EXPECT_EQ(text, "new");
}

TEST(AtomicFile, FailureLeavesNothingBehind) {
    const std::string dir = scratchDir("fail");
    errno = 0;
    EXPECT_FALSE(AtomicReplace(dir + "/missing/a.ini", "x"));
    EXPECT_EQ(errno, ENOENT);
    // Renaming a file over a directory fails after the temporary file was written.
    ASSERT_TRUE(MakeDirectories(dir + "/sub"));
    errno = 0;
    EXPECT_FALSE(AtomicReplace(dir + "/sub", "x"));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(entriesIn(dir), 1u);

    FileLock lock(dir + "/missing/a.ini");
    EXPECT_FALSE(lock.locked());
    EXPECT_EQ(lock.error(), ENOENT);
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
        int status = 0;
        waitpid(child, &status, 0);

        std::string text;
        ASSERT_TRUE(ReadWholeFile(path, text));
        const auto doc = ProfileDocument::Parse(text);
        ASSERT_EQ(doc.Find("Keep", "k"), "v") << round;
        const auto big = doc.Find("S", "big");
        ASSERT_TRUE(big == small || big == large) << round;
        if (big == large) ++sawLarge;
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
        children[w] = fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            bool ok = true;
            for (int i = 0; i < kWrites; ++i) {
                const std::string key = keyName(w ? 'b' : 'a', i);
                ok = win::WritePrivateProfileString(w ? "Two" : "One", key, std::to_string(i), path) && ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text));
    const auto doc = ProfileDocument::Parse(text);
    for (int i = 0; i < kWrites; ++i) {
        EXPECT_EQ(doc.Find("One", keyName('a', i)), std::to_string(i));
        EXPECT_EQ(doc.Find("Two", keyName('b', i)), std::to_string(i));
    }
}

}  // namespace
}  // namespace qm
