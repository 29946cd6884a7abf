// SPDX-License-Identifier: MIT
#include "reader/CppCodeMap.h"

#include <algorithm>
#include <array>

namespace qm {
namespace {

bool IsIdentifierStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentifierChar(char c) { return IsIdentifierStart(c) || IsDigit(c); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A macro's name as it is written: capitals, digits and underscores, a capital first; "T" is
// more likely a type.
bool IsCapsWord(std::string_view word) {
    if (word.size() < 3 || word[0] < 'A' || word[0] > 'Z') return false;
    return std::all_of(word.begin(), word.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_'; });
}

// Words that open a class section ("public:", "public Q_SLOTS:", "signals:").
bool IsSectionWord(std::string_view word) {
    static constexpr std::array<std::string_view, 7> kWords = {"public", "protected", "private", "signals",
                                                               "slots",  "Q_SIGNALS", "Q_SLOTS"};
    return std::find(kWords.begin(), kWords.end(), word) != kWords.end();
}

// -1 for a condition that is plainly false, 1 plainly true, 0 anything else.
int ConditionValue(std::string_view condition) {
    condition = Trim(condition.substr(0, std::min(condition.find("//"), condition.find("/*"))));
    if (condition == "0" || condition == "false") return -1;
    if (condition == "1" || condition == "true") return 1;
    return 0;
}

}  // namespace

CppCodeMap::CppCodeMap(std::string_view text, std::vector<std::size_t> lineStarts)
    : m_text(text), m_starts(std::move(lineStarts)) {
    // The file's own namespace, then the bodies and initializers every other brace opens.
    m_scopes = {{Kind::Namespace, false, {}}, {Kind::Other, false, {}}, {Kind::Other, true, {}}};
    m_open.push_back(0);
    m_lines.reserve(m_starts.size());
}

const CppCodeMap::Info& CppCodeMap::info(std::size_t line) {
    while (m_lines.size() <= line) lexLine();
    return m_lines[line];
}

void CppCodeMap::lexLine() {
    const std::size_t line = m_lines.size();
    const std::size_t begin = m_starts[line];
    std::size_t stop = line + 1 < m_starts.size() ? m_starts[line + 1] : m_text.size();
    while (stop > begin && (m_text[stop - 1] == '\n' || m_text[stop - 1] == '\r')) --stop;
    const std::string_view content = m_text.substr(begin, stop - begin);
    Info info;
    info.scope = m_open.back();
    if (m_mode == Mode::Code && !dead()) info.flags = kCode;
    m_lines.push_back(info);
    m_firstToken = m_mode == Mode::Code;
    const bool continued = !content.empty() && content.back() == '\\';
    std::size_t at = begin;
    switch (m_mode) {
    case Mode::Code: break;
    case Mode::BlockComment:
    case Mode::RawString: {
        const std::string_view close = m_mode == Mode::BlockComment ? std::string_view("*/") : m_rawEnd;
        const std::size_t found = content.find(close);
        if (found == std::string_view::npos) return;
        at = begin + found + close.size();
        m_mode = Mode::Code;
        break;
    }
    case Mode::LineComment:
    case Mode::Directive:
        if (!continued) m_mode = Mode::Code;
        return;
    case Mode::Literal:
        m_mode = Mode::Code;
        at = skipLiteral(at, stop, m_quote);
        break;
    }
    code(at, stop);
    // A lone macro line ends with its line: the next line opens a statement of its own.
    if (m_mode == Mode::Code && m_inStatement && m_depth == 0 && (m_macro == 1 || m_macro == 3) &&
        m_statementLine == line) {
        m_lines[line].flags &= ~kStatement;
        endStatement();
    }
}

void CppCodeMap::code(std::size_t at, std::size_t stop) {
    while (at < stop) {
        const char c = m_text[at];
        const char next = at + 1 < stop ? m_text[at + 1] : '\0';
        if (IsBlank(c)) {
            ++at;
            continue;
        }
        if (c == '#' && m_firstToken) {
            m_firstToken = false;
            directive(at, stop);
            return;
        }
        if (c == '/' && next == '/') {
            if (m_text[stop - 1] == '\\') m_mode = Mode::LineComment;
            return;
        }
        if (c == '/' && next == '*') {
            const std::size_t close = m_text.substr(at + 2, stop - at - 2).find("*/");
            if (close == std::string_view::npos) {
                m_mode = Mode::BlockComment;
                return;
            }
            at += close + 4;
            continue;
        }
        const Kind kind = m_scopes[m_open.back()].kind;
        // A declaration opens with a word, "~", "::" or an attribute's "[[".
        if (m_firstToken && counts() && !m_inStatement && kind != Kind::Other &&
            (IsIdentifierStart(c) || c == '~' || c == ':' || c == '['))
            m_lines.back().flags |= kStatement;
        m_firstToken = false;
        if (IsIdentifierStart(c)) {
            const std::size_t start = at;
            while (at < stop && IsIdentifierChar(m_text[at])) ++at;
            const std::string_view word = m_text.substr(start, at - start);
            token(start, word);
            const char quote = at < stop ? m_text[at] : '\0';
            if (quote == '"' &&
                (word == "R" || word == "LR" || word == "uR" || word == "UR" || word == "u8R")) {
                at = rawString(at + 1, stop);
            } else if ((quote == '"' || quote == '\'') &&
                       (word == "L" || word == "u" || word == "U" || word == "u8")) {
                at = skipLiteral(at + 1, stop, quote);
            }
            continue;
        }
        if (IsDigit(c) || (c == '.' && IsDigit(next))) {
            token(at, {});
            for (++at; at < stop; ++at) {
                const char d = m_text[at];
                const bool sign = (d == '+' || d == '-') &&
                                  std::string_view("eEpP").find(m_text[at - 1]) != std::string_view::npos;
                const bool separator = d == '\'' && at + 1 < stop && IsIdentifierChar(m_text[at + 1]);
                if (!IsIdentifierChar(d) && d != '.' && !sign && !separator) break;
            }
            continue;
        }
        switch (c) {
        case '"':
        case '\'':
            token(at, {});
            at = skipLiteral(at + 1, stop, c);
            continue;
        case '{': openBrace(at); break;
        case '}':
            if (counts() && m_open.size() > 1) m_open.pop_back();
            if (counts()) endStatement();
            break;
        case ';':
            if (m_depth == 0 && counts() && kind != Kind::Other) endStatement();
            else token(at, {});
            break;
        case '(':
        case '[':
            if (kind == Kind::Other || !counts()) break;
            if (m_inStatement && m_macro == 1 && c == '(' && m_depth == 0) m_macro = 2;
            else token(at, {});
            ++m_depth;
            break;
        case ')':
        case ']':
            if (kind == Kind::Other || !counts()) break;
            if (m_depth > 0) --m_depth;
            if (m_macro == 2 && m_depth == 0) m_macro = 3;
            break;
        case ':':
            if (next == ':') {
                token(at, {});
                at += 2;
                continue;
            }
            if (m_inStatement && m_accessOnly && m_depth == 0 && counts() && kind == Kind::Class) {
                // A section label opens no statement; what follows it on the line may.
                m_lines[m_statementLine].flags &= ~kStatement;
                m_firstToken = true;
                endStatement();
            } else {
                token(at, {});
            }
            break;
        default: token(at, {});
        }
        ++at;
    }
}

// Tracks the statement at namespace or class scope: where it starts and what it holds so far.
void CppCodeMap::token(std::size_t at, std::string_view word) {
    if (!counts() || m_scopes[m_open.back()].kind == Kind::Other) return;
    if (!m_inStatement) {
        m_inStatement = true;
        m_statement = at;
        m_statementLine = m_lines.size() - 1;
        m_depth = 0;
        m_macro = IsCapsWord(word) ? 1 : 0;
        m_accessOnly = IsSectionWord(word);
        return;
    }
    if (m_macro != 2) m_macro = 0;
    m_accessOnly = m_accessOnly && IsSectionWord(word);
}

void CppCodeMap::openBrace(std::size_t at) {
    if (!counts()) return;
    const Scope outer = m_scopes[m_open.back()];
    std::uint32_t opened = outer.internal ? 2 : 1;
    if (m_inStatement && outer.kind != Kind::Other) {
        const Scope scope = Classify(m_text.substr(m_statement, at - m_statement), outer.internal);
        if (scope.kind != Kind::Other) {
            opened = static_cast<std::uint32_t>(m_scopes.size());
            m_scopes.push_back(scope);
        }
    }
    m_open.push_back(opened);
    endStatement();
}

// What a brace after head opens: a namespace (or extern "C"), a class, or anything else (a
// body, an initializer, an enum), in which nothing is declared.
CppCodeMap::Scope CppCodeMap::Classify(std::string_view head, bool internal) {
    Scope scope{Kind::Other, internal, {}};
    bool classHead = false;
    int depth = 0;  // parentheses and brackets; after a class keyword, angle brackets too
    for (std::size_t i = 0; i < head.size();) {
        const char c = head[i];
        if (IsIdentifierStart(c)) {
            const std::size_t start = i;
            while (i < head.size() && IsIdentifierChar(head[i])) ++i;
            const std::string_view word = head.substr(start, i - start);
            const std::string_view after = Trim(head.substr(i));
            if (depth > 0) continue;
            if (classHead) {
                if (word != "final") scope.name = word;
            } else if (word == "template" && after.starts_with('<')) {
                i = head.size() - after.size();
                for (int angles = 0; i < head.size(); ++i) {
                    angles += head[i] == '<' ? 1 : head[i] == '>' ? -1 : 0;
                    if (angles == 0) break;
                }
                ++i;
            } else if (word == "namespace" || (word == "extern" && after.starts_with('"'))) {
                scope.kind = Kind::Namespace;
                scope.internal = internal || (word == "namespace" && after.empty());
                return scope;
            } else if (word == "class" || word == "struct" || word == "union") {
                scope.kind = Kind::Class;
                classHead = true;
            } else if (word == "enum") {
                return scope;
            }
            continue;
        }
        const bool scoped = c == ':' && i + 1 < head.size() && head[i + 1] == ':';
        if (depth == 0 && !classHead && (c == '(' || c == '=')) return scope;
        if (depth == 0 && classHead && c == ':' && !scoped) return scope;
        if (c == '(' || c == '[' || (classHead && c == '<')) ++depth;
        if (depth > 0 && (c == ')' || c == ']' || (classHead && c == '>'))) --depth;
        i += scoped ? 2 : 1;
    }
    return scope;
}

void CppCodeMap::directive(std::size_t at, std::size_t stop) {
    const std::string_view line = m_text.substr(at + 1, stop - at - 1);
    const std::string_view rest = Trim(line);
    std::size_t wordEnd = 0;
    while (wordEnd < rest.size() && rest[wordEnd] >= 'a' && rest[wordEnd] <= 'z') ++wordEnd;
    const std::string_view word = rest.substr(0, wordEnd);
    const int value = word == "if" || word == "elif" ? ConditionValue(rest.substr(wordEnd)) : 0;
    if (word == "if" || word == "ifdef" || word == "ifndef") {
        Conditional c{dead(), counts(), false, false, false, value > 0};
        c.dead = c.outerDead || value < 0;
        c.counts = c.counted = c.outerCounts && !c.dead;
        m_conditionals.push_back(c);
    } else if ((word.starts_with("elif") || word == "else") && !m_conditionals.empty()) {
        Conditional& c = m_conditionals.back();
        c.dead = c.outerDead || c.taken || value < 0;
        c.taken = c.taken || value > 0;
        c.counts = c.outerCounts && !c.dead && !c.counted;
        c.counted = c.counted || c.counts;
    } else if (word == "endif" && !m_conditionals.empty()) {
        m_conditionals.pop_back();
    }
    const std::size_t comment = line.rfind("/*");
    if (comment != std::string_view::npos && line.find("*/", comment) == std::string_view::npos) {
        m_mode = Mode::BlockComment;
    } else if (!line.empty() && line.back() == '\\') {
        m_mode = Mode::Directive;
    }
}

std::size_t CppCodeMap::skipLiteral(std::size_t at, std::size_t stop, char quote) {
    while (at < stop) {
        const char c = m_text[at];
        if (c == quote) return at + 1;
        at += c == '\\' ? 2 : 1;
    }
    // Unterminated: a backslash at the line's end continues it, else it ends with the line.
    if (at > stop) {
        m_mode = Mode::Literal;
        m_quote = quote;
    }
    return stop;
}

std::size_t CppCodeMap::rawString(std::size_t at, std::size_t stop) {
    const std::string_view rest = m_text.substr(at, stop - at);
    const std::size_t open = rest.find('(');
    if (open == std::string_view::npos || open > 16) return skipLiteral(at, stop, '"');
    m_rawEnd.assign(1, ')').append(rest.substr(0, open)).push_back('"');
    const std::size_t close = rest.find(m_rawEnd, open);
    if (close != std::string_view::npos) return at + close + m_rawEnd.size();
    m_mode = Mode::RawString;
    return stop;
}

}  // namespace qm
