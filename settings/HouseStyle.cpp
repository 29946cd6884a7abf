// SPDX-License-Identifier: MIT
#include "settings/HouseStyle.h"

#include <fnmatch.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/ProfileDocument.h"
#include "platform/Text.h"
#include "platform/WholeFile.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

std::optional<bool> ParseBool(std::string_view v) {
    for (std::string_view yes : {"yes", "true", "on", "1"})
        if (EqualsNoCase(v, yes)) return true;
    for (std::string_view no : {"no", "false", "off", "0"})
        if (EqualsNoCase(v, no)) return false;
    return std::nullopt;
}

// The styles that serve language, for messages: "box, doxygen or xmldoc".
std::string StyleNames(DevelopmentLanguage language) {
    std::vector<std::string_view> names;
    for (const CommentStyle& s : CommentStyles())
        if (language < 0 || StyleServes(s, language)) names.push_back(s.name);
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i)
        out.append(i == 0 ? "" : i + 1 == names.size() ? " or " : ", ").append(names[i]);
    return out;
}

std::string SetStyle(const CommentStyle*& slot, std::string_view value, DevelopmentLanguage language) {
    const CommentStyle* style = FindCommentStyle(AsciiLower(value));
    if (!style || !StyleServes(*style, language))
        return "no " + std::string(language == kVisualBasic ? "Visual Basic" : "C++") + " style '" +
               std::string(value) + "' (use " + StyleNames(language) + ")";
    slot = style;
    return {};
}

std::string SetBool(bool& slot, std::string_view value) {
    const std::optional<bool> b = ParseBool(value);
    if (!b) return std::string(1, '\'').append(value).append("' is not yes or no");
    slot = *b;
    return {};
}

// The keys of the style file, each with what it sets; a message for a value it refuses.
struct KeyRow {
    std::string_view section, key;
    std::string (*apply)(HouseStyle& s, std::string_view value);
};

const KeyRow kKeys[] = {
    {"style", "cpp", [](HouseStyle& s, std::string_view v) { return SetStyle(s.cpp, v, kVisualCpp); }},
    {"style", "vb", [](HouseStyle& s, std::string_view v) { return SetStyle(s.vb, v, kVisualBasic); }},
    {"style", "opener",
     [](HouseStyle& s, std::string_view v) -> std::string {
         if (!FindCommentFrame(v) || v == "'" || v == "'''")
             return "no opener '" + std::string(v) + "' (use /** /*! /// or //!)";
         s.options.opener = std::string(v);
         return {};
     }},
    {"style", "tag",
     [](HouseStyle& s, std::string_view v) -> std::string {
         if (v != "@" && v != "\\") return "no tag character '" + std::string(v) + "' (use @ or \\)";
         s.options.tag = v[0];
         return {};
     }},
    {"style", "brief", [](HouseStyle& s, std::string_view v) { return SetBool(s.options.brief, v); }},
    {"style", "history", [](HouseStyle& s, std::string_view v) { return SetBool(s.options.history, v); }},
    {"style", "trim", [](HouseStyle& s, std::string_view v) { return SetBool(s.options.trim, v); }},
    {"check", "missing", [](HouseStyle& s, std::string_view v) { return SetBool(s.missing, v); }},
    {"check", "undocumented", [](HouseStyle& s, std::string_view v) { return SetBool(s.undocumented, v); }},
    {"check", "order", [](HouseStyle& s, std::string_view v) { return SetBool(s.order, v); }},
    {"check", "ignore",
     [](HouseStyle& s, std::string_view v) -> std::string {
         for (std::size_t at = 0; at < v.size();) {
             const std::size_t end = std::min(v.find_first_of(", \t", at), v.size());
             if (end > at) s.ignore.emplace_back(v.substr(at, end - at));
             at = end + 1;
         }
         return {};
     }},
};

std::string Located(const std::string& path, std::size_t line, const std::string& why) {
    return path + ":" + std::to_string(line) + ": " + why;
}

bool Matches(const std::string& pattern, const std::string& text) {
    return ::fnmatch(pattern.c_str(), text.c_str(), FNM_PERIOD) == 0;
}

}  // namespace

bool HouseStyle::ignores(std::string_view path) const {
    if (ignore.empty()) return false;
    std::error_code ec;
    const fs::path rel = fs::absolute(fs::path(path), ec).lexically_normal().lexically_relative(folder);
    if (rel.empty() || *rel.begin() == "..") return false;
    for (const std::string& pattern : ignore) {
        fs::path prefix;
        for (const fs::path& part : rel) {
            prefix /= part;
            if (pattern.find('/') != std::string::npos ? Matches(pattern, prefix.string())
                                                       : Matches(pattern, part.string()))
                return true;
        }
    }
    return false;
}

