// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "ui/ParamList.h"

namespace qm {
namespace {

std::vector<std::string> keys(const ParamList& list)
{
    std::vector<std::string> result;
    for (const ListColumn& column : list.columns())
        result.push_back(column.key);
    return result;
}

TEST(ParamListTest, ColumnsChangeOnlyFromTheExpectedCounts)
{
    using Keys = std::vector<std::string>;
    ParamList list;
    EXPECT_FALSE(list.matchLanguage(0));
    EXPECT_FALSE(list.matchLanguage(2));
    EXPECT_TRUE(list.matchLanguage(1));
    EXPECT_EQ(keys(list), Keys({"Name", "Type", "Description"}));
    EXPECT_FALSE(list.matchLanguage(1));
    EXPECT_FALSE(list.removeOptionalColumn());
    EXPECT_TRUE(list.matchLanguage(0));
    EXPECT_EQ(keys(list), Keys({"Name", "Optional", "Type", "Description"}));
    EXPECT_EQ(list.columns()[1].widthTwips, 600);
}

TEST(ParamListTest, EntriesReadWhatEachColumnShows)
{
    ParamList list;
    list.appendRow(ParamList::RowFromDialog(0, "OrderID", false, "Long", "Order to total"));
    list.appendRow(ParamList::RowFromDialog(2, "bare", true, "t", "d"));
    auto entries = list.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Optional, "No");
    EXPECT_EQ(entries[0].Type, "Long");
    EXPECT_EQ(entries[0].Description, "Order to total");
    EXPECT_EQ(entries[1].Name, "bare");
    EXPECT_EQ(entries[1].Type, "");

    // A Visual Basic row kept across a switch to Visual C++ shows its flag under Type.
    list.removeOptionalColumn();
    entries = list.entries();
    EXPECT_EQ(entries[0].Optional, "");
    EXPECT_EQ(entries[0].Type, "No");
    EXPECT_EQ(entries[0].Description, "Long");

    list.removeRow(5);
    list.removeRow(0);
    ASSERT_EQ(list.rows().size(), 1u);
    EXPECT_EQ(list.rows()[0].text, "bare");
}

}  // namespace
}  // namespace qm
