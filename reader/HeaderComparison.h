// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "generator/CommentBlock.h"

namespace qm {

// What differs between one of our blocks and the declaration below it, one message each,
// and the block brought in step: the declaration's name, kind, parameters and return type
// with the user's purpose, descriptions (matched by name, or by place where a parameter
// was renamed) and returns prose kept. Linear in the number of parameters.
struct HeaderComparison {
    std::vector<std::string> messages;
    ProcedureDescription merged;
    std::vector<std::size_t> origins;  // per merged parameter, the block's it keeps; SIZE_MAX: new
};

// vb: Visual Basic, where names and types ignore letter case. accessStated: the declaration
// shows its access (always in Visual Basic; in C++ only a "private:" or the like on its line).
HeaderComparison CompareHeader(const ProcedureDescription& block, const ProcedureDescription& code, bool vb,
                               bool accessStated);

// "Public Sub Name", as a block's heading names the procedure.
std::string ProcedureHeading(const ProcedureDescription& procedure);

}  // namespace qm
