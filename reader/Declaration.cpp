// SPDX-License-Identifier: MIT
#include "reader/Declaration.h"

#include <initializer_list>

#include "reader/CppSyntax.h"
#include "reader/DeclarationLexer.h"

namespace qm {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kNoDeclaration = "no declaration";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Visual Basic opens its text: a remark, or the words that open a procedure there and never
// in C++ ([Public|Private|Friend] [Static] [Declare] Sub|Function|Property, letter case
// ignored), continuations allowed between them.
bool OpensLikeVb(std::string_view text) {
    std::size_t i = 0;
    const auto word = [&] {
        while (i < text.size() &&
               (IsSpace(text[i]) || (text[i] == '_' && i + 1 < text.size() && IsSpace(text[i + 1]))))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && ((text[i] | 0x20) >= 'a' && (text[i] | 0x20) <= 'z')) ++i;
        return text.substr(start, i - start);
    };
    const auto oneOf = [](std::string_view w, std::initializer_list<std::string_view> list) {
        for (std::string_view item : list)
            if (EqualsNoCase(w, item)) return true;
        return false;
    };
    std::string_view w = word();
    if (w.empty()) return i < text.size() && text[i] == '\'';
    if (oneOf(w, {"Public", "Private", "Friend"})) w = word();
    if (oneOf(w, {"Static"})) w = word();
    if (oneOf(w, {"Declare"})) return true;
    return oneOf(w, {"Sub", "Function", "Property"});
}

DeclarationList ReadVbDeclarations(std::string_view text, std::size_t begin) {
    DeclarationList list;
    while (begin < text.size()) {
        // The statement: a line and the lines its " _" continues onto.
        std::size_t end = begin;
        for (;;) {
            const std::size_t lf = text.find('\n', end);
            std::string_view line = text.substr(end, lf == std::string_view::npos ? lf : lf - end);
            end = lf == std::string_view::npos ? text.size() : lf + 1;
            while (!line.empty() && IsSpace(line.back())) line.remove_suffix(1);
            const bool continued = line == "_" || (line.ends_with("_") && IsSpace(line[line.size() - 2]));
            if (!continued || end == text.size()) break;
        }
        const std::string_view statement = text.substr(begin, end - begin);
        if (statement.find_first_not_of(" \t\r\n") != std::string_view::npos) {
            DeclarationResult read = ReadDeclaration(statement, kVisualBasic);
            if (read) list.found.push_back({begin, std::move(*read.description)});
            else if (list.error.empty() && read.error != kNoDeclaration) list.error = std::move(read.error);
        }
        begin = end;
    }
    return list;
}

class CppStatements {
public:
    CppStatements(std::string_view text, std::size_t begin, const std::vector<Token>& tokens)
        : m_text(text), m_t(tokens), m_scanned(begin), m_line(begin) {}

    DeclarationList read() {
        std::vector<std::optional<AccessLevel>> outer;  // the access of each block read into
        for (std::size_t k = 0; k < m_t.size();) {
            if (is(k, "#")) {
                k = pastLine(k);
            } else if (const std::size_t label = accessLabel(k); label != k) {
                k = label;
            } else if (is(k, "}")) {
                if (!outer.empty()) {
                    m_access = outer.back();
                    outer.pop_back();
                }
                ++k;
            } else {
                const std::size_t end = statementEnd(k);
                const std::size_t close = end - 1;
                const bool body = is(close, "{");
                const std::size_t from = offset(k);
                DeclarationResult read = ReadDeclaration(
                    m_text.substr(from, offset(close) + m_t[close].text.size() - from), kVisualCpp);
                if (read) {
                    if (m_access) read.description->access = *m_access;
                    const std::size_t line = lineStart(from);
                    if (m_list.found.empty() || m_list.found.back().lineStart != line)
                        m_list.found.push_back({line, std::move(*read.description)});
                    k = body ? (m_t[close].match == kNoMatch ? m_t.size() : m_t[close].match + 1) : end;
                    continue;
                }
                if (m_list.error.empty() && read.error != kNoDeclaration)
                    m_list.error = std::move(read.error);
                if (body) {  // a class, namespace or extern "C" block: its declarations are read
                    outer.push_back(m_access);
                    m_access.reset();
                }
                k = end;
            }
        }
        return std::move(m_list);
    }

private:
    bool is(std::size_t k, std::string_view text) const {
        return k < m_t.size() && m_t[k].kind != TokenKind::Literal && m_t[k].text == text;
    }
    std::size_t offset(std::size_t k) const {
        return static_cast<std::size_t>(m_t[k].text.data() - m_text.data());
    }

