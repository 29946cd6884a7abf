// SPDX-License-Identifier: MIT
// Windows-style profile (INI) text: a parser and an in-place editor, no I/O.
//
// Rules: a line whose first non-blank character is '[' opens a section named by the text up
// to ']' (or the line's end), blanks dropped; "key=value" lines hold values, split at the
// first '='; blanks around names and values are dropped; a value enclosed in a matching pair
// of double or single quotes loses them on read; no inline comments; lines starting with ';'
// and lines without '=' hold no value; section and key names match ASCII-case-insensitively;
// the first of duplicate sections or keys wins. LF, CR LF and CR line ends are all read.
#pragma once
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
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    // The keys of section with their values, in file order, as Find reads them.
    std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;

private:
    // lower-case "section\nkey" -> value; first occurrence kept
    std::unordered_map<std::string, std::string> m_values;
    // (lower-case section, key as written) in file order, first occurrences only
    std::vector<std::pair<std::string, std::string>> m_order;
};

// Returns text with key=value set in section, editing in place: every other byte stays as it
// was; an existing value (its first occurrence) is replaced where it stands, a new key goes
// after the last line of its section (its first occurrence), a new section at the end of the
// file. New lines end in lineEnd. A value that reading would alter (blanks at either end, or
// enclosed in quotes) is stored inside a pair of double quotes, so it reads back unchanged.
std::string ProfileSetValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value, std::string_view lineEnd = "\r\n");

}  // namespace qm
