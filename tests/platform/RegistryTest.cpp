// SPDX-License-Identifier: MIT
#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "tests/support/TestData.h"

namespace qm {
namespace {

using namespace win;
using Bytes = std::vector<unsigned char>;

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00\n\n";

TEST(RegDocumentTest, ParsesAndSerializesCanonically) {
    const struct {
        const char *input, *canonical;
    } rows[] = {
        // No header, CR LF, blanks, comments, lower-case root and hex digits.
        {"; exported\r\n[hkey_local_machine\\A]\r\n  \"n\" = \"v\"  \r\n\r\n\"d\"=DWORD:0000002A\r\n",
         "[HKEY_LOCAL_MACHINE\\A]\n\"n\"=\"v\"\n\"d\"=dword:0000002a\n"},
        {"[HKEY_LOCAL_MACHINE\\A]\n\"a\\\\b\"=\"say \\\"hi\\\" \\\\\"\n@=\"\"\n",
         "[HKEY_LOCAL_MACHINE\\A]\n\"a\\\\b\"=\"say \\\"hi\\\" \\\\\"\n@=\"\"\n"},
        // Continued hex data; hex(1) holding a plain string becomes a string.
        {"[HKEY_LOCAL_MACHINE\\A]\n\"m\"=hex(7):61,00,\\\n  62,00,\\\n  00\n\"s\"=hex(1):61,62,00\n"
         "\"b\"=hex:\n\"w\"=dword:2a\n",
         "[HKEY_LOCAL_MACHINE\\A]\n\"m\"=hex(7):61,00,62,00,00\n\"s\"=\"ab\"\n\"b\"=hex:\n"
         "\"w\"=dword:0000002a\n"},
        // Sections naming one key merge; later values win; deletions are dropped.
        {"[HKEY_LOCAL_MACHINE\\Soft\\A]\n\"x\"=\"1\"\n[-HKEY_LOCAL_MACHINE\\Gone]\n\"g\"=\"1\"\n"
         "[HKEY_LOCAL_MACHINE\\SOFT\\a]\n\"X\"=\"2\"\n\"y\"=-\n[HKEY_LOCAL_MACHINE]\n@=\"root\"\n",
         "[HKEY_LOCAL_MACHINE\\Soft\\A]\n\"x\"=\"2\"\n\n[HKEY_LOCAL_MACHINE]\n@=\"root\"\n"},
        {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n",
         "[HKEY_LOCAL_MACHINE\\K]\n"},
    };
    for (const auto& row : rows) {
        const RegDocument doc = RegDocument::Parse(row.input, kRoot);
        EXPECT_EQ(doc.error(), "") << row.input;
        EXPECT_EQ(doc.serialize(kRoot), std::string(kHeader) + row.canonical) << row.input;
    }
    EXPECT_EQ(RegDocument::Parse("", kRoot).serialize(kRoot), "Windows Registry Editor Version 5.00\n");
}

TEST(RegDocumentTest, SkipsMalformedLinesAndNamesTheFirst) {
    const struct {
        const char *badLine, *error;
    } rows[] = {
        {"\"a\"=\"bad \\n escape\"", "line 3: bad string"},
        {"\"a\"=dword:123456789", "line 3: bad dword"},
        {"\"a\"=hex(q):00", "line 3: bad hex type"},
        {"a=1", "line 3: bad value line"},
        {"[HKEY_USERS\\B]\n\"in other root\"=\"x\"", "line 3: key of another root"},
    };
    for (const auto& row : rows) {
        const std::string text = std::string("[HKEY_LOCAL_MACHINE\\A]\n\"before\"=\"1\"\n") + row.badLine +
                                 "\n[HKEY_LOCAL_MACHINE\\A]\n\"after\"=\"2\"\n\"x\"=\"\n";
        const RegDocument doc = RegDocument::Parse(text, kRoot);
        EXPECT_EQ(doc.error(), row.error) << row.badLine;
        EXPECT_EQ(doc.serialize(kRoot),
                  std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\A]\n\"before\"=\"1\"\n\"after\"=\"2\"\n")
            << row.badLine;
    }
    EXPECT_EQ(RegDocument::Parse("\"x\"=\"y\"\n", kRoot).error(), "line 1: value outside a key");
    EXPECT_EQ(RegDocument::Parse(std::string("\xFF\xFE[\0", 4), kRoot).error(),
              "line 1: UTF-16 text; the file must be saved as UTF-8");
}

RegValue sz(std::string name, std::string_view text) {
    RegValue value{std::move(name), REG_SZ, Bytes(text.begin(), text.end())};
    value.data.push_back(0);
    return value;
}

// A write changes one value's lines and keeps every other byte, the line ends included.
TEST(RegDocumentTest, EditKeepsEveryOtherLine) {
    const std::string mine =
        "; mine\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"n\"=\"old\"\r\n\"x\"=-\r\n\r\n"
        "[-HKEY_LOCAL_MACHINE\\Gone]\r\n\"g\"=\"1\"\r\n";
    const struct {
        std::string text, path;
        RegValue value;
        std::string expected;
    } rows[] = {
        {mine, "a", sz("N", "new"),
         "; mine\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"n\"=\"new\"\r\n\"x\"=-\r\n\r\n"
         "[-HKEY_LOCAL_MACHINE\\Gone]\r\n\"g\"=\"1\"\r\n"},
        {mine,
         "A",
         {"m", REG_DWORD, {1, 0, 0, 0}},
         "; mine\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"n\"=\"old\"\r\n\"x\"=-\r\n\"m\"=dword:00000001\r\n\r\n"
         "[-HKEY_LOCAL_MACHINE\\Gone]\r\n\"g\"=\"1\"\r\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(RegDocument::EditValue(row.text, kRoot, row.path, row.value), row.expected) << row.text;
}

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = RegistryFilePath(HKEY_LOCAL_MACHINE);
        std::ofstream(m_file) << kHeader
                              << "[HKEY_LOCAL_MACHINE\\Soft\\Tool]\n\"Name\"=\"Quill\"\n"
                                 "\"Count\"=dword:0000002a\n\"Empty\"=\"\"\n\n"
                                 "[HKEY_LOCAL_MACHINE\\Soft\\Other]\n\"Keep\"=hex:01,02\n";
    }
    void TearDown() override { chmod(m_file.c_str(), 0644); }

    HKEY Open(std::string_view path, std::uint32_t access = KEY_ALL_ACCESS) {
        HKEY key = 0;
        EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, path, 0, access, &key), ERROR_SUCCESS) << path;
        return key;
    }

    std::string m_file;
};

