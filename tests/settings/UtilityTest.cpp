// SPDX-License-Identifier: MIT
#include "settings/Utility.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <climits>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "platform/FileError.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

struct TextRow {
    std::string input;
    std::string expected;
};

class UtilityTest : public ::testing::Test {
protected:
    void SetUp() override { std::setlocale(LC_ALL, "C"); }

    static std::string Slurp(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    Utility m_utility;
    fs::path m_dir = fs::temp_directory_path();
};

TEST_F(UtilityTest, FormatNumberUnderTheCLocale) {
    struct Row {
        double value;
        std::string expected;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Row> rows = {
        {0, "$0.00"},          {-0.0, "$0.00"},         {1234.5, "$1,234.50"},
        {-1234.5, "$-1,234.50"}, {100, "$100.00"},      {999.995, "$1,000.00"},
        {0.125, "$0.13"},      {1.005, "$1.01"},        {2.675, "$2.68"},
        {-0.005, "$-0.01"},    {-0.004, "$0.00"},       {0.994, "$0.99"},
        {5e-324, "$0.00"},     {1234567.891, "$1,234,567.89"},
        {-123456789012.345, "$-123,456,789,012.35"},
        {nan, "$NaN"},         {inf, "$Inf"},           {-inf, "$-Inf"},
    };
    for (const Row& row : rows) EXPECT_EQ(m_utility.FormatNumber(row.value), row.expected) << row.value;

    const std::string huge = m_utility.FormatNumber(1e300);
    EXPECT_EQ(huge.substr(0, 10), "$1,000,000");
    EXPECT_EQ(huge.size(), 1 + 301 + 100 + 3);  // "$", 301 digits, 100 commas, ".00"
    EXPECT_EQ(huge.substr(huge.size() - 3), ".00");
    EXPECT_EQ(m_utility.FormatNumber(-1.7976931348623157e308).size(), 2 + 309 + 102 + 3);
}

TEST(FormatCurrency, UsesTheGivenSeparators) {
    EXPECT_EQ(FormatCurrency(-1234567.5, ",", "."), "$-1.234.567,50");
    EXPECT_EQ(FormatCurrency(1234.5, ",", "\u202F"), "$1\u202F234,50");
    EXPECT_EQ(FormatCurrency(123.456, ".", ","), "$123.46");
}

TEST(FormatSeparator, FindsTheCharacterBetweenFields) {
    const std::vector<TextRow> rows = {
        {"%m/%d/%y", "/"},     {"%d.%m.%Y", "."},     {"%-d.%-m.%Y", "."},
        {"%Y-%m-%d", "-"},     {"%H:%M:%S", ":"},     {"%OH.%OM", "."},
        {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5", "?"},
        {"%T", "?"},           {"", "?"},             {"%", "?"},
        {"%_10d %m", " "},
    };
    for (const TextRow& row : rows) EXPECT_EQ(FormatSeparator(row.input, "?"), row.expected) << row.input;
}

TEST_F(UtilityTest, FormatDateUnderTheCLocale) {
    const DateTime december{1998, 12, 6, 14, 5, 9};
    const DateTime january{2005, 1, 1, 0, 7, 3};
    const DateTime noon{2000, 2, 29, 12, 0, 0};
    struct Row {
        DateTime date;
        int type;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {december, 1, "Sunday, Dec 6 1998"},   {december, 2, "12/06/98 02:05:09 PM"},
        {december, 3, "12/6/1998"},            {december, 0, ""},
        {december, 4, ""},                     {december, -1, ""},
        {january, 1, "Saturday, Jan 1 2005"},  {january, 2, "01/01/05 12:07:03 AM"},
        {january, 3, "1/1/2005"},              {noon, 1, "Tuesday, Feb 29 2000"},
        {noon, 2, "02/29/00 12:00:00 PM"},     {{5, 3, 4, 23, 59, 59}, 3, "3/4/0005"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(m_utility.FormatDate(row.date, row.type), row.expected) << "type " << row.type;
}

TEST_F(UtilityTest, PrepareSQLStringDoublesApostrophes) {
    const std::vector<TextRow> rows = {
        {"O'Neil", "O''Neil"}, {"''", "''''"}, {"", ""}, {"plain text", "plain text"},
        {"'", "''"},           {"caf\xC3\xA9's", "caf\xC3\xA9''s"},
    };
    for (const TextRow& row : rows) EXPECT_EQ(m_utility.PrepareSQLString(row.input), row.expected);
}

TEST_F(UtilityTest, ReplaceCharsReplacesLeftToRightWithoutOverlap) {
    struct Row {
        std::string text, from, to, expected;
    };
    const std::vector<Row> rows = {
        {"aaa", "aa", "b", "ba"},       {"abcab", "ab", "x", "xcx"},
        {"a.b.c", ".", "\\", "a\\b\\c"}, {"ab", "abc", "x", "ab"},
        {"abc", "", "x", "abc"},        {"", "a", "x", ""},
        {"ABab", "ab", "x", "ABx"},     {"a-b-c", "-", "", "abc"},
        {"aa", "a", "aa", "aaaa"},      {"\xC3\xA9t\xC3\xA9", "\xC3\xA9", "e", "ete"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(m_utility.ReplaceChars(row.text, row.from, row.to), row.expected)
            << row.text << " / " << row.from;
}

TEST_F(UtilityTest, WalkingRoutinesStopAt32767Characters) {
    const std::string limit(32767, '\'');
    EXPECT_EQ(m_utility.PrepareSQLString(limit).size(), 65534u);
    EXPECT_EQ(m_utility.ReplaceChars(limit, "'", "x"), std::string(32767, 'x'));
    std::string accented;
    for (int i = 0; i < 32767; ++i) accented += "\xC3\xA9";  // 65,534 bytes, 32,767 characters
    EXPECT_NO_THROW(m_utility.PrepareSQLString(accented));

    const std::string over(32768, 'a');
    EXPECT_THROW(m_utility.PrepareSQLString(over), OverflowError);
    EXPECT_THROW(m_utility.ReplaceChars(over, "a", "b"), OverflowError);
    EXPECT_THROW(m_utility.ReplaceChars(accented + "a", "", "b"), OverflowError);
}

TEST_F(UtilityTest, StripPathFromFileNameKeepsWhatFollowsTheLastBackslash) {
    const std::vector<TextRow> rows = {
        {"C:\\dir\\name.txt", "name.txt"}, {"C:\\a\\b\\c\\d.bas", "d.bas"},
        {"C:\\dir\\", ""},                 {"name.txt", "name.txt"},
        {"", ""},                          {"/home/me/a.txt", "/home/me/a.txt"},
        {"\\", ""},
    };
    for (const TextRow& row : rows) EXPECT_EQ(m_utility.StripPathFromFileName(row.input), row.expected);
}

TEST_F(UtilityTest, YearsDifferenceComparesYearsOnly) {
    EXPECT_EQ(m_utility.YearsDifference({1999, 1, 1}, {1998, 12, 31}), 1);
    EXPECT_EQ(m_utility.YearsDifference({1998, 12, 31}, {1998, 1, 1}), 0);
    EXPECT_EQ(m_utility.YearsDifference({1998, 1, 1}, {2000, 12, 31}), -2);
    EXPECT_EQ(m_utility.YearsDifference({INT_MAX}, {INT_MIN}), INT_MAX);
    EXPECT_EQ(m_utility.YearsDifference({INT_MIN}, {1}), INT_MIN);
}

TEST_F(UtilityTest, FileSaveWritesTheTextAndALineEnd) {
    const fs::path file = m_dir / "out.txt";
    std::ofstream(file) << std::string(1000, 'z');
    m_utility.FileSave(file, "first\r\nsecond");
    EXPECT_EQ(Slurp(file), "first\r\nsecond\r\n");
    m_utility.FileSave(file, "");
    EXPECT_EQ(Slurp(file), "\r\n");

    const std::string binary("a\0b\xFF", 4);
    m_utility.FileSave(file, binary);
    EXPECT_EQ(m_utility.ReadFile(file), binary + "\r\n");
    EXPECT_EQ(m_utility.FileRead(file), binary + "\r\n");
}

TEST_F(UtilityTest, ReadFileOfAnEmptyFileIsEmpty) {
    const fs::path file = m_dir / "empty.txt";
    std::ofstream{file};
    EXPECT_EQ(m_utility.ReadFile(file), "");
    EXPECT_EQ(m_utility.FileRead(file), "");
}

TEST_F(UtilityTest, FileErrorsNameThePathAndTheReason) {
    const std::string missing = (m_dir / "no such.txt").string();
    for (auto read : {&Utility::ReadFile, &Utility::FileRead}) {
        try {
            (m_utility.*read)(missing);
            ADD_FAILURE() << "a missing file was read";
        } catch (const FileError& e) {
            EXPECT_EQ(e.errorNumber(), ENOENT);
            EXPECT_EQ(e.path(), missing);
        }
    }
    try {
        m_utility.ReadFile(m_dir);
        ADD_FAILURE() << "a directory was read";
    } catch (const FileError& e) {
        EXPECT_EQ(e.errorNumber(), EISDIR);
    }

    const std::string nowhere = (m_dir / "missing dir" / "out.txt").string();
    try {
        m_utility.FileSave(nowhere, "text");
        ADD_FAILURE() << "a file was saved into a missing directory";
    } catch (const FileError& e) {
        EXPECT_EQ(e.errorNumber(), ENOENT);
        EXPECT_EQ(std::string(e.what()), "cannot write " + nowhere + ": No such file or directory");
    }
    EXPECT_FALSE(fs::exists(m_dir / "missing dir"));
}

}  // namespace
}  // namespace qm
