// SPDX-License-Identifier: MIT
#pragma once
#include <string_view>

#include "generator/CommentBlock.h"

namespace qm {

// Reads one procedure description from JSON text:
//   {"name", "purpose", "returns": text, "kind": "Sub|Function|Property",
//    "access": "Public|Private|Protected",
//    "parameters": [{"name", "type", "description": text, "optional": "Yes|No"}]}
// Missing keys give empty text, kind Sub and access Public. Throws InputError for anything
// else: bad JSON, trailing text, a value of the wrong type, an unknown or repeated key, an
// unknown kind or access, or the kind General (which has no structured block).
ProcedureDescription ParseProcedureJson(std::string_view text);

}  // namespace qm
