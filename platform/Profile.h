// SPDX-License-Identifier: MIT
// The stand-ins for GetPrivateProfileStringA / WritePrivateProfileStringA: profile files read
// through a cache and written atomically under a lock, with ProfileDocument's rules.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ProfileDocument.h"

namespace qm {

// While one is alive, the reads on its thread see each file as it was at its first read
// there, parsed once: a consistent snapshot for a batch of reads such as loading the
// settings, however recently the file changed. Nested snapshots share the outer one.
class ProfileSnapshot {
public:
    ProfileSnapshot();
    ~ProfileSnapshot();
    ProfileSnapshot(const ProfileSnapshot&) = delete;
    ProfileSnapshot& operator=(const ProfileSnapshot&) = delete;

private:
    bool m_owner = false;
};

// How many times win::GetPrivateProfileString has parsed a file so far (for tests and
// benchmarks of its cache).
std::size_t ProfileFileParses();

namespace win {

// Copies the value into out, cut to at most size - 1 characters, and returns the number of
// characters copied; a missing file, section or key gives defaultValue without its trailing
// blanks (cut likewise). With size 0, out stays as it was and 0 is returned. Special files and
// files over kMaxWholeFileBytes read as missing.
// fileName is resolved with ResolveProfilePath. Repeated reads of an unchanged file parse
// it once (the parsed file is cached against its size, mtime and inode).
std::size_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string& out, std::size_t size,
                                    std::string_view fileName);

// Stores key=value in section, creating the directory, file, section or key as needed.
// Atomic and serialized with other writers (GuardedFile), symlinks followed. Returns false,
// with errno set, when the file cannot be read or written (unreadable, read-only, special,
// oversized, hard-linked files and those locked by another program for long are left as they
// are), and refuses (false, EINVAL)
// names or values that would break the file's structure (line breaks, '=' in a key, ']' in a
// section name).
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               std::string_view fileName);

}  // namespace win

// As win::WritePrivateProfileString, with new lines ending in lineEnd: the per-user .conf
// stores keep the LF lines their other readers expect.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        std::string_view fileName, std::string_view lineEnd);

}  // namespace qm
