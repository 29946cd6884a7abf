// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <string_view>

namespace qm {

// Holds an exclusive flock on "<path>.lock" for its lifetime, so that read-modify-write
// cycles of settings and registry files from several processes take turns.
class FileLock {
public:
    explicit FileLock(const std::string& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const noexcept { return m_fd >= 0; }
    int error() const noexcept { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};

// Reads a whole file. false with errno set when it cannot be read (ENOENT for a missing one).
bool ReadWholeFile(const std::string& path, std::string& out);

// Replaces path with content atomically: writes a temporary file in the same directory,
// fsyncs it and renames it over path, so a crash leaves the old or the new file, never a
// torn one. Keeps the old file's permissions. false with errno set on failure; the
// temporary file is removed then.
bool AtomicReplace(const std::string& path, std::string_view content);

}  // namespace qm
