// SPDX-License-Identifier: MIT
#pragma once
#include <stdexcept>
#include <string>

namespace qm {

// A failed file operation. what() reads "<action> <path>: <operating system's reason>",
// e.g. "cannot create /tmp/~qm1a2b.tmp: Permission denied", so a window can show it as is.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& action, const std::string& path, int errorNumber);
    int errorNumber() const noexcept { return m_errorNumber; }
    const std::string& path() const noexcept { return m_path; }

private:
    int m_errorNumber;
    std::string m_path;
};

}  // namespace qm
