// SPDX-License-Identifier: MIT
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/TestData.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// Leading blanks skipped, halves to even, no number is 0, beyond 32 bits is the fallback (-9).
TEST(ParseSettingNumber, ReadsTheLeadingNumber) {
    const std::string nines(1 << 20, '9');
    const std::pair<std::string, std::int32_t> rows[] = {
        {"  3", 3},
        {"\t 3x", 3},
        {"+3", 3},
        {"-3", -3},
        {"007", 7},
        {"x", 0},
        {"", 0},
        {"-", 0},
        {".", 0},
        {"x3", 0},
        {"0x10", 0},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"-3.5", -4},
        {".5", 0},
        {"2.49", 2},
        {"2.5000001", 3},
        {"1e3", 1000},
        {"1D+3", 1000},
        {"25e-1", 2},
        {"1e+", 1},
        {"3.", 3},
        {"1.2.3", 1},
        {"12 34", 12},
        {"1e-99999999999", 0},
        {"2147483647", 2147483647},
        {"-2147483648.5", -2147483648},
        {"0.000000000000000000000012e23", 1},
        {"2147483648", -9},
        {"2147483647.5", -9},
        {"-2147483649", -9},
        {"1e10", -9},
        {"-1d400", -9},
        {"1e99999999999999999999", -9},
        {nines, -9},
        {"1e" + nines, -9},
        {"0." + nines, 1},
        {"5e-" + nines, 0},
        {std::string(1 << 20, '0') + "42", 42},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(ParseSettingNumber(text, -9), expected) << text.substr(0, 40);
    EXPECT_EQ(ParseSettingNumber("99999999999"), 0);
}

using Fields = std::tuple<std::string, std::int32_t, Strings, Strings>;

Fields loaded() {
    const Settings& s = TheSettings();
    return {s.PersonalName, s.CommentsType, s.ParamTypesVB, s.ParamTypesVC};
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = fs::path(std::getenv("XDG_CONFIG_HOME")) / "quillmark" / kSettingsFileName;
        fs::remove(m_file);
        TheSettings() = Settings{"old name", 7, {"old vb"}, {"old vc"}};
    }

    void Write(const std::string& text) {
        fs::create_directories(m_file.parent_path());
        std::ofstream(m_file, std::ios::binary) << text;
        // The profile layer caches a parsed file by size and mtime; a fresh mtime makes each
        // rewrite visible even within one clock tick.
        static int generation = 0;
        fs::last_write_time(m_file, fs::file_time_type::clock::now() + std::chrono::seconds(++generation));
    }

    fs::path m_file;
};

TEST_F(SettingsTest, ReadsEveryKeyAndDefaultsWithoutAFile) {
    int seen = -1;
    LoadSettings([&](std::int32_t commentsType) { seen = commentsType; });
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(loaded(), (Fields{"", 0, {}, {}}));
    Write(
        "[General]\r\nPersonal Name=A. Developer\r\nComments Type=1 ;VC\r\n"
        "[Param Types VB]\r\nNumber=2\r\nParam1=Integer\r\nParam2=String\r\n"
        "[Param Types VC]\r\nNumber=1\r\nParam1=int\r\n");
    LoadSettings();
    EXPECT_EQ(loaded(), (Fields{"A. Developer", 1, {"Integer", "String"}, {"int"}}));
}

