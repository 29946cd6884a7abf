// SPDX-License-Identifier: MIT
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <utime.h>

#include "platform/Directories.h"
#include "platform/Text.h"
#include "tests/support/TestData.h"

namespace qm {
namespace {

TEST(ProfileDocument, ReadsAsWindowsDoes) {
    const struct {
        std::string_view text, section, key;
        std::optional<std::string> value;
    } rows[] = {
        {"[General]\r\nPersonal Name=Ann\r\n", "General", "Personal Name", "Ann"},
        {"[general]\nKEY=v\n", "GENERAL", "key", "v"},
        {"  [ General ]  \n \t name \t=  a b  \n", " General ", "name\t", "a b"},
        {"[s]\nk=\" a \"\n", "s", "k", " a "},
        {"[s]\nk=' a '\n", "s", "k", " a "},
        {"[s]\nk=\"a'\n", "s", "k", "\"a'"},
        {"[s]\nk=\"\n", "s", "k", "\""},
        {"[s]\nk=\"\"\n", "s", "k", ""},
        {"[s]\nk=v ;x\n", "s", "k", "v ;x"},  // no inline comments
        {"[s]\nk=a=b\n", "s", "k", "a=b"},
        {"[s]\nk=\n", "s", "k", ""},
        {"[s]\nk\n", "s", "k", std::nullopt},
        {"[s]\n \t;k=v\n", "s", ";k", std::nullopt},
        {"[s]\nk=1\nK=2\n", "s", "k", "1"},
        {"[a]\nk=1\n[b]\nk=2\n", "b", "k", "2"},
        {"[s]\na=1\n[t]\n[S]\na=2\nb=3\n", "s", "a", "1"},
        {"[s]\na=1\n[t]\n[S]\na=2\nb=3\n", "s", "b", std::nullopt},
        {"[s\nk=v\n", "s", "k", "v"},
        {"[s] trailing\nk=v", "s", "k", "v"},
        {"[s]\rk=v\rj=w", "s", "j", "w"},
        {"k=v\n[s]\n", "", "k", std::nullopt},
        {"\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
        {"[\xC3\x9Cn]\nK\xC3\x89Y=v\n", "\xC3\xBCn", "k\xC3\x89y", std::nullopt},  // ASCII letters fold only
    };
    for (const auto& row : rows)
        EXPECT_EQ(ProfileDocument::Parse(row.text).find(row.section, row.key), row.value) << row.text;

    const auto doc = ProfileDocument::Parse(
        "[Add-Ins32]\r\nB.Connect=1\r\nnote\r\na.connect = '0'\r\n"
        "b.connect=2\r\n[other]\r\nc=3\r\n[ADD-INS32]\r\nd=4\r\n");
    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(doc.entries(" add-ins32 "), (Entries{{"B.Connect", "1"}, {"a.connect", "0"}}));
}

TEST(ProfileSetValue, EditsInPlace) {
    const struct {
        std::string_view text, section, key, value, expected;
    } rows[] = {
        {"", "General", "Name", "Ann", "[General]\r\nName=Ann\r\n"},
        {"; c\r\n[General]\r\nName = Old  \r\nX=1\r\n", "General", "Name", "Ann",
         "; c\r\n[General]\r\nName = Ann  \r\nX=1\r\n"},
        {"[general]\nNAME=x\n", " General", "name ", "y", "[general]\nNAME=y\n"},
        {"[a]\nk=\n", "a", "k", "v", "[a]\nk=v\n"},
        {"[a]\nk=\"old\"\n", "a", "k", "new", "[a]\nk=new\n"},
        {"[a]\nk=1\nk=2\n", "a", "k", "9", "[a]\nk=9\nk=2\n"},
        {"[a]\nx=1\n; note\n\n[b]\ny=2\n", "a", "z", "3", "[a]\nx=1\n; note\nz=3\r\n\n[b]\ny=2\n"},
        {"[a]\n;k=1\n", "a", "k", "2", "[a]\n;k=1\nk=2\r\n"},
        {"[a]\nx=1", "a", "y", "2", "[a]\nx=1\r\ny=2\r\n"},
        {"[a]\nx=1", "b", "y", "2", "[a]\nx=1\r\n[b]\r\ny=2\r\n"},
        {"[a]\rx=1\r[b]\r", "a", "y", "2", "[a]\rx=1\ry=2\r\n[b]\r"},
        {"[a]\nx=1\n[b]\n[A]\ny=2\n", "a", "y", "3", "[a]\nx=1\ny=3\r\n[b]\n[A]\ny=2\n"},
        {"[ab]\nk=1\n", "a", "k", "2", "[ab]\nk=1\n[a]\r\nk=2\r\n"},
        {"k=0\n[a]\n", "a", "k", "1", "k=0\n[a]\nk=1\r\n"},
        {"\xEF\xBB\xBF[a]\nk=1\n", "a", "k", "2", "\xEF\xBB\xBF[a]\nk=2\n"},
        // Values that a plain write would not read back get one pair of double quotes.
        {"[a]\n", "a", "k", " x ", "[a]\nk=\" x \"\r\n"},
        {"[a]\n", "a", "k", "'", "[a]\nk='\r\n"},
        {"[a]\nk=1\n", "a", "k", "\"q\"", "[a]\nk=\"\"q\"\"\n"},
    };
    for (const auto& row : rows) {
        const std::string out = ProfileSetValue(row.text, row.section, row.key, row.value);
        EXPECT_EQ(out, row.expected) << row.text;
        EXPECT_EQ(ProfileDocument::Parse(out).find(row.section, row.key), std::string(row.value));
    }
}

std::string configFile(const std::string& name) {
    EXPECT_TRUE(MakeDirectories(ConfigDir()));
    return ConfigDir() + "/" + name;
}

std::string readProfile(std::string_view section, std::string_view key, std::string_view def,
                        std::string_view file, std::size_t size = 254) {
    std::string out = "junk";
    const std::size_t n = win::GetPrivateProfileString(section, key, def, out, size, file);
    EXPECT_EQ(n, size == 0 ? 0 : CharLength(out));
    return out;
}

// A read of size n gives at most n - 1 whole characters; size 0 leaves the buffer alone.
TEST(PrivateProfile, DefaultsAndCutsToWholeCharacters) {
    std::ofstream(configFile("defaults.ini")) << "[General]\nComments Type=\nName=a\xC3\xA9\xE6\xBC\xA2\n";
    const struct {
        std::string_view key, def, file;
        std::size_t size;
        std::string_view expected;
    } rows[] = {
        {"Comments Type", "0", "no-such.ini", 254, "0"},
        {"Comments Type", "0", "defaults.ini", 254, ""},
        {"x",
         "d\xC3\xA9"
         "fault",
         "defaults.ini", 3, "d\xC3\xA9"},
        {"x", "d  \t", "defaults.ini", 254, "d"},  // the default loses its trailing blanks
        {"Name", "", "defaults.ini", 3, "a\xC3\xA9"},
        {"Name", "", "defaults.ini", 0, "junk"},
        {"x", "d", "", 254, "d"},  // the config folder itself
    };
    for (const auto& row : rows)
        EXPECT_EQ(readProfile("General", row.key, row.def,
                              row.file.empty() ? ConfigDir() : std::string(row.file), row.size),
                  row.expected)
            << row.key << row.size;
}

TEST(PrivateProfile, RefusesWhatWouldBreakTheFile) {
    ASSERT_TRUE(win::WritePrivateProfileString("s", "k", "v", "refuse.ini"));
    const std::string before = test::FileBytes(configFile("refuse.ini"));
    const struct {
        std::string_view section, key, value, file = "refuse.ini";
    } rows[] = {
        {"s", "k", "a\nb"}, {"s", "k", "a\rb"}, {"s", "k\n", "v"}, {"s\r", "k", "v"},   {"s", "a=b", "v"},
        {"s", " [k", "v"},  {"s", ";k", "v"},   {"a]b", "k", "v"}, {"s", "k", "v", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(win::WritePrivateProfileString(row.section, row.key, row.value, row.file) ? 0 : errno,
                  EINVAL)
            << row.key;
    EXPECT_EQ(test::FileBytes(configFile("refuse.ini")), before);
}

// The parsed file is cached; a change must show, even one in the same timestamp tick as the
// read before it (same size, inode and mtime).
TEST(PrivateProfile, ParsesAnUnchangedFileOnceAndSeesEveryChange) {
    const std::string path = configFile("cache.ini");
    std::ofstream(path) << "[s]\nk=old\n";
    const utimbuf past{1000000000, 1000000000};
    ASSERT_EQ(utime(path.c_str(), &past), 0);
    const std::size_t before = ProfileFileParses();
    for (int i = 0; i < 100; ++i) ASSERT_EQ(readProfile("s", "k", "", "cache.ini"), "old");
    EXPECT_EQ(ProfileFileParses() - before, 1u);

    std::ofstream(path) << "[s]\nk=new\n";
    EXPECT_EQ(readProfile("s", "k", "", "cache.ini"), "new");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    const timespec sameTick[2] = {st.st_atim, st.st_mtim};
    std::ofstream(path) << "[s]\nk=two\n";
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), sameTick, 0), 0);
    EXPECT_EQ(readProfile("s", "k", "", "cache.ini"), "two");
    ASSERT_TRUE(win::WritePrivateProfileString("s", "k", "three", "cache.ini"));
    EXPECT_EQ(readProfile("s", "k", "", "cache.ini"), "three");
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_EQ(readProfile("s", "k", "gone", "cache.ini"), "gone");
}

}  // namespace
}  // namespace qm
