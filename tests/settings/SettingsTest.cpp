// SPDX-License-Identifier: MIT
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace qm {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* config = std::getenv("XDG_CONFIG_HOME");
        ASSERT_TRUE(config && *config) << "run through ctest, which sandboxes the config directory";
        m_file = fs::path(config) / "quillmark" / kSettingsFileName;
        fs::remove(m_file);
        TheSettings() = Settings{"old name", 7, {"old vb"}, {"old vc"}};
    }

    void Write(const std::string& text) {
        fs::create_directories(m_file.parent_path());
        std::ofstream(m_file, std::ios::binary | std::ios::trunc) << text;
        // The profile layer caches a parsed file by size and mtime; a fresh mtime makes each
        // rewrite visible even within one clock tick.
        static int generation = 0;
        fs::last_write_time(m_file, fs::file_time_type::clock::now() + std::chrono::seconds(++generation));
    }

    fs::path m_file;
};

TEST(ParseSettingNumber, ReadsTheLeadingNumberAndRoundsHalvesToEven) {
    struct Row {
        std::string text;
        std::int32_t expected;
    };
    const std::vector<Row> rows = {
        {"3", 3},     {"  3", 3},   {"\t 3x", 3},  {"+3", 3},     {"-3", -3},   {"007", 7},
        {"x", 0},     {"", 0},      {" ", 0},      {"-", 0},      {".", 0},     {"x3", 0},
        {"2.5", 2},   {"3.5", 4},   {"-2.5", -2},  {"-3.5", -4},  {".5", 0},    {"1.5", 2},
        {"2.49", 2},  {"1e3", 1000}, {"1E3", 1000}, {"1d3", 1000}, {"1D+3", 1000},
        {"25e-1", 2}, {"1e", 1},    {"1e+", 1},    {"3.", 3},     {"1.2.3", 1}, {"12 34", 12},
        {"0x10", 0},  {"2.5000001", 3},             {"1e-99999999999", 0},
        {"2147483647", 2147483647}, {"-2147483648.5", -2147483648},
        {"000000000000000000000012", 12},            {"0.000000000000000000000012e23", 1},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ParseSettingNumber(row.text), row.expected) << '"' << row.text << '"';
}

TEST(ParseSettingNumber, BeyondThirtyTwoBitsGivesTheFallback) {
    for (const char* text : {"2147483648", "2147483647.5", "-2147483649", "99999999999",
                             "1e10", "1e99999999999999999999", "-1d400"})
        EXPECT_EQ(ParseSettingNumber(text, -99), -99) << text;
    EXPECT_EQ(ParseSettingNumber("99999999999"), 0);
}

TEST(ParseSettingNumber, SurvivesAMegabyteOfDigits) {
    const std::string digits(1 << 20, '9');
    EXPECT_EQ(ParseSettingNumber(digits, -1), -1);
    EXPECT_EQ(ParseSettingNumber("0." + digits), 1);
    EXPECT_EQ(ParseSettingNumber(std::string(1 << 20, '0') + "42"), 42);
    EXPECT_EQ(ParseSettingNumber("1e" + digits, -1), -1);
    EXPECT_EQ(ParseSettingNumber("5e-" + digits), 0);
}

TEST_F(SettingsTest, MissingFileGivesDefaults) {
    int seen = -1;
    LoadSettings([&](std::int32_t commentsType) { seen = commentsType; });
    EXPECT_EQ(seen, 0);
    const Settings& s = TheSettings();
    EXPECT_EQ(s.PersonalName, "");
    EXPECT_EQ(s.CommentsType, 0);
    EXPECT_TRUE(s.ParamTypesVB.empty());
    EXPECT_TRUE(s.ParamTypesVC.empty());
}

TEST_F(SettingsTest, ReadsEveryKey) {
    Write("[General]\r\nPersonal Name=A. Developer\r\nComments Type=1\r\n"
          "[Param Types VB]\r\nNumber=2\r\nParam1=Integer\r\nParam2=String\r\n"
          "[Param Types VC]\r\nNumber=1\r\nParam1=int\r\n");
    LoadSettings();
    const Settings& s = TheSettings();
    EXPECT_EQ(s.PersonalName, "A. Developer");
    EXPECT_EQ(s.CommentsType, 1);
    EXPECT_EQ(s.ParamTypesVB, (std::vector<std::string>{"Integer", "String"}));
    EXPECT_EQ(s.ParamTypesVC, (std::vector<std::string>{"int"}));
}

