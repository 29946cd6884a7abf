// SPDX-License-Identifier: MIT
#include "platform/ProfileDocument.h"

#include "platform/Text.h"

namespace qm {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// One physical line: text[begin, end) is its content, text[end, next) its line break.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

Line LineAt(std::string_view text, std::size_t pos) {
    Line line{pos, text.find_first_of("\r\n", pos), 0};
    if (line.end == std::string_view::npos) {
        line.end = line.next = text.size();
    } else if (text[line.end] == '\r' && line.end + 1 < text.size() && text[line.end + 1] == '\n') {
        line.next = line.end + 2;
    } else {
        line.next = line.end + 1;
    }
    return line;
}

enum class LineKind { Blank, Comment, Section, Pair, Other };

// What a line means; name and value are trimmed views into the text, value still quoted.
struct LineMeaning {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;
};

LineMeaning Classify(std::string_view text, const Line& line) {
    std::string_view s = text.substr(line.begin, line.end - line.begin);
    // A byte order mark from an editor would otherwise hide the first section.
    if (line.begin == 0 && s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
    s = TrimBlanks(s);
    if (s.empty()) return {LineKind::Blank, {}, {}};
    if (s.front() == ';') return {LineKind::Comment, {}, {}};
    if (s.front() == '[') {
        std::string_view name = s.substr(1);
        name = name.substr(0, name.find(']'));  // a missing ']' leaves the rest of the line
        return {LineKind::Section, TrimBlanks(name), {}};
    }
    const auto eq = s.find('=');
    if (eq == std::string_view::npos) return {LineKind::Other, {}, {}};
    return {LineKind::Pair, TrimBlanks(s.substr(0, eq)), TrimBlanks(s.substr(eq + 1))};
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
        return value.substr(1, value.size() - 2);
    return value;
}

// Blanks at either end would be dropped on read, and a value enclosed in quotes would lose
// them; one pair of double quotes around such a value brings it back exactly.
std::string QuoteIfNeeded(std::string_view value) {
    const bool needs = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                                          Unquote(value).size() != value.size());
    if (!needs) return std::string(value);
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
}

std::string LookupKey(std::string_view section, std::string_view key) {
    std::string k = AsciiLower(section);
    k += '\n';
    k += AsciiLower(key);
    return k;
}

}  // namespace

ProfileDocument ProfileDocument::Parse(std::string_view text) {
    ProfileDocument doc;
    std::unordered_map<std::string, bool> seenSections;
    std::string section;
    bool active = false;  // false before the first section and inside a repeated one
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = LineAt(text, pos);
        pos = line.next;
        const LineMeaning m = Classify(text, line);
        if (m.kind == LineKind::Section) {
            section = AsciiLower(m.name);
            active = seenSections.emplace(section, true).second;
        } else if (m.kind == LineKind::Pair && active) {
            std::string k = section;
            k += '\n';
            k += AsciiLower(m.name);
            if (doc.m_values.emplace(std::move(k), std::string(Unquote(m.value))).second)
                doc.m_order.emplace_back(section, std::string(m.name));
        }
    }
    return doc;
}

std::optional<std::string> ProfileDocument::find(std::string_view section, std::string_view key) const {
    // No stored name holds a line break, and a query with one could alias another pair.
    if (HasLineBreak(section) || HasLineBreak(key)) return std::nullopt;
    const auto it = m_values.find(LookupKey(TrimBlanks(section), TrimBlanks(key)));
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

std::vector<std::pair<std::string, std::string>> ProfileDocument::entries(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    const std::string wanted = AsciiLower(TrimBlanks(section));
    for (const auto& [sectionName, key] : m_order)
        if (sectionName == wanted) entries.emplace_back(key, *find(section, key));
    return entries;
}

std::string ProfileSetValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value, std::string_view lineEnd) {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    const std::string stored = QuoteIfNeeded(value);

    bool inTarget = false;
    bool found = false;
    std::size_t insertAt = 0;       // just past the section's last non-blank line
    bool insertNeedsBreak = false;  // that line is the file's last and has no line break
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = LineAt(text, pos);
        pos = line.next;
        const LineMeaning m = Classify(text, line);
        if (m.kind == LineKind::Section) {
            if (found) break;  // only the first occurrence counts
            inTarget = found = EqualsNoCase(m.name, section);
        } else if (!inTarget || m.kind == LineKind::Blank) {
            continue;
        } else if (m.kind == LineKind::Pair && EqualsNoCase(m.name, key)) {
            // Keep the key as written and the blanks around the value; replace the value.
            const std::size_t valueBegin =
                m.value.empty() ? line.end : static_cast<std::size_t>(m.value.data() - text.data());
            const std::size_t valueEnd = valueBegin + m.value.size();
            std::string out;
            out.reserve(text.size() + stored.size());
            out.append(text.substr(0, valueBegin));
            out.append(stored);
            out.append(text.substr(valueEnd));
            return out;
        }
        insertAt = line.next;
        insertNeedsBreak = line.next == line.end;
    }

    std::string addition;
    if (!found) {
        insertAt = text.size();
        insertNeedsBreak = !text.empty() && text.back() != '\n' && text.back() != '\r';
        addition += '[';
        addition += section;
        addition += ']';
        addition += lineEnd;
    }
    addition += key;
    addition += '=';
    addition += stored;
    addition += lineEnd;

    std::string out;
    out.reserve(text.size() + addition.size() + 2);
    out.append(text.substr(0, insertAt));
    if (insertNeedsBreak) out += lineEnd;
    out += addition;
    out.append(text.substr(insertAt));
    return out;
}

}  // namespace qm
