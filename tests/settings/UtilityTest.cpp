// SPDX-License-Identifier: MIT
#include "settings/Utility.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/FileError.h"
#include "tests/support/TestData.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

const Utility kUtility;

// Nothing in the program calls these; one row each keeps them honest.
TEST(Utility, FormatsAndWalksText) {
    EXPECT_EQ(kUtility.FormatNumber(-1234567.891), "$-1,234,567.89");
    EXPECT_EQ(kUtility.FormatNumber(1.005), "$1.01");  // judged on the number as written
    EXPECT_EQ(FormatCurrency(-1234567.5, ",", "."), "$-1.234.567,50");
    EXPECT_EQ(FormatSeparator("%-d.%-m.%Y", "?"), ".");
    EXPECT_EQ(kUtility.FormatDate({1998, 12, 6, 14, 5, 9}, 1), "Sunday, Dec 6 1998");
    EXPECT_EQ(kUtility.FormatDate({2005, 1, 1, 0, 7, 3}, 2), "01/01/05 12:07:03 AM");
    EXPECT_EQ(kUtility.FormatDate({5, 3, 4, 23, 59, 59}, 3), "3/4/0005");
    EXPECT_EQ(kUtility.YearsDifference({1999, 1, 1}, {1998, 12, 31}), 1);
    EXPECT_EQ(kUtility.ReplaceChars("aaa", "aa", "b"), "ba");
    EXPECT_EQ(kUtility.PrepareSQLString("O'Neil"), "O''Neil");
    EXPECT_EQ(kUtility.StripPathFromFileName("C:\\a\\b\\d.bas"), "d.bas");
    // The walking routines count characters, not bytes, up to 32,767.
    std::string accented;
    for (int i = 0; i < 32767; ++i) accented += "\xC3\xA9";
    EXPECT_NO_THROW(kUtility.PrepareSQLString(accented));
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
    const std::pair<std::string, const char*> unreadable[] = {
        {dir / "no such.txt", "No such file or directory"}, {dir, "Is a directory"}};
    for (const auto& [path, reason] : unreadable)
        EXPECT_THROW_MSG(kUtility.FileRead(path), FileError, "cannot read " + path + ": " + reason);
    const std::string nowhere = dir / "missing dir" / "out.txt";
    EXPECT_THROW_MSG(kUtility.FileSave(nowhere, "text"), FileError,
                     "cannot write " + nowhere + ": No such file or directory");
}

}  // namespace
}  // namespace qm
