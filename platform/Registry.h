// SPDX-License-Identifier: MIT
// The registry calls over the .reg files of RegDocument.h: HKEY_CURRENT_USER lives in
// ConfigDir()/registry/HKEY_CURRENT_USER.reg, the other roots in
// SystemRegistryDir()/<ROOT NAME>.reg. The program never creates keys.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/RegDocument.h"

namespace qm {
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
inline constexpr long ERROR_INVALID_PARAMETER = 87;
inline constexpr long ERROR_MORE_DATA = 234;
inline constexpr long ERROR_WRITE_FAULT = 29;

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
long RegOpenKeyEx(HKEY root, std::string_view subKey, std::uint32_t options, std::uint32_t samDesired,
                  HKEY* result);
// As Windows: with data null (or *size too small: ERROR_MORE_DATA) only *type and *size are
// set; otherwise the data is copied and *size set to its length. ERROR_FILE_NOT_FOUND for a
// missing value (type stays unchanged).
long RegQueryValueEx(HKEY key, std::string_view valueName, std::uint32_t* type, unsigned char* data,
                     std::uint32_t* size);
// Stores the value in the key's file (atomically, under the file's lock).
long RegSetValueEx(HKEY key, std::string_view valueName, std::uint32_t type, const unsigned char* data,
                   std::uint32_t size);
long RegCloseKey(HKEY key);

}  // namespace win
}  // namespace qm
