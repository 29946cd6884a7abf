// SPDX-License-Identifier: MIT
#include "reader/CommentBlockReader.h"

#include <gtest/gtest.h>

#include <regex>
#include <tuple>

namespace qm {
namespace {

using Parameters = std::vector<ParameterEntry>;
const std::string t21(21, 't'), n18(18, 'n');

ProcedureDescription Describe(std::string name, Parameters parameters,
                              ProcedureKind kind = ProcedureKind::Function) {
    return {std::move(name),      "Adds up the lines",  "Currency; the total", kind,
            AccessLevel::Private, std::move(parameters)};
}

// Visual C++ blocks show no Optional column.
std::string Flatten(const ProcedureDescription& d, DevelopmentLanguage language = 0) {
    std::string s = d.name + "|" + d.purpose + "|" + d.returns + "|" + std::to_string(int(d.kind)) +
                    std::to_string(int(d.access));
    for (const ParameterEntry& p : d.parameters)
        s += "|" + p.Name + "," + (language == 0 ? p.Optional : "No") + "," + p.Type + "," + p.Description;
    return s;
}

std::string Edit(std::string text, const std::string& from, const std::string& to) {
    return std::regex_replace(text, std::regex(from), to);
}

TEST(ReadCommentBlock, ReadsBackWhatTheBuilderWrote) {
    const std::vector<HistoryLine> created = {{"06-Dec-98", "A. Developer", "Creation Date"}};
    const std::pair<ProcedureDescription, std::vector<HistoryLine>> rows[] = {
        {Describe("GetTotal", {{"OrderID", "No", "Long", "Order to total"},
                               {"IncludeTax", "Yes", "Boolean", "Add sales tax"}}),
         created},
        {ProcedureDescription{}, {{"06-Dec-98", "", "Creation Date"}}},
        {Describe("  Spaced ", {{"", "Yes", "", "d"}, {"x", "No", std::string(20, 't'), " lead"}},
                  ProcedureKind::Property),
         created},
        {Describe("名前", {{"Ünï", "No", "Cödé", "説明 text"},
                           {n18, "No", "T", ""},
                           {std::string(17, 'n'), "No", "T", "d"}}),
         created},
        {Describe("Sub", {}, ProcedureKind::Sub),
         {{"06-Dec-98", std::string(40, 'n'), "Creation Date"},
          {"01-Jan-05", "Bo Li", "Updated"},
          {"02-Jan-05", "", "Renamed OrderID to OrderNo"},
          {"03-Jan-05", "Jo", ""}}},
        {Describe("Empty", {}), {}},
        {ProcedureDescription{"Count", "", "Long", ProcedureKind::Function, AccessLevel::Friend, {}},
         created},
    };
    for (const auto& [base, history] : rows) {
        for (DevelopmentLanguage language : {0, 1, 5}) {
            ProcedureDescription d = base;
            if (language == 5) d.parameters.clear();
            const std::string block = BuildCommentBlock(d, language, history);
            for (const std::string& text :
                 {block, Edit(block, "\r\n", "\n"), Edit(block, "\r\n", "\r"),
                  Edit(block, "(^|\n)", "$1\t  "),
                  block.substr(0, block.size() - 3 * (RemarkPrefix(language).size() + 2))}) {
                const CommentBlockResult read = ReadCommentBlock(text);
                ASSERT_TRUE(read) << read.error << "\n" << text;
                EXPECT_EQ(read.language, language == 5 ? -1 : language);
                EXPECT_EQ(Flatten(*read.description), Flatten(d, language)) << text;
                EXPECT_EQ(BuildCommentBlock(*read.description, language, read.history), block);
                EXPECT_EQ(read.developerName, history.empty() ? "" : history[0].developer);
            }
        }
    }
}

TEST(ReadCommentBlock, TakesARunTogetherSplitFromTheDeclaration) {
    const ProcedureDescription d =
        Describe("F", {{"Amount", "Yes", t21, "the sum"}, {n18 + "x", "No", "T", "the name"}});
    const std::string block = BuildCommentBlock(d, 0, "Ann", {1998, 12, 6});
    EXPECT_EQ(ReadCommentBlock(block).error,
              "line 6: the type runs into the name; cannot tell where the name starts");
    const CommentBlockResult read = ReadCommentBlock(block, &d);
    ASSERT_TRUE(read) << read.error;
    EXPECT_EQ(Flatten(*read.description), Flatten(d));
    // Renamed in the declaration since: no split to borrow.
    const ProcedureDescription renamed = Describe("F", {{"Total", "Yes", t21, ""}});
    EXPECT_EQ(ReadCommentBlock(block, &renamed).errorLine, 6u);
}

// Hand edits the description cannot hold are read past; wrapped text is joined.
TEST(ReadCommentBlock, ReadsWhatHandsWrapped) {
    const std::string block =
        BuildCommentBlock(Describe("F", {{"a", "No", "Long", "first"}, {"b", "Yes", "T", ""}}), 0,
                          "A. Developer", {1998, 12, 6});
    std::string text = Edit(block, "Adds up", "Adds\r\n'      up");
    text = Edit(text, "first", "first\r\n'                                             half");
    text = Edit(text, "'  Parameters:", "'  Notes:\r\n'      see also G\r\n'\r\n'  Parameters:");
    text = Edit(text, "Currency;", "Currency;\r\n'    ");
    text = Edit(text, "98 +A\\. Developer +", "98 A. Developer\t");
    const CommentBlockResult read = ReadCommentBlock(text);
    ASSERT_TRUE(read) << read.error;
    EXPECT_EQ(Flatten(*read.description),
              "F|Adds up the lines|Currency; the total|11|a,No,Long,first half|b,Yes,T,");
    EXPECT_EQ(read.developerName, "A. Developer");
    EXPECT_EQ(read.layout.parameters, (std::vector<std::size_t>{9, 11}));
}

TEST(ReadCommentBlock, NamesTheLineOfADamagedBlock) {
    const std::string block =
        BuildCommentBlock(Describe("F", {{"a", "No", "Long", ""}}), 0, "Ann", {1998, 12, 6});
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"[^]*", "", "line 1: empty text"},
        {"^'=", "'-", "line 1: not a header block: no double rule"},
        {"Private Function", "Global Function", "line 2: expected Public, Private"},
        {"Private Function", "Private Event", "line 2: expected Sub, Function or Property"},
        {"Purpose:", "Aim:", "line 3: expected \"Purpose:\""},
        {"\r\n'  Parameters:", "\r\nParameters:", "line 5: expected the remark prefix \"'\""},
        {"'      Long ", "'  Long   ", "line 6: a parameter line starts in column 8"},
        {"  Returns:", "  Result:", "line 11: expected \"Returns:\""},
        {"'      Currency.*", "'  Returns:", "line 10: \"Returns:\" a second time"},
        {"'-+", "'---", "line 12: expected the single rule"},
        {"'\r\n$", "' x\r\n", "line 17: text after the closing rule"},
        {"a +", "aaaaaaaaaaaaaaaaaaa desc",
         "line 6: the name runs into the description; cannot tell where it ends"},
    };
    // The start of each message.
    for (const auto& [from, to, error] : rows)
        EXPECT_EQ(ReadCommentBlock(Edit(block, from, to)).error.substr(0, error.size()), error) << from;
}

}  // namespace
}  // namespace qm
