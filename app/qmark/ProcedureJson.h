// SPDX-License-Identifier: MIT
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "generator/CommentBlock.h"

namespace qm {

// Why the kind General is refused where a structured block is asked for.
inline constexpr std::string_view kGeneralHasNoBlock =
    "the kind General has no structured block; use 'qmark free' for free text";

// Reads one procedure description from JSON text:
//   {"name", "purpose", "returns": text, "kind": "Sub|Function|Property",
//    "access": "Public|Private|Protected|Friend",
//    "parameters": [{"name", "type", "description": text, "optional": "Yes|No"}]}
// Missing keys give empty text, kind Sub and access Public. Throws InputError for anything
// else: bad JSON, trailing text, a value of the wrong type, an unknown or repeated key, an
// unknown kind or access, or the kind General (which has no structured block). Time and
// memory are linear in the text.
ProcedureDescription ParseProcedureJson(std::string_view text);

// The description as the JSON object ParseProcedureJson reads, every key present in the
// order above, two-space indented, ended by a line end. Throws InputError when a field is
// not UTF-8, which JSON cannot carry.
std::string WriteProcedureJson(const ProcedureDescription& description);

}  // namespace qm
