// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generator/CommentBlock.h"
#include "reader/SourceLines.h"

namespace qm {

// One lexical pass over a C++ file, line by line as far as asked: which lines start in code
// rather than in a raw string, a /* */ comment or a region #if 0 leaves out, and the
// statements, each ended by ';', a brace, an access label or its line when it is a lone macro
// (Q_OBJECT, Q_DISABLE_COPY(A)), comments and literals passed over, with the scope each
// stands in: a namespace or class, where procedures are declared, or a body or initializer.
// Each branch of an #if is read from where the #if stands, and the first live branch's
// braces count, as the other branches repeat them. Tolerates a half-edited text: a literal
// left open ends with its line. Linear in the text.
class CppCodeMap {
public:
    struct Statement {
        std::size_t begin = 0, end = 0;  // its first token to past its last, the brace that ends it included
        std::size_t firstLine = 0,
                    lastLine = 0;           // of its first and last token, never of a brace that ends it
        bool declares = false;              // at namespace or class scope
        bool label = false;                 // an access label: "public:", "private slots:"
        std::optional<AccessLevel> access;  // at class scope, what the labels before it say
        bool ended = false;
    };

    explicit CppCodeMap(const SourceText& source);

    bool isCode(std::size_t line) { return info(line).flags & kCode; }
    // In a region #if 0 (or the like) leaves out.
    bool leftOut(std::size_t line) { return info(line).flags & kLeftOut; }
    // The line's first token opens a statement at namespace or class scope, in the first live
    // branch of any #if.
    bool opensStatement(std::size_t line) { return info(line).flags & kStatement; }
    // An access label starts on the line: "public:", "private slots:".
    bool opensLabel(std::size_t line) { return info(line).flags & kLabel; }
    // At class scope, the class's name (empty for an unnamed one); at namespace scope empty.
    std::string_view className(std::size_t line) { return m_scopes[info(line).scope].name; }
    bool atClassScope(std::size_t line) { return m_scopes[info(line).scope].kind == Kind::Class; }
    // In an unnamed namespace, so nothing declared there is seen from another file.
    bool internal(std::size_t line) { return m_scopes[info(line).scope].internal; }

    // The first statement, access labels aside, that ends on line or after it: the one going on
    // through line, else the next; none past the last.
    std::optional<Statement> statementFrom(std::size_t line);
    // Every statement of the text, in the order they start.
    const std::vector<Statement>& statements();

private:
    enum class Kind : std::uint8_t { Namespace, Class, Other };
    enum class Mode : std::uint8_t { Code, BlockComment, LineComment, Literal, RawString, Directive };
    static constexpr std::uint8_t kCode = 1, kStatement = 2, kLeftOut = 4, kLabel = 8;
    static constexpr std::uint32_t kNone = UINT32_MAX;
    struct Scope {
        Kind kind = Kind::Namespace;
        bool internal = false;
        std::string_view name;
    };
    struct Open {
        std::uint32_t scope;
        std::optional<AccessLevel> access;
    };
    // Where the reading stands between tokens: what each branch of an #if starts from.
    struct State {
        std::vector<Open> open;  // the braces open, innermost last
        std::uint32_t statement = kNone;
        std::size_t statementOpen = 0;  // braces open when it started
        std::size_t depth = 0;          // parentheses and brackets open in it
        // A lone macro line: 1 one word in capitals seen, 2 in its parentheses, 3 after them.
        int macro = 0;
        bool accessOnly = false;  // the statement so far is access words: "public", "Q_SLOTS"
    };
    struct Conditional {
        bool outerDead, outerCounts, dead;
        bool first;        // the branch is the first live one
        bool live;         // a live branch was met
        bool taken;        // a branch's condition was plainly true
        State start, end;  // at the #if; at the end of the first live branch
    };
    struct Info {
        std::uint32_t scope = 0;
        std::uint32_t statement = 0;  // going on at the line's start, else the next to start
        std::uint8_t flags = 0;
    };

    const Info& info(std::size_t line);
    void lexLine();
    void code(std::size_t at, std::size_t stop);
    void directive(std::size_t at, std::size_t stop);
    void leaveBranch(Conditional& c);
    void label(std::size_t at);
    std::size_t skipLiteral(std::size_t at, std::size_t stop, char quote);
    std::size_t rawString(std::size_t at, std::size_t stop);
    Statement* token(std::size_t at, std::size_t end, std::string_view word = {});
    void openBrace(std::size_t at);
    void closeBrace(std::size_t at);
    void endStatement();
    static Scope Classify(std::string_view head, bool internal);
    Kind kind() const { return m_scopes[m_state.open.back().scope].kind; }
    bool dead() const { return !m_conditionals.empty() && m_conditionals.back().dead; }
    bool counts() const {
        return m_conditionals.empty() || (m_conditionals.back().outerCounts && m_conditionals.back().first);
    }
    Statement* current() { return m_state.statement == kNone ? nullptr : &m_statements[m_state.statement]; }

    const SourceText& m_source;
    std::string_view m_text;
    std::vector<Info> m_lines;  // lexed so far
    std::vector<Scope> m_scopes;
    std::vector<Statement> m_statements;
    std::vector<Conditional> m_conditionals;
    State m_state;
    Mode m_mode = Mode::Code;
    char m_quote = 0;
    std::string m_rawEnd;       // )delimiter" of the raw string being read
    bool m_firstToken = false;  // the current line's first token is still ahead
};

}  // namespace qm
