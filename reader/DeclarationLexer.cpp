// SPDX-License-Identifier: MIT
#include "reader/DeclarationLexer.h"

#include <array>

namespace qm {
namespace {

bool IsAlpha(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
// Bytes of UTF-8 sequences count as letters so accented names read as one word.
bool IsIdentStart(unsigned char c) { return IsAlpha(c) || c == '_' || c >= 0x80; }
bool IsIdentChar(unsigned char c) { return IsIdentStart(c) || IsDigit(c); }
bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }
bool IsLineEnd(unsigned char c) { return c == '\r' || c == '\n'; }

// Past one line break (CR LF, CR or LF) at i, or i when there is none.
std::size_t SkipLineEnd(std::string_view s, std::size_t i) {
    if (i < s.size() && s[i] == '\r') ++i;
    if (i < s.size() && s[i] == '\n') ++i;
    return i;
}

std::size_t LineEndFrom(std::string_view s, std::size_t i) {
    while (i < s.size() && !IsLineEnd(s[i])) ++i;
    return i;
}

// Pairs brackets as tokens arrive; an unpaired closer is left unmatched.
class BracketPairer {
public:
    explicit BracketPairer(std::vector<Token>& tokens) : m_tokens(tokens) {}
    // False when nesting goes past the limit.
    bool add() {
        const std::size_t i = m_tokens.size() - 1;
        const std::string_view t = m_tokens[i].text;
        if (m_tokens[i].kind != TokenKind::Punct || t.size() != 1) return true;
        const char c = t[0];
        if (c == '(' || c == '[' || c == '{') {
            m_open.push_back(i);
            return m_open.size() <= static_cast<std::size_t>(kMaxNesting);
        }
        if (c == ')' || c == ']' || c == '}') {
            const char want = c == ')' ? '(' : c == ']' ? '[' : '{';
            if (!m_open.empty() && m_tokens[m_open.back()].text[0] == want) {
                m_tokens[i].match = m_open.back();
                m_tokens[m_open.back()].match = i;
                m_open.pop_back();
            }
        }
        return true;
    }
    std::size_t depth() const { return m_open.size(); }

private:
    std::vector<Token>& m_tokens;
    std::vector<std::size_t> m_open;
};

}  // namespace

TokenList LexVbStatement(std::string_view s) {
    TokenList out;
    auto& tokens = out.tokens;
    BracketPairer pairer(tokens);
    bool space = false;
    std::size_t i = 0;
    const std::size_t n = s.size();
    auto push = [&](TokenKind kind, std::size_t begin, std::size_t end) {
        tokens.push_back({kind, s.substr(begin, end - begin), space});
        space = false;
        if (!pairer.add()) out.error = "brackets nested too deeply";
    };
    while (i < n && out.error.empty()) {
        const unsigned char c = s[i];
        if (IsBlank(c)) {
            ++i;
            space = true;
        } else if (IsLineEnd(c)) {
            if (!tokens.empty()) break;
            i = SkipLineEnd(s, i);
            space = true;
        } else if (c == '_' && (i == 0 || IsBlank(s[i - 1]) || IsLineEnd(s[i - 1])) && [&] {
                       std::size_t j = i + 1;
                       while (j < n && IsBlank(s[j])) ++j;
                       return j == n || IsLineEnd(s[j]);
                   }()) {
            // A continuation: the statement goes on after the line break.
            i = SkipLineEnd(s, LineEndFrom(s, i));
            space = true;
        } else if (c == '\'' || (tokens.empty() && EqualsNoCase(s.substr(i, 3), "rem") &&
                                 (i + 3 == n || IsBlank(s[i + 3]) || IsLineEnd(s[i + 3])))) {
            // A comment whose line ends in " _" goes on as comment on the next line.
            for (;;) {
                std::size_t end = LineEndFrom(s, i), j = end;
                while (j > i && IsBlank(s[j - 1])) --j;
                const bool continued = j > i + 1 && s[j - 1] == '_' && IsBlank(s[j - 2]);
                i = end;
                if (!continued || i == n) break;
                i = SkipLineEnd(s, i);
            }
            space = true;
        } else if (c == ':') {
            if (!tokens.empty()) break;
            ++i;
        } else if (IsIdentStart(c) && c != '_') {
            std::size_t j = i + 1;
            while (j < n && IsIdentChar(s[j])) ++j;
            push(TokenKind::Word, i, j);
            static constexpr std::string_view kTypeChars = "%&!#@$^";
            if (j < n && kTypeChars.find(s[j]) != std::string_view::npos &&
                !(j + 1 < n && IsIdentChar(s[j + 1]))) {
                tokens.back().typeChar = s[j];
                ++j;
            }
            i = j;
        } else if (c == '[') {
            // A bracketed name such as [Name With Blanks] stays one word.
            std::size_t j = i + 1;
            while (j < n && s[j] != ']' && !IsLineEnd(s[j])) ++j;
            if (j < n && s[j] == ']') {
                push(TokenKind::Word, i + 1, j);
                i = j + 1;
            } else {
                push(TokenKind::Punct, i, i + 1);
                ++i;
            }
        } else if (c == '"') {
            std::size_t j = i + 1;
            for (;; ++j) {
                if (j >= n || IsLineEnd(s[j])) {
                    out.error = "unterminated string";
                    return out;
                }
                if (s[j] == '"') {
                    if (j + 1 < n && s[j + 1] == '"') {
                        ++j;
                        continue;
                    }
                    break;
                }
            }
            push(TokenKind::Literal, i, j + 1);
            i = j + 1;
        } else if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(s[i + 1])) ||
                   (c == '&' && i + 1 < n && ((s[i + 1] | 0x20) == 'h' || (s[i + 1] | 0x20) == 'o'))) {
            std::size_t j = c == '&' ? i + 2 : i + 1;
            while (j < n && (IsIdentChar(s[j]) || s[j] == '.' ||
                             ((s[j] == '+' || s[j] == '-') && (s[j - 1] | 0x20) == 'e')))
                ++j;
            if (j < n && std::string_view("%&!#@$^").find(s[j]) != std::string_view::npos) ++j;
            push(TokenKind::Number, i, j);
            i = j;
        } else if (c == '#' && [&] {
                       const std::size_t close = s.find('#', i + 1);
                       return close != std::string_view::npos && close < LineEndFrom(s, i);
                   }()) {
            const std::size_t close = s.find('#', i + 1);  // a date literal
            push(TokenKind::Number, i, close + 1);
            i = close + 1;
        } else {
            push(TokenKind::Punct, i, i + 1);
            ++i;
        }
    }
    for (const Token& t : tokens)
        if (out.error.empty() && t.kind == TokenKind::Punct && (t.text == "(" || t.text == ")") &&
            t.match == kNoMatch)
            out.error = "unbalanced parentheses";
    return out;
}

