// SPDX-License-Identifier: MIT
#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/WholeFile.h"

namespace qm {
namespace {

using namespace win;
using Bytes = std::vector<unsigned char>;

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00\n\n";

std::string readFile(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

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
        EXPECT_EQ(doc.Serialize(kRoot), std::string(kHeader) + row.canonical) << row.input;
    }
    EXPECT_EQ(RegDocument::Parse("", kRoot).Serialize(kRoot), "Windows Registry Editor Version 5.00\n");
}

TEST(RegDocumentTest, SkipsMalformedLinesAndNamesTheFirst) {
    const struct {
        const char *badLine, *error;
    } rows[] = {
        {"\"a\"=\"bad \\n escape\"", "line 3: bad string"}, {"\"a\"=dword:123456789", "line 3: bad dword"},
        {"\"a\"=\"x\" junk", "line 3: text after the string"}, {"\"a\"=hex:100", "line 3: bad hex data"},
        {"\"a\"=hex(q):00", "line 3: bad hex type"},     {"\"a\"=qword:1", "line 3: unknown value type"},
        {"a=1", "line 3: bad value line"},              {"[HKEY_LOCAL_MACHINE\\B", "line 3: bad key line"},
        {"[HKEY_USERS\\B]\n\"in other root\"=\"x\"", "line 3: key of another root"},
    };
    for (const auto& row : rows) {
        const std::string text = std::string("[HKEY_LOCAL_MACHINE\\A]\n\"before\"=\"1\"\n") + row.badLine +
                                 "\n[HKEY_LOCAL_MACHINE\\A]\n\"after\"=\"2\"\n\"x\"=\"\n";
        const RegDocument doc = RegDocument::Parse(text, kRoot);
        EXPECT_EQ(doc.error(), row.error) << row.badLine;
        EXPECT_EQ(doc.Serialize(kRoot),
                  std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\A]\n\"before\"=\"1\"\n\"after\"=\"2\"\n")
            << row.badLine;
    }
    EXPECT_EQ(RegDocument::Parse("\"x\"=\"y\"\n", kRoot).error(), "line 1: value outside a key");
    EXPECT_EQ(RegDocument::Parse(std::string("\xFF\xFE[\0", 4), kRoot).error(),
              "line 1: UTF-16 text; the file must be saved as UTF-8");
}

TEST(RegDocumentTest, RoundTripsAnyValueInShortLines) {
    RegDocument doc;
    RegKeyEntry& key = doc.AddKey("Soft\\Tool");
    Bytes all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<unsigned char>(i));
    const RegValue values[] = {
        {"", REG_SZ, {'d', 0}},           {"quote\"back\\slash", REG_SZ, {'"', '\\', 0}},
        {"crlf", REG_SZ, {'\r', '\n', 0}}, {"inner nul", REG_SZ, {'a', 0, 'b', 0}},
        {"no nul", REG_SZ, {'a'}},        {"empty sz", REG_SZ, {}},
        {"short dword", REG_DWORD, {1, 2, 3}}, {"all bytes", REG_BINARY, all},
        {"none", REG_NONE, {}},           {"big type", 0x12345678, {7}},
    };
    for (const RegValue& value : values) RegDocument::SetValue(key, value);
    const std::string text = doc.Serialize(kRoot);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;  // hex wraps

    const RegDocument back = RegDocument::Parse(text, kRoot);
    EXPECT_EQ(back.error(), "");
    ASSERT_EQ(back.keys().size(), 1u);
    for (const RegValue& value : values) {
        const RegValue* got = RegDocument::FindValue(back.keys()[0], value.name);
        EXPECT_TRUE(got && got->type == value.type && got->data == value.data) << value.name;
    }
    EXPECT_EQ(back.Serialize(kRoot), text);
}

