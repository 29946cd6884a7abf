// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"

namespace qm {

enum class ProcedureKind { Sub, Function, Property, General };
// Friend is Visual Basic's project-wide access; the window offers only the first three.
enum class AccessLevel { Public, Private, Protected, Friend };

// 0 Visual Basic, 1 Visual C++; any other value (from an edited settings file) is neither.
using DevelopmentLanguage = std::int32_t;
inline constexpr DevelopmentLanguage kVisualBasic = 0;
inline constexpr DevelopmentLanguage kVisualCpp = 1;

// Length of the double and single rules, without the remark prefix.
inline constexpr std::size_t kRuleLength = 72;

// One row of the parameter list, all text exactly as shown.
struct ParameterEntry {
    std::string Name;
    std::string Optional;  // "Yes" or "No"; only consulted under Visual Basic
    std::string Type;
    std::string Description;
};

struct ProcedureDescription {
    std::string name;
    std::string purpose;
    std::string returns;
    ProcedureKind kind = ProcedureKind::Sub;
    AccessLevel access = AccessLevel::Public;
    std::vector<ParameterEntry> parameters;
};

// Blanks that bring text to column + 1 characters; empty when text is longer than column.
// Lengths count characters, not bytes.
std::string PadToColumn(std::int16_t column, std::string_view text);

// The words the window and the block use: "Sub", "Function", "Property" or "General";
// "Public", "Private", "Protected" or "Friend".
std::string_view KindName(ProcedureKind kind);
std::string_view AccessName(AccessLevel access);
// The kind or access a word above names, exactly as written; nullopt for any other word.
std::optional<ProcedureKind> ParseKindName(std::string_view name);
std::optional<AccessLevel> ParseAccessName(std::string_view name);

// "'" for 0, "//" for 1, empty for any other value.
std::string_view RemarkPrefix(DevelopmentLanguage language);

// "dd-mmm-yy" with the month abbreviation of the LC_TIME locale: 06-Dec-98.
std::string FormatCommentDate(const DateTime& date);

// One line under "History:": the date text, the developer's name and a note that ends in
// the rules' last column ("Creation Date" on the first line).
struct HistoryLine {
    std::string date;
    std::string developer;
    std::string note;
};

// The structured header block (16 lines plus one per parameter under Visual Basic or
// Visual C++), every line ended by CR LF. Fields are inserted as they stand: nothing is
// trimmed, and a long field pushes the rest of its line to the right. Never fails.
// The kind General has no structured block; it is written like Sub here.
std::string BuildCommentBlock(const ProcedureDescription& description, DevelopmentLanguage language,
                              std::string_view developerName, const DateTime& date);

// The same block with history[0] as its creation line and one line per later entry, each
// laid out like the creation line; with no entries the history section is empty.
std::string BuildCommentBlock(const ProcedureDescription& description, DevelopmentLanguage language,
                              const std::vector<HistoryLine>& history);

}  // namespace qm
