// SPDX-License-Identifier: MIT
#include "platform/RegDocument.h"

#include <cstdio>
#include <optional>
#include <unordered_map>

#include "platform/Text.h"

namespace qm {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
// Hex data lines wrap before this column, as exported files do.
constexpr std::size_t kHexLineWidth = 76;

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to maxDigits hex digits and nothing else.
std::optional<std::uint32_t> ParseHexNumber(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    std::uint32_t n = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        n = n << 4 | static_cast<std::uint32_t>(d);
    }
    return n;
}

// Reads a quoted string at the start of s (escapes \\ and \"), leaving s after the closing quote.
std::optional<std::string> ParseQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') return std::nullopt;
    std::string out;
    std::size_t i = 1;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') break;
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return std::nullopt;
            out.push_back(s[++i]);
        } else {
            out.push_back(c);
        }
    }
    if (i >= s.size()) return std::nullopt;
    s.remove_prefix(i + 1);
    return out;
}

// Comma-separated bytes; blanks around them and one trailing comma are tolerated.
std::optional<std::vector<unsigned char>> ParseHexBytes(std::string_view s) {
    std::vector<unsigned char> bytes;
    s = TrimBlanks(s);
    if (s.empty()) return bytes;
    if (s.back() == ',') s.remove_suffix(1);
    while (true) {
        const std::size_t comma = s.find(',');
        const auto byte = ParseHexNumber(TrimBlanks(s.substr(0, comma)), 2);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<unsigned char>(*byte));
        if (comma == std::string_view::npos) break;
        s.remove_prefix(comma + 1);
    }
    return bytes;
}

// The data after '=': a string, dword:, hex: or hex(N):. Returns the problem, or empty.
std::string ParseData(std::string_view s, RegValue& value) {
    s = TrimBlanks(s);
    if (!s.empty() && s.front() == '"') {
        auto text = ParseQuoted(s);
        if (!text) return "bad string";
        if (!TrimBlanks(s).empty()) return "text after the string";
        value.type = win::REG_SZ;
        value.data.assign(text->begin(), text->end());
        value.data.push_back(0);
        return {};
    }
    if (StartsWithNoCase(s, "dword:")) {
        const auto n = ParseHexNumber(TrimBlanks(s.substr(6)), 8);
        if (!n) return "bad dword";
        value.type = win::REG_DWORD;
        value.data = {static_cast<unsigned char>(*n), static_cast<unsigned char>(*n >> 8),
                      static_cast<unsigned char>(*n >> 16), static_cast<unsigned char>(*n >> 24)};
        return {};
    }
    if (StartsWithNoCase(s, "hex:")) {
        value.type = win::REG_BINARY;
        s.remove_prefix(4);
    } else if (StartsWithNoCase(s, "hex(")) {
        const std::size_t close = s.find("):");
        const auto type =
            close == std::string_view::npos ? std::nullopt : ParseHexNumber(s.substr(4, close - 4), 8);
        if (!type) return "bad hex type";
        value.type = *type;
        s.remove_prefix(close + 2);
    } else {
        return "unknown value type";
    }
    auto bytes = ParseHexBytes(s);
    if (!bytes) return "bad hex data";
    value.data = std::move(*bytes);
    return {};
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

// A REG_SZ is written as a quoted string only when that reads back to the same bytes.
bool IsPlainString(const std::vector<unsigned char>& data) {
    if (data.empty() || data.back() != 0) return false;
    for (std::size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0 || data[i] == '\n' || data[i] == '\r') return false;
    return true;
}

void AppendValue(std::string& out, const RegValue& value) {
    const std::size_t lineStart = out.size();
    if (value.name.empty()) out.push_back('@');
    else AppendQuoted(out, value.name);
    out.push_back('=');
    static constexpr char kDigits[] = "0123456789abcdef";
    if (value.type == win::REG_SZ && IsPlainString(value.data)) {
        AppendQuoted(
            out, std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
    } else if (value.type == win::REG_DWORD && value.data.size() == 4) {
        out += "dword:";
        for (int i = 3; i >= 0; --i) {
            out.push_back(kDigits[value.data[i] >> 4]);
            out.push_back(kDigits[value.data[i] & 15]);
        }
    } else {
        if (value.type == win::REG_BINARY) {
            out += "hex:";
        } else {
            char type[16];
            std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.type));
            out += type;
        }
        std::size_t column = out.size() - lineStart;
        for (std::size_t i = 0; i < value.data.size(); ++i) {
            if (i > 0) {
                out.push_back(',');
                ++column;
                if (column + 3 > kHexLineWidth) {
                    out += "\\\n  ";
                    column = 2;
                }
            }
            out.push_back(kDigits[value.data[i] >> 4]);
            out.push_back(kDigits[value.data[i] & 15]);
            column += 2;
        }
    }
    out.push_back('\n');
}

}  // namespace

