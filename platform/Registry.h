// SPDX-License-Identifier: MIT
// A small file-backed registry. Each root key is one text file in the .reg export format:
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
// Text is UTF-8. HKEY_CURRENT_USER lives in ConfigDir()/registry/HKEY_CURRENT_USER.reg, the
// other roots in SystemRegistryDir()/<ROOT NAME>.reg. The program never creates keys.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

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
    std::string Serialize(std::string_view rootName) const;

    RegKeyEntry* FindKey(std::string_view path);
    const RegKeyEntry* FindKey(std::string_view path) const;
    // Adds a key (for tests and set-up tools; the program itself never creates keys).
    RegKeyEntry& AddKey(std::string_view path);
    static const RegValue* FindValue(const RegKeyEntry& key, std::string_view name);
    static void SetValue(RegKeyEntry& key, RegValue value);

    const std::vector<RegKeyEntry>& keys() const { return m_keys; }
    const std::string& error() const { return m_error; }

private:
    std::vector<RegKeyEntry> m_keys;
    std::string m_error;
};

namespace win {

using HKEY = std::uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;

inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_ACCESS_DENIED = 5;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_MORE_DATA = 234;
inline constexpr long ERROR_WRITE_FAULT = 29;

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;

inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

// Name of a predefined root ("HKEY_LOCAL_MACHINE"), or empty for any other handle.
std::string_view RootName(HKEY root);
// The file that holds root's keys; empty for a handle that is not a predefined root.
std::string RegistryFilePath(HKEY root);

// Opens an existing key. ERROR_INVALID_HANDLE for an unknown root, ERROR_FILE_NOT_FOUND when
// the key (or the root's file) does not exist, ERROR_ACCESS_DENIED when samDesired asks for
// rights the user lacks on the file (set-value rights on a file without write permission).
// *result stays unchanged on failure.
long RegOpenKeyEx(HKEY root, std::string_view subKey, std::uint32_t options,
                  std::uint32_t samDesired, HKEY* result);
// As Windows: with data null (or *size too small: ERROR_MORE_DATA) only *type and *size are
// set; otherwise the data is copied and *size set to its length. ERROR_FILE_NOT_FOUND for a
// missing value (type stays unchanged).
long RegQueryValueEx(HKEY key, std::string_view valueName, std::uint32_t* type,
                     unsigned char* data, std::uint32_t* size);
// Stores the value in the key's file (atomically, under the file's lock).
long RegSetValueEx(HKEY key, std::string_view valueName, std::uint32_t type,
                   const unsigned char* data, std::uint32_t size);
long RegCloseKey(HKEY key);

}  // namespace win
}  // namespace qm
