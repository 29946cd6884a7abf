// SPDX-License-Identifier: MIT
#include <array>
#include <algorithm>

#include "reader/CppSyntax.h"

namespace qm {
namespace {

DeclarationResult Failure(std::string why) { return {std::nullopt, std::move(why)}; }

constexpr std::array<std::string_view, 21> kStatements{
    "return", "if",   "else",          "for",       "while",    "do",  "switch",
    "case",   "goto", "break",         "continue",  "throw",    "try", "catch",
    "delete", "new",  "static_assert", "co_return", "co_yield", "asm", "default"};

class CppReader {
public:
    explicit CppReader(const std::vector<Token>& tokens) : m_s(tokens), m_n(tokens.size()) {}

    DeclarationResult read() {
        ProcedureDescription d;
        std::size_t i = 0;
        if (m_n == 0) return Failure("no declaration");
        if (m_s.is(0, "#"))
            return Failure(m_s.is(1, "define") ? "a macro definition, not a procedure"
                                               : "a preprocessor line, not a procedure");
        if (m_s.is(0, "public") || m_s.is(0, "protected") || m_s.is(0, "private")) {
            // Qt's "private slots:" labels a section the same way.
            const std::size_t colon = m_s.is(1, "slots") || m_s.is(1, "Q_SLOTS") ? 2 : 1;
            if (m_s.is(colon, ":")) {
                d.access = m_s.is(0, "public")    ? AccessLevel::Public
                           : m_s.is(0, "private") ? AccessLevel::Private
                                                  : AccessLevel::Protected;
                i = colon + 1;
            }
        }
        for (;;) {
            i = m_s.skipAttributes(i, m_n);
            if (m_s.is(i, "template")) {
                const std::size_t close = m_s.past(i + 1, m_n);
                if (!m_s.is(i + 1, "<") || close == kNoMatch)
                    return Failure("a template head without its <...>");
                i = close;
            } else if (m_s.is(i, "requires")) {
                i = skipConstraint(i + 1);
            } else {
                break;
            }
        }
        if (i >= m_n) return Failure("no declaration after the template head");
        if (std::string error = notAProcedure(i); !error.empty()) return Failure(error);

        std::vector<SpecifierItem> items;
        const std::size_t stop = m_s.collectItems(i, m_n, items);
        const std::size_t start = m_s.declaratorStart(items, stop, m_n, true);
        TypeText type;
        m_s.writeItems(items, type);
        const std::size_t itemsText = type.str().size();
        DeclaratorInfo info;
        const std::size_t end = m_s.declarator(start, m_n, 0, true, info, type);
        if (!m_s.error().empty()) return Failure(m_s.error());
        if ((m_s.is(end, "(") || m_s.is(end, "[")) && m_s.past(end, m_n) == kNoMatch)
            return Failure("unbalanced parentheses");
        if (!info.hasId) {
            if (!items.empty() && items.back().kind == SpecifierItem::Name &&
                IsCapsWord(m_s.at(items.back().begin).text))
                return Failure("a macro, not a procedure");
            return Failure("not a procedure declaration");
        }
        if (!info.isFunction)
            return Failure(info.functionType ? "a function-pointer variable, not a procedure"
                                             : "a variable, not a procedure");
        if (m_s.past(info.params, m_n) == kNoMatch) return Failure("unbalanced parentheses");

        TypeText trailing;
        bool constructorOnly = false;
        if (std::string error = readTrailing(end, trailing, constructorOnly); !error.empty())
            return Failure(error);
        // Capitals before a constructor or destructor are macros, never its type.
        if (type.str().size() == itemsText && trailing.str().empty() && !info.conversion &&
            onlyCapitals(items) && (constructorOnly || constructorName(info, items)))
            type = TypeText();

        d.name = m_s.spellName(info);
        m_s.readParameters(info.params, 1, d.parameters);
        if (!m_s.error().empty()) return Failure(m_s.error());
        const bool typeWritten = !type.str().empty();
        if (info.conversion) {
            TypeText conversion;
            m_s.writeTokens(info.conversionBegin, info.conversionEnd, conversion);
            d.returns = conversion.str();
        } else if (!trailing.str().empty()) {
            d.returns = trailing.str();
        } else {
            d.returns = type.str();
        }
        if (!typeWritten && !info.conversion) {
            // A constructor or destructor; a capitals name with an underscore or with no named
            // parameter and no specifier is a macro call (Q_PROPERTY(...), DECLARE_HANDLE(x)).
            const bool named = std::any_of(d.parameters.begin(), d.parameters.end(),
                                           [](const ParameterEntry& p) { return !p.Name.empty(); });
            if (items.empty() && IsCapsWord(d.name) &&
                (d.name.find('_') != std::string::npos || (!d.parameters.empty() && !named)))
                return Failure("a macro, not a procedure");
        }
        d.kind = d.returns.empty() || d.returns == "void" ? ProcedureKind::Sub : ProcedureKind::Function;
        if (d.returns == "void") d.returns.clear();
        return {std::move(d), {}};
    }

private:
    std::string notAProcedure(std::size_t i) const {
        if (!m_s.isWord(i)) return {};
        const std::string_view w = m_s.at(i).text;
        if (std::find(kStatements.begin(), kStatements.end(), w) != kStatements.end())
            return "a statement, not a procedure";
        if (w == "typedef" || w == "using") return "a type alias, not a procedure";
        if (w == "namespace") return "a namespace, not a procedure";
        if (w == "class" || w == "struct" || w == "union" || w == "enum") {
            std::size_t j = i + 1;
            if (w == "enum" && (m_s.is(j, "class") || m_s.is(j, "struct"))) ++j;
            j = m_s.skipAttributes(j, m_n);
            j = m_s.nameEnd(j, m_n);
            while (m_s.isWord(j) && (IsCapsWord(m_s.at(j).text) || m_s.at(j).text == "final")) ++j;
            if (j >= m_n || m_s.is(j, "{") || m_s.is(j, ":") || m_s.is(j, ";"))
                return w == "enum" ? "an enum, not a procedure" : "a class head, not a procedure";
        }
        return {};
    }

