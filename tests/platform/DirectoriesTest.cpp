// SPDX-License-Identifier: MIT
#include "platform/Directories.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <tuple>
#include <sys/stat.h>

#include "tests/support/ScopedEnv.h"

namespace qm {
namespace {

using test::ScopedEnv;

TEST(Directories, FollowTheEnvironment) {
    const struct {
        const char *xdg, *home, *expected;
    } rows[] = {
        {"/x/cfg//", "/h", "/x/cfg/quillmark"},
        {"", "/h", "/h/.config/quillmark"},
        {nullptr, "/h/", "/h/.config/quillmark"},
        {"relative/cfg", "/h", "/h/.config/quillmark"},
        {"/", "/h", "/quillmark"},
    };
    for (const auto& row : rows) {
        ScopedEnv xdg("XDG_CONFIG_HOME", row.xdg), home("HOME", row.home);
        std::string out;
        EXPECT_EQ(win::GetWindowsDirectory(out), std::string_view(row.expected).size());
        EXPECT_EQ(out, row.expected);
    }
    EXPECT_EQ(ResolveProfilePath("sub/a.ini"), "sub/a.ini");  // only a bare name goes to the config folder

    for (const auto& [tmpdir, expected] : {std::pair{"/t/", "/t/"}, {"/t", "/t/"}, {"", "/tmp/"}}) {
        ScopedEnv tmp("TMPDIR", tmpdir);
        EXPECT_EQ(TempDir(), expected);
    }
    ScopedEnv reg("QUILLMARK_SYSTEM_REGISTRY", "");
    EXPECT_EQ(SystemRegistryDir(), "/etc/quillmark/registry");
}

TEST(Directories, MakeDirectoriesCreatesPrivateParents) {
    const std::string base = TempDir() + "mk";
    ASSERT_TRUE(MakeDirectories(base + "/a//b/c/") && MakeDirectories(base + "/a/b/c"));
    struct stat st {};
    EXPECT_TRUE(stat((base + "/a/b/c").c_str(), &st) == 0 && (st.st_mode & 0777) == 0700);
    std::ofstream(base + "/file") << "x";
    EXPECT_FALSE(MakeDirectories(base + "/file/sub"));
    EXPECT_EQ(errno, ENOTDIR);
}

// The one place where an unusable temporary folder is tested: it fails with the reason.
TEST(Directories, TempFileNamesAreNewEmptyPrivateFiles) {
    const std::string dir = TempDir();
    std::set<std::string> names;
    for (int i = 0; i < 200; ++i) {
        std::string path;
        ASSERT_NE(win::GetTempFileName(dir, "~q\xC3\xA9mark", 0, path), 0u);
        const std::string name = path.substr(dir.size());
        const std::regex pattern("~q\xC3\xA9[0-9a-f]+\\.tmp");  // three characters of the prefix
        EXPECT_TRUE(path.rfind(dir, 0) == 0 && std::regex_match(name, pattern)) << path;
        EXPECT_TRUE(names.insert(name).second) << name;
        struct stat st {};
        EXPECT_TRUE(stat(path.c_str(), &st) == 0 && st.st_size == 0 && (st.st_mode & 0777) == 0600) << path;
    }
    std::string path;
    EXPECT_EQ(win::GetTempFileName(dir, "~qm", 0x1f, path), 0x1fu);  // a given number only names
    EXPECT_TRUE(path == dir + "~qm1f.tmp" && !std::ifstream(path).good()) << path;

    std::ofstream(dir + "plain") << "x";
    for (const auto& [from, prefix, error] : {std::tuple{dir + "plain", "~qm", ENOTDIR},
                                              {dir + "missing", "~qm", ENOENT},
                                              {dir, "a/b", EINVAL}}) {
        std::string out = "untouched";
        EXPECT_EQ(win::GetTempFileName(from, prefix, 0, out), 0u) << from;
        EXPECT_EQ(errno, error) << from;
        EXPECT_EQ(out, "untouched");
    }
}

}  // namespace
}  // namespace qm
