// SPDX-License-Identifier: MIT
#include "reader/StyledCommentComparison.h"

#include <gtest/gtest.h>

#include "reader/Declaration.h"
#include "reader/StyledCommentReader.h"
#include "reader/StyledQuickCheck.h"

namespace qm {
namespace {

// Findings joined by " | ", a '+' after those the update fixes.
std::string Joined(const std::vector<HeaderFinding>& findings) {
    std::string out;
    for (const HeaderFinding& f : findings)
        out += (out.empty() ? "" : " | ") + f.message + (f.fix == HeaderFinding::Fix::Updated ? "+" : "");
    return out;
}

TEST(CompareStyledComment, FindsStaleTagsAndBringsThemInStep) {
    const std::string nlohmann =
        "    /*!\r\n    @brief a parse error occurred\r\n    @param[in] position    the position\r\n"
        "    @param[in] last_token  the last read token\r\n                           and more\r\n"
        "    @return whether parsing should proceed\r\n    */\r\n";
    const std::string pcl =
        "  /** \\brief Get the segment\n    * \\param a,b the lines\n    * \\ingroup common\n    */\n";
    const std::string brief = "/**\n * @brief Only a brief.\n *\n * Details.\n * @return x\n */\n";
    const struct {
        std::string style, comment, declaration;
        DevelopmentLanguage language;
        StyledReport report;
        std::string findings, updated;
    } rows[] = {
        // A name in another's place is renamed; one that has no place goes, its lines with it.
        {"doxygen",
         nlohmann,
         "bool parse_error(std::size_t position, const std::string& token);",
         1,
         {},
         "documents parameter 'last_token', which the declaration does not have+",
         "    /*!\r\n    @brief a parse error occurred\r\n    @param[in] position    the position\r\n"
         "    @param[in] token       the last read token\r\n                           and more\r\n"
         "    @return whether parsing should proceed\r\n    */\r\n"},
        {"doxygen",
         nlohmann,
         "bool parse_error(const std::string& last_token);",
         1,
         {},
         "documents parameter 'position', which the declaration does not have+",
         "    /*!\r\n    @brief a parse error occurred\r\n    @param[in] last_token  the last read token\r\n"
         "                           and more\r\n    @return whether parsing should proceed\r\n    */\r\n"},
        // New ones go after the one before them, else before the one after them.
        {"doxygen",
         nlohmann,
         "bool parse_error(int first, std::size_t position, const std::string& last_token, int x);",
         1,
         {},
         "parameter 'first' is not documented+ | parameter 'x' is not documented+",
         "    /*!\r\n    @brief a parse error occurred\r\n    @param first\r\n    @param[in] position    the "
         "position\r\n"
         "    @param[in] last_token  the last read token\r\n                           and more\r\n    "
         "@param x\r\n"
         "    @return whether parsing should proceed\r\n    */\r\n"},
        {"doxygen",
         nlohmann,
         "void parse_error(std::size_t positon, const std::string& last_token);",
         1,
         {},
         "documents parameter 'position', which the declaration does not have (did you mean 'positon'?)+ | "
         "documents a return value, but the declaration returns nothing",
         "    /*!\r\n    @brief a parse error occurred\r\n    @param[in] positon     the position\r\n"
         "    @param[in] last_token  the last read token\r\n                           and more\r\n"
         "    @return whether parsing should proceed\r\n    */\r\n"},
        {"doxygen",
         pcl,
         "void segment(int b, int c);",
         1,
         {},
         "documents parameter 'a', which the declaration does not have+ | parameter 'c' is not documented+",
         "  /** \\brief Get the segment\n    * \\param b the lines\n    * \\param c\n    * \\ingroup "
         "common\n    */\n"},
        {"doxygen",
         "/** @brief Sum. @param a first @param b second @return the sum */\n",
         "int sum(int a, int c, int d);",
         1,
         {},
         "documents parameter 'b', which the declaration does not have+ | parameter 'd' is not documented+",
         "/** @brief Sum. @param a first @param c second @param d @return the sum */\n"},
        // A comment that documents no parameter is left alone unless undocumented ones are asked for.
        {"doxygen", brief, "int f(int a);", 1, {}, "", brief},
        {"doxygen",
         brief,
         "int f(int a);",
         1,
         {true, false},
         "parameter 'a' is not documented+",
         "/**\n * @brief Only a brief.\n *\n * Details.\n * @param a\n * @return x\n */\n"},
        {"doxygen",
         "/// @brief Sum.\n",
         "template <class T> T f(int a);",
         1,
         {true, false},
         "template parameter 'T' is not documented+ | parameter 'a' is not documented+ | the return value is "
         "not "
         "documented",
         "/// @brief Sum.\n/// @tparam T\n/// @param a\n"},
        {"doxygen",
         "/// @param x the x\n/// @param y the y\n/// @param x again\n",
         "void f(int y, int x);",
         1,
         {false, true},
         "documents parameter 'x' twice | documents the parameters in another order than the declaration",
         "/// @param x the x\n/// @param y the y\n/// @param x again\n"},
        // VBA tags keep their type braces; names match in any case, and a rename keeps the type.
        {"vbtags",
         "'Calls it\r\n'@param {ByRef Variant()} stack  The stack\r\n'@param {Long} ptr  The pointer\r\n",
         "Sub Call1(ByRef Stack() As Variant, ByRef Pointer As Long, op As Operation)",
         0,
         {},
         "documents parameter 'ptr', which the declaration does not have+ | parameter 'op' is not "
         "documented+",
         "'Calls it\r\n'@param {ByRef Variant()} stack  The stack\r\n'@param {Long} Pointer The pointer\r\n"
         "'@param {Operation} op\r\n"},
        // A comment left with no line keeps an empty one, so no comment above takes its place.
        {"vbtags",
         "  '@param gone\r\n",
         "Sub Go()",
         0,
         {},
         "documents parameter 'gone', which the declaration does not have+",
         "  '\r\n"},
        {"doxygen",
         "/// @brief X.\n/// @param a the a\n/// @return y\n",
         "friend void f(int a);",
         1,
         {},
         "documents a return value, but the declaration returns nothing",
         "/// @brief X.\n/// @param a the a\n/// @return y\n"},
        {"xmldoc",
         "/// <summary>Adds.</summary>\n/// <param name=\"x\">the x</param>\n/// <returns>sum</returns>\n",
         "int add(int x, int y);",
         1,
         {},
         "parameter 'y' is not documented+",
         "/// <summary>Adds.</summary>\n/// <param name=\"x\">the x</param>\n/// <param name=\"y\"></param>\n"
         "/// <returns>sum</returns>\n"},
    };
    for (const auto& r : rows) {
        const DeclarationResult d = ReadDeclaration(r.declaration, r.language);
        ASSERT_TRUE(d) << r.declaration << d.error;
        const CommentStyle& style = *FindCommentStyle(r.style);
        const std::vector<std::string> templates = TemplateParameterNames(r.declaration);
        const StyledComparison c =
            CompareStyledComment(r.comment, style, *d.description, templates, r.language == 0, r.report);
        EXPECT_EQ(Joined(c.findings), r.findings) << r.declaration;
        if (PlainlyInStep(r.comment, r.declaration, style, r.language, r.report.undocumented)) {
            EXPECT_EQ(r.findings, "") << "taken as plainly in step: " << r.declaration;
        }
        EXPECT_EQ(c.updated, r.updated) << r.declaration;
        // Brought in step, a comment has nothing left to update.
        const StyledComparison again =
            CompareStyledComment(c.updated, style, *d.description, templates, r.language == 0, r.report);
        EXPECT_EQ(again.updated, c.updated) << r.declaration;
        EXPECT_EQ(Joined(again.findings).find('+'), std::string::npos) << Joined(again.findings);
    }
}

// The quick pass says "in step" only where the full comparison would find nothing, and leaves
// it whatever it does not follow.
TEST(PlainlyInStep, AgreesOnlyWhenPlainlySo) {
    const struct {
        std::string_view style, comment, declaration;
        DevelopmentLanguage language;
        bool undocumented, inStep;
    } rows[] = {
        {"doxygen", "/**\n * @brief S.\n * @param[in] a x\n * \\param b y\n * @return z\n */",
         "int f(int a, int b) {", 1, false, true},
        {"doxygen", "/// @param a x\n/// @return z", "static std::map<K, V>* f(const K& a = {}) const;", 1,
         false, false},
        {"doxygen", "/// @param a x\n/// @return z", "std::map<K, V>* Foo::f(const std::map<K, V>& a) const;",
         1, false, true},
        {"doxygen", "/// @param a x", "explicit Foo(int a, int = 0);", 1, true, true},
        {"doxygen", "/// @param a x\n/// @return z", "virtual ~Foo(int a);", 1, false, false},
        {"doxygen", "/// @param a x\n/// @return z", "PCL_EXPORTS int f(int a);", 1, false, false},
        {"doxygen", "/// @brief S.", "int f(int a);", 1, false, true},
        {"doxygen", "/// @brief S.", "int f(int a);", 1, true, false},
        {"doxygen", "/// @brief S. @param a x", "void f(int a);", 1, false, false},
        {"doxygen", "/// @param a x\n/// @code\n/// @param b\n/// @endcode", "void f(int a);", 1, false,
         false},
        {"doxygen", "/// @param a.b x", "void f(int a);", 1, false, false},
        {"doxygen", "/// @tparam T x\n/// @param a x", "template <class T> void f(T a);", 1, false, false},
        {"doxygen", "/// @param cb x", "void f(void (*cb)(int));", 1, false, false},
        {"vbtags", "'@param {Long} a x\n' @param B\n'@returns {void}",
         "Private Sub F(ByVal A As Long, _\n  Optional b)", 0, true, true},
        {"vbtags", "'@param a x\n'@returns y", "Property Get F(a)", 0, false, false},
        {"xmldoc", "''' <param name=\"a\">x</param>\n''' <returns>y</returns>",
         "Function F(a As Long) As Long", 0, false, true},
    };
    for (const auto& r : rows)
        EXPECT_EQ(
            PlainlyInStep(r.comment, r.declaration, *FindCommentStyle(r.style), r.language, r.undocumented),
            r.inStep)
            << r.comment << " | " << r.declaration;
}

}  // namespace
}  // namespace qm
