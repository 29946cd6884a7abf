// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// One lexical pass over a C++ file, line by line as far as asked: which lines start in code
// rather than in a raw string, a /* */ comment or a region #if 0 leaves out, and which open a
// statement at namespace or class scope, where procedures are declared. Braces count in the
// first live branch of each #if only, as the other branches repeat them. Linear in the text.
class CppCodeMap {
public:
    // lineStarts: the offset in text where each line begins, in order.
    CppCodeMap(std::string_view text, std::vector<std::size_t> lineStarts);

    bool isCode(std::size_t line) { return info(line).flags & kCode; }
    // The line's first token opens a statement at namespace or class scope.
    bool opensStatement(std::size_t line) { return info(line).flags & kStatement; }
    // At class scope, the class's name (empty for an unnamed one); at namespace scope empty.
    std::string_view className(std::size_t line) { return m_scopes[info(line).scope].name; }
    bool atClassScope(std::size_t line) { return m_scopes[info(line).scope].kind == Kind::Class; }
    // In an unnamed namespace, so nothing declared there is seen from another file.
    bool internal(std::size_t line) { return m_scopes[info(line).scope].internal; }

private:
    enum class Kind : std::uint8_t { Namespace, Class, Other };
    enum class Mode : std::uint8_t { Code, BlockComment, LineComment, Literal, RawString, Directive };
    static constexpr std::uint8_t kCode = 1, kStatement = 2;
    struct Scope {
        Kind kind = Kind::Namespace;
        bool internal = false;
        std::string_view name;
    };
    struct Info {
        std::uint32_t scope = 0;
        std::uint8_t flags = 0;
    };
    // One #if group: whether its current branch is left out, and where braces are counted.
    struct Conditional {
        bool outerDead, outerCounts, dead, counts, counted, taken;
    };

    const Info& info(std::size_t line);
    void lexLine();
    void code(std::size_t at, std::size_t stop);
    void directive(std::size_t at, std::size_t stop);
    std::size_t skipLiteral(std::size_t at, std::size_t stop, char quote);
    std::size_t rawString(std::size_t at, std::size_t stop);
    void token(std::size_t at, std::string_view word);
    void openBrace(std::size_t at);
    static Scope Classify(std::string_view head, bool internal);
    void endStatement() { m_inStatement = false; }
    bool dead() const { return !m_conditionals.empty() && m_conditionals.back().dead; }
    bool counts() const { return m_conditionals.empty() || m_conditionals.back().counts; }

    std::string_view m_text;
    std::vector<std::size_t> m_starts;
    std::vector<Info> m_lines;  // lexed so far
    std::vector<Scope> m_scopes;
    std::vector<std::uint32_t> m_open;  // scopes of the open braces, innermost last
    std::vector<Conditional> m_conditionals;
    Mode m_mode = Mode::Code;
    char m_quote = 0;
    std::string m_rawEnd;  // )delimiter" of the raw string being read
    bool m_inStatement = false;
    bool m_firstToken = false;    // the current line's first token is still ahead
    std::size_t m_statement = 0;  // where the current statement starts
    std::size_t m_depth = 0;      // parentheses and brackets open in it
    // A lone macro line (Q_OBJECT, Q_DISABLE_COPY(X)) ends with its line: 1 one word in
    // capitals seen, 2 in its parentheses, 3 after them, 0 anything else.
    int m_macro = 0;
    bool m_accessOnly = false;  // the statement so far is access words: "public", "Q_SLOTS"
    std::size_t m_statementLine = 0;
};

}  // namespace qm