// Entries follow "Number" (bounded, so a huge one allocates nothing absurd); gaps read empty.
TEST_F(SettingsTest, NumberBoundsTheListsAndValuesAreCutTo253Characters) {
    Write(
        "[Param Types VB]\nNumber=3\nParam1=Integer\nParam3=Long\nParam4=Variant\nParam02=Byte\n"
        "[Param Types VC]\nNumber=-5\nParam1=int\n");
    LoadSettings();
    EXPECT_EQ(loaded(), (Fields{"", 0, {"Integer", "", "Long"}, {}}));

    Write(
        "[Param Types VB]\nNumber=2147483647\nParam1=Integer\n"
        "[Param Types VC]\nNumber=99999999999\nParam1=x\n");
    LoadSettings();
    ASSERT_EQ(TheSettings().ParamTypesVB.size(), static_cast<std::size_t>(kMaxTypeListEntries));
    EXPECT_EQ(TheSettings().ParamTypesVB.front(), "Integer");
    EXPECT_TRUE(TheSettings().ParamTypesVC.empty());

    const std::string accented = std::string(252, 'a') + "\xC3\xA9\xC3\xA9";  // 254 characters
    Write("[General]\nPersonal Name=" + std::string(300, 'n') +
          "\n[Param Types VC]\nNumber=1\nParam1=" + accented + "\n");
    LoadSettings();
    EXPECT_EQ(loaded(), (Fields{std::string(253, 'n'), 0, {}, {std::string(252, 'a') + "\xC3\xA9"}}));
}

TEST_F(SettingsTest, GarbageFileGivesDefaultsWhereValuesMakeNoSense) {
    constexpr char kBinaryHead[] =
        "\0\x01\xFF\xFE[Gen\xE9"
        "ral]\r\n\0\x7F\x80garbage\n";
    std::string text(kBinaryHead, sizeof kBinaryHead - 1);
    text += std::string(1 << 20, 'x') + "\n";
    text += "[General\nPersonal Name=Missing Bracket\nComments Type\n";
    text += "[Param Types VB]\nNumber\nNumber=\xFF\xFE\nParam1=Integer\n";
    text += "[Param Types VC\nNumber=2\nParam1=int\n[Param Types \xC0\xC1]\nNumber=4\n";
    Write(text);
    LoadSettings();
    // "[General" runs to the line end.
    EXPECT_EQ(loaded(), (Fields{"Missing Bracket", 0, {}, {"int", ""}}));
}

TEST_F(SettingsTest, AfterCommentsTypeRunsBeforeTheListsAreRead) {
    Write("[General]\nComments Type=1\n[Param Types VC]\nNumber=1\nParam1=int\n");
    std::vector<std::int32_t> calls;
    LoadSettings([&](std::int32_t commentsType) {
        calls.push_back(commentsType);
        // What the lists hold afterwards shows when they were read.
        Write("[General]\nComments Type=1\n[Param Types VC]\nNumber=1\nParam1=long\n");
    });
    EXPECT_EQ(calls, (std::vector<std::int32_t>{1}));
    EXPECT_EQ(TheSettings().ParamTypesVC, (Strings{"long"}));
}

// Both keys every time, in memory too; the type lists and other lines stay as they are.
TEST_F(SettingsTest, SaveWritesBothGeneralKeys) {
    Write("; mine\r\n[Param Types VB]\r\nNumber=1\r\nParam1=Long\r\n");
    for (const auto& [name, language] : {std::pair{"A. Developer", 1}, {"", 0}}) {
        EXPECT_TRUE(SaveSettings(name, language));
        EXPECT_EQ(loaded(), (Fields{name, language, {"old vb"}, {"old vc"}}));
        EXPECT_EQ(test::FileBytes(m_file),
                  "; mine\r\n[Param Types VB]\r\nNumber=1\r\nParam1=Long\r\n[General]\r\n"
                  "Comments Type=" +
                      std::to_string(language) + "\r\nPersonal Name=" + name + "\r\n");
    }
}

TEST_F(SettingsTest, FailureHalfwayKeepsTheOldRecord) {
    Write("[General]\nPersonal Name=New\nComments Type=1\n");
    EXPECT_THROW(LoadSettings([](std::int32_t) { throw std::runtime_error("gone"); }), std::runtime_error);
    EXPECT_EQ(loaded(), (Fields{"old name", 7, {"old vb"}, {"old vc"}}));
}

}  // namespace
}  // namespace qm
