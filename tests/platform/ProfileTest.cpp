// SPDX-License-Identifier: MIT
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <utime.h>

#include "platform/AtomicFile.h"
#include "platform/Directories.h"
#include "platform/Text.h"

namespace qm {
namespace {

struct ReadRow {
    std::string_view text;
    std::string_view section;
    std::string_view key;
    std::optional<std::string> value;
};

TEST(ProfileDocument, ReadsAsWindowsDoes) {
    const ReadRow rows[] = {
        {"[General]\r\nPersonal Name=Ann\r\n", "General", "Personal Name", "Ann"},
        {"[general]\nKEY=v\n", "GENERAL", "key", "v"},
        {"  [ General ]  \n \t name \t=  a b  \n", "General", "name", "a b"},
        {"[s]\nk = v\n", " s ", " k\t", "v"},
        {"[s]\nk=\" a \"\n", "s", "k", " a "},
        {"[s]\nk=' a '\n", "s", "k", " a "},
        {"[s]\nk=\"a'\n", "s", "k", "\"a'"},
        {"[s]\nk=\"\n", "s", "k", "\""},
        {"[s]\nk=\"\"\n", "s", "k", ""},
        {"[s]\nk=v ;x\n", "s", "k", "v ;x"},
        {"[s]\nk=a=b\n", "s", "k", "a=b"},
        {"[s]\nk=\n", "s", "k", ""},
        {"[s]\nk\n", "s", "k", std::nullopt},
        {"[s]\n;k=v\n", "s", "k", std::nullopt},
        {"[s]\n \t;k=v\n", "s", "k", std::nullopt},
        {"[s]\n;k=v\nk=w\n", "s", "k", "w"},
        {"[s]\nk=1\nK=2\n", "s", "k", "1"},
        {"[s]\na=1\n[t]\n[S]\na=2\nb=3\n", "s", "a", "1"},
        {"[s]\na=1\n[t]\n[S]\na=2\nb=3\n", "s", "b", std::nullopt},
        {"[a]\nk=1\n[b]\nk=2\n", "b", "k", "2"},
        {"[a]\nk=1\n[b]\nk=2\n", "c", "k", std::nullopt},
        {"[s\nk=v\n", "s", "k", "v"},
        {"[s] trailing\nk=v", "s", "k", "v"},
        {"[s]\rk=v\rj=w", "s", "j", "w"},
        {"[s]\r\nk=v", "s", "k", "v"},
        {"[s]\r\n\r\nk=v\r\n", "s", "k", "v"},
        {"k=v\n[s]\n", "", "k", std::nullopt},
        {"\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
        {"[\xC3\x9Cn]\nK\xC3\x89Y=v\n", "\xC3\x9Cn", "k\xC3\x89y", "v"},
        {"[\xC3\x9Cn]\nK\xC3\x89Y=v\n", "\xC3\xBCn", "K\xC3\x89Y", std::nullopt},
        {"[s]\nk=v\n", "s\nk", "", std::nullopt},
        {"", "s", "k", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ProfileDocument::Parse(row.text).Find(row.section, row.key), row.value)
            << "text: " << row.text << "\nsection: " << row.section << "\nkey: " << row.key;
    }
}

struct EditRow {
    std::string_view text;
    std::string_view section;
    std::string_view key;
    std::string_view value;
    std::string_view expected;
};

TEST(ProfileDocument, ListsASectionsEntriesInFileOrder) {
    const auto doc = ProfileDocument::Parse(
        "[Add-Ins32]\r\nB.Connect=1\r\nnote\r\na.connect = '0'\r\nb.connect=2\r\n[other]\r\nc=3\r\n[ADD-INS32]\r\nd=4\r\n");
    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(doc.Entries(" add-ins32 "), (Entries{{"B.Connect", "1"}, {"a.connect", "0"}}));
    EXPECT_EQ(doc.Entries("missing"), Entries{});
}

TEST(ProfileSetValue, EditsInPlace) {
    const EditRow rows[] = {
        {"", "General", "Name", "Ann", "[General]\r\nName=Ann\r\n"},
        {"; c\r\n[General]\r\nName = Old  \r\nX=1\r\n", "General", "Name", "Ann",
         "; c\r\n[General]\r\nName = Ann  \r\nX=1\r\n"},
        {"[general]\nNAME=x\n", " General", "name ", "y", "[general]\nNAME=y\n"},
        {"[a]\nk=\n", "a", "k", "v", "[a]\nk=v\n"},
        {"[a]\nk=  \n", "a", "k", "v", "[a]\nk=  v\n"},
        {"[a]\nk=\"old\"\n", "a", "k", "new", "[a]\nk=new\n"},
        {"[a]\nk=1\nk=2\n", "a", "k", "9", "[a]\nk=9\nk=2\n"},
        {"[a]\nx=1\n\n[b]\ny=2\n", "a", "z", "3", "[a]\nx=1\nz=3\r\n\n[b]\ny=2\n"},
        {"[a]\r\nx=1\r\n; note\r\n\r\n\r\n", "a", "y", "2", "[a]\r\nx=1\r\n; note\r\ny=2\r\n\r\n\r\n"},
        {"[a]\n;k=1\n", "a", "k", "2", "[a]\n;k=1\nk=2\r\n"},
        {"[a]\nx=1", "a", "y", "2", "[a]\nx=1\r\ny=2\r\n"},
        {"[a]", "a", "y", "2", "[a]\r\ny=2\r\n"},
        {"[a]\nx=1", "b", "y", "2", "[a]\nx=1\r\n[b]\r\ny=2\r\n"},
        {"[a]\r\nx=1\r\n", "b", "y", "2", "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
        {"\r\n", "a", "k", "v", "\r\n[a]\r\nk=v\r\n"},
        {"[a]\rx=1\r[b]\r", "a", "y", "2", "[a]\rx=1\ry=2\r\n[b]\r"},
        {"[a]\nx=1\n[b]\n[A]\ny=2\n", "a", "y", "3", "[a]\nx=1\ny=3\r\n[b]\n[A]\ny=2\n"},
        {"[ab]\nk=1\n", "a", "k", "2", "[ab]\nk=1\n[a]\r\nk=2\r\n"},
        {"k=0\n[a]\n", "a", "k", "1", "k=0\n[a]\nk=1\r\n"},
        {"\xEF\xBB\xBF[a]\nk=1\n", "a", "k", "2", "\xEF\xBB\xBF[a]\nk=2\n"},
        {"[a]\n", "a", "k", "v ;x", "[a]\nk=v ;x\r\n"},
        // Values that a plain write would not read back get one pair of double quotes.
        {"[a]\n", "a", "k", " x ", "[a]\nk=\" x \"\r\n"},
        {"[a]\nk=1\n", "a", "k", "\"q\"", "[a]\nk=\"\"q\"\"\n"},
        {"[a]\n", "a", "k", "'", "[a]\nk='\r\n"},
    };
    for (const auto& row : rows) {
        const std::string out = ProfileSetValue(row.text, row.section, row.key, row.value);
        EXPECT_EQ(out, row.expected) << "text: " << row.text;
        EXPECT_EQ(ProfileDocument::Parse(out).Find(row.section, row.key), std::string(row.value))
            << "text: " << row.text;
    }
}

// Byte soup: NULs, stray CRs, '[' without ']', invalid UTF-8. Nothing may crash, and a
// value just set must read back whatever surrounds it.
TEST(ProfileSetValue, SurvivesGarbageAndStillReadsBack) {
    std::mt19937 rng(98);
    const std::string alphabet = std::string("[]=; \t\r\nabAB\"'\xC3\xA9\xFF\x80") + '\0';
    for (int i = 0; i < 300; ++i) {
        std::string text(rng() % 400, '\0');
        for (char& c : text) c = (i % 3 == 0) ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
        const std::string value = i % 2 ? " \"v\xFF\" " : "v";
        const std::string out = ProfileSetValue(text, "a", "B", value);
        EXPECT_EQ(ProfileDocument::Parse(out).Find("A", "b"), value) << i;
        // The value of another pair never changes.
        const auto before = ProfileDocument::Parse(text).Find("a", "ab");
        EXPECT_EQ(ProfileDocument::Parse(out).Find("a", "ab"), before) << i;
    }
}

TEST(ProfileDocument, ToleratesHugeLinesAndBinary) {
    const std::string huge(1 << 20, 'x');
    const std::string text = "[s]\n" + huge + "\n[" + huge + "\nk=v\n[t]\nbig=" + huge + "\n";
    const auto doc = ProfileDocument::Parse(text);
    EXPECT_EQ(doc.Find("s", "k"), std::nullopt);  // the unclosed "[xxx…" opened a section
    EXPECT_EQ(doc.Find(huge, "k"), "v");
    EXPECT_EQ(doc.Find("t", "big")->size(), huge.size());

    std::string binary(70000, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7 % 256);
    EXPECT_EQ(ProfileDocument::Parse(binary + "\n[s]\nk=v").Find("s", "k"), "v");
}

std::string configFile(const std::string& name) {
    return ConfigDir() + "/" + name;
}

std::string fileText(const std::string& path) {
    std::string text;
    EXPECT_TRUE(ReadWholeFile(path, text)) << path;
    return text;
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string readProfile(std::string_view section, std::string_view key, std::string_view def,
                        std::string_view file, std::size_t size = 254) {
    std::string out = "junk";
    const std::size_t n = win::GetPrivateProfileString(section, key, def, out, size, file);
    EXPECT_EQ(n, CharLength(out));
    return out;
}

TEST(PrivateProfile, WritesIntoTheConfigDirectoryAndReadsBack) {
    ASSERT_TRUE(win::WritePrivateProfileString("General", "Personal Name", "Ann", "Qmark98.ini"));
    ASSERT_TRUE(win::WritePrivateProfileString("General", "Comments Type", "1", "Qmark98.ini"));
    ASSERT_TRUE(win::WritePrivateProfileString("Param Types VB", "1", "Integer", "Qmark98.ini"));
    ASSERT_TRUE(win::WritePrivateProfileString("General", "personal name", "Bo", "Qmark98.ini"));
    EXPECT_EQ(fileText(configFile("Qmark98.ini")),
              "[General]\r\nPersonal Name=Bo\r\nComments Type=1\r\n"
              "[Param Types VB]\r\n1=Integer\r\n");
    EXPECT_EQ(readProfile("general", "PERSONAL NAME", "", "Qmark98.ini"), "Bo");
    EXPECT_EQ(readProfile("General", "Comments Type", "0", configFile("Qmark98.ini")), "1");

    struct stat st {};
    ASSERT_EQ(stat(ConfigDir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(PrivateProfile, MissingFileSectionOrKeyGivesTheDefault) {
    ASSERT_TRUE(MakeDirectories(ConfigDir()));
    writeFile(configFile("defaults.ini"), "[General]\nComments Type=\n");
    EXPECT_EQ(readProfile("General", "Comments Type", "0", "no-such.ini"), "0");
    EXPECT_EQ(readProfile("General", "Personal Name", "", "no-such.ini"), "");
    EXPECT_EQ(readProfile("Other", "Comments Type", "0", "defaults.ini"), "0");
    EXPECT_EQ(readProfile("General", "Comments Type", "0", "defaults.ini"), "");
    EXPECT_EQ(readProfile("General", "x", "d\xC3\xA9" "fault", "defaults.ini", 3), "d\xC3\xA9");
    EXPECT_EQ(readProfile("General", "x", "default", "defaults.ini", 0), "");
    EXPECT_EQ(readProfile("General", "x", "d", ""), "d");
    EXPECT_EQ(readProfile("General", "x", "d", ConfigDir()), "d");  // a directory
}

TEST(PrivateProfile, LongValueIsCutToWholeCharacters) {
    std::string value;
    for (int i = 0; i < 100; ++i) value += "a\xC3\xA9\xE6\xBC\xA2";  // a é 漢: 300 characters
    ASSERT_EQ(CharLength(value), 300u);
    ASSERT_TRUE(win::WritePrivateProfileString("General", "Personal Name", value, "long.ini"));
    std::string out;
    EXPECT_EQ(win::GetPrivateProfileString("General", "Personal Name", "", out, 254, "long.ini"), 253u);
    EXPECT_EQ(out, CharPrefix(value, 253));
    EXPECT_EQ(readProfile("General", "Personal Name", "", "long.ini", 2), "a");
    EXPECT_EQ(readProfile("General", "Personal Name", "", "long.ini", 3), "a\xC3\xA9");
}

TEST(PrivateProfile, RefusesTextThatWouldBreakTheFile) {
    ASSERT_TRUE(win::WritePrivateProfileString("s", "k", "v", "refuse.ini"));
    const std::string before = fileText(configFile("refuse.ini"));
    const struct {
        std::string_view section, key, value, file;
    } rows[] = {
        {"s", "k", "a\nb", "refuse.ini"},  {"s", "k", "a\rb", "refuse.ini"},
        {"s", "k\n", "v", "refuse.ini"},   {"s\r", "k", "v", "refuse.ini"},
        {"s", "a=b", "v", "refuse.ini"},   {"s", " [k", "v", "refuse.ini"},
        {"s", ";k", "v", "refuse.ini"},    {"a]b", "k", "v", "refuse.ini"},
        {"s", "k", "v", ""},
    };
    for (const auto& row : rows) {
        errno = 0;
        EXPECT_FALSE(win::WritePrivateProfileString(row.section, row.key, row.value, row.file))
            << row.section << "/" << row.key << "/" << row.value;
        EXPECT_EQ(errno, EINVAL);
    }
    EXPECT_EQ(fileText(configFile("refuse.ini")), before);
}

TEST(PrivateProfile, ReportsFilesItCannotWrite) {
    const std::string plain = TempDir() + "plain-file";
    writeFile(plain, "x");
    errno = 0;
    EXPECT_FALSE(win::WritePrivateProfileString("s", "k", "v", plain + "/x.ini"));
    EXPECT_EQ(errno, ENOTDIR);
    errno = 0;
    EXPECT_FALSE(win::WritePrivateProfileString("s", "k", "v", TempDir() + "missing/x.ini"));
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_FALSE(win::WritePrivateProfileString("s", "k", "v", TempDir()));  // a directory
    EXPECT_NE(errno, 0);
}

TEST(PrivateProfile, ParsesAnUnchangedFileOnceAndSeesChanges) {
    const std::string path = configFile("cache.ini");
    ASSERT_TRUE(MakeDirectories(ConfigDir()));
    writeFile(path, "[s]\nk=old\n");
    // Written well in the past, so its timestamp cannot hide a change made now.
    const utimbuf past{1000000000, 1000000000};
    ASSERT_EQ(utime(path.c_str(), &past), 0);

    const std::size_t before = ProfileFileParses();
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(readProfile("s", "k", "", "cache.ini"), "old");
    EXPECT_EQ(ProfileFileParses() - before, 1u);

    writeFile(path, "[s]\nk=new\n");  // same size, same inode
    EXPECT_EQ(readProfile("s", "k", "", "cache.ini"), "new");
    ASSERT_TRUE(win::WritePrivateProfileString("s", "k", "newest", "cache.ini"));
    EXPECT_EQ(readProfile("s", "k", "", "cache.ini"), "newest");
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_EQ(readProfile("s", "k", "gone", "cache.ini"), "gone");
}

// Timestamps are coarse: an in-place edit in the same tick as a read keeps size, inode and
// mtime. A file read that soon after its change must not be served from the cache.
TEST(PrivateProfile, ChangeWithinOneTimestampTickIsSeen) {
    const std::string path = configFile("tick.ini");
    ASSERT_TRUE(MakeDirectories(ConfigDir()));
    writeFile(path, "[s]\nk=one\n");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    const timespec sameTick[2] = {st.st_atim, st.st_mtim};
    EXPECT_EQ(readProfile("s", "k", "", "tick.ini"), "one");
    writeFile(path, "[s]\nk=two\n");
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), sameTick, 0), 0);
    EXPECT_EQ(readProfile("s", "k", "", "tick.ini"), "two");
}

TEST(PrivateProfile, RoundTripsEveryValue) {
    const std::string_view values[] = {"", " ", " lead", "trail\t", "\"q\"", "'q'", "\"", "'x\"",
                                       "a = b", "[x]", ";c", "\xFF\xFE", "\xE6\xBC\xA2 \xE5\xAD\x97"};
    for (const auto value : values) {
        ASSERT_TRUE(win::WritePrivateProfileString("s", "k", value, "roundtrip.ini"));
        EXPECT_EQ(readProfile("s", "k", "default", "roundtrip.ini", 1000), value);
    }
}

}  // namespace
}  // namespace qm
