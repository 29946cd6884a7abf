// SPDX-License-Identifier: MIT
#include "generator/CommentBlock.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/TestData.h"

namespace qm {
namespace {

using test::ReadGolden;

const DateTime kDec6th1998{1998, 12, 6};

std::vector<std::string> Lines(const std::string& block) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t pos; (pos = block.find("\r\n", start)) != std::string::npos; start = pos + 2)
        lines.push_back(block.substr(start, pos - start));
    EXPECT_EQ(start, block.size()) << "every line, the last included, ends in CR LF";
    return lines;
}

ProcedureDescription WorkedExample() {
    ProcedureDescription d;
    d.name = "GetTotal";
    d.purpose = "Adds up the lines of one order";
    d.returns = "Currency; the order total";
    d.kind = ProcedureKind::Function;
    d.access = AccessLevel::Public;
    d.parameters = {{"OrderID", "No", "Long", "Order to total"},
                    {"IncludeTax", "Yes", "Boolean", "Add sales tax"}};
    return d;
}

TEST(PadToColumn, CountsCharactersUpToTheColumn) {
    struct Row {
        std::int16_t column;
        std::string text;
        std::size_t blanks;
    };
    const Row rows[] = {
        {2, "'", 2},      {6, "'", 6},        {6, "//", 5}, {27, "", 28},   {5, "abcde", 1},
        {5, "abcdef", 0}, {5, "abcdefg", 0},  {3, "é", 3},  {3, "漢字", 2}, {0, "", 1},
        {-1, "", 0},      {2, "\xff\xfe", 1},  // invalid bytes count one character each
    };
    for (const Row& r : rows)
        EXPECT_EQ(PadToColumn(r.column, r.text), std::string(r.blanks, ' '))
            << "column " << r.column << " text '" << r.text << "'";
}

TEST(FormatCommentDate, TwoDigitDayAndYear) {
    EXPECT_EQ(FormatCommentDate(kDec6th1998), "06-Dec-98");
    EXPECT_EQ(FormatCommentDate({2005, 1, 31}), "31-Jan-05");
    EXPECT_EQ(FormatCommentDate({2000, 7, 1}), "01-Jul-00");
}

TEST(BuildCommentBlock, WorkedExamplesAreByteExact) {
    EXPECT_EQ(BuildCommentBlock(WorkedExample(), 0, "A. Developer", kDec6th1998),
              ReadGolden("worked_example_vb.txt"));
    EXPECT_EQ(BuildCommentBlock(WorkedExample(), 1, "A. Developer", kDec6th1998),
              ReadGolden("worked_example_vc.txt"));
}

TEST(BuildCommentBlock, EmptyDescriptionKeepsEveryLine) {
    const auto lines = Lines(BuildCommentBlock({}, 0, "", kDec6th1998));
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[1], "'  Public Sub ");
    EXPECT_EQ(lines[3], "'      ");
    EXPECT_EQ(lines[5], "'");
    EXPECT_EQ(lines[6], "'");
    EXPECT_EQ(lines[8], "'      ");
    EXPECT_EQ(lines[11], "'      06-Dec-98" + std::string(44, ' ') + "Creation Date");
    EXPECT_EQ(lines[11].size(), 73u);
    EXPECT_EQ(lines[12], "'" + std::string(72, '='));
    EXPECT_EQ(lines[15], "'");
}

TEST(BuildCommentBlock, CreationDateEndsWithTheRulesWhileTheNameLeavesRoom) {
    struct Row {
        DevelopmentLanguage language;
        std::size_t nameLength;
        std::size_t lineLength;
        bool blank;
    };
    const Row rows[] = {{0, 31, 73, true}, {0, 32, 73, false}, {0, 33, 74, false},
                        {1, 32, 74, true}, {1, 33, 74, false}, {1, 40, 81, false}};
    for (const Row& r : rows) {
        const auto lines =
            Lines(BuildCommentBlock({}, r.language, std::string(r.nameLength, 'n'), kDec6th1998));
        const std::string& history = lines[11];
        EXPECT_EQ(history.size(), r.lineLength) << r.language << "/" << r.nameLength;
        EXPECT_EQ(history.substr(history.size() - 13), "Creation Date");
        EXPECT_EQ(history[history.size() - 14], r.blank ? ' ' : 'n');
    }
}

