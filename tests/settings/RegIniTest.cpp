// SPDX-License-Identifier: MIT
#include "settings/RegIni.h"

#include <gtest/gtest.h>

#include <fstream>

namespace qm {
namespace {

constexpr const char* kLm = "HKEY_LOCAL_MACHINE";
constexpr const char* kKey = "SOFTWARE\\Quillmark\\Test";

// Quotes around a stored string are dropped, the last one as a whole character; a DWORD
// reads as a signed number; other types and missing values read as empty.
TEST(RegIniTest, ReadsAndWritesRegistryValues) {
    std::ofstream(win::RegistryFilePath(win::HKEY_LOCAL_MACHINE))
        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillmark\\Test]\n\"Quoted\"=\"\\\"abc\\\"\"\n\"Lone\"=\"\\\"\"\n"
           "\"OpenQuote\"=\"\\\"ab\xC3\xA9\"\n\"Count\"=dword:ffffffff\n\"Blob\"=hex:01,02\n\"Old\"=dword:"
           "00000009\n";
    const RegIni regIni;
    win::HKEY key = 0;
    ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, kKey, 0, win::KEY_ALL_ACCESS, &key), 0);
    // A number that is none, or beyond 32 bits, is refused and the old value kept.
    const std::pair<Variant, long> numbers[] = {
        {2.5, 0},
        {std::string(" -7 "), 0},
        {std::string("12abc"), win::ERROR_INVALID_PARAMETER},
        {std::int64_t{1} << 31, win::ERROR_INVALID_PARAMETER},
        {1e300, win::ERROR_INVALID_PARAMETER},
    };
    for (const auto& [value, status] : numbers) {
        EXPECT_EQ(regIni.SetValueEx(key, "Old", win::REG_DWORD, value), status) << VariantText(value);
        if (status == 0) {
            EXPECT_EQ(regIni.GetRegString(kLm, kKey, "Old"), VariantText(value) == "2.5" ? "2" : "-7");
        }
    }
    EXPECT_EQ(regIni.SetValueEx(key, "Old", win::REG_BINARY, std::string("x")), 0);
    win::RegCloseKey(key);
    const std::pair<const char*, const char*> rows[] = {
        {"Quoted", "abc"}, {"OpenQuote", "ab"}, {"Lone", "\""}, {"Count", "-1"},
        {"Blob", ""},      {"Missing", ""},     {"Old", "-7"},
    };
    for (const auto& [name, text] : rows) EXPECT_EQ(regIni.GetRegString(kLm, kKey, name), text) << name;
    EXPECT_EQ(regIni.GetRegString("hkey_local_machine", kKey, "Quoted"), "");
}

TEST(RegIniTest, GivesTheDefaultForMissingAndEmptyValues) {
    RegIni regIni;
    regIni.FileName(std::string("Qmark98.ini"));
    EXPECT_EQ(regIni.GetIniString("General", "Comments Type", "0"), "0");  // no file yet
    EXPECT_TRUE(regIni.SetIniString("General", "Comments Type", ""));
    EXPECT_TRUE(regIni.SetIniString("General", "Personal Name", "Ada"));
    EXPECT_EQ(regIni.GetIniString("general", "comments type", "0"), "0");
    EXPECT_EQ(regIni.GetIniString("General", "Personal Name", "x"), "Ada");
    EXPECT_EQ(RegIni().GetIniString("General", "Personal Name", "d"), "d");  // no file name
}

}  // namespace
}  // namespace qm
