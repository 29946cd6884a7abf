// SPDX-License-Identifier: MIT
#include "settings/Utility.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "platform/FileError.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

const Utility kUtility;

TEST(Utility, FormatNumberUnderTheCLocale) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, const char*> rows[] = {
        {0, "$0.00"},           {-0.0, "$0.00"},  {1234.5, "$1,234.50"}, {-1234.5, "$-1,234.50"},
        {999.995, "$1,000.00"}, {0.125, "$0.13"}, {1.005, "$1.01"},      {2.675, "$2.68"},
        {-0.005, "$-0.01"},     {-0.004, "$0.00"}, {5e-324, "$0.00"},    {1234567.891, "$1,234,567.89"},
        {nan, "$NaN"},          {inf, "$Inf"},    {-inf, "$-Inf"},
        {-123456789012.345, "$-123,456,789,012.35"},
    };
    for (const auto& [value, text] : rows) EXPECT_EQ(kUtility.FormatNumber(value), text) << value;
    const std::string huge = kUtility.FormatNumber(1e300);
    EXPECT_EQ(huge.substr(0, 10), "$1,000,000");
    EXPECT_EQ(huge.size(), 1 + 301 + 100 + 3);  // "$", 301 digits, 100 commas, ".00"
    EXPECT_EQ(kUtility.FormatNumber(-1.7976931348623157e308).size(), 2 + 309 + 102 + 3);

    EXPECT_EQ(FormatCurrency(-1234567.5, ",", "."), "$-1.234.567,50");
    EXPECT_EQ(FormatCurrency(1234.5, ",", "\u202F"), "$1\u202F234,50");
    for (const auto& [format, separator] :
         {std::pair{"%m/%d/%y", "/"}, {"%-d.%-m.%Y", "."}, {"%OH.%OM", "."}, {"%_10d %m", " "},
          {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d", "?"}, {"%T", "?"}, {"%", "?"}})
        EXPECT_EQ(FormatSeparator(format, "?"), separator) << format;
}

TEST(Utility, FormatDateUnderTheCLocale) {
    const DateTime december{1998, 12, 6, 14, 5, 9};
    const DateTime january{2005, 1, 1, 0, 7, 3};
    const struct {
        DateTime date;
        int type;
        const char* text;
    } rows[] = {
        {december, 1, "Sunday, Dec 6 1998"},  {december, 2, "12/06/98 02:05:09 PM"},
        {january, 1, "Saturday, Jan 1 2005"}, {january, 2, "01/01/05 12:07:03 AM"},
        {december, 3, "12/6/1998"},           {january, 3, "1/1/2005"},
        {{2000, 2, 29, 12, 0, 0}, 2, "02/29/00 12:00:00 PM"}, {{5, 3, 4, 23, 59, 59}, 3, "3/4/0005"},
        {december, 0, ""}, {december, 4, ""},
    };
    for (const auto& row : rows) EXPECT_EQ(kUtility.FormatDate(row.date, row.type), row.text) << row.text;
    EXPECT_EQ(kUtility.YearsDifference({1999, 1, 1}, {1998, 12, 31}), 1);
    EXPECT_EQ(kUtility.YearsDifference({1998, 1, 1}, {2000, 12, 31}), -2);
    EXPECT_EQ(kUtility.YearsDifference({INT_MAX}, {INT_MIN}), INT_MAX);
}

TEST(Utility, TextRoutines) {
    const struct {
        const char *text, *from, *to, *expected;
    } replaced[] = {
        {"aaa", "aa", "b", "ba"},  {"abcab", "ab", "x", "xcx"},  {"ab", "abc", "x", "ab"},
        {"abc", "", "x", "abc"},   {"ABab", "ab", "x", "ABx"},   {"a-b-c", "-", "", "abc"},
        {"aa", "a", "aa", "aaaa"}, {"\xC3\xA9t\xC3\xA9", "\xC3\xA9", "e", "ete"},
    };
    for (const auto& row : replaced)
        EXPECT_EQ(kUtility.ReplaceChars(row.text, row.from, row.to), row.expected) << row.text << row.from;
    for (const auto& [text, expected] : {std::pair{"O'Neil", "O''Neil"}, {"''", "''''"}, {"", ""}})
        EXPECT_EQ(kUtility.PrepareSQLString(text), expected);
    for (const auto& [path, name] : {std::pair{"C:\\a\\b\\d.bas", "d.bas"}, {"C:\\dir\\", ""},
                                     {"name.txt", "name.txt"}, {"/home/me/a.txt", "/home/me/a.txt"}})
        EXPECT_EQ(kUtility.StripPathFromFileName(path), name);

    // The walking routines count characters, not bytes, up to 32,767.
    const std::string limit(32767, '\'');
    EXPECT_EQ(kUtility.PrepareSQLString(limit).size(), 65534u);
    EXPECT_EQ(kUtility.ReplaceChars(limit, "'", "x"), std::string(32767, 'x'));
    std::string accented;
    for (int i = 0; i < 32767; ++i) accented += "\xC3\xA9";
    EXPECT_NO_THROW(kUtility.PrepareSQLString(accented));
    EXPECT_THROW(kUtility.PrepareSQLString(limit + "a"), OverflowError);
    EXPECT_THROW(kUtility.ReplaceChars(accented + "a", "", "b"), OverflowError);
}

TEST(Utility, FilesRoundTripAndErrorsNameThePathAndTheReason) {
    const fs::path dir = fs::temp_directory_path();
    const std::string file = dir / "out.txt";
    std::ofstream(file) << std::string(1000, 'z');
    const std::string binary("a\0b\xFF\r\n", 6);
    kUtility.FileSave(file, binary);
    EXPECT_EQ(kUtility.ReadFile(file), binary + "\r\n");
    EXPECT_EQ(kUtility.FileRead(file), binary + "\r\n");

    const std::string missing = dir / "no such.txt";
    EXPECT_THROW(kUtility.ReadFile(missing), FileError);
    EXPECT_THROW(kUtility.ReadFile(dir), FileError);
    try {
        kUtility.FileRead(missing);
        ADD_FAILURE() << "a missing file was read";
    } catch (const FileError& e) {
        EXPECT_EQ(e.errorNumber(), ENOENT);
        EXPECT_EQ(e.path(), missing);
    }
    const std::string nowhere = dir / "missing dir" / "out.txt";
    try {
        kUtility.FileSave(nowhere, "text");
        ADD_FAILURE() << "a file was saved into a missing directory";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot write " + nowhere + ": No such file or directory");
    }
}

}  // namespace
}  // namespace qm