TEST(BuildCommentBlock, ParameterColumnsAndOverflow) {
    struct Row {
        DevelopmentLanguage language;
        ParameterEntry entry;
        std::string line;
    };
    const std::string t20(20, 't'), t21(21, 't'), n17(17, 'n'), n18(18, 'n');
    const Row rows[] = {
        {0, {"Name", "No", t20, "d"}, "'      " + t20 + " Name" + std::string(14, ' ') + "d"},
        {0, {"Name", "No", t21, "d"}, "'      " + t21 + "Name" + std::string(14, ' ') + "d"},
        {0, {"N", "Yes", "Integer", "d"}, "'      Optional Integer     N" + std::string(17, ' ') + "d"},
        {0,
         {"N", "Yes", std::string(12, 't'), "d"},
         "'      Optional " + std::string(12, 't') + "N" + std::string(17, ' ') + "d"},
        {0, {"N", "yes", "T", ""}, "'      T" + std::string(20, ' ') + "N" + std::string(17, ' ')},
        {0, {"N", "Yes ", "T", ""}, "'      T" + std::string(20, ' ') + "N" + std::string(17, ' ')},
        {0, {n17, "No", "T", "d"}, "'      T" + std::string(20, ' ') + n17 + " d"},
        {0, {n18, "No", "T", "d"}, "'      T" + std::string(20, ' ') + n18 + "d"},
        {1, {"N", "Yes", "int", "d"}, "//     int                  N" + std::string(17, ' ') + "d"},
        // Multi-byte names line up like ASCII ones.
        {0, {"名前", "No", "Ünïcödé", "d"}, "'      Ünïcödé              名前" + std::string(16, ' ') + "d"},
    };
    for (const Row& r : rows) {
        ProcedureDescription d;
        d.parameters = {r.entry};
        const auto lines = Lines(BuildCommentBlock(d, r.language, "", kDec6th1998));
        ASSERT_EQ(lines.size(), 17u);
        EXPECT_EQ(lines[5], r.line);
    }
}

TEST(BuildCommentBlock, OtherLanguagesHaveNoPrefixAndNoParameterLines) {
    ProcedureDescription d = WorkedExample();
    const auto lines = Lines(BuildCommentBlock(d, 7, "Dev", kDec6th1998));
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0], std::string(72, '='));
    EXPECT_EQ(lines[1], "   Public Function GetTotal");
    EXPECT_EQ(lines[4], "   Parameters:");
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[9], std::string(72, '-'));
    EXPECT_EQ(lines[11].substr(lines[11].size() - 13), "Creation Date");
    EXPECT_EQ(lines[11].size(), 72u);
    EXPECT_EQ(lines[15], "");
}

TEST(BuildCommentBlock, AccessAndKindWords) {
    ProcedureDescription d;
    d.name = "X";
    d.access = AccessLevel::Private;
    d.kind = ProcedureKind::Property;
    EXPECT_EQ(Lines(BuildCommentBlock(d, 1, "", kDec6th1998))[1], "// Private Property X");
    d.access = AccessLevel::Protected;
    d.kind = ProcedureKind::Sub;
    EXPECT_EQ(Lines(BuildCommentBlock(d, 0, "", kDec6th1998))[1], "'  Protected Sub X");
}

TEST(BuildCommentBlock, FieldsAreInsertedUntouched) {
    ProcedureDescription d;
    d.purpose = "  spaced\tand \"quoted\" ";
    d.returns = std::string(200, 'r');
    const auto lines = Lines(BuildCommentBlock(d, 0, "", kDec6th1998));
    EXPECT_EQ(lines[3], "'      " + d.purpose);
    EXPECT_EQ(lines[8], "'      " + d.returns);
}

}  // namespace
}  // namespace qm
