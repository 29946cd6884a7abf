// SPDX-License-Identifier: MIT
#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace qm {
namespace {

using namespace win;
using Bytes = std::vector<unsigned char>;

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";

Bytes Sz(std::string_view text) {
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return b;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string WriterValueName(int writer, int i) {
    char name[32];
    std::snprintf(name, sizeof name, "w%d_%d", writer, i);
    return name;
}

// Input as found in a file, and the canonical text it serializes to.
struct CanonicalRow {
    const char* input;
    const char* canonical;
};

TEST(RegDocumentTest, ParsesAndSerializesCanonically) {
    const CanonicalRow rows[] = {
        {"Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n\"n\"=\"v\"\n",
         "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n\"n\"=\"v\"\n"},
        // No header, CR LF, blanks, comments, lower-case root and hex digits.
        {"; exported\r\n[hkey_local_machine\\A]\r\n  \"n\" = \"v\"  \r\n\r\n\"d\"=DWORD:0000002A\r\n",
         "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n\"n\"=\"v\"\n"
         "\"d\"=dword:0000002a\n"},
        {"[HKEY_LOCAL_MACHINE\\A]\n\"a\\\\b\"=\"say \\\"hi\\\" \\\\\"\n@=\"\"\n",
         "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n"
         "\"a\\\\b\"=\"say \\\"hi\\\" \\\\\"\n@=\"\"\n"},
        // Continued hex data; hex(1) holding a plain string becomes a string.
        {"[HKEY_LOCAL_MACHINE\\A]\n\"m\"=hex(7):61,00,\\\n  62,00,\\\n  00\n\"s\"=hex(1):61,62,00\n"
         "\"b\"=hex:\n\"w\"=dword:2a\n",
         "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n\"m\"=hex(7):61,00,62,00,00\n"
         "\"s\"=\"ab\"\n\"b\"=hex:\n\"w\"=dword:0000002a\n"},
        // Sections naming one key merge; later values win; deletions are dropped.
        {"[HKEY_LOCAL_MACHINE\\Soft\\A]\n\"x\"=\"1\"\n[-HKEY_LOCAL_MACHINE\\Gone]\n\"g\"=\"1\"\n"
         "[HKEY_LOCAL_MACHINE\\SOFT\\a]\n\"X\"=\"2\"\n\"y\"=-\n[HKEY_LOCAL_MACHINE]\n@=\"root\"\n",
         "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Soft\\A]\n\"x\"=\"2\"\n\n"
         "[HKEY_LOCAL_MACHINE]\n@=\"root\"\n"},
        {"", "Windows Registry Editor Version 5.00\n"},
        {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n",
         "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n"},
    };
    for (const CanonicalRow& row : rows) {
        const RegDocument doc = RegDocument::Parse(row.input, kRoot);
        EXPECT_EQ(doc.error(), "") << row.input;
        EXPECT_EQ(doc.Serialize(kRoot), row.canonical) << row.input;
    }
}

TEST(RegDocumentTest, SkipsMalformedLinesAndNamesTheFirst) {
    const struct {
        const char* badLine;
        const char* error;
    } rows[] = {
        {"\"a\"=\"unterminated", "line 3: bad string"},
        {"\"a\"=\"bad \\n escape\"", "line 3: bad string"},
        {"\"a\"=\"x\" junk", "line 3: text after the string"},
        {"\"a\"=dword:123456789", "line 3: bad dword"},
        {"\"a\"=dword:", "line 3: bad dword"},
        {"\"a\"=hex:1,zz", "line 3: bad hex data"},
        {"\"a\"=hex:100", "line 3: bad hex data"},
        {"\"a\"=hex(q):00", "line 3: bad hex type"},
        {"\"a\"=qword:1", "line 3: unknown value type"},
        {"\"a\"", "line 3: bad value line"},
        {"a=1", "line 3: bad value line"},
        {"[HKEY_LOCAL_MACHINE\\B", "line 3: bad key line"},
        {"[HKEY_USERS\\B]\n\"in other root\"=\"x\"", "line 3: key of another root"},
    };
    for (const auto& row : rows) {
        const std::string text = std::string("[HKEY_LOCAL_MACHINE\\A]\n\"before\"=\"1\"\n") +
                                 row.badLine + "\n[HKEY_LOCAL_MACHINE\\A]\n\"after\"=\"2\"\n\"x\"=\"\n";
        const RegDocument doc = RegDocument::Parse(text, kRoot);
        EXPECT_EQ(doc.error(), row.error) << row.badLine;
        EXPECT_EQ(doc.Serialize(kRoot),
                  "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n\"before\"=\"1\"\n"
                  "\"after\"=\"2\"\n")
            << row.badLine;
    }
    EXPECT_EQ(RegDocument::Parse("\"x\"=\"y\"\n", kRoot).error(), "line 1: value outside a key");
    EXPECT_EQ(RegDocument::Parse(std::string("\xFF\xFE[\0", 4), kRoot).error(),
              "line 1: UTF-16 text; the file must be saved as UTF-8");
}

TEST(RegDocumentTest, RoundTripsAnyValue) {
    RegDocument doc;
    RegKeyEntry& key = doc.AddKey("Soft\\Tool");
    Bytes all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<unsigned char>(i));
    const RegValue values[] = {
        {"", REG_SZ, Sz("default")},
        {"quote\"back\\slash", REG_SZ, Sz("\"\\\"")},
        {"line breaks", REG_SZ, Sz("a\r\nb")},
        {"inner nul", REG_SZ, {'a', 0, 'b', 0}},
        {"no nul", REG_SZ, {'a'}},
        {"empty sz", REG_SZ, {}},
        {"short dword", REG_DWORD, {1, 2, 3}},
        {"all bytes", REG_BINARY, all},
        {"none", REG_NONE, {}},
        {"big type", 0x12345678, {7}},
    };
    for (const RegValue& value : values) RegDocument::SetValue(key, value);
    doc.AddKey("");

    const std::string text = doc.Serialize(kRoot);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;

    const RegDocument back = RegDocument::Parse(text, kRoot);
    EXPECT_EQ(back.error(), "");
    ASSERT_EQ(back.keys().size(), 2u);
    const RegKeyEntry& got = back.keys()[0];
    EXPECT_EQ(got.path, "Soft\\Tool");
    ASSERT_EQ(got.values.size(), std::size(values));
    for (std::size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(got.values[i].name, values[i].name);
        EXPECT_EQ(got.values[i].type, values[i].type) << values[i].name;
        EXPECT_EQ(got.values[i].data, values[i].data) << values[i].name;
    }
    EXPECT_EQ(back.Serialize(kRoot), text);
}

// Whatever the input, parsing does not crash and the canonical text is a fixed point.
TEST(RegDocumentTest, GarbageNeverBreaksIt) {
    const std::string valid =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"s\"=\"x\\\"y\"\r\n"
        "\"d\"=dword:0000002a\r\n\"h\"=hex(7):61,00,\\\r\n  00,00\r\n@=hex:\\\r\n";
    std::mt19937 random(1234);
    auto check = [](const std::string& input) {
        const RegDocument doc = RegDocument::Parse(input, kRoot);
        const std::string text = doc.Serialize(kRoot);
        const RegDocument again = RegDocument::Parse(text, kRoot);
        EXPECT_EQ(again.error(), "") << input;
        EXPECT_EQ(again.Serialize(kRoot), text) << input;
    };
    for (std::size_t cut = 0; cut <= valid.size(); ++cut) check(valid.substr(0, cut));
    const char alphabet[] = "[]\\\"@=:,-;() \r\nhexdwordHKEY_LOCAL_MACHINE0aF\xFF\0";
    for (int round = 0; round < 2000; ++round) {
        std::string input = valid;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % (input.size() + 1);
            const char c = alphabet[random() % (sizeof alphabet - 1)];
            if (random() % 2 && at < input.size())
                input[at] = c;
            else
                input.insert(at, 1, c);
        }
        check(input);
    }
    for (int round = 0; round < 200; ++round) {
        std::string input(random() % 400, '\0');
        for (char& c : input) c = static_cast<char>(random());
        check(input);
    }
}

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = RegistryFilePath(HKEY_LOCAL_MACHINE);
        WriteFile(m_file,
                  "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Soft\\Tool]\n"
                  "\"Name\"=\"Quill\"\n\"Count\"=dword:0000002a\n\"Empty\"=\"\"\n\n"
                  "[HKEY_LOCAL_MACHINE\\Soft\\Other]\n\"Keep\"=hex:01,02\n");
    }
    void TearDown() override { chmod(m_file.c_str(), 0644); }

    HKEY Open(std::string_view path, std::uint32_t access = KEY_ALL_ACCESS) {
        HKEY key = 0;
        EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, path, 0, access, &key), ERROR_SUCCESS) << path;
        return key;
    }

    std::string m_file;
};

