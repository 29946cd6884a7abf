// SPDX-License-Identifier: MIT
#include "platform/Directories.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sys/stat.h>

#include "platform/AtomicFile.h"

namespace qm {
namespace {

// Sets an environment variable for one scope (nullopt unsets it) and puts it back after.
class EnvScope {
public:
    EnvScope(const char* name, std::optional<std::string> value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~EnvScope() {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(Directories, ConfigDirFollowsXdgThenHome) {
    const struct {
        std::optional<std::string> xdg, home;
        std::string expected;
    } rows[] = {
        {"/x/cfg", "/h", "/x/cfg/quillmark"},
        {"/x/cfg//", "/h", "/x/cfg/quillmark"},
        {"", "/h", "/h/.config/quillmark"},
        {std::nullopt, "/h/", "/h/.config/quillmark"},
        {"relative/cfg", "/h", "/h/.config/quillmark"},
        {"/", "/h", "/quillmark"},
    };
    for (const auto& row : rows) {
        EnvScope xdg("XDG_CONFIG_HOME", row.xdg);
        EnvScope home("HOME", row.home);
        EXPECT_EQ(ConfigDir(), row.expected) << row.xdg.value_or("(unset)");
        std::string out;
        EXPECT_EQ(win::GetWindowsDirectory(out), row.expected.size());
        EXPECT_EQ(out, row.expected);
    }
    EnvScope xdg("XDG_CONFIG_HOME", "/x");
    EXPECT_EQ(ResolveProfilePath("Qmark98.ini"), "/x/quillmark/Qmark98.ini");
    EXPECT_EQ(ResolveProfilePath("/etc/a.ini"), "/etc/a.ini");
    EXPECT_EQ(ResolveProfilePath("sub/a.ini"), "sub/a.ini");
}

TEST(Directories, TempAndSystemDirectories) {
    const struct {
        std::optional<std::string> tmpdir;
        std::string expected;
    } rows[] = {
        {"/t", "/t/"}, {"/t/", "/t/"}, {"", "/tmp/"}, {std::nullopt, "/tmp/"},
    };
    for (const auto& row : rows) {
        EnvScope tmp("TMPDIR", row.tmpdir);
        EXPECT_EQ(TempDir(), row.expected);
    }
    {
        EnvScope tmp("TMPDIR", "/t\xC3\xA9");
        std::string out;
        EXPECT_EQ(win::GetTempPath(out), 4u);  // characters, not bytes
        EXPECT_EQ(out, "/t\xC3\xA9/");
    }
    std::string out;
    EXPECT_EQ(win::GetSystemDirectory(out), 8u);
    EXPECT_EQ(out, "/usr/lib");
    {
        EnvScope reg("QUILLMARK_SYSTEM_REGISTRY", "");
        EXPECT_EQ(SystemRegistryDir(), "/etc/quillmark/registry");
    }
    EnvScope reg("QUILLMARK_SYSTEM_REGISTRY", "/r/");
    EXPECT_EQ(SystemRegistryDir(), "/r");
}

TEST(Directories, MakeDirectoriesCreatesParents) {
    const std::string base = TempDir() + "mk";
    ASSERT_TRUE(MakeDirectories(base + "/a//b/c/"));
    ASSERT_TRUE(MakeDirectories(base + "/a/b/c"));
    struct stat st {};
    ASSERT_EQ(stat((base + "/a/b/c").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::ofstream(base + "/file") << "x";
    errno = 0;
    EXPECT_FALSE(MakeDirectories(base + "/file"));
    EXPECT_EQ(errno, ENOTDIR);
    errno = 0;
    EXPECT_FALSE(MakeDirectories(base + "/file/sub"));
    EXPECT_EQ(errno, ENOTDIR);
}

TEST(Directories, TempFileNamesAreNewEmptyPrivateFiles) {
    const std::string dir = TempDir();
    const std::regex pattern("~qm[0-9a-f]+\\.tmp");
    std::set<std::string> names;
    for (int i = 0; i < 200; ++i) {
        std::string path;
        const unsigned number = win::GetTempFileName(dir, "~qmark", 0, path);
        ASSERT_NE(number, 0u);
        ASSERT_EQ(path.substr(0, dir.size()), dir);
        const std::string name = path.substr(dir.size());
        EXPECT_TRUE(std::regex_match(name, pattern)) << name;
        EXPECT_TRUE(names.insert(name).second) << name;
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_size, 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }

    std::string path;
    ASSERT_NE(win::GetTempFileName(dir.substr(0, dir.size() - 1), "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 0, path), 0u);
    EXPECT_EQ(path.substr(dir.size(), 6), "\xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_NE(path.substr(dir.size() + 6, 2), "\xC3\xA9");

    // A given number only builds the name.
    EXPECT_EQ(win::GetTempFileName(dir, "~qm", 0x1f, path), 0x1fu);
    EXPECT_EQ(path, dir + "~qm1f.tmp");
    struct stat st {};
    EXPECT_NE(stat(path.c_str(), &st), 0);
}

TEST(Directories, TempFileNameReportsFailures) {
    const std::string plain = TempDir() + "plain";
    std::ofstream(plain) << "x";
    const struct {
        std::string dir;
        std::string prefix;
        int error;
    } rows[] = {
        {plain, "~qm", ENOTDIR},
        {TempDir() + "missing", "~qm", ENOENT},
        {"", "~qm", ENOENT},
        {TempDir(), "a/b", EINVAL},
    };
    for (const auto& row : rows) {
        std::string out = "untouched";
        errno = 0;
        EXPECT_EQ(win::GetTempFileName(row.dir, row.prefix, 0, out), 0u) << row.dir;
        EXPECT_EQ(errno, row.error) << row.dir;
        EXPECT_EQ(out, "untouched");
    }
}

}  // namespace
}  // namespace qm
