// SPDX-License-Identifier: MIT
#include "settings/RegIni.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Directories.h"
#include "platform/FileError.h"

namespace qm {

class RegIniTestAccess {
public:
    static win::HKEY GetRootKey(std::string_view name) { return RegIni::GetRootKey(name); }
};

namespace {

constexpr const char* kKey = "SOFTWARE\\Quillmark\\Test";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(RegIniTest, KnowsOnlyTheExactRootNames) {
    const struct {
        const char* name;
        win::HKEY root;
    } rows[] = {
        {"HKEY_CLASSES_ROOT", win::HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_CONFIG", win::HKEY_CURRENT_CONFIG},
        {"HKEY_CURRENT_USER", win::HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", win::HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", win::HKEY_USERS},
        {"hkey_local_machine", 0},
        {"HKEY_LOCAL_MACHINE ", 0},
        {"HKLM", 0},
        {"", 0},
    };
    for (const auto& row : rows) EXPECT_EQ(RegIniTestAccess::GetRootKey(row.name), row.root) << row.name;
}

class RegIniRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = win::RegistryFilePath(win::HKEY_LOCAL_MACHINE);
        WriteFile(m_file,
                  "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillmark\\Test]\n"
                  "\"Quoted\"=\"\\\"abc\\\"\"\n\"OpenQuote\"=\"\\\"abc\"\n\"Lone\"=\"\\\"\"\n"
                  "\"Empty\"=\"\"\n\"Plain\"=\"C:\\\\Program Files\"\n\"Count\"=dword:0000002a\n"
                  "\"Negative\"=dword:ffffffff\n\"Blob\"=hex:01,02\n\"Multi\"=hex(7):61,00,00\n"
                  "\"NoNul\"=hex(1):61,62\n\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillmark\\Other]\n\"Keep\"=\"me\"\n");
    }