    // Where the line holding offset at starts; the offsets asked for only grow.
    std::size_t lineStart(std::size_t at) {
        for (; m_scanned < at; ++m_scanned)
            if (m_text[m_scanned] == '\n') m_line = m_scanned + 1;
        return m_line;
    }

    // The first token past the preprocessor line that token k opens, spliced lines included.
    std::size_t pastLine(std::size_t k) const {
        std::size_t end = offset(k);
        for (;;) {
            end = m_text.find('\n', end);
            if (end == std::string_view::npos) return m_t.size();
            std::size_t last = end;
            if (last > 0 && m_text[last - 1] == '\r') --last;
            if (last == 0 || m_text[last - 1] != '\\') break;
            ++end;
        }
        while (k < m_t.size() && offset(k) < end) ++k;
        return k;
    }

    // The access "public:", "private slots:", "signals:" and the like at k give.
    std::optional<AccessLevel> labelAccess(std::size_t k) const {
        std::optional<AccessLevel> access;
        if (is(k, "public") || is(k, "signals") || is(k, "Q_SIGNALS")) access = AccessLevel::Public;
        else if (is(k, "protected")) access = AccessLevel::Protected;
        else if (is(k, "private")) access = AccessLevel::Private;
        return access && is(labelColon(k), ":") ? access : std::nullopt;
    }
    std::size_t labelColon(std::size_t k) const {
        return is(k + 1, "slots") || is(k + 1, "Q_SLOTS") ? k + 2 : k + 1;
    }
    bool isLabel(std::size_t k) const { return labelAccess(k).has_value(); }

    // Past an access label at k, which sets the access; k when there is none.
    std::size_t accessLabel(std::size_t k) {
        const std::optional<AccessLevel> access = labelAccess(k);
        if (!access) return k;
        m_access = access;
        return labelColon(k) + 1;
    }

    // Past the statement at k: its ';' or '{', or up to a '}' that closes an outer block.
    // Member initializers' braces (A() : m_x{1} {) belong to the statement.
    std::size_t statementEnd(std::size_t k) const {
        bool initializers = false;
        for (std::size_t j = k; j < m_t.size(); ++j) {
            const std::size_t match = m_t[j].match;
            if (j > k && isLabel(j)) {
                return j;
            } else if ((is(j, "(") || is(j, "[") || is(j, "<")) && match != kNoMatch && match > j) {
                j = match;
            } else if (is(j, ";")) {
                return j + 1;
            } else if (is(j, "}")) {
                return j > k ? j : j + 1;
            } else if (is(j, "{")) {
                if (!(initializers && j > k && match != kNoMatch &&
                      (m_t[j - 1].kind == TokenKind::Word || is(j - 1, ">"))))
                    return j + 1;
                j = match;
            } else if (is(j, ":") && j > k) {
                // After a parameter list, not a class name: A() noexcept : m_x{1}.
                std::size_t p = j - 1;
                while (p > k && m_t[p].kind == TokenKind::Word &&
                       (IsCapsWord(m_t[p].text) || IsCvWord(m_t[p].text) || is(p, "noexcept")))
                    --p;
                initializers = is(p, ")");
            }
        }
        return m_t.size();
    }

    std::string_view m_text;
    const std::vector<Token>& m_t;
    DeclarationList m_list;
    std::optional<AccessLevel> m_access;
    std::size_t m_scanned, m_line;
};

}  // namespace

DeclarationResult ReadDeclaration(std::string_view text, DevelopmentLanguage language) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    if (language == kVisualBasic) {
        DeclarationResult read = ReadVbDeclaration(text);
        // Nothing of Visual Basic opens the text: it may be C++.
        if (!read && read.error == kNotAVbProcedure && ReadCppDeclaration(text))
            read.error = "this reads as C++; use --language 1";
        return read;
    }
    if (language == kVisualCpp) {
        if (OpensLikeVb(text) && ReadVbDeclaration(text))
            return {std::nullopt, "this reads as Visual Basic; use --language 0"};
        return ReadCppDeclaration(text);
    }
    std::string why = "unknown language ";
    why += std::to_string(language);
    return {std::nullopt, why};
}

DeclarationList ReadDeclarations(std::string_view text, DevelopmentLanguage language) {
    const std::size_t begin = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    if (language != kVisualBasic && language != kVisualCpp)
        return {{}, ReadDeclaration(text, language).error};
    DeclarationList list;
    if (language == kVisualBasic) {
        list = ReadVbDeclarations(text, begin);
    } else {
        const TokenList lexed = LexCpp(text.substr(begin));
        if (!lexed.error.empty()) return {{}, ReadDeclaration(text, language).error};
        list = CppStatements(text, begin, lexed.tokens).read();
    }
    if (list.found.empty() && list.error.empty()) list.error = kNoDeclaration;
    return list;
}

}  // namespace qm
