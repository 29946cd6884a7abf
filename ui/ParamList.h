// SPDX-License-Identifier: MIT
// The parameter list's content without its widget: the columns and the rows as stored.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "generator/CommentBlock.h"

namespace qm {

struct ListColumn {
    std::string key;
    std::string heading;
    int widthTwips = 0;
};

// One row: its text (the parameter name) and sub-items 1 to 3. Sub-item k shows in column
// k + 1, whatever that column's heading is now, as a list view shows stored sub-items.
struct ParamRow {
    std::string text;
    std::array<std::string, 3> subItems;
};

class ParamList {
public:
    // The designed columns: Name 1440, Optional 600, Type 1000, Description 4000 twips.
    ParamList();
    static std::vector<ListColumn> DesignedColumns();
    static ListColumn OptionalColumn();

    // The row the Add New Parameter dialog gives under language: 0 name, "Yes"/"No", type,
    // description; 1 name, type, description; any other value the name alone.
    static ParamRow RowFromDialog(DevelopmentLanguage language, std::string name, bool optionalTicked,
                                  std::string type, std::string description);

    const std::vector<ListColumn>& columns() const { return m_columns; }
    const std::vector<ParamRow>& rows() const { return m_rows; }
    // What column (0-based) shows for row: the text in column 0, else the stored sub-item.
    static const std::string& ShownText(const ParamRow& row, std::size_t column);

    void appendRow(ParamRow row) { m_rows.push_back(std::move(row)); }
    // Out-of-range indexes are ignored.
    void removeRow(std::size_t index);
    void clearRows() { m_rows.clear(); }

    // Back to the designed columns; rows stay.
    void resetColumns() { m_columns = DesignedColumns(); }
    // Drops the "Optional" column if the list has it; true when it did.
    bool removeOptionalColumn();
    // After the Options dialog: language 0 with exactly 3 columns gets "Optional" back as the
    // second column; language 1 with exactly 4 loses its second. True when columns changed.
    bool matchLanguage(DevelopmentLanguage language);

    // The rows in list order as the generator reads them: each field is what its column
    // shows ("Optional", "Type", "Description" by key), empty when the column is absent.
    std::vector<ParameterEntry> entries() const;

private:
    int columnOfKey(std::string_view key) const;

    std::vector<ListColumn> m_columns;
    std::vector<ParamRow> m_rows;
};

}  // namespace qm
