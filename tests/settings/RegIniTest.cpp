// SPDX-License-Identifier: MIT
#include "settings/RegIni.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/WholeFile.h"
#include "platform/FileError.h"

namespace qm {

class RegIniTestAccess {
public:
    static win::HKEY GetRootKey(std::string_view name) { return RegIni::GetRootKey(name); }
};

namespace {

constexpr const char* kLm = "HKEY_LOCAL_MACHINE";
constexpr const char* kKey = "SOFTWARE\\Quillmark\\Test";

std::string readFile(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

TEST(RegIniTest, KnowsOnlyTheExactRootNames) {
    const std::pair<const char*, win::HKEY> rows[] = {
        {"HKEY_CLASSES_ROOT", win::HKEY_CLASSES_ROOT}, {"HKEY_CURRENT_CONFIG", win::HKEY_CURRENT_CONFIG},
        {"HKEY_CURRENT_USER", win::HKEY_CURRENT_USER}, {"HKEY_LOCAL_MACHINE", win::HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", win::HKEY_USERS},               {"hkey_local_machine", 0},
        {"HKEY_LOCAL_MACHINE ", 0},                    {"HKLM", 0},
    };
    for (const auto& [name, root] : rows) EXPECT_EQ(RegIniTestAccess::GetRootKey(name), root) << name;
}

class RegIniRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = win::RegistryFilePath(win::HKEY_LOCAL_MACHINE);
        std::ofstream(m_file, std::ios::binary)
            << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillmark\\Test]\n\"Quoted\"=\"\\\"abc\\\"\"\n\"Empty\"=\"\"\n"
               "\"OpenQuote\"=\"\\\"abc\"\n\"Lone\"=\"\\\"\"\n\"Plain\"=\"C:\\\\Program Files\"\n"
               "\"Count\"=dword:0000002a\n\"Negative\"=dword:ffffffff\n\"Blob\"=hex:01,02\n"
               "\"Multi\"=hex(7):61,00,00\n\"NoNul\"=hex(1):61,62\n\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillmark\\Other]\n\"Keep\"=\"me\"\n";
    }

    std::string m_file;
    RegIni m_regIni;
};

// Quotes around a stored string are dropped; a DWORD reads as a signed number; other types,
// missing values, keys and roots read as empty.
TEST_F(RegIniRegistryTest, ReadsTextAndNumbers) {
    const std::pair<const char*, const char*> rows[] = {
        {"Quoted", "abc"}, {"OpenQuote", "ab"}, {"Lone", "\""},  {"Empty", ""},
        {"plain", "C:\\Program Files"},         {"Count", "42"}, {"Negative", "-1"},
        {"Blob", ""},      {"Multi", ""},       {"NoNul", "a"},  {"Missing", ""},
    };
    for (const auto& [key, text] : rows) EXPECT_EQ(m_regIni.GetRegString(kLm, kKey, key), text) << key;
    EXPECT_EQ(m_regIni.GetRegString(kLm, "SOFTWARE\\Quillmark\\Gone", "Quoted"), "");
    EXPECT_EQ(m_regIni.GetRegString("hkey_local_machine", kKey, "Quoted"), "");
    EXPECT_EQ(m_regIni.GetRegString("HKEY_USERS", kKey, "Quoted"), "");
}

TEST_F(RegIniRegistryTest, WritesAndReadsBackKeepingTheRest) {
    m_regIni.SetRegString(kLm, kKey, "New", "back\\slash \"q\" \xC3\xA9");
    m_regIni.SetRegNumber(kLm, kKey, "count", 7);
    m_regIni.SetRegNumber(kLm, kKey, "Low", -2147483647 - 1);
    m_regIni.SetRegString(kLm, kKey, "Blob", "now text");
    win::HKEY key = 0;
    ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, kKey, 0, win::KEY_ALL_ACCESS, &key), 0);
    EXPECT_EQ(m_regIni.SetValueEx(key, "FromDouble", win::REG_DWORD, 2.5), 0);
    EXPECT_EQ(m_regIni.SetValueEx(key, "FromText", win::REG_SZ, std::int64_t{12}), 0);
    win::RegCloseKey(key);
    const std::pair<const char*, const char*> rows[] = {
        {"New", "back\\slash \"q\" \xC3\xA9"}, {"Count", "7"},      {"Low", "-2147483648"},
        {"Blob", "now text"},                 {"FromDouble", "2"}, {"FromText", "12"},
        {"Quoted", "abc"},
    };
    for (const auto& [name, text] : rows) EXPECT_EQ(m_regIni.GetRegString(kLm, kKey, name), text) << name;
    EXPECT_EQ(m_regIni.GetRegString(kLm, "SOFTWARE\\Quillmark\\Other", "Keep"), "me");
    const RegDocument doc = RegDocument::Parse(readFile(m_file), kLm);
    const RegKeyEntry* test = doc.FindKey(kKey);
    ASSERT_NE(test, nullptr);
    EXPECT_EQ(test->values.size(), 14u);
    EXPECT_EQ(RegDocument::FindValue(*test, "Multi")->data, std::vector<unsigned char>({0x61, 0, 0}));
}

TEST_F(RegIniRegistryTest, WritesNothingIntoAMissingKeyOrRoot) {
    const std::string before = readFile(m_file);
    m_regIni.SetRegString(kLm, "SOFTWARE\\Quillmark\\Gone", "New", "x");
    m_regIni.SetRegNumber(kLm, "SOFTWARE\\Quillmark\\Gone", "New", 1);
    m_regIni.SetRegString("hkey_local_machine", kKey, "New", "x");
    m_regIni.SetRegString("HKEY_USERS", kKey, "New", "x");
    EXPECT_EQ(m_regIni.SetValueEx(0, "Str", win::REG_SZ, std::string("x")), win::ERROR_INVALID_HANDLE);
    EXPECT_EQ(readFile(m_file), before);
    EXPECT_FALSE(std::ifstream(win::RegistryFilePath(win::HKEY_USERS)).good());
}

TEST(RegIniProfileTest, GivesTheDefaultForMissingAndEmptyValues) {
    RegIni regIni;
    regIni.FileName(std::string("Qmark98.ini"));
    EXPECT_EQ(regIni.GetIniString("General", "Comments Type", "0"), "0");  // no file yet
    EXPECT_TRUE(regIni.SetIniString("General", "Comments Type", ""));
    EXPECT_TRUE(regIni.SetIniString("General", "Personal Name", "Ada"));
    EXPECT_EQ(regIni.GetIniString("general", "comments type", "0"), "0");
    EXPECT_EQ(regIni.GetIniString("General", "Comments Type", ""), "");
    EXPECT_EQ(regIni.GetIniString("General", "Personal Name", "x"), "Ada");
    EXPECT_EQ(RegIni().GetIniString("General", "Personal Name", "d"), "d");  // no file name
}

TEST(RegIniTempFileTest, ThrowsWithTheReasonWhenNoFileCanBeMade) {
    const std::string saved = std::getenv("TMPDIR");
    const std::string notADir = saved + "plain-file";
    std::ofstream(notADir) << "x";
    setenv("TMPDIR", (notADir + "/").c_str(), 1);
    try {
        RegIni().GetTempFile("~qm", 0);
        ADD_FAILURE() << "no exception";
    } catch (const FileError& e) {
        EXPECT_EQ(e.errorNumber(), ENOTDIR);
        EXPECT_EQ(std::string(e.what()),
                  "cannot create a temporary file in " + notADir + "/: " + std::strerror(ENOTDIR));
    }
    setenv("TMPDIR", saved.c_str(), 1);
}

}  // namespace
}  // namespace qm
