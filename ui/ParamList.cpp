// SPDX-License-Identifier: MIT
#include "ui/ParamList.h"

namespace qm {

ParamList::ParamList() : m_columns(DesignedColumns()) {}

std::vector<ListColumn> ParamList::DesignedColumns() {
    return {{"Name", "Name", 1440},
            OptionalColumn(),
            {"Type", "Type", 1000},
            {"Description", "Description", 4000}};
}

ListColumn ParamList::OptionalColumn() { return {"Optional", "Optional", 600}; }

ParamRow ParamList::RowFromDialog(DevelopmentLanguage language, std::string name, bool optionalTicked,
                                  std::string type, std::string description) {
    ParamRow row;
    row.text = std::move(name);
    if (language == kVisualBasic)
        row.subItems = {optionalTicked ? "Yes" : "No", std::move(type), std::move(description)};
    else if (language == kVisualCpp) row.subItems = {std::move(type), std::move(description), {}};
    return row;
}

const std::string& ParamList::ShownText(const ParamRow& row, std::size_t column) {
    static const std::string none;
    if (column == 0) return row.text;
    return column <= row.subItems.size() ? row.subItems[column - 1] : none;
}

void ParamList::removeRow(std::size_t index) {
    if (index < m_rows.size()) m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(index));
}

bool ParamList::removeOptionalColumn() {
    const int column = columnOfKey("Optional");
    if (column < 0) return false;
    m_columns.erase(m_columns.begin() + column);
    return true;
}

bool ParamList::matchLanguage(DevelopmentLanguage language) {
    if (language == kVisualBasic && m_columns.size() == 3) {
        m_columns.insert(m_columns.begin() + 1, OptionalColumn());
        return true;
    }
    if (language == kVisualCpp && m_columns.size() == 4) {
        m_columns.erase(m_columns.begin() + 1);
        return true;
    }
    return false;
}

std::vector<ParameterEntry> ParamList::entries() const {
    const int optional = columnOfKey("Optional");
    const int type = columnOfKey("Type");
    const int description = columnOfKey("Description");
    auto shown = [](const ParamRow& row, int column) {
        return column < 0 ? std::string() : ShownText(row, static_cast<std::size_t>(column));
    };
    std::vector<ParameterEntry> result;
    result.reserve(m_rows.size());
    for (const ParamRow& row : m_rows)
        result.push_back({row.text, shown(row, optional), shown(row, type), shown(row, description)});
    return result;
}

int ParamList::columnOfKey(std::string_view key) const {
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].key == key) return static_cast<int>(i);
    return -1;
}

}  // namespace qm
