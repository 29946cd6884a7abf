// SPDX-License-Identifier: MIT
#include "generator/CommentStyle.h"

#include <gtest/gtest.h>

#include "tests/support/TestData.h"

namespace qm {
namespace {

StyledDescription WorkedExample() {
    return {
        {"GetTotal",
         "Adds up the lines of one order",
         "Currency; the order total",
         ProcedureKind::Function,
         AccessLevel::Public,
         {{"OrderID", "No", "Long", "Order to total"}, {"IncludeTax", "Yes", "Boolean", "Add sales tax"}}},
        {},
        false};
}

std::string CrLf(std::string_view text) {
    std::string out;
    for (char c : text) out.append(c == '\n' ? "\r\n" : std::string_view(&c, 1));
    return out;
}

std::string Build(const StyledDescription& d, std::string_view style, DevelopmentLanguage language,
                  const StyleOptions& options = {}) {
    return BuildStyledComment(d, *FindCommentStyle(style), language, options, "A. Developer", {1998, 12, 6});
}

TEST(BuildStyledComment, WorkedExampleInEveryStyle) {
    const StyleOptions none;
    StyleOptions plain;
    plain.opener = "//!";
    plain.tag = '\\';
    plain.brief = false;
    plain.history = true;
    const struct {
        std::string_view style;
        DevelopmentLanguage language;
        const StyleOptions* options;
        std::string golden;
    } rows[] = {
        {"box", 0, &none, "worked_example_vb.txt"},  {"box", 1, &none, "worked_example_vc.txt"},
        {"doxygen", 1, &none, "styles/doxygen.txt"}, {"doxygen", 1, &plain, "styles/doxygen_plain.txt"},
        {"xmldoc", 1, &none, "styles/xmldoc.txt"},   {"xmldoc", 0, &none, "styles/xmldoc_vb.txt"},
        {"vbtags", 0, &none, "styles/vbtags.txt"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Build(WorkedExample(), r.style, r.language, *r.options), test::ReadGolden(r.golden))
            << r.golden;
}

TEST(BuildStyledComment, EdgesOfTheDescription) {
    StyledDescription empty;
    empty.procedure.kind = ProcedureKind::Function;
    empty.returnsValue = true;
    StyledDescription odd = WorkedExample();
    odd.procedure.purpose = "Says \"hi\"\nthen more";
    odd.procedure.parameters = {{"", "No", "int", "unnamed"}, {"x", "No", "int", "first */\r\nsecond"}};
    odd.procedure.returns.clear();
    odd.templateParameters = {{"T", "No", "", "element"}};
    StyleOptions none, trim, foreign;
    trim.trim = true;
    foreign.opener = "/**";
    const struct {
        StyledDescription d;
        std::string_view style;
        DevelopmentLanguage language;
        const StyleOptions* options;
        std::string expected;
    } rows[] = {
        // Placeholders to fill in: a purpose and a return line with nothing in them.
        {empty, "doxygen", 1, &none, "/**\n * @brief\n *\n * @return\n */\n"},
        {empty, "xmldoc", 1, &none, "/// <summary>\n///\n/// </summary>\n/// <returns></returns>\n"},
        {empty, "vbtags", 0, &none, "'@Description(\"\")\n'@returns\n"},
        // Line breaks start comment lines; a VBA string doubles its quotes and stays one line; a
        // block comment is not closed by its text.
        {odd, "doxygen", 1, &none,
         "/**\n * @brief Says \"hi\"\n * then more\n *\n * @tparam T element\n"
         " * @param x first * /\n * second\n */\n"},
        {odd, "vbtags", 0, &none,
         "'@Description(\"Says \"\"hi\"\" then more\")\n'@param x first */\n'second\n"},
        // An opener the style does not take gives its own.
        {odd, "xmldoc", 1, &foreign,
         "/// <summary>\n/// Says \"hi\"\n/// then more\n/// </summary>\n"
         "/// <typeparam name=\"T\">element</typeparam>\n"
         "/// <param name=\"x\">first */\n/// second</param>\n"},
        {odd, "doxygen", 0, &none, ""},
        {empty, "box", 1, &trim,
         (std::string("//") + std::string(72, '=') +
          "\n// Public Function\n// Purpose:\n//\n"
          "// Parameters:\n//\n//\n// Returns:\n//\n//" +
          std::string(72, '-') +
          "\n// History:\n//     06-Dec-98            A. Developer                     "
          "Creation Date\n//" +
          std::string(72, '=') + "\n//\n//\n//\n")},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Build(r.d, r.style, r.language, *r.options), CrLf(r.expected))
            << r.style << " " << r.expected;
}

}  // namespace
}  // namespace qm