// Whatever the input, parsing does not crash and the canonical text is a fixed point.
TEST(RegDocumentTest, GarbageNeverBreaksIt) {
    const std::string valid =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"s\"=\"x\\\"y\"\r\n"
        "\"d\"=dword:0000002a\r\n\"h\"=hex(7):61,00,\\\r\n  00,00\r\n@=hex:\\\r\n";
    const char alphabet[] = "[]\\\"@=:,-;() \r\nhexdwordHKEY_LOCAL_MACHINE0aF\xFF\x80\0";
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        std::string input = valid.substr(0, random() % (valid.size() + 1));
        for (int edits = random() % 8; edits > 0; --edits) {
            const std::size_t at = random() % (input.size() + 1);
            const char c = alphabet[random() % (sizeof alphabet - 1)];
            if (random() % 2 && at < input.size()) input[at] = c; else input.insert(at, 1, c);
        }
        const std::string text = RegDocument::Parse(input, kRoot).Serialize(kRoot);
        const RegDocument again = RegDocument::Parse(text, kRoot);
        EXPECT_EQ(again.error(), "") << input;
        EXPECT_EQ(again.Serialize(kRoot), text) << input;
    }
}

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = RegistryFilePath(HKEY_LOCAL_MACHINE);
        std::ofstream(m_file) << kHeader << "[HKEY_LOCAL_MACHINE\\Soft\\Tool]\n\"Name\"=\"Quill\"\n"
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
    EXPECT_EQ(RegistryFilePath(HKEY_CURRENT_USER),
              std::string(std::getenv("XDG_CONFIG_HOME")) + "/quillmark/registry/HKEY_CURRENT_USER.reg");
    EXPECT_EQ(m_file, std::string(std::getenv("QUILLMARK_SYSTEM_REGISTRY")) + "/HKEY_LOCAL_MACHINE.reg");
    constexpr HKEY lm = HKEY_LOCAL_MACHINE;
    const struct {
        HKEY root;
        const char* path;
        long status;
    } rows[] = {
        {lm, "SOFT\\TOOL", ERROR_SUCCESS},         {lm, "", ERROR_SUCCESS},
        {lm, "Soft", ERROR_FILE_NOT_FOUND},        {lm, "Soft\\Tool\\Sub", ERROR_FILE_NOT_FOUND},
        {HKEY_USERS, "Soft\\Tool", ERROR_FILE_NOT_FOUND}, {0x80000004u, "Soft\\Tool", ERROR_INVALID_HANDLE},
    };
    for (const auto& row : rows) {
        HKEY key = 77;
        EXPECT_EQ(RegOpenKeyEx(row.root, row.path, 0, KEY_ALL_ACCESS, &key), row.status) << row.path;
        if (row.status == ERROR_SUCCESS) EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
        else EXPECT_EQ(key, 77u) << row.path;  // untouched on failure
    }
    // A key opened below an open key.
    const HKEY root = Open("");
    HKEY tool = 0;
    EXPECT_EQ(RegOpenKeyEx(root, "soft\\tool", 0, KEY_QUERY_VALUE, &tool), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueEx(tool, "Name", nullptr, nullptr, nullptr), ERROR_SUCCESS);
}