// Reads a .reg text line by line into a RegDocument, noting where each key and value stands.
class RegParser {
public:
    RegParser(std::string_view text, std::string_view rootName, RegDocument& doc)
        : m_text(text), m_root(rootName), m_doc(doc) {}

    void run() {
        if (!skipByteOrderMark()) return;
        while (const auto line = nextLine()) {
            const std::string_view s = TrimBlanks(line->text);
            if (s.empty() || s.front() == ';') continue;
            if (s.front() == '[') {
                keyLine(s, *line);
            } else if (!m_seenKey && (s == kHeader || s == kOldHeader)) {
                continue;
            } else {
                valueLine(s, *line);
            }
        }
    }

private:
    struct Line {
        std::string_view text;  // without its line end
        std::size_t begin, next, number;
    };
    static constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);

    void problem(std::size_t line, std::string_view what) {
        if (m_doc.m_error.empty()) m_doc.m_error = "line " + std::to_string(line) + ": " + std::string(what);
    }

    bool skipByteOrderMark() {
        if (m_text.size() >= 2 && static_cast<unsigned char>(m_text[0]) == 0xFF &&
            static_cast<unsigned char>(m_text[1]) == 0xFE) {
            problem(1, "UTF-16 text; the file must be saved as UTF-8");
            return false;
        }
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF") m_pos = 3;
        return true;
    }

    std::optional<Line> nextLine() {
        if (m_pos >= m_text.size()) return std::nullopt;
        std::size_t end = m_text.find('\n', m_pos);
        const std::size_t next = end == std::string_view::npos ? m_text.size() : end + 1;
        if (end == std::string_view::npos) end = m_text.size();
        Line line{m_text.substr(m_pos, end - m_pos), m_pos, next, ++m_lineNumber};
        if (!line.text.empty() && line.text.back() == '\r') line.text.remove_suffix(1);
        m_pos = next;
        return line;
    }

    // "[ROOT\path]" opens a key; "[-...]" deletes one and a key of another root is skipped,
    // both with the values below them.
    void keyLine(std::string_view s, const Line& line) {
        m_seenKey = true;
        m_current = kNoKey;
        if (s.back() != ']' || s.size() < 3) {
            problem(line.number, "bad key line");
            return;
        }
        const std::string_view name = s.substr(1, s.size() - 2);
        if (name.front() == '-') return;
        const std::size_t slash = name.find('\\');
        if (!EqualsNoCase(name.substr(0, slash), m_root)) {
            problem(line.number, "key of another root");
            return;
        }
        const std::string_view path =
            slash == std::string_view::npos ? std::string_view() : name.substr(slash + 1);
        const auto [it, added] = m_keyIndex.emplace(AsciiLower(path), m_doc.m_keys.size());
        if (added) {
            m_doc.m_keys.push_back(RegKeyEntry{std::string(path), {}});
            m_doc.m_valueLines.emplace_back();
            m_doc.m_keyEnds.push_back(0);
        }
        m_current = it->second;
        m_doc.m_keyEnds[m_current] = line.next;
    }

    // "name"=data or @=data; hex data may go on over lines ending in '\'.
    void valueLine(std::string_view s, const Line& line) {
        RegValue value;
        bool named = true;
        if (s.front() == '@') {
            s.remove_prefix(1);
        } else if (auto name = ParseQuoted(s)) {
            value.name = std::move(*name);
        } else {
            named = false;
        }
        s = TrimBlanks(s);
        if (!named || s.empty() || s.front() != '=') {
            if (m_current != kNoKey || !m_seenKey) problem(line.number, "bad value line");
            return;
        }
        std::string data(TrimBlanks(s.substr(1)));
        std::size_t end = line.next;
        if (StartsWithNoCase(data, "hex")) {
            while (!data.empty() && data.back() == '\\') {
                data.pop_back();
                const auto more = nextLine();
                if (!more) break;
                data += TrimBlanks(more->text);
                end = more->next;
            }
        }
        if (m_seenKey && m_current == kNoKey) return;  // inside a deleted key or another root's
        if (m_current != kNoKey) m_doc.m_keyEnds[m_current] = end;
        if (data == "-") return;  // a deletion, meaningless in a stored file
        if (m_current == kNoKey) {
            problem(line.number, "value outside a key");
            return;
        }
        const std::string why = ParseData(data, value);
        if (!why.empty()) {
            problem(line.number, why);
            return;
        }
        store(std::move(value), {line.begin, end});
    }

    // The later line wins; the first spelling of the name stays.
    void store(RegValue value, RegDocument::Span span) {
        RegKeyEntry& key = m_doc.m_keys[m_current];
        auto& spans = m_doc.m_valueLines[m_current];
        const auto [it, added] =
            m_valueIndex.emplace(AsciiLower(key.path) + '\n' + AsciiLower(value.name), key.values.size());
        if (added) {
            key.values.push_back(std::move(value));
            spans.push_back(span);
        } else {
            key.values[it->second].type = value.type;
            key.values[it->second].data = std::move(value.data);
            spans[it->second] = span;
        }
    }

    std::string_view m_text;
    std::string_view m_root;
    RegDocument& m_doc;
    std::size_t m_pos = 0;
    std::size_t m_lineNumber = 0;
    std::size_t m_current = kNoKey;
    bool m_seenKey = false;
    // Lower-case "path" and "path\nvalue name" to their places, so that big files do not
    // take quadratic time.
    std::unordered_map<std::string, std::size_t> m_keyIndex;
    std::unordered_map<std::string, std::size_t> m_valueIndex;
};

