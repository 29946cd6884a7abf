// SPDX-License-Identifier: MIT
#include <array>

#include "reader/DeclarationLexer.h"

namespace qm {
namespace {

DeclarationResult Failure(std::string why) { return {std::nullopt, std::move(why)}; }

std::string_view TypeOfChar(char c) {
    switch (c) {
    case '%': return "Integer";
    case '&': return "Long";
    case '!': return "Single";
    case '#': return "Double";
    case '@': return "Currency";
    case '$': return "String";
    case '^': return "LongLong";
    default: return {};
    }
}

class VbReader {
public:
    explicit VbReader(const std::vector<Token>& tokens) : m_t(tokens) {}

    DeclarationResult read() {
        if (m_t.empty()) return Failure("no declaration");
        ProcedureDescription d;
        if (word("Public")) {
            ++m_i;
        } else if (word("Friend")) {
            d.access = AccessLevel::Friend;
            ++m_i;
        } else if (word("Private")) {
            d.access = AccessLevel::Private;
            ++m_i;
        }
        if (word("Static")) ++m_i;
        const bool declare = word("Declare");
        if (declare) {
            ++m_i;
            if (word("PtrSafe")) ++m_i;
        }
        bool returnsValue = true;
        if (word("Sub")) {
            d.kind = ProcedureKind::Sub;
            returnsValue = false;
        } else if (word("Function")) {
            d.kind = ProcedureKind::Function;
        } else if (word("Property") && !declare) {
            d.kind = ProcedureKind::Property;
            ++m_i;
            if (word("Let") || word("Set")) {
                returnsValue = false;
            } else if (!word("Get")) {
                return Failure("Property must be followed by Get, Let or Set");
            }
        } else {
            return Failure(notAProcedure());
        }
        ++m_i;
        if (!at(TokenKind::Word)) return Failure("the procedure has no name");
        const Token& name = m_t[m_i++];
        d.name = std::string(name.text);
        if (declare) {
            if (word("CDecl")) ++m_i;  // the C calling convention, for the library's sake only
            if (!word("Lib")) return Failure("a Declare without Lib \"library\"");
            ++m_i;
            if (!at(TokenKind::Literal)) return Failure("a Declare without Lib \"library\"");
            ++m_i;
            if (word("Alias")) {
                ++m_i;
                if (!at(TokenKind::Literal)) return Failure("Alias must be followed by a string");
                ++m_i;
            }
        }
        if (punct("(")) {
            const std::size_t close = m_t[m_i].match;
            ++m_i;
            while (m_i < close) {
                std::string error = readParameter(d.parameters);
                if (!error.empty()) return Failure(error);
                if (m_i < close) {
                    if (!punct(","))
                        return Failure("unexpected '" + std::string(m_t[m_i].text) +
                                       "' in the parameter list");
                    if (++m_i == close) return Failure("a parameter is missing after ','");
                }
            }
            m_i = close + 1;
        }
        std::string type;
        if (word("As")) {
            if (!returnsValue)
                return Failure(d.kind == ProcedureKind::Sub ? "a Sub has no return type"
                                                            : "Property Let and Set have no return type");
            if (name.typeChar) return Failure("both a type character and an As clause");
            ++m_i;
            type = readType();
            if (type.empty()) return Failure("As without a type");
        } else if (returnsValue) {
            type = name.typeChar ? std::string(TypeOfChar(name.typeChar)) : "Variant";
        }
        d.returns = type;
        if (m_i < m_t.size())
            return Failure("unexpected '" + std::string(m_t[m_i].text) + "' after the declaration");
        return {std::move(d), {}};
    }

private:
    bool at(TokenKind kind) const { return m_i < m_t.size() && m_t[m_i].kind == kind; }
    bool word(std::string_view w) const { return at(TokenKind::Word) && EqualsNoCase(m_t[m_i].text, w); }
    bool punct(std::string_view p) const { return at(TokenKind::Punct) && m_t[m_i].text == p; }

    std::string notAProcedure() const {
        if (m_i >= m_t.size()) return "no Sub, Function or Property after the keywords";
        static constexpr std::array<std::string_view, 5> kVariables{"Dim", "Const", "ReDim", "Global",
                                                                    "WithEvents"};
        for (std::string_view w : kVariables)
            if (word(w)) return "a variable, not a procedure";
        if (word("Type") || word("Enum")) return "a type definition, not a procedure";
        if (word("Event")) return "an event, not a procedure";
        if (word("End")) return "the end of a block, not a declaration";
        if (m_i > 0 && at(TokenKind::Word)) return "a variable, not a procedure";
        return std::string(kNotAVbProcedure);
    }

    // A type name as written: Long, Excel.Range, Byte().
    std::string readType() {
        std::string type;
        if (word("New")) return {};
        while (at(TokenKind::Word)) {
            type += m_t[m_i++].text;
            if (!punct(".")) break;
            type += '.';
            ++m_i;
        }
        if (!type.empty() && punct("(") && m_t[m_i].match == m_i + 1) {
            type += "()";
            m_i += 2;
        }
        return type;
    }

    std::string readParameter(std::vector<ParameterEntry>& out) {
        bool optional = false, paramArray = false, byWay = false;
        for (;; ++m_i) {
            if (word("Optional") && !optional) {
                optional = true;
            } else if ((word("ByVal") || word("ByRef")) && !byWay) {
                byWay = true;
            } else if (word("ParamArray") && !paramArray) {
                paramArray = true;
            } else {
                break;
            }
        }
        if (!at(TokenKind::Word)) return "a parameter without a name";
        const Token& name = m_t[m_i++];
        bool array = false;
        if (punct("(") && m_t[m_i].match == m_i + 1) {
            array = true;
            m_i += 2;
        }
        if (paramArray && !array) return "ParamArray " + std::string(name.text) + " must be an array";
        std::string type;
        if (word("As")) {
            if (name.typeChar) return "both a type character and an As clause";
            ++m_i;
            type = readType();
            if (type.empty()) return "As without a type";
        } else {
            type = name.typeChar ? std::string(TypeOfChar(name.typeChar)) : "Variant";
        }
        if (paramArray) {
            type = "Variant()";
        } else if (array) {
            type += "()";
        }
        if (punct("=")) {
            if (!optional) return "a default value without Optional";
            for (++m_i; m_i < m_t.size() && !punct(",") && !punct(")"); ++m_i)
                if (punct("(")) m_i = m_t[m_i].match;
        }
        out.push_back({std::string(name.text), optional ? "Yes" : "No", std::move(type), {}});
        return {};
    }

    const std::vector<Token>& m_t;
    std::size_t m_i = 0;
};

}  // namespace

DeclarationResult ReadVbDeclaration(std::string_view text) {
    const TokenList lexed = LexVbStatement(text);
    if (!lexed.error.empty()) return Failure(lexed.error);
    return VbReader(lexed.tokens).read();
}

}  // namespace qm