TEST_F(SettingsTest, CommentsTypeIsReadAsANumber) {
    struct Row {
        std::string value;
        std::int32_t expected;
    };
    const std::vector<Row> rows = {{"  3", 3},   {"x", 0},      {"", 0},
                                   {"2.5", 2},   {"3.5", 4},    {"1e3", 1000},
                                   {"-1", -1},   {"1 ;VC", 1},  {"99999999999", 0}};
    for (const Row& row : rows) {
        Write("[General]\nComments Type=" + row.value + "\n");
        LoadSettings();
        EXPECT_EQ(TheSettings().CommentsType, row.expected) << '"' << row.value << '"';
    }
}

TEST_F(SettingsTest, EntriesFollowNumberWithGapsEmpty) {
    Write("[Param Types VB]\nNumber=3\nParam1=Integer\nParam3=Long\nParam4=Variant\nParam02=Byte\n");
    LoadSettings();
    EXPECT_EQ(TheSettings().ParamTypesVB, (std::vector<std::string>{"Integer", "", "Long"}));
    EXPECT_TRUE(TheSettings().ParamTypesVC.empty());
}

TEST_F(SettingsTest, NumberIsBounded) {
    Write("[Param Types VB]\nNumber=2147483647\nParam1=Integer\n"
          "[Param Types VC]\nNumber=-5\nParam1=int\n");
    LoadSettings();
    ASSERT_EQ(TheSettings().ParamTypesVB.size(), static_cast<std::size_t>(kMaxTypeListEntries));
    EXPECT_EQ(TheSettings().ParamTypesVB.front(), "Integer");
    EXPECT_EQ(TheSettings().ParamTypesVB.back(), "");
    EXPECT_TRUE(TheSettings().ParamTypesVC.empty());

    Write("[Param Types VB]\nNumber=99999999999\nParam1=Integer\n");
    LoadSettings();
    EXPECT_TRUE(TheSettings().ParamTypesVB.empty());
}

TEST_F(SettingsTest, ValuesAreCutTo253Characters) {
    const std::string name(300, 'n');
    const std::string accented = std::string(252, 'a') + "\xC3\xA9\xC3\xA9";  // 254 characters
    Write("[General]\nPersonal Name=" + name + "\n[Param Types VC]\nNumber=1\nParam1=" + accented + "\n");
    LoadSettings();
    EXPECT_EQ(TheSettings().PersonalName, name.substr(0, 253));
    EXPECT_EQ(TheSettings().ParamTypesVC.at(0), std::string(252, 'a') + "\xC3\xA9");
}

TEST_F(SettingsTest, GarbageFileGivesDefaultsWhereValuesMakeNoSense) {
    constexpr char kBinaryHead[] = "\0\x01\xFF\xFE[Gen\xE9" "ral]\r\n\0\x7F\x80garbage\n";
    std::string text(kBinaryHead, sizeof kBinaryHead - 1);
    text += std::string(1 << 20, 'x') + "\n";
    text += "[General\nPersonal Name=Missing Bracket\nComments Type\n";
    text += "[Param Types VB]\nNumber\nNumber=\xFF\xFE\nParam1=Integer\n";
    text += "[Param Types VC\nNumber=2\nParam1=int\n[Param Types \xC0\xC1]\nNumber=4\n";
    Write(text);
    LoadSettings();
    const Settings& s = TheSettings();
    EXPECT_EQ(s.PersonalName, "Missing Bracket");  // an unclosed section name runs to the line end
    EXPECT_EQ(s.CommentsType, 0);
    EXPECT_TRUE(s.ParamTypesVB.empty());
    EXPECT_EQ(s.ParamTypesVC, (std::vector<std::string>{"int", ""}));

    std::string binary(1 << 16, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 7919) >> 3);
    Write(binary);
    LoadSettings();
    EXPECT_EQ(TheSettings().CommentsType, 0);
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
    EXPECT_EQ(TheSettings().CommentsType, 1);
    EXPECT_EQ(TheSettings().ParamTypesVC, (std::vector<std::string>{"long"}));
}

TEST_F(SettingsTest, FailureHalfwayKeepsTheOldRecord) {
    Write("[General]\nPersonal Name=New\nComments Type=1\n");
    EXPECT_THROW(LoadSettings([](std::int32_t) { throw std::runtime_error("window gone"); }),
                 std::runtime_error);
    EXPECT_EQ(TheSettings().PersonalName, "old name");
    EXPECT_EQ(TheSettings().CommentsType, 7);
    EXPECT_EQ(TheSettings().ParamTypesVB, (std::vector<std::string>{"old vb"}));
}

}  // namespace
}  // namespace qm