TEST_F(RegistryStoreTest, QueriesAsWindowsDoes) {
    const HKEY key = Open("Soft\\Tool");
    // Too small: the type and size are reported, the buffer is left alone.
    unsigned char buffer[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
    std::uint32_t type = 99, size = 5;
    EXPECT_EQ(RegQueryValueEx(key, "name", &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_TRUE(type == REG_SZ && size == 6 && buffer[0] == '#') << type << " " << size;
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(Bytes(buffer, buffer + 8), Bytes({'Q', 'u', 'i', 'l', 'l', 0, '#', '#'}));

    type = 99;
    EXPECT_EQ(RegQueryValueEx(key, "Missing", &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(type, 99u);
    // Each query reads the file again.
    std::ofstream(m_file) << "[HKEY_LOCAL_MACHINE\\Soft\\Tool]\n\"Name\"=\"Ink\"\n";
    EXPECT_EQ(RegQueryValueEx(key, "Name", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    RegCloseKey(key);
    EXPECT_EQ(RegQueryValueEx(key, "Name", &type, nullptr, &size), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryStoreTest, SetsValuesAndKeepsTheRest) {
    const HKEY key = Open("soft\\tool");
    const unsigned char seven[] = {7, 0, 0, 0};
    EXPECT_EQ(RegSetValueEx(key, "COUNT", REG_DWORD, seven, 4), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(key, "Nothing", REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    const std::string expected = std::string(kHeader) +
        "[HKEY_LOCAL_MACHINE\\Soft\\Tool]\n\"Name\"=\"Quill\"\n\"Count\"=dword:00000007\n\"Empty\"=\"\"\n"
        "\"Nothing\"=hex:\n\n[HKEY_LOCAL_MACHINE\\Soft\\Other]\n\"Keep\"=hex:01,02\n";
    EXPECT_EQ(readFile(m_file), expected);
    // Names that the file format cannot hold are refused, not written half.
    EXPECT_NE(RegSetValueEx(key, "two\nlines", REG_BINARY, seven, 1), ERROR_SUCCESS);
    EXPECT_NE(RegSetValueEx(key, std::string_view("nul\0", 4), REG_BINARY, seven, 1), ERROR_SUCCESS);
    EXPECT_NE(RegSetValueEx(key, "null data", REG_BINARY, nullptr, 3), ERROR_SUCCESS);
    EXPECT_EQ(readFile(m_file), expected);
    // A key removed since it was opened is not brought back.
    std::ofstream(m_file) << "[HKEY_LOCAL_MACHINE\\Soft\\Other]\n";
    EXPECT_EQ(RegSetValueEx(key, "x", REG_BINARY, seven, 1), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(readFile(m_file), "[HKEY_LOCAL_MACHINE\\Soft\\Other]\n");
    RegCloseKey(key);
    EXPECT_EQ(RegSetValueEx(key, "x", REG_BINARY, seven, 1), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryStoreTest, LeavesADamagedOrReadOnlyFileAlone) {
    const std::string damaged = "[HKEY_LOCAL_MACHINE\\Soft\\Tool]\n\"Name\"=\"Quill\n\"Other\"=\"x\"\n";
    std::ofstream(m_file) << damaged;
    HKEY key = Open("Soft\\Tool");
    EXPECT_EQ(RegQueryValueEx(key, "Other", nullptr, nullptr, nullptr), ERROR_SUCCESS);
    const unsigned char one[] = {1};
    EXPECT_EQ(RegSetValueEx(key, "New", REG_BINARY, one, 1), ERROR_WRITE_FAULT);
    EXPECT_EQ(readFile(m_file), damaged);
    RegCloseKey(key);

    ASSERT_EQ(chmod(m_file.c_str(), 0444), 0);
    key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Soft\\Tool", 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Soft\\Tool", 0, KEY_SET_VALUE, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, 0u);
    key = Open("Soft\\Tool", KEY_QUERY_VALUE);
    // A handle without set rights cannot write, whatever the file's mode.
    ASSERT_EQ(chmod(m_file.c_str(), 0644), 0);
    EXPECT_EQ(RegSetValueEx(key, "New", REG_BINARY, one, 1), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
}

TEST_F(RegistryStoreTest, KeepsEveryValueOfConcurrentWriters) {
    constexpr int kValuesEach = 40;
    const unsigned char data[] = {1, 2};
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        if ((children[w] = fork()) != 0) continue;
        const HKEY key = Open("Soft\\Tool");
        int failures = 0;
        for (int i = 0; i < kValuesEach; ++i)
            failures += RegSetValueEx(key, std::to_string(w * 100 + i), REG_BINARY, data, 2) != ERROR_SUCCESS;
        _exit(failures == 0 && !HasFailure() ? 0 : 1);
    }
    for (const pid_t child : children) {
        int status = 1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const RegDocument doc = RegDocument::Parse(readFile(m_file), kRoot);
    EXPECT_EQ(doc.error(), "");
    EXPECT_NE(doc.FindKey("Soft\\Other"), nullptr);
    const RegKeyEntry* key = doc.FindKey("Soft\\Tool");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.size(), 3u + 2 * kValuesEach);  // value names are all different
}

}  // namespace
}  // namespace qm