    // Words before the name that could all be macros: specifiers and single capitals words.
    bool onlyCapitals(const std::vector<SpecifierItem>& items) const {
        bool capitals = false;
        for (const SpecifierItem& item : items) {
            if (item.kind == SpecifierItem::Specifier || item.kind == SpecifierItem::Macro) continue;
            if (item.kind != SpecifierItem::Name || item.end != item.begin + 1 ||
                !IsCapsWord(m_s.at(item.begin).text))
                return false;
            capitals = true;
        }
        return capitals;
    }

    // A name only a constructor or destructor has: A::A, A<T>::A, ~A; or an in-class one told
    // by explicit or by macros that all stand for specifiers (FMT_CONSTEXPR A(int)).
    bool constructorName(const DeclaratorInfo& info, const std::vector<SpecifierItem>& items) const {
        std::string_view last, beforeLast;
        for (std::size_t i = info.idBegin; i < info.idEnd; ++i) {
            if (m_s.is(i, "~")) return true;
            if (m_s.is(i, "<") && m_s.past(i, info.idEnd) != kNoMatch) {
                i = m_s.past(i, info.idEnd) - 1;
            } else if (m_s.isWord(i)) {
                beforeLast = last;
                last = m_s.at(i).text;
            }
        }
        if (!last.empty() && last == beforeLast) return true;
        bool macros = true;
        for (const SpecifierItem& item : items) {
            if (item.kind == SpecifierItem::Specifier && m_s.at(item.begin).text == "explicit") return true;
            if (item.kind == SpecifierItem::Name && !IsSpecifierMacro(m_s.at(item.begin).text))
                macros = false;
        }
        return macros;
    }

    // Past a requires-clause: primaries joined by && and ||.
    std::size_t skipConstraint(std::size_t i) const {
        for (;;) {
            if (m_s.is(i, "(")) {
                const std::size_t next = m_s.past(i, m_n);
                if (next == kNoMatch) return i;
                i = next;
            } else {
                const std::size_t next = m_s.nameEnd(i, m_n);
                if (next == i) return i;
                i = next;
            }
            if (!m_s.is(i, "&&") && !m_s.is(i, "||")) return i;
            ++i;
        }
    }

    // Reads what may follow the parameter list up to a body, ';' or the end; constructorOnly
    // tells of member initializers.
    std::string readTrailing(std::size_t i, TypeText& trailing, bool& constructorOnly) const {
        while ((i = m_s.skipAttributes(i, m_n)) < m_n) {
            const std::string_view w = m_s.at(i).text;
            const bool word = m_s.isWord(i);
            constructorOnly = m_s.is(i, ":");
            if (m_s.is(i, ";") || m_s.is(i, "{") || m_s.is(i, ":") || m_s.is(i, "try") ||
                m_s.is(i, "requires"))
                return {};
            if (m_s.is(i, "=")) {
                if (m_s.is(i + 1, "0") || m_s.is(i + 1, "default") || m_s.is(i + 1, "delete")) return {};
                return "a variable, not a procedure";
            }
            if (m_s.is(i, "->")) {
                if (!trailing.str().empty()) return {};  // only the first arrow is the function's
                // An arrow after a parameter list belongs to the type: auto(*)() -> int(*)().
                std::size_t j = i + 1;
                while (j < m_n && !m_s.is(j, "{") && !m_s.is(j, ";") && !m_s.is(j, "=") &&
                       !(m_s.is(j, "->") && !m_s.is(j - 1, ")")) && !m_s.is(j, "override") &&
                       !m_s.is(j, "final") && !m_s.is(j, "requires")) {
                    const std::size_t next = m_s.past(j, m_n);
                    const std::size_t to =
                        (m_s.is(j, "(") || m_s.is(j, "[") || m_s.is(j, "<")) && next != kNoMatch ? next
                                                                                                 : j + 1;
                    m_s.writeTokens(j, to, trailing);
                    j = to;
                }
                if (trailing.str().empty()) return "-> without a type";
                i = j;
            } else if (word && (IsCvWord(w) || w == "override" || w == "final" || w == "noexcept" ||
                                w == "throw" || IsCapsWord(w))) {
                ++i;
                if (m_s.is(i, "(") && w != "const" && w != "volatile") {
                    const std::size_t next = m_s.past(i, m_n);
                    if (next == kNoMatch) return "unbalanced parentheses";
                    i = next;
                }
            } else if (m_s.is(i, "&") || m_s.is(i, "&&")) {
                ++i;
            } else {
                return "unexpected '" + std::string(w) + "' after the parameter list";
            }
        }
        return {};
    }

    CppSyntax m_s;
    std::size_t m_n;
};

}  // namespace

DeclarationResult ReadCppDeclaration(std::string_view text) {
    const TokenList lexed = LexCpp(text);
    if (!lexed.error.empty()) return Failure(lexed.error);
    return CppReader(lexed.tokens).read();
}

}  // namespace qm
