// SPDX-License-Identifier: MIT
#include "reader/CppCodeMap.h"

#include <algorithm>
#include <array>

#include "reader/CppSyntax.h"

namespace qm {
namespace {

bool IsIdentifierStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentifierChar(char c) { return IsIdentifierStart(c) || IsDigit(c); }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

std::string_view TrimLeading(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    s = TrimLeading(s);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// "C" and nothing more after an extern, as it opens a block; extern "C" void f() { is a body.
bool IsLinkageBlock(std::string_view afterExtern) {
    const std::size_t close =
        afterExtern.starts_with('"') ? afterExtern.find('"', 1) : std::string_view::npos;
    return close != std::string_view::npos && Trim(afterExtern.substr(close + 1)).empty();
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

CppCodeMap::CppCodeMap(const SourceText& source) : m_source(source), m_text(source.text()) {
    // The file's own namespace, then the bodies and initializers every other brace opens.
    m_scopes = {{Kind::Namespace, false, {}}, {Kind::Other, false, {}}, {Kind::Other, true, {}}};
    m_state.open.push_back({0, {}});
    m_lines.reserve(source.size());
}

const CppCodeMap::Info& CppCodeMap::info(std::size_t line) {
    while (m_lines.size() <= line) lexLine();
    return m_lines[line];
}

std::optional<CppCodeMap::Statement> CppCodeMap::statementFrom(std::size_t line) {
    for (std::size_t k = info(line).statement;; ++k) {
        while ((k >= m_statements.size() || !m_statements[k].ended) && m_lines.size() < m_source.size())
            lexLine();
        if (k >= m_statements.size()) return std::nullopt;
        if (!m_statements[k].label && m_statements[k].lastLine >= line) return m_statements[k];
    }
}

const std::vector<CppCodeMap::Statement>& CppCodeMap::statements() {
    while (m_lines.size() < m_source.size()) lexLine();
    return m_statements;
}

void CppCodeMap::lexLine() {
    const std::size_t line = m_lines.size();
    const std::size_t begin = m_source[line].begin, stop = m_source[line].end;
    Info info{
        m_state.open.back().scope,
        m_state.statement != kNone ? m_state.statement : static_cast<std::uint32_t>(m_statements.size()), 0};
    if (dead()) info.flags = kLeftOut;
    else if (m_mode == Mode::Code) info.flags = kCode;
    m_lines.push_back(info);
    m_firstToken = m_mode == Mode::Code;
    const bool continued = stop > begin && m_text[stop - 1] == '\\';
    std::size_t at = begin;
    switch (m_mode) {
    case Mode::Code: break;
    case Mode::BlockComment:
    case Mode::RawString: {
        const std::string_view close = m_mode == Mode::BlockComment ? std::string_view("*/") : m_rawEnd;
        const std::size_t found = m_text.substr(begin, stop - begin).find(close);
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
    // A lone macro ends with the line its call does: the next line opens a statement of its own.
    const Statement* s = current();
    if (m_mode == Mode::Code && s && m_state.depth == 0 && (m_state.macro == 1 || m_state.macro == 3)) {
        m_lines[s->firstLine].flags &= ~kStatement;
        endStatement();
    }
}

void CppCodeMap::code(std::size_t at, std::size_t stop) {
    const bool live = !dead();
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
        // A declaration opens with a word, "~", "::" or an attribute's "[[".
        if (m_firstToken && counts() && !current() && kind() != Kind::Other &&
            (IsIdentifierStart(c) || c == '~' || c == ':' || c == '['))
            m_lines.back().flags |= kStatement;
        m_firstToken = false;
        const std::size_t start = at;
        if (IsIdentifierStart(c)) {
            while (at < stop && IsIdentifierChar(m_text[at])) ++at;
            const std::string_view word = m_text.substr(start, at - start);
            const char quote = at < stop ? m_text[at] : '\0';
            if (quote == '"' &&
                (word == "R" || word == "LR" || word == "uR" || word == "UR" || word == "u8R")) {
                at = rawString(at + 1, stop);
            } else if ((quote == '"' || quote == '\'') &&
                       (word == "L" || word == "u" || word == "U" || word == "u8")) {
                at = skipLiteral(at + 1, stop, quote);
            }
            if (live) token(start, at, word);
            continue;
        }
        if (IsDigit(c) || (c == '.' && IsDigit(next))) {
            for (++at; at < stop; ++at) {
                const char d = m_text[at];
                const bool sign = (d == '+' || d == '-') &&
                                  std::string_view("eEpP").find(m_text[at - 1]) != std::string_view::npos;
                const bool separator = d == '\'' && at + 1 < stop && IsIdentifierChar(m_text[at + 1]);
                if (!IsIdentifierChar(d) && d != '.' && !sign && !separator) break;
            }
            if (live) token(start, at);
            continue;
        }
        if (c == '"' || c == '\'') {
            at = skipLiteral(at + 1, stop, c);
            if (live) token(start, at);
            continue;
        }
        ++at;
        if (!live) continue;
        switch (c) {
        case '{': openBrace(start); break;
        case '}': closeBrace(start); break;
        case ';':
            // An empty statement is none.
            if (current()) token(start, at);
            if (m_state.depth == 0) endStatement();
            break;
        case '(':
        case '[': {
            const bool macroCall = c == '(' && current() && m_state.macro == 1 && m_state.depth == 0;
            token(start, at);
            if (macroCall) m_state.macro = 2;
            ++m_state.depth;
            break;
        }
        case ')':
        case ']':
            token(start, at);
            if (m_state.depth > 0) --m_state.depth;
            if (m_state.macro == 2 && m_state.depth == 0) m_state.macro = 3;
            break;
        case ':':
            if (next == ':') {
                token(start, ++at);
            } else if (current() && m_state.accessOnly && m_state.depth == 0 && kind() == Kind::Class) {
                label(start);
            } else {
                token(start, at);
            }
            break;
        default: token(start, at);
        }
    }
}

// Tracks the statement in progress: where it starts and what it holds so far.
CppCodeMap::Statement* CppCodeMap::token(std::size_t at, std::size_t end, std::string_view word) {
    const std::size_t line = m_lines.size() - 1;
    Statement* s = current();
    if (s) {
        if (m_state.macro != 2) m_state.macro = 0;
        m_state.accessOnly = m_state.accessOnly && IsSectionWord(word);
    } else {
        m_state.statement = static_cast<std::uint32_t>(m_statements.size());
        s = &m_statements.emplace_back();
        s->begin = at;
        s->firstLine = line;
        s->declares = kind() != Kind::Other;
        if (kind() == Kind::Class) s->access = m_state.open.back().access;
        m_state.statementOpen = m_state.open.size();
        m_state.depth = 0;
        m_state.macro = IsCapsWord(word) ? 1 : 0;
        m_state.accessOnly = IsSectionWord(word);
    }
    s->end = end;
    s->lastLine = line;
    return s;
}

// "public:", "private slots:", "signals:": a statement of its own, which gives its access to
// the declarations after it; what follows it on the line may open a statement.
void CppCodeMap::label(std::size_t at) {
    Statement* s = token(at, at + 1);
    s->label = true;
    m_lines[s->firstLine].flags = (m_lines[s->firstLine].flags & ~kStatement) | kLabel;
    std::size_t wordEnd = s->begin;
    while (IsIdentifierChar(m_text[wordEnd])) ++wordEnd;
    const std::string_view word = m_text.substr(s->begin, wordEnd - s->begin);
    if (word == "public" || word == "signals" || word == "Q_SIGNALS")
        m_state.open.back().access = AccessLevel::Public;
    if (word == "protected") m_state.open.back().access = AccessLevel::Protected;
    if (word == "private") m_state.open.back().access = AccessLevel::Private;
    endStatement();
    m_firstToken = true;
}

void CppCodeMap::endStatement() {
    if (Statement* s = current()) s->ended = true;
    m_state.statement = kNone;
}

void CppCodeMap::openBrace(std::size_t at) {
    const Scope outer = m_scopes[m_state.open.back().scope];
    const std::uint32_t other = outer.internal ? 2 : 1;
    // A lambda's body or a braced initializer inside the statement's parentheses.
    if (current() && m_state.depth > 0) {
        token(at, at + 1);
        m_state.open.push_back({other, {}});
        return;
    }
    std::uint32_t opened = other;
    if (Statement* s = current()) {
        s->end = at + 1;
        const Scope scope = outer.kind == Kind::Other
                                ? outer
                                : Classify(m_text.substr(s->begin, at - s->begin), outer.internal);
        if (scope.kind != Kind::Other) {
            opened = static_cast<std::uint32_t>(m_scopes.size());
            m_scopes.push_back(scope);
        }
    }
    m_state.open.push_back({opened, {}});
    endStatement();
}

void CppCodeMap::closeBrace(std::size_t at) {
    // The brace of a lambda or initializer the statement opened; any other ends the statement.
    if (current() && m_state.open.size() > m_state.statementOpen) {
        token(at, at + 1);
        m_state.open.pop_back();
        return;
    }
    if (m_state.open.size() > 1) m_state.open.pop_back();
    endStatement();
}

// What a brace after head opens: a namespace (or extern "C"), a class, or anything else (a
// body, an initializer, an enum), in which nothing is declared. Comments in head are passed over.
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
            const std::string_view after = TrimLeading(head.substr(i));
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
            } else if (word == "namespace" || (word == "extern" && IsLinkageBlock(after))) {
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
        if (c == '/' && i + 1 < head.size() && (head[i + 1] == '/' || head[i + 1] == '*')) {
            const std::string_view close = head[i + 1] == '/' ? "\n" : "*/";
            i = std::min(head.find(close, i + 2), head.size() - close.size()) + close.size();
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
        Conditional c{dead(), counts(), false, false, false, value > 0, m_state, {}};
        c.dead = c.outerDead || value < 0;
        c.first = c.live = !c.dead;
        m_conditionals.push_back(std::move(c));
    } else if ((word.starts_with("elif") || word == "else") && !m_conditionals.empty()) {
        Conditional& c = m_conditionals.back();
        leaveBranch(c);
        c.dead = c.outerDead || c.taken || value < 0;
        c.taken = c.taken || value > 0;
        c.first = !c.dead && !c.live;
        c.live = c.live || !c.dead;
        if (!c.dead) m_state = c.start;
    } else if (word == "endif" && !m_conditionals.empty()) {
        Conditional& c = m_conditionals.back();
        leaveBranch(c);
        m_state = c.live ? std::move(c.end) : std::move(c.start);
        m_conditionals.pop_back();
    }
    const std::size_t comment = line.rfind("/*");
    if (comment != std::string_view::npos && line.find("*/", comment) == std::string_view::npos) {
        m_mode = Mode::BlockComment;
    } else if (!line.empty() && line.back() == '\\') {
        m_mode = Mode::Directive;
    }
}

// At the end of a branch: the first live one's state is what the code after the #endif reads
// on from; a statement another branch started ends with it.
void CppCodeMap::leaveBranch(Conditional& c) {
    if (c.dead) return;
    if (c.first) c.end = m_state;
    else if (m_state.statement != c.start.statement) endStatement();
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
