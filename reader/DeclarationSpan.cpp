// SPDX-License-Identifier: MIT
#include "reader/DeclarationSpan.h"

#include <algorithm>
#include <vector>

#include "platform/Text.h"
#include "reader/CommentBlockReader.h"
#include "reader/CppSyntax.h"
#include "reader/Declaration.h"

namespace qm {
namespace {

struct Line {
    std::size_t begin, end;  // the content, without its line end
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    for (std::size_t begin = 0; begin <= text.size();) {
        std::size_t nl = text.find('\n', begin);
        if (nl == std::string_view::npos) nl = text.size();
        const std::size_t end = nl > begin && text[nl - 1] == '\r' ? nl - 1 : nl;
        lines.push_back({begin, end});
        begin = nl + 1;
    }
    // A final line end starts no line of its own.
    if (lines.size() > 1 && lines.back().begin == text.size()) lines.pop_back();
    return lines;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// A Visual Basic line ending in " _" goes on on the next line.
bool Continues(std::string_view content) {
    content = TrimTrailingBlanks(content);
    return content.size() >= 2 && content.back() == '_' && IsBlank(content[content.size() - 2]);
}

// The words before a ':' end with a class's access label: "public:", "private slots:",
// "signals:", with a macro such as Q_OBJECT maybe before it.
bool IsAccessLabel(std::string_view before, std::string_view last) {
    const auto access = [](std::string_view w) {
        return w == "public" || w == "private" || w == "protected";
    };
    if (last == "slots" || last == "Q_SLOTS") return access(before);
    return access(last) || last == "signals" || last == "Q_SIGNALS";
}

// Finds the C++ statement that covers one line, scanning the text once from its start.
class CppStatementFinder {
public:
    CppStatementFinder(std::string_view text, std::size_t line) : m_text(text), m_line(line) {}

    // The statement's lines, or false when the line lies between statements.
    bool find(std::size_t& first, std::size_t& last) {
        while (m_at < m_text.size() && !m_found && !m_passed) step();
        if (!m_found && !m_passed) close();
        first = m_first;
        last = m_last;
        return m_found;
    }

private:
    char next() const { return m_at + 1 < m_text.size() ? m_text[m_at + 1] : '\0'; }
    // Moves to position to, counting the line breaks passed.
    void advanceTo(std::size_t to) {
        to = std::min(to, m_text.size());
        for (; m_at < to; ++m_at)
            if (m_text[m_at] == '\n') ++m_lineNo;
    }
    void mark() {
        if (!m_open) {
            m_open = true;
            m_first = m_lineNo;
            m_lastWords[0] = m_lastWords[1] = {};
            m_onlyWords = true;
            m_depth = 0;
            m_tokens = 0;
            if (m_first > m_line) m_passed = true;  // no later statement can cover the line
        }
        m_last = m_lineNo;
    }
    void close() {
        if (m_open && m_first <= m_line && m_line <= m_last) m_found = true;
        m_open = false;
    }

    void step() {
        const char c = m_text[m_at];
        if (c == '\n') {
            // A lone macro line (Q_OBJECT, Q_DISABLE_COPY(A)) is a statement of its own.
            if (m_open && m_first == m_lineNo && m_depth == 0 && (m_macro == 1 || m_macro == 3)) close();
            m_lineStart = true;
            advanceTo(m_at + 1);
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++m_at;
        } else if (c == '#' && m_lineStart) {
            directive();
        } else if (c == '/' && next() == '/') {
            m_lineStart = false;
            const std::size_t nl = m_text.find('\n', m_at);
            m_at = nl == std::string_view::npos ? m_text.size() : nl;
        } else if (c == '/' && next() == '*') {
            m_lineStart = false;
            const std::size_t end = m_text.find("*/", m_at + 2);
            advanceTo(end == std::string_view::npos ? m_text.size() : end + 2);
        } else {
            m_lineStart = false;
            token(c);
        }
    }

    // A preprocessor line, with its backslash continuations, stands between statements.
    void directive() {
        close();
        if (m_found) return;
        std::size_t at = m_at;
        for (;;) {
            const std::size_t nl = m_text.find('\n', at);
            if (nl == std::string_view::npos) {
                at = m_text.size();
                break;
            }
            std::size_t end = nl;
            if (end > at && m_text[end - 1] == '\r') --end;
            if (end == at || m_text[end - 1] != '\\') {
                at = nl;
                break;
            }
            at = nl + 1;
        }
        advanceTo(at);
    }

