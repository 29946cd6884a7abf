// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "ui/ParamList.h"

namespace qm {
namespace {

TEST(ParamListTest, EntriesReadWhatEachColumnShows)
{
    using Fields = std::vector<std::string>;
    ParamList list;
    list.appendRow(ParamList::RowFromDialog(0, "OrderID", false, "Long", "Order to total"));
    list.appendRow(ParamList::RowFromDialog(2, "bare", true, "t", "d"));
    const auto fields = [&](std::size_t row) {
        const ParameterEntry entry = list.entries().at(row);
        return Fields{entry.Name, entry.Optional, entry.Type, entry.Description};
    };
    EXPECT_EQ(fields(0), Fields({"OrderID", "No", "Long", "Order to total"}));
    EXPECT_EQ(fields(1), Fields({"bare", "", "", ""}));
    // A Visual Basic row kept across a switch to Visual C++ shows its flag under Type.
    EXPECT_TRUE(list.removeOptionalColumn());
    EXPECT_EQ(fields(0), Fields({"OrderID", "", "No", "Long"}));

    list.removeRow(5);
    list.removeRow(0);
    ASSERT_EQ(list.rows().size(), 1u);
    EXPECT_EQ(list.rows()[0].text, "bare");
}

}  // namespace
}  // namespace qm
