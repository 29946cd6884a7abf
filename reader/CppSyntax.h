// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "reader/DeclarationLexer.h"

namespace qm {

// Builds a type's text with one spacing whoever wrote it: "const char* const",
// "std::map<int, std::string>", "int(*)(char*)".
class TypeText {
public:
    void add(std::string_view token);
    // Text spelled elsewhere, spaced like a name.
    void addSpelled(std::string_view text);
    const std::string& str() const { return m_text; }

private:
    std::string m_text;
    std::string_view m_last, m_beforeLast;
};

// One piece of the words before a declarator.
struct SpecifierItem {
    enum Kind { Specifier, Cv, Builtin, Name, Macro };
    std::size_t begin, end;
    Kind kind;
};

// What a declarator turned out to be.
struct DeclaratorInfo {
    bool hasId = false;
    std::size_t idBegin = 0, idEnd = 0;
    bool isFunction = false;        // the name is followed by its own parameter list
    std::size_t params = kNoMatch;  // that list's '('
    bool functionType = false;      // a pointer to (or reference to) a function
    bool conversion = false;        // operator T: the type comes from the name
    std::size_t conversionBegin = 0, conversionEnd = 0;
};

// The grammar shared by a function's head and its parameters, over C++ tokens.
class CppSyntax {
public:
    explicit CppSyntax(const std::vector<Token>& tokens);

    // First error met, empty while all is well.
    const std::string& error() const { return m_error; }
    bool is(std::size_t i, std::string_view text) const {
        return i < m_n && m_t[i].kind != TokenKind::Literal && SameText(m_t[i].text, text);
    }
    bool isWord(std::size_t i) const { return i < m_n && m_t[i].kind == TokenKind::Word; }
    std::size_t size() const { return m_n; }
    const Token& at(std::size_t i) const { return m_t[i]; }
    // Past the partner of the bracket at i, or kNoMatch when it has none before end.
    std::size_t past(std::size_t i, std::size_t end) const;

    // Past [[...]], alignas(...), __attribute__((...)) and the like starting at i.
    std::size_t skipAttributes(std::size_t i, std::size_t end) const;
    // Past a (qualified, templated) name at i; i when there is none.
    std::size_t nameEnd(std::size_t i, std::size_t end) const;
    // The words before the declarator, up to the returned index.
    std::size_t collectItems(std::size_t i, std::size_t end, std::vector<SpecifierItem>& items) const;
    // Where the declarator starts: pops the last item when it is the declarator's name, and
    // marks macros standing before the type. The declaration ends at end.
    std::size_t declaratorStart(std::vector<SpecifierItem>& items, std::size_t stop, std::size_t end,
                                bool function) const;
    // Writes the type part of the items.
    void writeItems(const std::vector<SpecifierItem>& items, TypeText& out) const;
    // Parses a declarator in [i, end), writing its abstract part to out; returns where it ended.
    std::size_t declarator(std::size_t i, std::size_t end, int depth, bool function, DeclaratorInfo& d,
                           TypeText& out);
    // The declarator's name as it is shown: "Foo::~Foo", "operator()", "operator int*".
    std::string spellName(const DeclaratorInfo& d) const;
    // Splits the list opened at '(' into parameters; (void) gives none.
    void readParameters(std::size_t open, int depth, std::vector<ParameterEntry>& out);
    void writeTokens(std::size_t begin, std::size_t end, TypeText& out) const;
    void fail(std::string why) {
        if (m_error.empty()) m_error = std::move(why);
    }

private:
    bool nestedDeclarator(std::size_t open) const;
    std::size_t idEnd(std::size_t i, std::size_t end, DeclaratorInfo& d) const;
    std::size_t operatorEnd(std::size_t i, std::size_t end, DeclaratorInfo& d) const;
    void readParameter(std::size_t begin, std::size_t end, int depth, std::vector<ParameterEntry>& out);
    // Where an attribute macro after a parameter's name starts, or stop when there is none.
    std::size_t trailingMacro(std::size_t begin, std::size_t stop) const;

    const std::vector<Token>& m_t;
    std::size_t m_n;
    std::vector<bool> m_reserved;  // looked up once per token: names are tested often
    std::string m_error;
};

bool IsCapsWord(std::string_view w);
// A capitals word that stands for a specifier or attribute: FMT_CONSTEXPR, SPDLOG_INLINE.
bool IsSpecifierMacro(std::string_view w);
bool IsCvWord(std::string_view w);
bool IsCallingConvention(std::string_view w);
// Words that can never be a name: keywords of statements, specifiers and types.
bool IsReservedWord(std::string_view w);

}  // namespace qm