HouseStyleResult ParseHouseStyle(std::string_view text, const std::string& path) {
    auto style = std::make_shared<HouseStyle>();
    std::error_code ec;
    style->folder = fs::absolute(fs::path(path), ec).lexically_normal().parent_path().string();
    const ProfileDocument doc = ProfileDocument::Parse(text);
    std::string section;
    std::vector<std::string> sections;
    std::vector<std::pair<const KeyRow*, std::size_t>> given;  // first occurrences, with their lines
    std::size_t number = 0, openerLine = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        std::string_view line = TrimBlanks(text.substr(at, end - at));
        at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        ++number;
        if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line = TrimBlanks(line.substr(3));
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            const std::size_t close = line.find(']');
            section = AsciiLower(TrimBlanks(line.substr(1, close - 1)));
            if (close == std::string_view::npos)
                return {nullptr, Located(path, number, "a section name without ']'")};
            if (section != "style" && section != "check")
                return {nullptr,
                        Located(path, number, "unknown section [" + section + "] (use [style] or [check])")};
            // The profile reader takes the first of two sections; the second's keys would be lost.
            if (std::find(sections.begin(), sections.end(), section) != sections.end())
                return {nullptr, Located(path, number, "[" + section + "] a second time")};
            sections.push_back(section);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return {nullptr, Located(path, number, "not a [section] or a key=value line")};
        if (section.empty()) return {nullptr, Located(path, number, "a key before the first [section]")};
        const std::string key = AsciiLower(TrimBlanks(line.substr(0, equals)));
        const KeyRow* row = nullptr;
        for (const KeyRow& k : kKeys)
            if (k.section == section && k.key == key) row = &k;
        if (!row) return {nullptr, Located(path, number, "unknown key '" + key + "' in [" + section + "]")};
        bool repeated = false;
        for (const auto& g : given) repeated = repeated || g.first == row;
        if (!repeated) given.emplace_back(row, number);
    }
    for (const auto& [row, line] : given) {
        const std::string error = row->apply(*style, *doc.find(row->section, row->key));
        if (!error.empty()) return {nullptr, Located(path, line, error)};
        if (row->key == "opener") openerLine = line;
    }
    if (openerLine && style->cpp->syntax != TagSyntax::Box &&
        !StyleTakesOpener(*style->cpp, kVisualCpp, style->options.opener))
        return {nullptr,
                Located(path, openerLine,
                        std::string(style->cpp->name) + " is not written with '" + style->options.opener +
                            "' (use " + std::string(style->cpp->cppOpeners) + ")")};
    return {std::move(style), {}};
}

HouseStyleResult WithStyleName(std::shared_ptr<const HouseStyle> style, std::string_view name) {
    if (name.empty()) return {std::move(style), {}};
    const CommentStyle* chosen = FindCommentStyle(AsciiLower(name));
    if (!chosen) return {nullptr, "no style '" + std::string(name) + "' (use " + StyleNames(-1) + ")"};
    auto changed = std::make_shared<HouseStyle>(*style);
    if (StyleServes(*chosen, kVisualCpp)) changed->cpp = chosen;
    if (StyleServes(*chosen, kVisualBasic)) changed->vb = chosen;
    return {std::move(changed), {}};
}

HouseStyleResult HouseStyleFinder::find(const std::string& sourcePath) {
    std::error_code ec;
    fs::path folder = fs::absolute(fs::path(sourcePath), ec).lexically_normal().parent_path();
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> visited;
    HouseStyleResult found;
    for (;;) {
        const std::string key = folder.string();
        if (const auto it = m_byFolder.find(key); it != m_byFolder.end()) {
            found = it->second;
            break;
        }
        visited.push_back(key);
        found = lookIn(key);
        if (found.style || !found.error.empty() || !folder.has_relative_path()) break;
        folder = folder.parent_path();
    }
    if (!found.style && found.error.empty()) found.style = std::make_shared<HouseStyle>();
    for (const std::string& v : visited) m_byFolder.emplace(v, found);
    return found;
}

std::size_t HouseStyleFinder::foldersLooked() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_looked;
}

HouseStyleResult HouseStyleFinder::lookIn(const std::string& folder) {
    ++m_looked;
    const std::string path = (fs::path(folder) / kStyleFileName).string();
    std::string text;
    if (ReadWholeFile(path, text)) return ParseHouseStyle(text, path);
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return {};
    const std::string why = error == EISDIR   ? "a folder"
                            : error == EINVAL ? "not a regular file"
                            : error == EFBIG  ? "larger than any style file"
                                              : std::strerror(error);
    return {nullptr, path + ": cannot read the style file: " + why};
}

}  // namespace qm
