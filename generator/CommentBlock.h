// SPDX-License-Identifier: MIT
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"

namespace qm {

enum class ProcedureKind { Sub, Function, Property, General };
enum class AccessLevel { Public, Private, Protected };

// 0 Visual Basic, 1 Visual C++; any other value (from an edited settings file) is neither.
using DevelopmentLanguage = std::int32_t;

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

// "'" for 0, "//" for 1, empty for any other value.
std::string_view RemarkPrefix(DevelopmentLanguage language);

// "dd-mmm-yy" with the month abbreviation of the LC_TIME locale: 06-Dec-98.
std::string FormatCommentDate(const DateTime& date);

// The structured header block (16 lines plus one per parameter under Visual Basic or
// Visual C++), every line ended by CR LF. Fields are inserted as they stand: nothing is
// trimmed, and a long field pushes the rest of its line to the right. Never fails.
// The kind General has no structured block; it is written like Sub here.
std::string BuildCommentBlock(const ProcedureDescription& description,
                              DevelopmentLanguage language, std::string_view developerName,
                              const DateTime& date);

}  // namespace qm