    std::string m_file;
    RegIni m_regIni;
};

TEST_F(RegIniRegistryTest, ReadsTextAndNumbers) {
    const struct {
        const char* root;
        const char* section;
        const char* key;
        const char* text;
    } rows[] = {
        {"HKEY_LOCAL_MACHINE", kKey, "Quoted", "abc"},
        {"HKEY_LOCAL_MACHINE", kKey, "OpenQuote", "ab"},
        {"HKEY_LOCAL_MACHINE", kKey, "Lone", "\""},
        {"HKEY_LOCAL_MACHINE", kKey, "Empty", ""},
        {"HKEY_LOCAL_MACHINE", kKey, "plain", "C:\\Program Files"},
        {"HKEY_LOCAL_MACHINE", kKey, "Count", "42"},
        {"HKEY_LOCAL_MACHINE", kKey, "Negative", "-1"},
        {"HKEY_LOCAL_MACHINE", kKey, "Blob", ""},
        {"HKEY_LOCAL_MACHINE", kKey, "Multi", ""},
        {"HKEY_LOCAL_MACHINE", kKey, "NoNul", "a"},  // the last byte is taken for the NUL
        {"HKEY_LOCAL_MACHINE", kKey, "Missing", ""},
        {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Quillmark\\Gone", "Quoted", ""},
        {"hkey_local_machine", kKey, "Quoted", ""},
        {"HKEY_USERS", kKey, "Quoted", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(m_regIni.GetRegString(row.root, row.section, row.key), row.text) << row.key;
}

TEST_F(RegIniRegistryTest, WritesNothingIntoAMissingKey) {
    const std::string before = ReadFile(m_file);
    m_regIni.SetRegString("HKEY_LOCAL_MACHINE", "SOFTWARE\\Quillmark\\Gone", "New", "x");
    m_regIni.SetRegNumber("HKEY_LOCAL_MACHINE", "SOFTWARE\\Quillmark\\Gone", "New", 1);
    m_regIni.SetRegString("hkey_local_machine", kKey, "New", "x");
    m_regIni.SetRegString("HKEY_USERS", kKey, "New", "x");
    EXPECT_EQ(ReadFile(m_file), before);
    EXPECT_FALSE(std::ifstream(win::RegistryFilePath(win::HKEY_USERS)).good());

    win::HKEY key = 0;
    ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, kKey, 0, win::KEY_ALL_ACCESS, &key), 0);
    EXPECT_EQ(m_regIni.SetValueEx(key, "Bin", win::REG_BINARY, std::string("x")), 0);
    EXPECT_EQ(m_regIni.SetValueEx(0, "Str", win::REG_SZ, std::string("x")), win::ERROR_INVALID_HANDLE);
    win::RegCloseKey(key);
    EXPECT_EQ(ReadFile(m_file), before);
}

TEST_F(RegIniRegistryTest, WritesAndReadsBack) {
    m_regIni.SetRegString("HKEY_LOCAL_MACHINE", kKey, "New", "back\\slash \"q\" \xC3\xA9");
    m_regIni.SetRegNumber("HKEY_LOCAL_MACHINE", kKey, "count", 7);
    m_regIni.SetRegNumber("HKEY_LOCAL_MACHINE", kKey, "Low", -2147483647 - 1);
    m_regIni.SetRegString("HKEY_LOCAL_MACHINE", kKey, "Blob", "now text");
    EXPECT_EQ(m_regIni.GetRegString("HKEY_LOCAL_MACHINE", kKey, "New"), "back\\slash \"q\" \xC3\xA9");
    EXPECT_EQ(m_regIni.GetRegString("HKEY_LOCAL_MACHINE", kKey, "Count"), "7");
    EXPECT_EQ(m_regIni.GetRegString("HKEY_LOCAL_MACHINE", kKey, "Low"), "-2147483648");
    EXPECT_EQ(m_regIni.GetRegString("HKEY_LOCAL_MACHINE", kKey, "Blob"), "now text");

    win::HKEY key = 0;
    ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, kKey, 0, win::KEY_ALL_ACCESS, &key), 0);
    EXPECT_EQ(m_regIni.SetValueEx(key, "FromDouble", win::REG_DWORD, 2.5), 0);
    EXPECT_EQ(m_regIni.SetValueEx(key, "FromText", win::REG_SZ, std::int64_t{12}), 0);
    win::RegCloseKey(key);
    EXPECT_EQ(m_regIni.GetRegString("HKEY_LOCAL_MACHINE", kKey, "FromDouble"), "2");
    EXPECT_EQ(m_regIni.GetRegString("HKEY_LOCAL_MACHINE", kKey, "FromText"), "12");

    // Everything else in the file is still there, byte for byte.
    const RegDocument doc = RegDocument::Parse(ReadFile(m_file), "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(doc.error(), "");
    const RegKeyEntry* test = doc.FindKey(kKey);
    ASSERT_NE(test, nullptr);
    EXPECT_EQ(test->values.size(), 14u);
    EXPECT_EQ(RegDocument::FindValue(*test, "Multi")->data, std::vector<unsigned char>({0x61, 0, 0}));
    EXPECT_EQ(m_regIni.GetRegString("HKEY_LOCAL_MACHINE", kKey, "Quoted"), "abc");
    EXPECT_EQ(m_regIni.GetRegString("HKEY_LOCAL_MACHINE", "SOFTWARE\\Quillmark\\Other", "Keep"), "me");
}

TEST_F(RegIniRegistryTest, UsesTheUsersOwnFile) {
    const std::string file = win::RegistryFilePath(win::HKEY_CURRENT_USER);
    ASSERT_TRUE(MakeDirectories(file.substr(0, file.rfind('/'))));
    WriteFile(file, "[HKEY_CURRENT_USER\\Software\\Quillmark]\n");
    m_regIni.SetRegString("HKEY_CURRENT_USER", "Software\\Quillmark", "Name", "Ada");
    EXPECT_EQ(m_regIni.GetRegString("HKEY_CURRENT_USER", "software\\quillmark", "NAME"), "Ada");
    EXPECT_EQ(m_regIni.GetRegString("HKEY_LOCAL_MACHINE", "Software\\Quillmark", "Name"), "");
}

class RegIniProfileTest : public ::testing::Test {
protected:
    std::string Write(std::string_view name, std::string_view text) {
        const std::string path = ConfigDir() + "/" + std::string(name);
        EXPECT_TRUE(MakeDirectories(ConfigDir()));
        WriteFile(path, text);
        return path;
    }