    void token(char c) {
        if (m_depth == 0 && (c == '{' || c == '}')) {  // a body, a block or an initializer
            close();
            ++m_at;
            return;
        }
        mark();
        ++m_tokens;
        if (m_macro != 2 && !IsWordChar(c) && c != '(') m_macro = 0;
        if (c == '"' || c == '\'') {
            m_onlyWords = false;
            literal(c);
        } else if (c >= '0' && c <= '9') {
            m_onlyWords = false;
            number();
        } else if (IsWordChar(c)) {
            word();
        } else {
            punctuation(c);
        }
    }

    void punctuation(char c) {
        if (c == ':' && next() == ':') {
            m_onlyWords = false;
            m_at += 2;
            return;
        }
        ++m_at;
        if (c == '(' || c == '[') {
            if (m_macro == 1 && c == '(') m_macro = 2;
            else if (m_macro != 2) m_macro = 0;
            ++m_depth;
        } else if ((c == ')' || c == ']') && m_depth > 0) {
            if (--m_depth == 0 && m_macro == 2) m_macro = 3;
        } else if (m_depth == 0 &&
                   (c == ';' || (c == ':' && m_onlyWords && IsAccessLabel(m_lastWords[0], m_lastWords[1])))) {
            close();
        }
        if (c != ':') m_onlyWords = false;
    }

    void word() {
        const std::size_t begin = m_at;
        while (m_at < m_text.size() && IsWordChar(m_text[m_at])) ++m_at;
        const std::string_view w = m_text.substr(begin, m_at - begin);
        if (m_at < m_text.size() && m_text[m_at] == '"' &&
            (w == "R" || w == "u8R" || w == "uR" || w == "UR" || w == "LR")) {
            m_onlyWords = false;
            rawString();
            return;
        }
        m_lastWords[0] = m_lastWords[1];
        m_lastWords[1] = w;
        if (m_macro != 2) m_macro = m_tokens == 1 && IsCapsWord(w) ? 1 : 0;
    }

    // A number, digit separators included: 1'000.
    void number() {
        if (m_macro != 2) m_macro = 0;
        while (m_at < m_text.size() &&
               (IsWordChar(m_text[m_at]) || m_text[m_at] == '.' || m_text[m_at] == '\''))
            ++m_at;
    }

    // A string or character literal; an unterminated one ends with its line.
    void literal(char quote) {
        for (++m_at; m_at < m_text.size(); ++m_at) {
            const char c = m_text[m_at];
            if (c == '\n') return;
            if (c == '\\') {
                if (m_at + 1 < m_text.size() && m_text[m_at + 1] != '\n') ++m_at;
            } else if (c == quote) {
                ++m_at;
                return;
            }
        }
    }

    // R"delimiter( ... )delimiter", which may run over lines.
    void rawString() {
        const std::size_t open = m_text.find('(', m_at + 1);
        if (open == std::string_view::npos || open - m_at > 17) {
            literal('"');
            return;
        }
        std::string closing(1, ')');
        closing.append(m_text.substr(m_at + 1, open - m_at - 1));
        closing += '"';
        const std::size_t end = m_text.find(closing, open + 1);
        advanceTo(end == std::string_view::npos ? m_text.size() : end + closing.size());
    }

    std::string_view m_text;
    std::size_t m_line;
    std::size_t m_at = 0, m_lineNo = 0;
    bool m_lineStart = true;
    bool m_open = false, m_found = false, m_passed = false;
    std::size_t m_first = 0, m_last = 0;
    int m_depth = 0;
    bool m_onlyWords = true;   // the statement so far is words only, as an access label is
    std::size_t m_tokens = 0;  // in the statement so far
    // The statement so far is one word in capitals (1), then in its parentheses (2), after
    // them (3); 0 anything else.
    int m_macro = 0;
    std::string_view m_lastWords[2];
};

class BlockFinder {
public:
    BlockFinder(std::string_view text, const std::vector<Line>& lines, DevelopmentLanguage language)
        : m_text(text), m_lines(lines), m_language(language), m_prefix(RemarkPrefix(language)) {}

