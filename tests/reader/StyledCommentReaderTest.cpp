// SPDX-License-Identifier: MIT
#include "reader/StyledCommentReader.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// What a reading found, in one line: purpose|returns|name=text,...|T=text,...
std::string Flatten(const StyledDescription& d) {
    std::string s = d.procedure.purpose + "|" + (d.returnsValue ? d.procedure.returns : "-") + "|";
    for (const ParameterEntry& p : d.procedure.parameters) s += p.Name + "=" + p.Description + ",";
    s += "|";
    for (const ParameterEntry& p : d.templateParameters) s += p.Name + "=" + p.Description + ",";
    return s;
}

TEST(ReadStyledComment, GivesBackWhatEveryStyleWrote) {
    StyledDescription d{{"GetTotal",
                         "Adds up the lines\nof one order",
                         "Currency; the order total",
                         ProcedureKind::Function,
                         AccessLevel::Private,
                         {{"OrderID", "No", "Long", "Order to total"}, {"IncludeTax", "Yes", "Boolean", ""}}},
                        {},
                        true};
    StyleOptions plain, line;
    plain.brief = false;
    plain.history = true;
    line.opener = "///";
    line.tag = '\\';
    for (const CommentStyle& style : CommentStyles()) {
        for (DevelopmentLanguage language : {0, 1}) {
            if (style.syntax == TagSyntax::Box || !StyleServes(style, language)) continue;
            StyledDescription expected = d;
            // A VBA string holds one line, and Visual Basic has no templates.
            if (style.name == "vbtags") expected.procedure.purpose = "Adds up the lines of one order";
            if (language == 1) expected.templateParameters = {{"T", "No", "", "the element"}};
            ProcedureDescription declaration = d.procedure;
            for (ParameterEntry& p : declaration.parameters) p.Description.clear();
            for (const StyleOptions& options : {StyleOptions{}, plain, line}) {
                const std::string text =
                    BuildStyledComment(expected, style, language, options, "Al", {2024, 1, 2});
                const StyledCommentResult read = ReadStyledComment(text, style, &declaration, language == 0);
                ASSERT_TRUE(read) << text << read.error;
                EXPECT_EQ(Flatten(*read.description), Flatten(expected)) << text;
                EXPECT_EQ(read.description->procedure.parameters[0].Type, "Long");
                EXPECT_EQ(read.description->procedure.access, AccessLevel::Private);
            }
        }
    }
}

TEST(ReadStyledComment, ReadsCommentsPeopleWrote) {
    const struct {
        std::string_view style, text, expected;
    } rows[] = {
        {"doxygen",
         "    /*!\n    @brief a parse error occurred\n    @param[in] position    the position\n"
         "    @param[in, out] last_token  the last read token\n                       and more\n"
         "    @return whether to go on\n    @note Use @ref foo and \\c bar.\n    @code\n    @param fake x\n"
         "    @endcode\n    */",
         "a parse error occurred|whether to go on|position=the position,last_token=the last read token\nand "
         "more,|"},
        {"doxygen",
         "  /** \\brief Get the segment\r\n    * \\param[in] a,b the lines\r\n    * \\tparam T point type\r\n"
         "    * \\ingroup common\r\n    * \\see other\r\n    */",
         "Get the segment|-|a=the lines,b=the lines,|T=point type,"},
        {"doxygen", "/** @brief Sum. @param a first @param b second @return the sum */",
         "Sum.|the sum|a=first,b=second,|"},
        {"doxygen",
         "/// Just prose\n/// and more.\n///\n/// Details.\n/// @param x the x\n/// ```\n/// @param y\n/// "
         "```",
         "Just prose\nand more.|-|x=the x\n```\n@param y\n```,|"},
        {"doxygen", "//! @brief Word @c code.\n//!\n//! @retval 0 on success",
         "Word @c code.|0 on success||"},
        {"vbtags",
         "'Calls an object method\n'@param {ByRef Variant()} stack     The stack\n' @param "
         "stackPtr\n'@returns {void}",
         "Calls an object method|-|stack=The stack,stackPtr=,|"},
        {"vbtags", "'@Folder(\"Orders\")\n'@Description(\"Says \"\"hi\"\"\")\n'@Returns {Long} the count",
         "Says \"hi\"|the count||"},
        {"xmldoc",
         "/// <summary>\n/// Adds <c>x</c> and y.\n/// </summary>\n/// <param name=\"x\">the x\n/// "
         "continued</param>\n"
         "/// <typeparam name='T'>elem</typeparam>\n/// <returns>sum</returns>\n/// <remarks>none</remarks>",
         "Adds <c>x</c> and y.|sum|x=the x\ncontinued,|T=elem,"},
        {"xmldoc", "''' <param name=\"a\"/>\n''' <summary>One</summary>", "One|-|a=,|"},
        // Not the style's comments.
        {"doxygen", "//// rule", "error: not doxygen documentation"},
        {"doxygen", "/**\n * @brief open", "error: the comment is not closed"},
        {"xmldoc", "/// <summary>\n// x", "error: line 2 is not part of the comment"},
        {"vbtags", "''' <summary>", "error: not vbtags documentation"},
    };
    for (const auto& r : rows) {
        const StyledCommentResult read = ReadStyledComment(r.text, *FindCommentStyle(r.style));
        EXPECT_EQ(read ? Flatten(*read.description) : "error: " + read.error, r.expected) << r.text;
    }
}

TEST(ReadStyledComment, FindsWhereEachTagStands) {
    const std::string text =
        "  /** @brief Sum.\n   * @param[in] a,  b  the pair\n   *   continued\n   * @return x */";
    const StyledCommentResult read = ReadStyledComment(text, *FindCommentStyle("doxygen"));
    ASSERT_TRUE(read);
    ASSERT_EQ(read.tags.size(), 3u);
    const CommentTag& p = read.tags[1];
    EXPECT_EQ(text.substr(p.begin, p.end - p.begin), "@param[in] a,  b  the pair\n   *   continued");
    EXPECT_EQ(p.spelling + p.direction + "|" + std::to_string(p.firstLine) + std::to_string(p.lastLine),
              "@param[in]|12");
    ASSERT_EQ(p.names.size(), 2u);
    EXPECT_EQ(text.substr(p.names[1].begin, p.names[1].end - p.names[1].begin), "b");
    // Lines holding the opener or the closer cannot be taken out whole.
    EXPECT_EQ(std::to_string(read.tags[0].wholeLines) + std::to_string(p.wholeLines) +
                  std::to_string(read.tags[2].wholeLines),
              "010");
}

TEST(TemplateParameterNames, NamesOfTheLastTemplateHead) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"template <class T, int N = 3> T sum(const T (&a)[N]);", "T,N,"},
        {"template <typename... Ts, template <class> class C, class = void, std::size_t> void f();", "Ts,C,"},
        {"template <class T>\ntemplate <class U = std::vector<T>> void A<T>::f(U u);", "U,"},
        {"template <> inline float d(const P& a);", ""},
        {"int plain(int a);", ""},
    };
    for (const auto& [declaration, expected] : rows) {
        std::string names;
        for (const std::string& n : TemplateParameterNames(declaration)) names += n + ",";
        EXPECT_EQ(names, expected) << declaration;
    }
}

}  // namespace
}  // namespace qm
