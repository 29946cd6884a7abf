// SPDX-License-Identifier: MIT
// Windows-style profile (INI) files: a parser over strings, an in-place editor, and the
// stand-ins for GetPrivateProfileStringA / WritePrivateProfileStringA on top of them.
//
// Rules: a line whose first non-blank character is '[' opens a section named by the text up
// to ']' (or the line's end), blanks dropped; "key=value" lines hold values, split at the
// first '='; blanks around names and values are dropped; a value enclosed in a matching pair
// of double or single quotes loses them on read; no inline comments; lines starting with ';'
// and lines without '=' hold no value; section and key names match ASCII-case-insensitively;
// the first of duplicate sections or keys wins. LF, CR LF and CR line ends are all read.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qm {

class ProfileDocument {
public:
    static ProfileDocument Parse(std::string_view text);
    // The value of key in section, quotes already removed; nullopt when absent.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // The keys of section with their values, in file order, as Find reads them.
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;

private:
    // lower-case "section\nkey" -> value; first occurrence kept
    std::unordered_map<std::string, std::string> m_values;
    // (lower-case section, key as written) in file order, first occurrences only
    std::vector<std::pair<std::string, std::string>> m_order;
};

// Returns text with key=value set in section, editing in place: every other byte stays as it
// was; an existing value (its first occurrence) is replaced where it stands, a new key goes
// after the last line of its section (its first occurrence), a new section at the end of the
// file. New lines end in CR LF. A value that reading would alter (blanks at either end, or
// enclosed in quotes) is stored inside a pair of double quotes, so it reads back unchanged.
std::string ProfileSetValue(std::string_view text, std::string_view section,
                            std::string_view key, std::string_view value);

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
// characters copied; a missing file, section or key gives defaultValue (cut likewise).
// fileName is resolved with ResolveProfilePath. Repeated reads of an unchanged file parse
// it once (the parsed file is cached against its size, mtime and inode).
std::size_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string& out,
                                    std::size_t size, std::string_view fileName);

// Stores key=value in section, creating the directory, file, section or key as needed.
// Atomic and serialized with other writers (FileLock + AtomicReplace). Returns false, with
// errno set, when the file cannot be written, and refuses (false, EINVAL) names or values
// that would break the file's structure (line breaks, '=' in a key, ']' in a section name).
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view fileName);

}  // namespace win
}  // namespace qm