    RegIni m_regIni;
};

TEST_F(RegIniProfileTest, AppliesTheDefaultToMissingAndEmptyValues) {
    Write("NoSection.ini", "[Other]\r\nComments Type=1\r\n");
    Write("Empty.ini", "[General]\r\nComments Type=\r\n");
    Write("Set.ini", "[General]\r\nComments Type=1\r\nPersonal Name=\r\n");
    const struct {
        const char* file;
        const char* key;
        const char* defaultValue;
        const char* text;
    } rows[] = {
        {"Missing.ini", "Comments Type", "0", "0"},
        {"NoSection.ini", "Comments Type", "0", "0"},
        {"Empty.ini", "Comments Type", "0", "0"},
        {"Set.ini", "Comments Type", "0", "1"},
        {"Set.ini", "comments type", "0", "1"},
        {"Missing.ini", "Personal Name", "", ""},
        {"Set.ini", "Personal Name", "", ""},
    };
    for (const auto& row : rows) {
        m_regIni.FileName(std::string(row.file));
        EXPECT_EQ(m_regIni.GetIniString("General", row.key, row.defaultValue), row.text)
            << row.file << " " << row.key;
    }
}

TEST_F(RegIniProfileTest, CutsLongValuesAndWritesBack) {
    const std::string path = Write("Long.ini", "[General]\r\nPersonal Name=" + std::string(300, 'x') + "\r\n");
    m_regIni.FileName(path);
    EXPECT_EQ(m_regIni.GetIniString("General", "Personal Name", ""), std::string(253, 'x'));

    m_regIni.FileName(std::string("Qmark98.ini"));
    EXPECT_EQ(m_regIni.FileName(), "Qmark98.ini");
    EXPECT_TRUE(m_regIni.SetIniString("General", "Personal Name", "Ada Lovelace"));
    EXPECT_TRUE(m_regIni.SetIniString("General", "Comments Type", "1"));
    EXPECT_EQ(RegIni().GetIniString("General", "Personal Name", ""), "");  // no file name yet
    EXPECT_EQ(m_regIni.GetIniString("General", "Personal Name", ""), "Ada Lovelace");
    EXPECT_EQ(m_regIni.GetIniString("General", "Comments Type", "0"), "1");
    EXPECT_EQ(ReadFile(ConfigDir() + "/Qmark98.ini"),
              "[General]\r\nPersonal Name=Ada Lovelace\r\nComments Type=1\r\n");

    m_regIni.FileName(std::int64_t{42});
    EXPECT_EQ(m_regIni.FileName(), "42");
}

TEST(RegIniTempFileTest, CreatesANewEmptyFile) {
    const RegIni regIni;
    const std::string first = regIni.GetTempFile("~qm", 0);
    const std::string second = regIni.GetTempFile("~qmark", 0);
    EXPECT_NE(first, second);
    for (const std::string& name : {first, second}) {
        EXPECT_EQ(name.rfind(TempDir() + "~qm", 0), 0u) << name;
        struct stat st {};
        ASSERT_EQ(stat(name.c_str(), &st), 0) << name;
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_size, 0);
    }
    EXPECT_EQ(regIni.GetTempDir(), TempDir());
}

TEST(RegIniTempFileTest, ThrowsWithTheReasonWhenTheFolderIsUnusable) {
    const std::string saved = std::getenv("TMPDIR");
    const std::string notADir = saved + "plain-file";
    WriteFile(notADir, "x");
    setenv("TMPDIR", (notADir + "/").c_str(), 1);
    try {
        RegIni().GetTempFile("~qm", 0);
        ADD_FAILURE() << "no exception";
    } catch (const FileError& e) {
        EXPECT_EQ(e.errorNumber(), ENOTDIR);
        EXPECT_NE(std::string(e.what()).find(std::strerror(ENOTDIR)), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(notADir), std::string::npos) << e.what();
    }
    setenv("TMPDIR", saved.c_str(), 1);
}

}  // namespace
}  // namespace qm
