// SPDX-License-Identifier: MIT
#include "settings/RegIni.h"

#include <cerrno>
#include <charconv>
#include <optional>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/Directories.h"
#include "platform/FileError.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace qm {
namespace {

// Profile reads announce 254 characters, so a value is cut to 253.
constexpr std::size_t kProfileBufferSize = 254;

// A value as a 32-bit integer, halves to even; nullopt when it is no number or out of range.
std::optional<std::int32_t> VariantToLong(const Variant& value) {
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        if (*i < kMin || *i > kMax) return std::nullopt;
        return static_cast<std::int32_t>(*i);
    }
    double d = 0;
    if (const auto* number = std::get_if<double>(&value)) {
        d = *number;
    } else {
        const std::string_view text = TrimBlanks(std::get<std::string>(value));
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), d);
        if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    }
    const double r = std::nearbyint(d);
    if (!(r >= kMin && r <= kMax)) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

}  // namespace

std::string VariantText(const Variant& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", std::get<double>(value));
    return buffer;
}

std::string RegIni::GetIniString(std::string_view strSection, std::string_view strKey,
                                 std::string_view strDefault) const {
    std::string buffer;
    const std::size_t n =
        win::GetPrivateProfileString(strSection, strKey, "", buffer, kProfileBufferSize, m_fileName);
    if (!strDefault.empty() && n == 0) return std::string(strDefault);
    return buffer;
}

std::string RegIni::GetWinDir() const {
    std::string dir;
    win::GetWindowsDirectory(dir);
    return dir;
}

std::string RegIni::GetWinSysDir() const {
    std::string dir;
    win::GetSystemDirectory(dir);
    return dir;
}

std::string RegIni::GetTempDir() const {
    std::string dir;
    win::GetTempPath(dir);
    return dir;
}

std::string RegIni::GetTempFile(std::string_view strPrefix, std::int32_t nUnique) const {
    const std::string dir = GetTempDir();
    std::string name;
    if (win::GetTempFileName(dir, strPrefix, static_cast<unsigned>(nUnique), name) == 0) {
        // Taken before building the message, which may allocate and touch errno.
        const int error = errno;
        throw FileError("cannot create a temporary file in", dir, error);
    }
    return name;
}

bool RegIni::SetIniString(std::string_view strSection, std::string_view strKey,
                          std::string_view strValue) const {
    return win::WritePrivateProfileString(strSection, strKey, strValue, m_fileName);
}

win::HKEY RegIni::GetRootKey(std::string_view name) {
    if (name == "HKEY_CLASSES_ROOT") return win::HKEY_CLASSES_ROOT;
    if (name == "HKEY_CURRENT_CONFIG") return win::HKEY_CURRENT_CONFIG;
    if (name == "HKEY_CURRENT_USER") return win::HKEY_CURRENT_USER;
    if (name == "HKEY_LOCAL_MACHINE") return win::HKEY_LOCAL_MACHINE;
    if (name == "HKEY_USERS") return win::HKEY_USERS;
    return 0;
}

std::string RegIni::GetRegString(std::string_view strRoot, std::string_view strSection,
                                 std::string_view strKey) const {
    win::HKEY handle = 0;
    win::RegOpenKeyEx(GetRootKey(strRoot), strSection, 0, win::KEY_ALL_ACCESS, &handle);
    Variant value = std::string();
    GetValueEx(handle, strKey, value);
    win::RegCloseKey(handle);
    return VariantText(value);
}

long RegIni::GetValueEx(win::HKEY hKey, std::string_view name, Variant& value) const {
    long status = 0;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    win::RegQueryValueEx(hKey, name, &type, nullptr, &size);
    if (type == win::REG_SZ) {
        std::vector<unsigned char> buffer(size, 0);
        status = win::RegQueryValueEx(hKey, name, &type, buffer.data(), &size);
        if (status == 0) {
            std::string_view text(reinterpret_cast<const char*>(buffer.data()), size > 0 ? size - 1 : 0);
            // A value stored with its quotes loses them; a lone quote has no pair to lose. The
            // last character goes whole, however many bytes it takes.
            if (text.size() >= 2 && text.front() == '"') {
                text.remove_prefix(1);
                text = CharPrefix(text, CharLength(text) - 1);
            }
            value = std::string(text);
        } else {
            value = std::string();
        }
    } else if (type == win::REG_DWORD) {
        unsigned char data[4] = {};
        std::uint32_t dataSize = sizeof data;
        status = win::RegQueryValueEx(hKey, name, &type, data, &dataSize);
        if (status == 0) {
            std::uint32_t raw = 0;
            std::memcpy(&raw, data, sizeof raw);
            value = static_cast<std::int64_t>(static_cast<std::int32_t>(raw));
        }
    } else {
        status = -1;
    }
    return status;
}

void RegIni::SetRegString(std::string_view strRoot, std::string_view strSection, std::string_view strKey,
                          std::string_view strValue) const {
    win::HKEY handle = 0;
    win::RegOpenKeyEx(GetRootKey(strRoot), strSection, 0, win::KEY_ALL_ACCESS, &handle);
    SetValueEx(handle, strKey, win::REG_SZ, std::string(strValue));
    win::RegCloseKey(handle);
}

void RegIni::SetRegNumber(std::string_view strRoot, std::string_view strSection, std::string_view strKey,
                          std::int32_t nValue) const {
    win::HKEY handle = 0;
    win::RegOpenKeyEx(GetRootKey(strRoot), strSection, 0, win::KEY_ALL_ACCESS, &handle);
    SetValueEx(handle, strKey, win::REG_DWORD, static_cast<std::int64_t>(nValue));
    win::RegCloseKey(handle);
}

long RegIni::SetValueEx(win::HKEY hKey, std::string_view sValueName, std::uint32_t lType,
                        const Variant& vValue) const {
    if (lType == win::REG_SZ) {
        std::string text = VariantText(vValue);
        text.push_back('\0');
        return win::RegSetValueEx(hKey, sValueName, lType,
                                  reinterpret_cast<const unsigned char*>(text.data()),
                                  static_cast<std::uint32_t>(text.size()));
    }
    if (lType == win::REG_DWORD) {
        const auto number = VariantToLong(vValue);
        if (!number) return win::ERROR_INVALID_PARAMETER;
        const auto raw = static_cast<std::uint32_t>(*number);
        unsigned char data[4];
        std::memcpy(data, &raw, sizeof data);
        return win::RegSetValueEx(hKey, sValueName, lType, data, sizeof data);
    }
    return 0;
}

}  // namespace qm
