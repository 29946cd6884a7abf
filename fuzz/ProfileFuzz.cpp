// SPDX-License-Identifier: MIT
// Input: "section\0key\0value\0profile text" (missing parts take fixed names). Parses the
// text, looks the key up, sets it, and checks that the edited text reads the value back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ProfileDocument.h"

namespace {

std::string_view Take(std::string_view& data, std::string_view fallback) {
    const std::size_t nul = data.find('\0');
    if (nul == std::string_view::npos) return fallback;
    const std::string_view part = data.substr(0, nul);
    data.remove_prefix(nul + 1);
    return part;
}

// A name the file format can hold as it stands: no blanks at its ends, nothing the parser
// treats as structure.
bool PlainName(std::string_view s) {
    if (s.empty() || s.front() == ' ' || s.back() == ' ' || s.front() == ';' || s.front() == '[')
        return false;
    for (unsigned char c : s)
        if (c < 0x20 || c == '=' || c == ']' || c == '\t' || c == 0x7f) return false;
    return true;
}

bool PlainValue(std::string_view s) {
    if (!s.empty() && (s.front() == ' ' || s.back() == ' ' || s.front() == '"' || s.front() == '\''))
        return false;
    for (unsigned char c : s)
        if (c == '\r' || c == '\n' || c == '\t') return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    std::string_view data(reinterpret_cast<const char*>(bytes), size);
    const std::string_view section = Take(data, "General");
    const std::string_view key = Take(data, "Comments Type");
    const std::string_view value = Take(data, "1");
    const std::string_view text = data;

    const qm::ProfileDocument before = qm::ProfileDocument::Parse(text);
    (void)before.find(section, key);
    (void)before.find("General", "Personal Name");

    const std::string edited = qm::ProfileSetValue(text, section, key, value);
    const auto readBack = qm::ProfileDocument::Parse(edited).find(section, key);
    if (PlainName(section) && PlainName(key) && PlainValue(value) && readBack != value) {
        std::abort();  // the edit did not take
    }
    return 0;
}
