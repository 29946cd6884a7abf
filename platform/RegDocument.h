// SPDX-License-Identifier: MIT
// One root of the file-backed registry as a .reg export text:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Vendor\Tool]
//   "Name"="text with \"quotes\" and \\ backslashes"
//   "Count"=dword:0000002a
//   "Blob"=hex:01,02,ff
//   "Other"=hex(7):61,00,00
//   @="default value"
//
// Text is UTF-8; lines end in LF or CR LF.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {
namespace win {

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;

}  // namespace win

struct RegValue {
    std::string name;  // empty for the key's default value ("@")
    std::uint32_t type = 0;
    std::vector<unsigned char> data;  // REG_SZ: the text and one NUL; REG_DWORD: 4 bytes LE
};

struct RegKeyEntry {
    std::string path;  // below the root, e.g. "SOFTWARE\Vendor\Tool"; names compare case-insensitively
    std::vector<RegValue> values;
};

// One root's file. Parse never throws: malformed lines are skipped, and error() says what
// was skipped first.
class RegDocument {
public:
    static RegDocument Parse(std::string_view text, std::string_view rootName);
    // The canonical text of the keys and values alone.
    std::string serialize(std::string_view rootName) const;
    // text with value set in the key at path, every other line kept byte for byte (comments,
    // [-KEY] blocks, "x"=- lines, line ends): the line that holds the value now is replaced,
    // else the value goes after the last value line of the key's last section, else a section
    // for the key goes at the end. The key's own spelling of the value name is kept.
    static std::string EditValue(std::string_view text, std::string_view rootName, std::string_view path,
                                 const RegValue& value);

    RegKeyEntry* findKey(std::string_view path);
    const RegKeyEntry* findKey(std::string_view path) const;
    // Adds a key (for tests and set-up tools; the program itself never creates keys).
    RegKeyEntry& addKey(std::string_view path);
    static const RegValue* FindValue(const RegKeyEntry& key, std::string_view name);
    static void SetValue(RegKeyEntry& key, RegValue value);

    const std::vector<RegKeyEntry>& keys() const { return m_keys; }
    const std::string& error() const { return m_error; }

private:
    friend class RegParser;
    // Byte ranges in the parsed text: where each value's winning line is, and where a new
    // value of each key would go. Parallel to m_keys and their values.
    struct Span {
        std::size_t begin = 0, end = 0;
    };
    std::vector<std::vector<Span>> m_valueLines;
    std::vector<std::size_t> m_keyEnds;

    std::vector<RegKeyEntry> m_keys;
    std::string m_error;
};

}  // namespace qm