RegDocument RegDocument::Parse(std::string_view text, std::string_view rootName) {
    RegDocument doc;
    RegParser(text, rootName, doc).run();
    return doc;
}

std::string RegDocument::EditValue(std::string_view text, std::string_view rootName, std::string_view path,
                                   const RegValue& value) {
    const RegDocument doc = Parse(text, rootName);
    const std::size_t firstBreak = text.find('\n');
    const std::string_view lineEnd =
        firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] == '\r' ? "\r\n"
                                                                                               : "\n";
    const auto render = [&](const RegValue& v) {
        std::string line;
        AppendValue(line, v);
        if (lineEnd.size() == 1) return line;
        std::string crlf;
        for (const char c : line) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return crlf;
    };
    // What completes the text's last line; a lone CR there already ends it for the parser.
    const auto endLastLine = [&]() -> std::string {
        if (text.empty() || text.back() == '\n') return {};
        return text.back() == '\r' ? "\n" : std::string(lineEnd);
    };
    std::string out(text);
    for (std::size_t k = 0; k < doc.m_keys.size(); ++k) {
        const RegKeyEntry& key = doc.m_keys[k];
        if (!EqualsNoCase(key.path, path)) continue;
        for (std::size_t i = 0; i < key.values.size(); ++i) {
            if (!EqualsNoCase(key.values[i].name, value.name)) continue;
            RegValue stored = value;
            stored.name = key.values[i].name;
            const Span span = doc.m_valueLines[k][i];
            return out.replace(span.begin, span.end - span.begin, render(stored));
        }
        const std::size_t at = doc.m_keyEnds[k];
        return out.insert(at, (at == text.size() ? endLastLine() : std::string()) + render(value));
    }
    if (out.empty()) {
        out = kHeader;
        out += lineEnd;
    }
    out += endLastLine();
    out += lineEnd;
    out += '[';
    out += rootName;
    if (!path.empty()) {
        out += '\\';
        out += path;
    }
    out += ']';
    out += lineEnd;
    out += render(value);
    return out;
}

std::string RegDocument::serialize(std::string_view rootName) const {
    std::string out(kHeader);
    out += "\n";
    for (const RegKeyEntry& key : m_keys) {
        out += "\n[";
        out += rootName;
        if (!key.path.empty()) {
            out.push_back('\\');
            out += key.path;
        }
        out += "]\n";
        for (const RegValue& value : key.values) AppendValue(out, value);
    }
    return out;
}

RegKeyEntry* RegDocument::findKey(std::string_view path) {
    for (RegKeyEntry& key : m_keys)
        if (EqualsNoCase(key.path, path)) return &key;
    return nullptr;
}

const RegKeyEntry* RegDocument::findKey(std::string_view path) const {
    return const_cast<RegDocument*>(this)->findKey(path);
}

RegKeyEntry& RegDocument::addKey(std::string_view path) {
    if (RegKeyEntry* key = findKey(path)) return *key;
    m_keys.push_back(RegKeyEntry{std::string(path), {}});
    return m_keys.back();
}

const RegValue* RegDocument::FindValue(const RegKeyEntry& key, std::string_view name) {
    for (const RegValue& value : key.values)
        if (EqualsNoCase(value.name, name)) return &value;
    return nullptr;
}

void RegDocument::SetValue(RegKeyEntry& key, RegValue value) {
    for (RegValue& old : key.values) {
        if (EqualsNoCase(old.name, value.name)) {
            // The stored name keeps its spelling, as a case-insensitive store does.
            old.type = value.type;
            old.data = std::move(value.data);
            return;
        }
    }
    key.values.push_back(std::move(value));
}

}  // namespace qm