    // The opening rule of our block standing above line first.
    std::optional<std::size_t> above(std::size_t first) const {
        std::size_t i = first;
        while (i > 0 && isSkippable(i - 1)) --i;
        // The block ends in up to three remark-only lines after its closing rule.
        for (int n = 0; n < 3 && i > 0 && isPrefixOnly(i - 1); ++n) --i;
        if (i == 0 || !isRule(i - 1)) return std::nullopt;
        for (std::size_t open = i - 1; open-- > 0;) {
            if (isRule(open)) return isHeading(open + 1) ? std::optional<std::size_t>(open) : std::nullopt;
        }
        return std::nullopt;
    }

private:
    std::string_view content(std::size_t i) const {
        return m_text.substr(m_lines[i].begin, m_lines[i].end - m_lines[i].begin);
    }
    // The line behind its remark prefix, or false when it has none.
    bool behindPrefix(std::size_t i, std::string_view& rest) const {
        rest = TrimBlanks(content(i));
        if (m_prefix.empty() || !rest.starts_with(m_prefix)) return false;
        rest.remove_prefix(m_prefix.size());
        return true;
    }
    bool isRule(std::size_t i) const {
        std::string_view rest;
        return behindPrefix(i, rest) && rest.size() == kRuleLength &&
               rest.find_first_not_of('=') == std::string_view::npos;
    }
    bool isPrefixOnly(std::size_t i) const {
        std::string_view rest;
        return behindPrefix(i, rest) && TrimBlanks(rest).empty();
    }
    // "Friend Function Name" and the like, read as check reads it: a free-text block is not
    // ours to update.
    bool isHeading(std::size_t i) const {
        std::string_view rest;
        ProcedureDescription heading;
        return behindPrefix(i, rest) && ReadBlockHeading(TrimBlanks(rest), heading);
    }
    bool isSkippable(std::size_t i) const {
        const std::string_view c = TrimBlanks(content(i));
        if (c.empty()) return true;
        constexpr std::string_view kAttribute = "Attribute";
        return m_language == kVisualBasic && c.size() > kAttribute.size() &&
               EqualsNoCase(c.substr(0, kAttribute.size()), kAttribute) && IsBlank(c[kAttribute.size()]);
    }

    std::string_view m_text;
    const std::vector<Line>& m_lines;
    DevelopmentLanguage m_language;
    std::string_view m_prefix;
};

}  // namespace

DeclarationSpan LocateDeclaration(std::string_view text, std::size_t line, DevelopmentLanguage language,
                                  std::size_t through) {
    DeclarationSpan span{line, line, {}, {}, line};
    if (language != kVisualBasic && language != kVisualCpp) {
        span.error = "unknown language " + std::to_string(language);
        return span;
    }
    const std::vector<Line> lines = SplitLines(text);
    if (line >= lines.size()) {
        span.error = "the text has only " + std::to_string(lines.size()) + " lines";
        return span;
    }
    if (language == kVisualBasic) {
        const auto content = [&](std::size_t i) {
            return text.substr(lines[i].begin, lines[i].end - lines[i].begin);
        };
        while (span.first > 0 && Continues(content(span.first - 1))) --span.first;
        while (span.last + 1 < lines.size() && Continues(content(span.last))) ++span.last;
    } else if (!CppStatementFinder(text, line).find(span.first, span.last)) {
        span.first = span.last = line;
        span.error = "a blank, comment or preprocessor line";
        return span;
    }
    const auto linesText = [&](std::size_t first, std::size_t last) {
        return text.substr(lines[first].begin, lines[last].end - lines[first].begin);
    };
    const DeclarationResult read = ReadDeclaration(linesText(span.first, span.last), language);
    if (!read) {
        span.error = read.error;
        return span;
    }
    const BlockFinder blocks(text, lines, language);
    span.headerFor = span.first;
    span.headerOpen = blocks.above(span.first);
    if (through <= span.last || span.headerOpen) return span;
    // A selection reaching further gets a block above each declaration in it: none may have one.
    span.last = std::min(through, lines.size() - 1);
    const std::string_view selected = linesText(span.first, span.last);
    std::size_t at = 0, lineOf = span.first;
    for (const FoundDeclaration& found : ReadDeclarations(selected, language).found) {
        for (; at < found.lineStart; ++at)
            if (selected[at] == '\n') ++lineOf;
        if (lineOf == span.first) continue;
        span.headerOpen = blocks.above(lineOf);
        if (span.headerOpen) {
            span.headerFor = lineOf;
            break;
        }
    }
    return span;
}

}  // namespace qm