TEST_F(RegistryStoreTest, OpensOnlyExistingKeysOfKnownRoots) {
    constexpr HKEY lm = HKEY_LOCAL_MACHINE;
    const struct {
        HKEY root;
        const char* path;
        long status;
    } rows[] = {
        {lm, "SOFT\\TOOL", ERROR_SUCCESS},
        {lm, "", ERROR_SUCCESS},
        {lm, "Soft", ERROR_FILE_NOT_FOUND},
        {lm, "Soft\\Tool\\Sub", ERROR_FILE_NOT_FOUND},
        {HKEY_USERS, "Soft\\Tool", ERROR_FILE_NOT_FOUND},
        {0x80000004u, "Soft\\Tool", ERROR_INVALID_HANDLE},
    };
    for (const auto& row : rows) {
        HKEY key = 77;
        EXPECT_EQ(RegOpenKeyEx(row.root, row.path, 0, KEY_ALL_ACCESS, &key), row.status) << row.path;
        if (row.status == ERROR_SUCCESS) EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
        else EXPECT_EQ(key, 77u) << row.path;  // untouched on failure
    }
    HKEY tool = 0;  // below an open key
    EXPECT_EQ(RegOpenKeyEx(Open(""), "soft\\tool", 0, KEY_QUERY_VALUE, &tool), ERROR_SUCCESS);
}

// Too small a buffer gets the type and size and is left alone; each query reads the file again.
TEST_F(RegistryStoreTest, QueriesAsWindowsDoes) {
    const HKEY key = Open("Soft\\Tool");
    unsigned char buffer[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
    std::uint32_t type = 99, size = 5;
    EXPECT_EQ(RegQueryValueEx(key, "name", &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_TRUE(type == REG_SZ && size == 6 && buffer[0] == '#') << type << " " << size;
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(Bytes(buffer, buffer + 8), Bytes({'Q', 'u', 'i', 'l', 'l', 0, '#', '#'}));
    std::ofstream(m_file) << "[HKEY_LOCAL_MACHINE\\Soft\\Tool]\n\"Name\"=\"Ink\"\n";
    EXPECT_EQ(RegQueryValueEx(key, "Name", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(RegQueryValueEx(key, "Missing", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

// A write changes an existing key's value and nothing else; a key removed since it was
// opened, a damaged or read-only file and a handle without set rights are refused.
TEST_F(RegistryStoreTest, WritesOnlyWhereItMay) {
    const unsigned char seven[] = {7, 0, 0, 0};
    HKEY key = Open("soft\\tool");
    EXPECT_EQ(RegSetValueEx(key, "COUNT", REG_DWORD, seven, 4), ERROR_SUCCESS);
    EXPECT_NE(test::FileBytes(m_file).find("\"Count\"=dword:00000007\n\"Empty\""), std::string::npos);
    const std::string_view badName("nul\0", 4);
    EXPECT_EQ(RegSetValueEx(key, badName, REG_BINARY, seven, 1), ERROR_INVALID_PARAMETER);
    const std::pair<std::string, long> files[] = {
        {"[HKEY_LOCAL_MACHINE\\Soft\\Other]\n", ERROR_FILE_NOT_FOUND},
        {"[HKEY_LOCAL_MACHINE\\Soft\\Tool]\n\"Name\"=\"Quill\n", ERROR_WRITE_FAULT},
    };
    for (const auto& [text, status] : files) {
        std::ofstream(m_file) << text;
        EXPECT_EQ(RegSetValueEx(key, "x", REG_BINARY, seven, 1), status) << text;
        EXPECT_EQ(test::FileBytes(m_file), text);
    }
    RegCloseKey(key);
    EXPECT_EQ(RegSetValueEx(key, "x", REG_BINARY, seven, 1), ERROR_INVALID_HANDLE);
    const HKEY readOnly = Open("Soft\\Tool", KEY_QUERY_VALUE);
    EXPECT_EQ(RegSetValueEx(readOnly, "x", REG_BINARY, seven, 1), ERROR_ACCESS_DENIED);
    ASSERT_EQ(chmod(m_file.c_str(), 0444), 0);
    key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Soft\\Tool", 0, KEY_SET_VALUE, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, 0u);
}

}  // namespace
}  // namespace qm