TokenList LexCpp(std::string_view s) {
    TokenList out;
    auto& tokens = out.tokens;
    BracketPairer pairer(tokens);
    // Open template angles with the bracket depth they were opened at.
    std::vector<std::pair<std::size_t, std::size_t>> angles;
    bool space = false;
    std::size_t i = 0;
    const std::size_t n = s.size();
    auto push = [&](TokenKind kind, std::size_t begin, std::size_t end) {
        tokens.push_back({kind, s.substr(begin, end - begin), space});
        space = false;
        if (!pairer.add()) out.error = "brackets nested too deeply";
        while (!angles.empty() && angles.back().second > pairer.depth()) angles.pop_back();
    };
    auto fail = [&](const char* why) {
        out.error = why;
        return out;
    };
    // Past a quoted literal starting at the quote q; npos when it is not closed on its line.
    auto quoted = [&](std::size_t q) -> std::size_t {
        for (std::size_t j = q + 1; j < n && !IsLineEnd(s[j]); ++j) {
            if (s[j] == '\\') {
                ++j;
                if (j < n && s[j] == '\r' && j + 1 < n && s[j + 1] == '\n') ++j;
            } else if (s[j] == s[q]) {
                return j + 1;
            }
        }
        return std::string_view::npos;
    };
    while (i < n && out.error.empty()) {
        const unsigned char c = s[i];
        if (IsBlank(c) || IsLineEnd(c)) {
            ++i;
            space = true;
        } else if (c == '\\' && i + 1 < n && IsLineEnd(s[i + 1])) {
            i = SkipLineEnd(s, i + 1);
            space = true;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '/') {
            i = LineEndFrom(s, i);
            while (i < n && s[i - 1] == '\\') i = LineEndFrom(s, SkipLineEnd(s, i));  // a spliced comment
            space = true;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            const std::size_t end = s.find("*/", i + 2);
            if (end == std::string_view::npos) return fail("unterminated comment");
            i = end + 2;
            space = true;
        } else if (IsIdentStart(c) || IsDigit(c) || c == '"' || c == '\'' ||
                   (c == '.' && i + 1 < n && IsDigit(s[i + 1]))) {
            std::size_t j = i;
            TokenKind kind = TokenKind::Word;
            if (IsDigit(c) || c == '.') {
                kind = TokenKind::Number;
                for (++j; j < n; ++j) {
                    if (IsIdentChar(s[j]) || s[j] == '.') continue;
                    if ((s[j] == '+' || s[j] == '-') &&
                        ((s[j - 1] | 0x20) == 'e' || (s[j - 1] | 0x20) == 'p'))
                        continue;
                    if (s[j] == '\'' && j + 1 < n && IsIdentChar(s[j + 1])) continue;  // 1'000
                    break;
                }
            } else {
                while (j < n && IsIdentChar(s[j])) ++j;
            }
            const std::string_view prefix = s.substr(i, j - i);
            static constexpr std::array<std::string_view, 5> kPrefixes{"", "u8", "u", "U", "L"};
            bool isPrefix = false;
            bool raw = false;
            for (std::string_view p : kPrefixes) {
                if (prefix == p) isPrefix = true;
                if (!prefix.empty() && prefix.back() == 'R' && prefix.substr(0, prefix.size() - 1) == p)
                    isPrefix = raw = true;
            }
            if (kind == TokenKind::Word && isPrefix && j < n && (s[j] == '"' || (s[j] == '\'' && !raw))) {
                kind = TokenKind::Literal;
                if (raw) {
                    const std::size_t open = s.find('(', j + 1);
                    if (open == std::string_view::npos || open - j > 17)
                        return fail("bad raw string literal");
                    std::string close(1, ')');
                    close.append(s.substr(j + 1, open - j - 1));
                    close += '"';
                    const std::size_t end = s.find(close, open + 1);
                    if (end == std::string_view::npos) return fail("unterminated raw string literal");
                    j = end + close.size();
                } else {
                    j = quoted(j);
                    if (j == std::string_view::npos)
                        return fail(s[i + prefix.size()] == '"' ? "unterminated string literal"
                                                                : "unterminated character literal");
                }
                while (j < n && IsIdentChar(s[j])) ++j;  // a user-defined literal's suffix
            }
            push(kind, i, j);
            i = j;
        } else {
            // Longest operator first; '>' stays single so that '>>' can close two templates.
            static constexpr std::array<std::string_view, 24> kOps{
                "->*", "<<=", "<=>", "...", "::", "->", "++", "--", "<<", "<=", "==", "!=",
                "&&",  "||",  "+=",  "-=",  "*=", "/=", "%=", "^=", "&=", "|=", ".*", "##"};
            std::size_t len = 1;
            for (std::string_view op : kOps) {
                if (op[0] == c && s.substr(i, op.size()) == op) {
                    len = op.size();
                    break;
                }
            }
            push(TokenKind::Punct, i, i + len);
            i += len;
            const std::string_view t = tokens.back().text;
            const std::size_t k = tokens.size() - 1;
            const Token* prev = k > 0 ? &tokens[k - 1] : nullptr;
            const bool afterOperator = prev && prev->text == "operator";
            if (t == "<" && prev && prev->kind == TokenKind::Word && !afterOperator) {
                angles.emplace_back(k, pairer.depth());
            } else if (t == ">" && !afterOperator &&
                       !(prev && prev->text == ">" && !tokens[k].spaceBefore && k > 1 &&
                         tokens[k - 2].text == "operator")) {
                if (!angles.empty() && angles.back().second == pairer.depth()) {
                    tokens[k].match = angles.back().first;
                    tokens[angles.back().first].match = k;
                    angles.pop_back();
                }
            } else if (t == ";" || t == "{" || t == "}") {
                while (!angles.empty() && angles.back().second >= pairer.depth()) angles.pop_back();
            }
        }
    }
    return out;
}

}  // namespace qm
