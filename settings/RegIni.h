// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "platform/Registry.h"

namespace qm {

// A general value as the registry and FileName setters take it: text or a number.
using Variant = std::variant<std::string, std::int64_t, double>;
std::string VariantText(const Variant& value);

// Profile-file, directory, temporary-file and registry access. Holds only the name of the
// profile file it works on; create one for a task and drop it afterwards.
class RegIni {
public:
    // Value of strKey in strSection of FileName(), at most 253 characters; strDefault when
    // the key is missing or empty and strDefault is not empty.
    std::string GetIniString(std::string_view strSection, std::string_view strKey,
                             std::string_view strDefault) const;
    std::string FileName() const { return m_fileName; }
    void FileName(const Variant& vNewValue) { m_fileName = VariantText(vNewValue); }
    std::string GetWinDir() const;
    std::string GetWinSysDir() const;
    std::string GetTempDir() const;
    // Full name of a new temporary file (created empty when nUnique is 0). Throws FileError
    // with the operating system's reason when none can be created.
    std::string GetTempFile(std::string_view strPrefix, std::int32_t nUnique) const;
    // true when the value was written.
    bool SetIniString(std::string_view strSection, std::string_view strKey, std::string_view strValue) const;
    std::string GetRegString(std::string_view strRoot, std::string_view strSection,
                             std::string_view strKey) const;
    void SetRegString(std::string_view strRoot, std::string_view strSection, std::string_view strKey,
                      std::string_view strValue) const;
    void SetRegNumber(std::string_view strRoot, std::string_view strSection, std::string_view strKey,
                      std::int32_t nValue) const;
    // REG_SZ stores the value's text, REG_DWORD its 32-bit number (ERROR_INVALID_PARAMETER,
    // nothing written, when it has none); any other type writes nothing and gives 0.
    long SetValueEx(win::HKEY hKey, std::string_view sValueName, std::uint32_t lType,
                    const Variant& vValue) const;

private:
    long GetValueEx(win::HKEY hKey, std::string_view name, Variant& value) const;
    static win::HKEY GetRootKey(std::string_view name);

    std::string m_fileName;
};

}  // namespace qm