TEST_F(RegistryStoreTest, FindsTheRootFiles) {
    EXPECT_EQ(RegistryFilePath(HKEY_CURRENT_USER),
              std::string(std::getenv("XDG_CONFIG_HOME")) + "/quillmark/registry/HKEY_CURRENT_USER.reg");
    EXPECT_EQ(m_file, std::string(std::getenv("QUILLMARK_SYSTEM_REGISTRY")) + "/HKEY_LOCAL_MACHINE.reg");
    EXPECT_EQ(RegistryFilePath(0), "");
    EXPECT_EQ(RegistryFilePath(0x80000004u), "");
    EXPECT_EQ(RootName(HKEY_CURRENT_CONFIG), "HKEY_CURRENT_CONFIG");
    EXPECT_EQ(RootName(1), "");
}

TEST_F(RegistryStoreTest, OpensOnlyExistingKeys) {
    const struct {
        HKEY root;
        const char* path;
        long status;
    } rows[] = {
        {HKEY_LOCAL_MACHINE, "Soft\\Tool", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "SOFT\\TOOL", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "Soft", ERROR_FILE_NOT_FOUND},
        {HKEY_LOCAL_MACHINE, "Soft\\Tool\\Sub", ERROR_FILE_NOT_FOUND},
        {HKEY_USERS, "Soft\\Tool", ERROR_FILE_NOT_FOUND},  // no file
        {HKEY_CURRENT_USER, "Soft\\Tool", ERROR_FILE_NOT_FOUND},
        {0, "Soft\\Tool", ERROR_INVALID_HANDLE},
        {0x80000004u, "Soft\\Tool", ERROR_INVALID_HANDLE},
        {12345, "Soft\\Tool", ERROR_INVALID_HANDLE},
    };
    for (const auto& row : rows) {
        HKEY key = 77;
        EXPECT_EQ(RegOpenKeyEx(row.root, row.path, 0, KEY_ALL_ACCESS, &key), row.status) << row.path;
        if (row.status == ERROR_SUCCESS) {
            EXPECT_NE(key, 0u);
            EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
            EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
        } else {
            EXPECT_EQ(key, 77u) << row.path;
        }
    }
    EXPECT_EQ(RegCloseKey(0), ERROR_INVALID_HANDLE);
    // A key opened below an open key.
    const HKEY soft = Open("");
    HKEY tool = 0;
    EXPECT_EQ(RegOpenKeyEx(soft, "soft\\tool", 0, KEY_QUERY_VALUE, &tool), ERROR_SUCCESS);
    std::uint32_t type = 0;
    EXPECT_EQ(RegQueryValueEx(tool, "Count", &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    RegCloseKey(tool);
    RegCloseKey(soft);
}

TEST_F(RegistryStoreTest, QueriesAsWindowsDoes) {
    const HKEY key = Open("Soft\\Tool");
    std::uint32_t type = 99;
    std::uint32_t size = 0;
    // Size-only query.
    EXPECT_EQ(RegQueryValueEx(key, "name", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 6u);
    // Too small: the size is reported, the buffer is left alone.
    unsigned char buffer[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
    size = 5;
    type = 99;
    EXPECT_EQ(RegQueryValueEx(key, "Name", &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buffer[0], '#');
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(Bytes(buffer, buffer + 8), Bytes({'Q', 'u', 'i', 'l', 'l', 0, '#', '#'}));

    size = 4;
    EXPECT_EQ(RegQueryValueEx(key, "Count", &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(Bytes(buffer, buffer + 4), Bytes({42, 0, 0, 0}));
    size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Empty", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 1u);

    type = 99;
    size = 50;
    EXPECT_EQ(RegQueryValueEx(key, "Missing", &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(type, 99u);
    EXPECT_EQ(RegQueryValueEx(0, "Name", &type, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueEx(4242, "Name", &type, nullptr, &size), ERROR_INVALID_HANDLE);

    // Each query reads the file again.
    WriteFile(m_file, "[HKEY_LOCAL_MACHINE\\Soft\\Tool]\n\"Name\"=\"Ink\"\n");
    EXPECT_EQ(RegQueryValueEx(key, "Name", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    WriteFile(m_file, "[HKEY_LOCAL_MACHINE\\Soft\\Else]\n");
    EXPECT_EQ(RegQueryValueEx(key, "Name", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_EQ(RegQueryValueEx(key, "Name", &type, nullptr, &size), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryStoreTest, SetsValuesAndKeepsTheRest) {
    const HKEY key = Open("soft\\tool");
    const Bytes text = Sz("new \"text\"");
    EXPECT_EQ(RegSetValueEx(key, "Added", REG_SZ, text.data(), static_cast<std::uint32_t>(text.size())),
              ERROR_SUCCESS);
    const unsigned char seven[] = {7, 0, 0, 0};
    EXPECT_EQ(RegSetValueEx(key, "COUNT", REG_DWORD, seven, 4), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueEx(key, "Nothing", REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    EXPECT_EQ(ReadFile(m_file),
              "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Soft\\Tool]\n"
              "\"Name\"=\"Quill\"\n\"Count\"=dword:00000007\n\"Empty\"=\"\"\n"
              "\"Added\"=\"new \\\"text\\\"\"\n\"Nothing\"=hex:\n\n"
              "[HKEY_LOCAL_MACHINE\\Soft\\Other]\n\"Keep\"=hex:01,02\n");

    // Names that the file format cannot hold are refused, not written half.
    const std::string before = ReadFile(m_file);
    EXPECT_NE(RegSetValueEx(key, "two\nlines", REG_BINARY, seven, 1), ERROR_SUCCESS);
    EXPECT_NE(RegSetValueEx(key, std::string_view("nul\0", 4), REG_BINARY, seven, 1), ERROR_SUCCESS);
    EXPECT_NE(RegSetValueEx(key, "null data", REG_BINARY, nullptr, 3), ERROR_SUCCESS);
    EXPECT_EQ(ReadFile(m_file), before);
    // A key removed since it was opened is not brought back.
    WriteFile(m_file, "[HKEY_LOCAL_MACHINE\\Soft\\Other]\n");
    EXPECT_EQ(RegSetValueEx(key, "x", REG_BINARY, seven, 1), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadFile(m_file), "[HKEY_LOCAL_MACHINE\\Soft\\Other]\n");
    RegCloseKey(key);
    EXPECT_EQ(RegSetValueEx(key, "x", REG_BINARY, seven, 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueEx(0, "x", REG_BINARY, seven, 1), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryStoreTest, LeavesADamagedFileAlone) {
    const std::string damaged = "[HKEY_LOCAL_MACHINE\\Soft\\Tool]\n\"Name\"=\"Quill\n\"Other\"=\"x\"\n";
    WriteFile(m_file, damaged);
    const HKEY key = Open("Soft\\Tool");
    std::uint32_t size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Other", nullptr, nullptr, &size), ERROR_SUCCESS);
    const unsigned char one[] = {1};
    EXPECT_EQ(RegSetValueEx(key, "New", REG_BINARY, one, 1), ERROR_WRITE_FAULT);
    EXPECT_EQ(ReadFile(m_file), damaged);
    RegCloseKey(key);
}

TEST_F(RegistryStoreTest, DeniesWritesToAReadOnlyFile) {
    ASSERT_EQ(chmod(m_file.c_str(), 0444), 0);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Soft\\Tool", 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Soft\\Tool", 0, KEY_SET_VALUE, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, 0u);
    key = Open("Soft\\Tool", KEY_QUERY_VALUE);
    std::uint32_t type = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Name", &type, nullptr, nullptr), ERROR_SUCCESS);
    // A handle without set rights cannot write, whatever the file's mode.
    ASSERT_EQ(chmod(m_file.c_str(), 0644), 0);
    const unsigned char one[] = {1};
    EXPECT_EQ(RegSetValueEx(key, "New", REG_BINARY, one, 1), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
}

TEST_F(RegistryStoreTest, KeepsEveryValueOfConcurrentWriters) {
    constexpr int kWriters = 2;
    constexpr int kValuesEach = 40;
    pid_t children[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        children[w] = fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            HKEY key = 0;
            int failures = RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Soft\\Tool", 0, KEY_ALL_ACCESS, &key) != 0;
            for (int i = 0; i < kValuesEach; ++i) {
                const unsigned char data[] = {static_cast<unsigned char>(w), static_cast<unsigned char>(i)};
                const std::string name = WriterValueName(w, i);
                failures += RegSetValueEx(key, name, REG_BINARY, data, 2) != ERROR_SUCCESS;
            }
            _exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const RegDocument doc = RegDocument::Parse(ReadFile(m_file), kRoot);
    EXPECT_EQ(doc.error(), "");
    const RegKeyEntry* key = doc.FindKey("Soft\\Tool");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->values.size(), 3u + kWriters * kValuesEach);
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kValuesEach; ++i) {
            const RegValue* value = RegDocument::FindValue(*key, WriterValueName(w, i));
            ASSERT_NE(value, nullptr);
            EXPECT_EQ(value->data, Bytes({static_cast<unsigned char>(w), static_cast<unsigned char>(i)}));
        }
    }
    ASSERT_NE(doc.FindKey("Soft\\Other"), nullptr);
}

}  // namespace
}  // namespace qm
