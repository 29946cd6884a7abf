// SPDX-License-Identifier: MIT
#include "platform/WholeFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Directories.h"
#include "platform/Profile.h"
#include "tests/support/TestData.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::FileBytes;

std::string freshDir(const std::string& name) {
    const std::string dir = TempDir() + name;
    fs::remove_all(dir);
    EXPECT_TRUE(MakeDirectories(dir));
    return dir;
}

std::set<std::string> namesIn(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
    return names;
}

// Whatever sits at a settings file's name: what a read gives, what a write does, and what
// is at the name and its target afterwards. Nothing may hang, grow without bound or be
// replaced that is not a writable regular file.
TEST(WholeFile, ReadsAndWritesOnlyWhatIsASettingsFile) {
    const std::string dir = freshDir("guards");
    const std::string path = dir + "/s.ini", target = dir + "/t.ini";
    const std::string old = "[s]\nk=old\n", fresh = "[s]\r\nk=new\r\n";
    const auto text = [](const std::string& p, const std::string& t) { std::ofstream(p) << t; };
    const struct {
        const char* what;
        std::function<void()> make;
        int readError, writeError;
        fs::file_type typeAfter;
        std::string targetAfter;  // of the file the name resolves to; empty: not checked
    } rows[] = {
        {"regular", [&] { text(path, old); }, 0, 0, fs::file_type::regular, "[s]\nk=new\n"},
        {"symlink", [&] { text(target, old), fs::create_symlink("t.ini", path); }, 0, 0,
         fs::file_type::symlink, "[s]\nk=new\n"},
        {"dangling symlink", [&] { fs::create_symlink("t.ini", path); }, ENOENT, 0, fs::file_type::symlink,
         fresh},
        {"FIFO", [&] { mkfifo(path.c_str(), 0600); }, EINVAL, EINVAL, fs::file_type::fifo, ""},
        {"link to /dev/zero", [&] { fs::create_symlink("/dev/zero", path); }, EINVAL, EINVAL,
         fs::file_type::symlink, ""},
        {"link to /dev/null", [&] { fs::create_symlink("/dev/null", path); }, EINVAL, EINVAL,
         fs::file_type::symlink, ""},
        {"folder", [&] { fs::create_directory(path); }, EISDIR, EISDIR, fs::file_type::directory, ""},
        {"oversized", [&] { text(path, old), fs::resize_file(path, kMaxWholeFileBytes + 1); }, EFBIG, EFBIG,
         fs::file_type::regular, ""},
        {"read-only", [&] { text(path, old), fs::permissions(path, fs::perms(0444)); }, 0, EACCES,
         fs::file_type::regular, old},
    };
    for (const auto& row : rows) {
        fs::remove_all(path);
        fs::remove_all(target);
        row.make();
        std::string read;
        EXPECT_EQ(ReadWholeFile(path, read) ? 0 : errno, row.readError) << row.what;
        EXPECT_EQ(win::WritePrivateProfileString("s", "k", "new", path) ? 0 : errno, row.writeError)
            << row.what;
        EXPECT_EQ(fs::symlink_status(path).type(), row.typeAfter) << row.what;
        if (!row.targetAfter.empty()) {
            EXPECT_EQ(FileBytes(path), row.targetAfter) << row.what;
        }
        EXPECT_EQ(fs::status("/dev/null").type(), fs::file_type::character) << row.what;
    }
    EXPECT_EQ(namesIn(dir), (std::set<std::string>{"s.ini"}));  // no lock or temporary file left
}

// Unreadable is not the same as missing: a write must not replace the file with one holding
// its own key alone. Run as an unprivileged user, since root reads anything.
TEST(WholeFile, UnreadableFileIsNotOverwritten) {
    const std::string dir = freshDir("unreadable");
    const std::string path = dir + "/s.ini";
    std::ofstream(path) << "[s]\nkeep=1\n";
    ASSERT_EQ(chmod(path.c_str(), 0200), 0);
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
    ASSERT_EQ(geteuid() == 0 ? chown(path.c_str(), 65534, 65534) : 0, 0);
    const auto result = test::InChildAsNobody(dir, [&] {
        return std::string(win::WritePrivateProfileString("s", "k", "v", path) ? "written" : strerror(errno));
    });
    if (!result) GTEST_SKIP() << "no unprivileged user reaches the folder";
    EXPECT_EQ(*result, strerror(EACCES));
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(FileBytes(path), "[s]\nkeep=1\n");
}

// Run as root, what is made in a user's folder is given to that user.
TEST(WholeFile, LeavesAHomeToItsOwner) {
    const std::string dir = freshDir("home");
    ASSERT_EQ(chown(dir.c_str(), 1234, 1234), geteuid() == 0 ? 0 : -1);
    ASSERT_TRUE(MakeDirectories(dir + "/sub"));
    ASSERT_TRUE(win::WritePrivateProfileString("s", "k", "v", dir + "/s.ini"));
    ASSERT_TRUE(win::WritePrivateProfileString("s", "k", "v", dir + "/sub/s.ini"));
    EXPECT_EQ(namesIn(dir), (std::set<std::string>{"s.ini", "sub"}));
    if (geteuid() != 0) return;
    for (const char* made : {"/s.ini", "/sub", "/sub/s.ini"}) {
        struct stat st {};
        ASSERT_EQ(stat((dir + made).c_str(), &st), 0);
        EXPECT_TRUE(st.st_uid == 1234u && st.st_gid == 1234u) << made;
    }
}

// Kills a writer at random moments: the file must always parse, hold the old or the new
// value, and keep a key written before.
TEST(WholeFile, KilledWriterNeverTearsTheFile) {
    const std::string path = freshDir("crash") + "/crash.ini";
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

        const auto doc = ProfileDocument::Parse(FileBytes(path));
        ASSERT_EQ(doc.find("Keep", "k"), "v") << round;
        const auto big = doc.find("S", "big");
        ASSERT_TRUE(big == small || big == large) << round;
        sawLarge += big == large;
    }
    EXPECT_GT(sawLarge, 0);  // the writer did get to write
}

// One writer goes through a symlink, the other through the file's own name: they must
// still take turns.
TEST(WholeFile, ConcurrentWritersKeepEveryKey) {
    const std::string dir = freshDir("concurrent");
    const std::string path = dir + "/shared.ini";
    ASSERT_TRUE(win::WritePrivateProfileString("s", "k", "v", path));
    fs::create_symlink("shared.ini", dir + "/link.ini");
    constexpr int kWrites = 200;
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        if ((children[w] = fork()) != 0) continue;
        bool ok = true;
        for (int i = 0; i < kWrites; ++i)
            ok = win::WritePrivateProfileString(w ? "Two" : "One", std::to_string(i), "v",
                                                w ? dir + "/link.ini" : path) &&
                 ok;
        _exit(ok ? 0 : 1);
    }
    for (const pid_t child : children) {
        int status = 1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto doc = ProfileDocument::Parse(FileBytes(path));
    for (int i = 0; i < kWrites; ++i)
        EXPECT_TRUE(doc.find("One", std::to_string(i)) && doc.find("Two", std::to_string(i))) << i;
}

}  // namespace
}  // namespace qm
