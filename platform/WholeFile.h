// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace qm {

// No settings file comes near this; reading more whole could exhaust memory.
inline constexpr std::size_t kMaxWholeFileBytes = 16 << 20;

// Reads fd from its offset to its end; false with errno set, EFBIG past maxBytes.
bool ReadDescriptor(int fd, std::string& out, std::size_t maxBytes = kMaxWholeFileBytes);

// Writes all of data to fd; false with errno set.
bool WriteAll(int fd, std::string_view data);

// Reads a whole regular file, symlinks followed, never blocking on a special one. false with
// errno set: ENOENT missing, EISDIR a folder, EINVAL a FIFO, device or socket, EFBIG over
// kMaxWholeFileBytes. status, when given, receives the file's fstat.
bool ReadWholeFile(const std::string& path, std::string& out, struct stat* status = nullptr);

// path with symlinks followed to the file they name, existing or not (a dotfile manager's
// link may point at a file yet to be made); path itself when it is no symlink.
std::string ResolveSymlinks(const std::string& path);

// true when a write may replace path's file: it has a write bit (none means read-only, even
// for root), the user may write it, and its folder takes new files. false with errno set.
bool CanReplace(const std::string& path);

}  // namespace qm
