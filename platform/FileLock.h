// SPDX-License-Identifier: MIT
#pragma once
#include <string>

#include "platform/FileDescriptor.h"

namespace qm {

// Holds an exclusive flock on the file itself, symlinks resolved, for its lifetime, so that
// read-modify-write cycles from several processes take turns whichever name they use, and no
// lock file is left anywhere. With create, a missing file is created empty (mode 0600) to be
// locked; without, a missing file fails with ENOENT. A file that is not a regular one is
// never locked (EISDIR or EINVAL).
class FileLock {
public:
    FileLock(const std::string& path, bool create);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const noexcept { return static_cast<bool>(m_fd); }
    int error() const noexcept { return m_error; }
    // The locked file's own path: the one a write must replace.
    const std::string& path() const noexcept { return m_path; }

private:
    FileDescriptor m_fd;
    int m_error = 0;
    std::string m_path;
};

}  // namespace qm
